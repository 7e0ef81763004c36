// Browse mode's navigation: Back and Forward over the folders visited, the
// remembered folders of the address bar, the favourite folders (menu,
// chooser, Add to Favorites) and Browse My Camera.

#include <wx/button.h>
#include <algorithm>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/time.h>

#include "browser/OrganizeBrowserView.h"
#include "browser/OrganizeFavoritesDlg.h"
#include "browser/core/FavoriteFolderList.h"
#include "platform/CameraCards.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "shell/TaskPanePages.h"

namespace {

using V = COrganizeBrowserView;

const COMMAND_ENTRY<V> kNavigationCommands[] = {
    {ID_GO_BACK, &V::OnGoBack, &V::CanGoBack},
    {ID_GO_FORWARD, &V::OnGoForward, &V::CanGoForward},
    {ID_CLEAR_HISTORY, &V::OnClearHistory, &V::Always},
    {ID_ADD_FAVORITE, &V::OnAddFavorite, &V::CanAddFavorite},
    {ID_FAVORITE_MORE, &V::OnMoreFavorites, &V::Always},
    {ID_ORGANIZE_FAVORITES, &V::OnOrganizeFavorites, &V::Always},
    {ID_BROWSE_CAMERA, &V::OnBrowseCamera, &V::HasCameraCard},
};

const char kHistorySection[] = "Browser History";
const char kPlaceholder[] = "Favorite Folder";

// A menu label shows '&' as itself.
wxString MenuLabel(const std::string& path) {
  wxString label = wxString::FromUTF8(path);
  label.Replace("&", "&&");
  return label;
}

}  // namespace

void COrganizeBrowserView::BindNavigation() {
  BindCommandTable(*this, *this, std::span<const COMMAND_ENTRY<V>>(kNavigationCommands));
  Bind(wxEVT_MENU, &COrganizeBrowserView::OnFavorite, this, ID_FAVORITE_FIRST, ID_FAVORITE_LAST);
  Bind(wxEVT_UPDATE_UI, &COrganizeBrowserView::OnUpdateFavorite, this, ID_FAVORITE_FIRST, ID_FAVORITE_LAST);
  m_address.SetProfileSection(kHistorySection);
  m_address.LoadHistory();
}

COrganizeBrowserView::~COrganizeBrowserView() {
  if (m_tree) m_tree->SetSelectCallback(nullptr);
  if (m_bar) m_bar->SetNavigateCallback(nullptr);
  m_address.SaveHistory();
}

wxWindow* COrganizeBrowserView::GetBarWindow() {
  if (!m_bar && GetParent()) {
    auto* bar = new CAddressBar(GetParent());
    m_bar = bar;
    bar->SetNavigateCallback([this](const std::string& path) { BrowseFolder(path); });
    SyncNavigation();
  }
  return m_bar.get();
}

void COrganizeBrowserView::AttachFoldersPage(CFoldersPage* page) {
  if (m_tree || !page) return;
  auto* tree = new CFolderTreeCtrl(page);
  m_tree = tree;
  tree->SetSelectCallback([this](const std::string& path) {
    if (path != GetBrowseFolder() || IsCameraMode()) BrowseFolder(path);
  });
  // The page is as high as the open items (within bounds).
  auto relayout = [page](wxTreeEvent& event) {
    event.Skip();
    page->CallAfter([page] { page->RequestLayout(); });
  };
  tree->Bind(wxEVT_TREE_ITEM_EXPANDED, relayout);
  tree->Bind(wxEVT_TREE_ITEM_COLLAPSED, relayout);
  page->SetTree(tree, [tree] { return std::clamp(tree->GetItemsHeight() + 8, 120, 420); });
}

void COrganizeBrowserView::BrowseFolder(const std::string& folder) {
  const std::string normal = m_address.Navigate(folder);
  CImageBrowserView::BrowseFolder(normal);
  SyncNavigation();
}

void COrganizeBrowserView::ShowHistoryFolder(const std::string& folder) {
  CImageBrowserView::BrowseFolder(folder);
  SyncNavigation();
}

void COrganizeBrowserView::OnEnterBrowse() {
  // The remembered folders are read at every entry (another window may
  // have changed them); the first folder shown starts the history.
  m_address.LoadHistory();
  if (!IsCameraMode() && !GetBrowseFolder().empty() && m_address.GetHistory().empty())
    m_address.Navigate(GetBrowseFolder());
  // Camera mode kept from the last run: the cards are looked up afresh.
  if (IsCameraMode() && GetItems().GetCount() == 0 && GetLayout().m_groups.empty())
    BrowseCameras(CameraCardRoots(FindCameraCards()));
  CImageBrowserView::OnEnterBrowse();
  SyncNavigation();
}

void COrganizeBrowserView::OnLeaveBrowse() {
  m_address.SaveHistory();
  CImageBrowserView::OnLeaveBrowse();
}

void COrganizeBrowserView::SyncNavigation() {
  if (m_tree && !IsCameraMode() && !GetBrowseFolder().empty()) m_tree->SelectPath(GetBrowseFolder());
  if (m_bar) {
    m_bar->SetRemembered(m_address.GetRemembered());
    if (!IsCameraMode()) m_bar->SetPath(m_address.GetPath().empty() ? GetBrowseFolder() : m_address.GetPath());
  }
}

// The reload's title: the folder, or "My Camera(s)" in camera mode.
void COrganizeBrowserView::SetTitle(const std::string& text) {
  if (m_bar) m_bar->SetPath(text);
}

void COrganizeBrowserView::OnGoBack() { ShowHistoryFolder(m_address.GoBack()); }
void COrganizeBrowserView::OnGoForward() { ShowHistoryFolder(m_address.GoForward()); }

void COrganizeBrowserView::OnClearHistory() {
  m_address.ClearHistory();
  SyncNavigation();
}

void COrganizeBrowserView::OnAddFavorite() {
  CFavoriteFolderList favorites;
  favorites.Load();
  if (!favorites.IsNew(GetBrowseFolder())) return;
  favorites.Add(GetBrowseFolder());
  favorites.Save();
}

// --- the favourites menu -----------------------------------------------------------

void COrganizeBrowserView::OnMenuOpened(wxMenuEvent& event) {
  event.Skip();
  if (wxMenu* menu = event.GetMenu(); menu && menu->FindItem(ID_FAVORITE_FIRST)) UpdateFavoritesMenu(*menu);
}

void COrganizeBrowserView::UpdateFavoritesMenu(wxMenu& menu) {
  wxMenuItem* placeholder = menu.FindChildItem(ID_FAVORITE_FIRST);
  if (!placeholder) return;
  for (int id = ID_FAVORITE_FIRST + 1; id <= ID_FAVORITE_LAST; ++id)
    while (menu.FindChildItem(id)) menu.Destroy(id);
  while (menu.FindChildItem(ID_FAVORITE_MORE)) menu.Destroy(ID_FAVORITE_MORE);
  CFavoriteFolderList favorites;
  favorites.Load();
  const std::vector<std::string>& folders = favorites.Folders();
  if (folders.empty()) {
    placeholder->SetItemLabel(kPlaceholder);
    placeholder->Enable(false);
    return;
  }
  placeholder->SetItemLabel(MenuLabel(folders[0]));
  placeholder->Enable(true);
  size_t position = 0;
  menu.FindChildItem(ID_FAVORITE_FIRST, &position);
  const size_t shown = std::min<size_t>(folders.size(), CFavoriteFolderList::kMenuEntries);
  for (size_t i = 1; i < shown; ++i)
    menu.Insert(position + i, ID_FAVORITE_FIRST + static_cast<int>(i), MenuLabel(folders[i]), "Open a favourite folder");
  if (folders.size() > shown) menu.Insert(position + shown, ID_FAVORITE_MORE, "More...", "Choose a favourite folder");
}

void COrganizeBrowserView::OnFavorite(wxCommandEvent& event) {
  const std::string folder = GetFavoriteFolder(event.GetId() - ID_FAVORITE_FIRST);
  if (!folder.empty()) BrowseFolder(folder);
}

void COrganizeBrowserView::OnUpdateFavorite(wxUpdateUIEvent& event) {
  event.Enable(!GetFavoriteFolder(event.GetId() - ID_FAVORITE_FIRST).empty());
}

// --- "More...": the chooser --------------------------------------------------------

std::string ChooseFavoriteFolder(wxWindow* parent, const std::vector<std::string>& folders) {
  wxDialog dialog(parent, wxID_ANY, "Choose a Favorite Folder", wxDefaultPosition, wxSize(460, 320),
                  wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
  auto* list = new wxListCtrl(&dialog, kFavoriteListId, wxDefaultPosition, wxDefaultSize,
                              wxLC_REPORT | wxLC_SINGLE_SEL);
  list->InsertColumn(0, "Folder Path");
  for (size_t i = 0; i < folders.size(); ++i) list->InsertItem(static_cast<long>(i), wxString::FromUTF8(folders[i]));
  list->SetColumnWidth(0, wxLIST_AUTOSIZE_USEHEADER);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(list, 1, wxEXPAND | wxALL, 8);
  sizer->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
  dialog.SetSizer(sizer);
  std::string chosen;
  wxWindow* ok = dialog.FindWindow(wxID_OK);
  ok->Enable(false);
  auto follow = [&] {
    const long row = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    chosen = row >= 0 ? list->GetItemText(row).utf8_string() : std::string();
    ok->Enable(!chosen.empty());
  };
  list->Bind(wxEVT_LIST_ITEM_SELECTED, [&](wxListEvent&) { follow(); });
  list->Bind(wxEVT_LIST_ITEM_DESELECTED, [&](wxListEvent&) { follow(); });
  list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [&](wxListEvent&) {
    follow();
    if (!chosen.empty()) dialog.EndModal(wxID_OK);
  });
  if (RunModalDialog(dialog) != wxID_OK) return {};
  return chosen;
}

void COrganizeBrowserView::OnMoreFavorites() {
  const std::string folder = ChooseFavorite();
  if (!folder.empty()) BrowseFolder(folder);
}

void COrganizeBrowserView::OnOrganizeFavorites() { OrganizeFavorites(); }

std::string COrganizeBrowserView::GetFavoriteFolder(int index) {
  CFavoriteFolderList favorites;
  favorites.Load();
  if (index < 0 || static_cast<size_t>(index) >= favorites.Folders().size()) return {};
  return favorites.Folders()[static_cast<size_t>(index)];
}

std::string COrganizeBrowserView::ChooseFavorite() {
  CFavoriteFolderList favorites;
  favorites.Load();
  return ChooseFavoriteFolder(wxGetTopLevelParent(this), favorites.Folders());
}

void COrganizeBrowserView::OrganizeFavorites() {
  CFavoriteFolderList favorites;
  favorites.Load();
  RunOrganizeFavoritesDialog(wxGetTopLevelParent(this), favorites.Folders(), OrganizeFavoritesRoots());
  favorites.Save();
}

std::vector<FOLDER_TREE_ROOT>& COrganizeBrowserView::OrganizeFavoritesRoots() {
  static std::vector<FOLDER_TREE_ROOT> roots = DefaultFolderTreeRoots();
  return roots;
}

// --- the camera ----------------------------------------------------------------------

bool COrganizeBrowserView::HasCameraCard() const {
  const long long now = wxGetLocalTimeMillis().GetValue();
  if (m_cardCheckedAt < 0 || now - m_cardCheckedAt >= 2000 || now < m_cardCheckedAt) {
    m_bHasCard = !FindCameraCards().empty();
    m_cardCheckedAt = now;
  }
  return m_bHasCard;
}

void COrganizeBrowserView::OnBrowseCamera() {
  const std::vector<CAMERA_CARD> cards = FindCameraCards();
  m_bHasCard = !cards.empty();
  m_cardCheckedAt = wxGetLocalTimeMillis().GetValue();
  BrowseCameras(CameraCardRoots(cards));
  SyncNavigation();
}
