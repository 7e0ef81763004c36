#pragma once
// COrganizeBrowserView: the thumbnail view as browse mode's page, with the
// commands that work on the browsed files (command table with enable rules,
// context menu, Enter and Delete): open, delete to the Trash, rename,
// properties, wallpaper, selection, sorting, sizes, rotation, reloads, and
// the output features that take the selection (slide show, batch). The
// output layer is above the browser's windows, so those reach it through
// hooks the application installs.

#include <functional>
#include <string>
#include <vector>

#include <wx/weakref.h>

#include "browser/AddressBar.h"
#include "browser/FolderTreeCtrl.h"
#include "browser/ImageBrowserView.h"
#include "browser/core/AddressHistory.h"
#include "resources/CommandIds.h"
#include "shell/CommandTable.h"

class COrganizeBrowserView;

// The list of the favourite-folder chooser ("More...").
constexpr int kFavoriteListId = 1340;
// The chooser over the favourite folders: the folder picked, empty on Cancel.
std::string ChooseFavoriteFolder(wxWindow* parent, const std::vector<std::string>& folders);

struct ORGANIZE_HOOKS {
  // Opens one file as a document.
  std::function<bool(const std::string& path)> openFile;
  // The slide show over the view's items (asks its options first).
  std::function<void(COrganizeBrowserView& view)> slideShow;
  // The batch wizard over the selected files.
  std::function<void(COrganizeBrowserView& view)> batch;
  // The contact-sheet print preview of the selected files.
  std::function<void(COrganizeBrowserView& view)> contactSheet;
  // The sharing commands over the selected files, in list order.
  std::function<void(COrganizeBrowserView& view, const std::vector<std::string>& paths)> email, publish, album;
  // Whether the desktop's mail hand-off (xdg-email) is there; null: it is not.
  std::function<bool()> canEmail;
  // The desktop background; null: the platform's GSettings setter.
  std::function<bool(const std::string& bmpPath, bool tiled)> setBackground;
};

class COrganizeBrowserView : public CImageBrowserView {
 public:
  static void SetHooks(ORGANIZE_HOOKS hooks);
  static const ORGANIZE_HOOKS& GetHooks();

  explicit COrganizeBrowserView(wxWindow* parent, const std::string& cacheRoot = GetDefaultCacheRoot());
  // Keeps the remembered folders.
  ~COrganizeBrowserView() override;

  // CImageBrowserView
  void OpenItem(int index) override;
  void SetTitle(const std::string& text) override;

  // --- navigation (OrganizeNavigation.cpp) ---
  // Every change of folder from outside (favourites, the tree, the address
  // bar, the frame) goes through the history and reloads, also when the
  // folder did not change; camera mode ends.
  void BrowseFolder(const std::string& folder) override;
  void OnEnterBrowse() override;
  void OnLeaveBrowse() override;
  void OnMenuOpened(wxMenuEvent& event) override;
  // The folder tree goes into the Folders page at the first entry.
  void AttachFoldersPage(CFoldersPage* page) override;
  CFolderTreeCtrl* GetFolderTree() const { return m_tree.get(); }
  // The address bar, made the first time the browse page asks for it.
  wxWindow* GetBarWindow() override;
  std::string GetFavoriteFolder(int index) override;
  std::string ChooseFavorite() override;
  void OrganizeFavorites() override;
  CAddressBar* GetAddressBar() const { return m_bar.get(); }
  CAddressHistory& GetAddressHistory() { return m_address; }
  void OnGoBack();
  void OnGoForward();
  void OnClearHistory();
  void OnAddFavorite();
  void OnMoreFavorites();
  void OnOrganizeFavorites();
  // The tree roots of Organize Favorites (tests put their own folders here).
  static std::vector<FOLDER_TREE_ROOT>& OrganizeFavoritesRoots();
  void OnBrowseCamera();
  bool CanGoBack() const { return m_address.CanGoBack(); }
  bool CanGoForward() const { return m_address.CanGoForward(); }
  bool CanAddFavorite() const { return !IsCameraMode() && !GetBrowseFolder().empty(); }
  // Whether a camera card is there (looked up at most every two seconds).
  bool HasCameraCard() const;
  // Rebuilds the favourite entries of a menu holding the placeholder item:
  // up to 16 folders, then "More..." when there are more.
  static void UpdateFavoritesMenu(wxMenu& menu);
  void OnSelectionChanged(int count, int selected) override;

  // The commands (also the menu's handlers).
  void OnOpenSelected();
  void OnFileDelete();
  void OnFileRename();
  void OnFileProperties();
  void OnSlideShow();
  void OnContactSheet();
  void OnBatchProcess();
  void OnSendEmail();
  void OnPublishWeb();
  void OnHtmlAlbum();
  // The selected files' paths in list order.
  std::vector<std::string> SelectedPaths() const;
  void OnWallpaperTiled() { SetWallpaper(true); }
  void OnWallpaperCentered() { SetWallpaper(false); }
  // Reads the first selected file, fits it to the screen, saves it and sets
  // it as the desktop background. The screen size is the display's unless
  // given (tests).
  bool SetWallpaper(bool tiled, int screenWidth = 0, int screenHeight = 0);
  void OnSelectAll();
  void OnSelectNone();
  void OnInvertSelection();
  void OnRotate90() { RotateSelected(90); }
  void OnRotate180() { RotateSelected(180); }
  void OnRotate270() { RotateSelected(270); }
  void OnStop() { RequestStop(); }
  void OnRefresh() { Reload(false); }
  void OnReloadAll() { Reload(true); }
  // Deletes the whole thumbnail cache tree and reports the counts.
  void OnPurgeCache();
  void OnSortName() { SortItems(0); }
  void OnSortType() { SortItems(1); }
  void OnSortSize() { SortItems(2); }
  void OnSortDate() { SortItems(3); }
  void OnReverse() { ReverseOrder(); }
  void OnThumbSize1() { SetThumbnailSize(1); }
  void OnThumbSize2() { SetThumbnailSize(2); }
  void OnThumbSize3() { SetThumbnailSize(3); }
  void OnThumbSize4() { SetThumbnailSize(4); }
  void OnDisplayFilenames() { SetShowNames(!GetSettings().bShowNames); }
  void OnRecursive() { SetRecursive(!GetSettings().bRecursive); }

  // The enable rules.
  bool CommandAllowed(unsigned) const { return true; }
  bool HasSelection() const { return GetItems().GetSelectedCount() >= 1; }
  bool HasSelectionIdle() const { return HasSelection() && !IsBusy(); }
  bool HasOneSelectedIdle() const { return GetItems().GetSelectedCount() == 1 && !IsBusy(); }
  bool HasItems() const { return GetItems().GetCount() >= 1; }
  bool HasItemsIdle() const { return HasItems() && !IsBusy(); }
  bool CanSelectAll() const { return HasItems() && GetItems().GetSelectedCount() < GetItems().GetCount(); }
  bool IsIdle() const { return !IsBusy(); }
  bool IsBusyNow() const { return IsBusy(); }
  bool CanSlideShow() const { return HasItems() && GetHooks().slideShow != nullptr; }
  bool CanContactSheet() const { return HasSelection() && GetHooks().contactSheet != nullptr; }
  bool CanBatch() const { return !IsBusy() && GetHooks().batch != nullptr; }
  bool CanEmail() const {
    return HasSelectionIdle() && GetHooks().email && GetHooks().canEmail && GetHooks().canEmail();
  }
  bool CanPublish() const { return HasSelectionIdle() && GetHooks().publish != nullptr; }
  bool CanMakeAlbum() const { return HasSelectionIdle() && GetHooks().album != nullptr; }
  bool CanRecurse() const { return !IsBusy() && !IsCameraMode(); }
  bool Always() const { return true; }

  // The check marks.
  void UpdateReverse(wxUpdateUIEvent& event) { event.Check(GetSettings().bReverseSort); }
  void UpdateThumbSize(wxUpdateUIEvent& event) {
    event.Check(event.GetId() - ID_THUMB_SIZE_FIRST + 1 == GetThumbnailSizeIndex());
  }
  void UpdateDisplayFilenames(wxUpdateUIEvent& event) { event.Check(GetSettings().bShowNames); }
  void UpdateRecursive(wxUpdateUIEvent& event) { event.Check(GetSettings().bRecursive); }

  // Shows the context menu at a client point (a right-click on an
  // unselected picture selects it alone first).
  void ShowContextMenu(const wxPoint& client);
  // Tests: replaces the popup loop; gets the menu after its update events.
  static void SetPopupRunner(std::function<void(wxMenu&)> runner);

 private:
  void OnContextMenu(wxContextMenuEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void AfterSelectionChange(bool changed);
  void BindNavigation();
  void OnFavorite(wxCommandEvent& event);
  void OnUpdateFavorite(wxUpdateUIEvent& event);
  // Shows a folder of the history without changing it.
  void ShowHistoryFolder(const std::string& folder);
  // The tree and the bar follow the folder shown.
  void SyncNavigation();

  CAddressHistory m_address;
  wxWeakRef<CFolderTreeCtrl> m_tree;
  wxWeakRef<CAddressBar> m_bar;
  mutable bool m_bHasCard = false;
  mutable long long m_cardCheckedAt = -1;  // ms
};
