#pragma once
// The address bar's lists without a window: the back/forward history of the
// folders visited in this run, and the remembered folders (newest first)
// kept in a profile section.
//
// Paths are compared byte for byte; a trailing '/' is dropped except on "/".

#include <string>
#include <vector>

class CAddressHistory {
 public:
  // Drops one trailing '/' unless the path is "/" itself.
  static std::string NormalizePath(const std::string& path);

  // Goes to a folder: a path different from the current one cuts the forward
  // history, is appended and remembered. Answers the normalised path (the
  // caller reloads it in every case, also when it did not change).
  std::string Navigate(const std::string& path);

  bool CanGoBack() const { return m_nHistoryPos > 1; }
  bool CanGoForward() const { return m_nHistoryPos < static_cast<int>(m_history.size()); }
  // Step and answer the folder now current; the lists do not change.
  // Without a step possible, answer the current folder.
  const std::string& GoBack();
  const std::string& GoForward();

  const std::string& GetPath() const { return m_strPath; }
  const std::vector<std::string>& GetHistory() const { return m_history; }
  int GetHistoryPos() const { return m_nHistoryPos; }
  const std::vector<std::string>& GetRemembered() const { return m_mru; }

  // Profile section of the remembered folders ("Browser History" in browse
  // mode); empty keeps no list.
  void SetProfileSection(const std::string& section) { m_strProfileSection = section; }
  // Values "Address-%d" from 0 until the first empty one.
  void LoadHistory();
  // Deletes the section and writes one value per remembered folder.
  void SaveHistory() const;
  // Forgets the remembered folders (the section too); back/forward stays.
  void ClearHistory();

 private:
  void Remember(const std::string& path);

  std::string m_strPath;
  std::vector<std::string> m_mru;
  std::string m_strProfileSection;
  std::vector<std::string> m_history;
  int m_nHistoryPos = 0;  // 1-based; 0 with an empty history
};
