#include "browser/core/FavoriteFolderList.h"

#include <algorithm>

#include "base/Profile.h"
#include "browser/core/AddressHistory.h"

namespace {
const char kSection[] = "Favorite Folder List";
std::string FolderValueName(size_t number) { return "Folder " + std::to_string(number); }
}  // namespace

void CFavoriteFolderList::Load() {
  m_folders.clear();
  for (size_t i = 1;; ++i) {
    std::string value = GetProfileString(kSection, FolderValueName(i));
    if (value.empty()) break;
    m_folders.push_back(value);
  }
}

void CFavoriteFolderList::Save() const {
  Profile().DeleteSection(kSection);
  size_t number = 1;
  for (const std::string& folder : m_folders)
    if (!folder.empty()) WriteProfileString(kSection, FolderValueName(number++), folder);
}

bool CFavoriteFolderList::IsNew(const std::string& path) const {
  if (path.empty()) return false;
  std::string normal = CAddressHistory::NormalizePath(path);
  return std::find(m_folders.begin(), m_folders.end(), normal) == m_folders.end();
}

void CFavoriteFolderList::Add(const std::string& path) {
  if (IsNew(path)) m_folders.push_back(CAddressHistory::NormalizePath(path));
}
