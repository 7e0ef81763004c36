#pragma once
// CBrowserItemList: the items of a browser view in display order, and the
// hand-over format of the browser: the output features receive a list and
// walk its selected items with GetFirstSelected / GetNextSelected.
//
// Copies of a list share the items' thumbnails (see CBrowserItem); emptying a
// list frees nothing another list still holds.

#include <string>
#include <vector>

#include "browser/core/BrowserItem.h"

class CBufferedFile;

// Sort keys of CBrowserItemList::Sort.
enum BROWSER_SORT_KEY {
  SORT_BY_NAME = 0,           // the name without its last four characters, byte by byte
  SORT_BY_TYPE = 1,           // the last three characters without case, then by name
  SORT_BY_SIZE = 2,           // file size
  SORT_BY_DATE = 3,           // last write time
  SORT_BY_PREVIOUS_INDEX = 4  // position before a refresh, unsigned (-1 last); always ascending
};

class CBrowserItemList : public std::vector<CBrowserItem> {
 public:
  using std::vector<CBrowserItem>::vector;
  CBrowserItemList() = default;
  virtual ~CBrowserItemList() = default;
  CBrowserItemList(const CBrowserItemList&) = default;
  CBrowserItemList& operator=(const CBrowserItemList&) = default;
  CBrowserItemList(CBrowserItemList&&) noexcept = default;
  CBrowserItemList& operator=(CBrowserItemList&&) noexcept = default;

  int GetCount() const { return static_cast<int>(size()); }
  int GetSelectedCount() const;
  // First selected index, -1 when none (GetNextSelected of -1).
  int GetFirstSelected() const { return GetNextSelected(-1); }
  // First selected index after the given one, -1 when none.
  int GetNextSelected(int index) const;
  // That item selected, every other one not (an index outside the list
  // deselects everything).
  void SelectOnly(int index);
  void SelectAll();
  void SelectNone();
  // 1 becomes 0, anything else 1.
  void InvertSelection();

  // Sorts in place by a BROWSER_SORT_KEY (unknown keys sort by name);
  // descending exchanges the comparison, except for the previous index.
  // Items with equal keys may come in any order.
  void Sort(int key, bool descending);
  void Reverse();

  // Full paths of the selected items in list order (the file list of a copy
  // to the clipboard or a drag); empty when nothing is selected.
  std::vector<std::string> CreateDropFiles() const;

  // Writes a whole cache file for the items of one folder (those whose
  // folder equals it byte for byte and that have a thumbnail), in list
  // order. False when the stream reported a write error.
  bool WriteCacheFile(const std::string& folder, CBufferedFile& file) const;
  // Appends the records of a cache file, each with the given folder. A file
  // with another header adds nothing; a damaged or cut file adds the records
  // before the damage. Returns the number of records appended.
  int ReadCacheFile(const std::string& folder, CBufferedFile& file);
};
