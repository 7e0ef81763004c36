#pragma once
// CFolderTreeCtrl: the folder tree of the Folders page. Its roots are the
// home folder, the desktop, "/" and the mounted volumes; it shows folders
// only (no names starting with '.'), in the desktop's file-name order,
// reads a folder's children only when it is opened (or selected) and
// forgets them when it is closed, so reopening shows folders made since.
// Selecting a folder calls the select callback with its path; SelectPath
// opens the way to a path without calling it. Files dropped onto a folder
// are copied into it without overwriting (browser/core/FolderDrop).

#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/core/FolderDrop.h"

struct FOLDER_TREE_ROOT {
  std::string label;
  std::string path;
};

// Home, Desktop (when the desktop has a folder of its own), "/" and the
// mounted volumes GIO reports.
std::vector<FOLDER_TREE_ROOT> DefaultFolderTreeRoots();

class CFolderTreeCtrl : public wxTreeCtrl {
 public:
  static constexpr int kTreeId = 1339;

  explicit CFolderTreeCtrl(wxWindow* parent, wxWindowID id = kTreeId,
                           std::vector<FOLDER_TREE_ROOT> roots = DefaultFolderTreeRoots());

  // Replaces the roots (tests give folders of their own).
  void SetRoots(const std::vector<FOLDER_TREE_ROOT>& roots);
  void SetSelectCallback(std::function<void(const std::string& path)> select) { m_select = std::move(select); }

  // The folder of an item, empty for none.
  std::string GetItemPath(const wxTreeItemId& item) const;
  std::string GetSelectedPath() const;
  // The child of an item with that name (its children read when needed).
  wxTreeItemId FindChild(const wxTreeItemId& parent, const std::string& name);
  // Selects the item of a folder, opening the folders above it. Paths are
  // compared byte for byte; the search goes down only into a folder whose
  // path followed by '/' begins the wanted one. A path that does not exist
  // clears the selection. True when the folder's item is selected.
  bool SelectPath(const std::string& path);
  // The height of the items now visible (the page sizes itself to it).
  int GetItemsHeight() const;

  // --- dropping files ---
  // The folder item under a client point, or an invalid id.
  wxTreeItemId DropTargetAt(const wxPoint& client) const;
  // Drag over a client point: highlights the folder there (false: none) and
  // scrolls one line when the point is near the top or the bottom edge.
  bool DragOver(const wxPoint& client);
  void DragLeave();
  // Copies the files into the folder of the highlighted item, reports each
  // failure and removes the highlight; false without a target folder.
  bool DropFiles(const std::vector<std::string>& files);
  const FOLDER_DROP_RESULT& GetLastDrop() const { return m_lastDrop; }
  wxTreeItemId GetDropHighlight() const { return m_dropItem; }

 private:
  void OnExpanding(wxTreeEvent& event);
  void OnCollapsed(wxTreeEvent& event);
  void OnSelChanged(wxTreeEvent& event);
  // Reads the children of a folder item once.
  void Fill(const wxTreeItemId& item);
  wxTreeItemId AddFolder(const wxTreeItemId& parent, const std::string& label, const std::string& path);

  std::function<void(const std::string&)> m_select;
  wxTreeItemId m_dropItem;
  FOLDER_DROP_RESULT m_lastDrop;
  int m_silent = 0;  // > 0 while the tree changes its own selection
};
