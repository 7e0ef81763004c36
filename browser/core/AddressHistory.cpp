#include "browser/core/AddressHistory.h"

#include <algorithm>

#include "base/Profile.h"

namespace {
std::string AddressValueName(size_t index) { return "Address-" + std::to_string(index); }
}  // namespace

std::string CAddressHistory::NormalizePath(const std::string& path) {
  if (path.size() > 1 && path.back() == '/') return path.substr(0, path.size() - 1);
  return path;
}

std::string CAddressHistory::Navigate(const std::string& path) {
  std::string normal = NormalizePath(path);
  if (normal != m_strPath) {
    m_strPath = normal;
    m_history.resize(static_cast<size_t>(m_nHistoryPos));
    m_history.push_back(normal);
    m_nHistoryPos = static_cast<int>(m_history.size());
    Remember(normal);
  }
  return m_strPath;
}

const std::string& CAddressHistory::GoBack() {
  if (CanGoBack()) {
    --m_nHistoryPos;
    m_strPath = m_history[static_cast<size_t>(m_nHistoryPos - 1)];
  }
  return m_strPath;
}

const std::string& CAddressHistory::GoForward() {
  if (CanGoForward()) {
    ++m_nHistoryPos;
    m_strPath = m_history[static_cast<size_t>(m_nHistoryPos - 1)];
  }
  return m_strPath;
}

void CAddressHistory::Remember(const std::string& path) {
  if (path.empty()) return;
  auto it = std::find(m_mru.begin(), m_mru.end(), path);
  if (it != m_mru.end()) m_mru.erase(it);
  m_mru.insert(m_mru.begin(), path);
}

void CAddressHistory::LoadHistory() {
  if (m_strProfileSection.empty()) return;
  m_mru.clear();
  for (size_t i = 0;; ++i) {
    std::string value = GetProfileString(m_strProfileSection, AddressValueName(i));
    if (value.empty()) break;
    m_mru.push_back(value);
  }
}

void CAddressHistory::SaveHistory() const {
  if (m_strProfileSection.empty()) return;
  Profile().DeleteSection(m_strProfileSection);
  for (size_t i = 0; i < m_mru.size(); ++i) WriteProfileString(m_strProfileSection, AddressValueName(i), m_mru[i]);
}

void CAddressHistory::ClearHistory() {
  if (!m_strProfileSection.empty()) Profile().DeleteSection(m_strProfileSection);
  m_mru.clear();
}
