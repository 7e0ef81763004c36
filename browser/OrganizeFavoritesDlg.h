#pragma once
// Organize Favorites: the favourite folders in a list beside the folder
// tree, with Add (the folder selected in the tree), Move Up, Move Down and
// Remove. However the dialog closes (Done, Esc, the close box) the rows are
// the new list. Folders added here keep a trailing '/', as the tree gives
// them; Add to Favorites compares without it, so one folder can be there
// twice (both entries open it).

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "browser/FolderTreeCtrl.h"

enum ORGANIZE_FAVORITES_ID {
  IDC_FAVORITE_TREE = CFolderTreeCtrl::kTreeId,  // 1339
  IDC_FAVORITE_LIST = 1340,
  IDC_FAVORITE_ADD = 1341,
  IDC_FAVORITE_UP = 1342,
  IDC_FAVORITE_DOWN = 1343,
  IDC_FAVORITE_REMOVE = 1344,
};

// Runs the dialog over the folders and gives the rows back in `folders`.
void RunOrganizeFavoritesDialog(wxWindow* parent, std::vector<std::string>& folders,
                                const std::vector<FOLDER_TREE_ROOT>& roots = DefaultFolderTreeRoots());
