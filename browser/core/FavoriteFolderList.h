#pragma once
// The favourite folders, kept in "Favorite Folder List" as "Folder %d"
// counted from 1. Paths compare byte for byte; "/" is kept as it is (it is
// never shortened to an empty value, which would end the list on reading).

#include <string>
#include <vector>

class CFavoriteFolderList {
 public:
  static constexpr int kMenuEntries = 16;  // more are reached through "More..."

  // Reads "Folder 1", "Folder 2", ... until the first empty value.
  void Load();
  // Deletes the section and writes the folders renumbered from 1.
  void Save() const;
  // False for an empty path or one already in the list (a trailing '/' is
  // dropped first, except on "/").
  bool IsNew(const std::string& path) const;
  // Appends the path (trailing '/' dropped, except on "/") when it is new.
  void Add(const std::string& path);

  std::vector<std::string>& Folders() { return m_folders; }
  const std::vector<std::string>& Folders() const { return m_folders; }

 private:
  std::vector<std::string> m_folders;
};
