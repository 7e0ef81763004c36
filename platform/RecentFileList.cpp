#include "platform/RecentFileList.h"

#include <algorithm>
#include <cstdio>

#include "base/Profile.h"

CRecentFileList* g_pRecentFileList = nullptr;

CRecentFileList::CRecentFileList(std::string section, std::string entryFormat, int size, int displayLength)
    : m_section(std::move(section)),
      m_format(std::move(entryFormat)),
      m_size(std::clamp(size, 0, kMaxSize)),
      m_displayLength(displayLength) {}

void CRecentFileList::SetSize(int size) {
  m_size = std::clamp(size, 0, kMaxSize);
  if (static_cast<int>(m_paths.size()) > m_size) m_paths.resize(static_cast<std::size_t>(m_size));
}

void CRecentFileList::Add(const std::string& path) {
  if (path.empty() || m_size == 0) return;
  m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
  m_paths.insert(m_paths.begin(), path);
  if (static_cast<int>(m_paths.size()) > m_size) m_paths.resize(static_cast<std::size_t>(m_size));
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < GetCount()) m_paths.erase(m_paths.begin() + index);
}

std::string CRecentFileList::EntryName(int slot) const {
  char name[64];
  std::snprintf(name, sizeof name, m_format.c_str(), slot);
  return name;
}

void CRecentFileList::ReadList() {
  m_paths.clear();
  for (int slot = 1; slot <= m_size; ++slot) {
    const std::string path = GetProfileString(m_section, EntryName(slot), "");
    if (!path.empty() && std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end()) m_paths.push_back(path);
  }
}

void CRecentFileList::WriteList() const {
  for (int slot = 1; slot <= m_size; ++slot) {
    if (slot <= GetCount())
      WriteProfileString(m_section, EntryName(slot), m_paths[static_cast<std::size_t>(slot - 1)]);
    else
      Profile().DeleteEntry(m_section, EntryName(slot));
  }
}

std::string CRecentFileList::GetDisplayName(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  std::string text = AbbreviatePath(m_paths[static_cast<std::size_t>(index)], m_displayLength);
  // '&' marks a mnemonic in menu texts.
  std::string escaped;
  for (char c : text) {
    if (c == '&') escaped += '&';
    escaped += c;
  }
  const int number = index + 1;
  return (number < 10 ? "&" + std::to_string(number) : "1&0") + " " + escaped;
}

std::string AbbreviatePath(const std::string& path, int maxLength) {
  if (maxLength <= 0 || static_cast<int>(path.size()) <= maxLength) return path;
  const auto lastSlash = path.rfind('/');
  if (lastSlash == std::string::npos) return path;
  const std::string name = path.substr(lastSlash + 1);
  // The first component ("/home") is kept, then "...", then the tail.
  const auto firstEnd = path.find('/', 1);
  const std::string head = firstEnd == std::string::npos ? std::string() : path.substr(0, firstEnd + 1);
  std::string tail = "/" + name;
  std::size_t cut = lastSlash;
  while (cut != std::string::npos && cut > head.size()) {
    const auto prev = path.rfind('/', cut - 1);
    if (prev == std::string::npos || prev + 1 < head.size()) break;
    const std::string candidate = path.substr(prev, cut - prev) + tail;
    if (static_cast<int>(head.size() + 3 + candidate.size()) > maxLength) break;
    tail = candidate;
    cut = prev;
  }
  std::string result = head + "..." + tail;
  if (static_cast<int>(result.size()) > static_cast<int>(name.size()) && static_cast<int>(result.size()) > maxLength &&
      static_cast<int>(("..." + tail).size()) < static_cast<int>(result.size()))
    result = "..." + tail;
  return result;
}

std::unique_ptr<CRecentFileList> ResizeRecentFileList(std::unique_ptr<CRecentFileList> list, int newSize) {
  newSize = std::clamp(newSize, 0, CRecentFileList::kMaxSize);
  if (list) {
    const int oldSize = list->GetSize();
    list->SetSize(std::min(newSize, oldSize));
    list->WriteList();
    for (int slot = list->GetSize() + 1; slot <= oldSize; ++slot)
      Profile().DeleteEntry(list->GetSection(), list->GetEntryName(slot));
  }
  if (newSize == 0) return nullptr;
  auto resized = std::make_unique<CRecentFileList>(list ? list->GetSection() : "Recent File List",
                                                   list ? list->GetFormat() : "File%d", newSize,
                                                   list ? list->GetDisplayLength() : 30);
  if (list) resized->SetEmptyText(list->GetEmptyText());
  resized->ReadList();
  return resized;
}
