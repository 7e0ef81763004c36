#pragma once
// The recent-file list: the newest path first, at most Size entries, kept in
// the settings as section "Recent File List", values "File1" to "File<size>".

#include <memory>
#include <string>
#include <vector>

class CRecentFileList {
 public:
  static constexpr int kMaxSize = 10;
  CRecentFileList(std::string section, std::string entryFormat, int size, int displayLength);

  int GetSize() const { return m_size; }
  // Changes the size (0..kMaxSize); entries beyond it are dropped.
  void SetSize(int size);
  int GetCount() const { return static_cast<int>(m_paths.size()); }
  const std::string& operator[](int index) const { return m_paths[static_cast<std::size_t>(index)]; }

  // Puts the path first (moving it up when it is in the list already).
  void Add(const std::string& path);
  void Remove(int index);
  void Clear() { m_paths.clear(); }

  void ReadList();
  // Writes every slot of the size: entries, and removes the slots that are empty.
  void WriteList() const;

  // The menu text of an entry: "&1 name" with the path shortened to the
  // display length (folders left out from the middle, the file name kept).
  std::string GetDisplayName(int index) const;

  void SetEmptyText(const std::string& text) { m_emptyText = text; }
  const std::string& GetEmptyText() const { return m_emptyText; }

  const std::string& GetSection() const { return m_section; }
  const std::string& GetFormat() const { return m_format; }
  int GetDisplayLength() const { return m_displayLength; }
  std::string GetEntryName(int slot) const { return EntryName(slot); }

 private:
  std::string EntryName(int slot) const;
  std::string m_section;
  std::string m_format;
  int m_size;
  int m_displayLength;
  std::string m_emptyText;
  std::vector<std::string> m_paths;
};

// Shortens a path to at most maxLength characters where it can: the first
// folder, "...", and as many trailing components as fit; the file name is
// always kept whole.
std::string AbbreviatePath(const std::string& path, int maxLength);

// A new size for the list: the stored list keeps only the entries that still
// fit, and a list of the new size is read back from the settings (null for
// size 0). The old list is consumed.
std::unique_ptr<CRecentFileList> ResizeRecentFileList(std::unique_ptr<CRecentFileList> list, int newSize);

// The application's list, or null while the list size is 0.
extern CRecentFileList* g_pRecentFileList;
