#include "browser/OrganizeBrowserView.h"

#include <wx/display.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "base/MessageReport.h"
#include "browser/BrowserFileDialogs.h"
#include "browser/core/FileCommands.h"
#include "platform/DesktopWallpaper.h"
#include "resources/CommandIds.h"
#include "resources/MenuResources.h"
#include "resources/Strings.h"
#include "shell/MainStatusBar.h"

namespace {

ORGANIZE_HOOKS& Hooks() {
  static ORGANIZE_HOOKS hooks;
  return hooks;
}

std::function<void(wxMenu&)>& PopupRunner() {
  static std::function<void(wxMenu&)> runner;
  return runner;
}

using V = COrganizeBrowserView;

// Browse mode's commands and their enable rules ("selection" is the
// selected count, "busy" a running reload).
const COMMAND_ENTRY<V> kOrganizeCommands[] = {
    {ID_OPEN_SELECTED, &V::OnOpenSelected, &V::HasSelection},
    {ID_BATCH_PROCESS, &V::OnBatchProcess, &V::CanBatch},
    {ID_SLIDE_SHOW, &V::OnSlideShow, &V::CanSlideShow},
    {ID_PRINT_CONTACT_SHEET, &V::OnContactSheet, &V::CanContactSheet},
    {ID_SEND_EMAIL, &V::OnSendEmail, &V::CanEmail},
    {ID_PUBLISH_WEB, &V::OnPublishWeb, &V::CanPublish},
    {ID_HTML_ALBUM, &V::OnHtmlAlbum, &V::CanMakeAlbum},
    {ID_WALLPAPER_TILED, &V::OnWallpaperTiled, &V::HasOneSelectedIdle},
    {ID_WALLPAPER_CENTERED, &V::OnWallpaperCentered, &V::HasOneSelectedIdle},
    {ID_BROWSE_SELECT_ALL, &V::OnSelectAll, &V::CanSelectAll},
    {ID_BROWSE_SELECT_NONE, &V::OnSelectNone, &V::HasSelection},
    {ID_BROWSE_INVERT_SELECTION, &V::OnInvertSelection, &V::Always},
    {ID_BROWSE_DELETE, &V::OnFileDelete, &V::HasSelectionIdle},
    {ID_ROTATE_90, &V::OnRotate90, &V::HasSelectionIdle},
    {ID_ROTATE_180, &V::OnRotate180, &V::HasSelectionIdle},
    {ID_ROTATE_270, &V::OnRotate270, &V::HasSelectionIdle},
    {ID_BROWSE_RENAME, &V::OnFileRename, &V::HasSelectionIdle},
    {ID_BROWSE_PROPERTIES, &V::OnFileProperties, &V::HasItemsIdle},
    {ID_BROWSE_STOP, &V::OnStop, &V::IsBusyNow},
    {ID_BROWSE_REFRESH, &V::OnRefresh, &V::IsIdle},
    {ID_BROWSE_RELOAD_ALL, &V::OnReloadAll, &V::Always},
    {ID_PURGE_CACHE, &V::OnPurgeCache, &V::IsIdle},
    {ID_SORT_NAME, &V::OnSortName, &V::Always},
    {ID_SORT_TYPE, &V::OnSortType, &V::Always},
    {ID_SORT_SIZE, &V::OnSortSize, &V::Always},
    {ID_SORT_DATE, &V::OnSortDate, &V::Always},
    {ID_SORT_REVERSE, &V::OnReverse, &V::Always, NEEDS_NOTHING, nullptr, &V::UpdateReverse},
    {ID_THUMB_SIZE_FIRST, &V::OnThumbSize1, &V::Always, NEEDS_NOTHING, nullptr, &V::UpdateThumbSize},
    {ID_THUMB_SIZE_FIRST + 1, &V::OnThumbSize2, &V::Always, NEEDS_NOTHING, nullptr, &V::UpdateThumbSize},
    {ID_THUMB_SIZE_FIRST + 2, &V::OnThumbSize3, &V::Always, NEEDS_NOTHING, nullptr, &V::UpdateThumbSize},
    {ID_THUMB_SIZE_FIRST + 3, &V::OnThumbSize4, &V::Always, NEEDS_NOTHING, nullptr, &V::UpdateThumbSize},
    {ID_DISPLAY_FILENAMES, &V::OnDisplayFilenames, &V::Always, NEEDS_NOTHING, nullptr, &V::UpdateDisplayFilenames},
    {ID_BROWSE_RECURSIVE, &V::OnRecursive, &V::CanRecurse, NEEDS_NOTHING, nullptr, &V::UpdateRecursive},
};

// Sends a menu command to the top-level window, as its menu would.
void SendToFrame(wxWindow* from, int command) {
  wxWindow* top = wxGetTopLevelParent(from);
  if (!top) return;
  wxCommandEvent event(wxEVT_MENU, command);
  event.SetEventObject(top);
  top->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

void COrganizeBrowserView::SetHooks(ORGANIZE_HOOKS hooks) { Hooks() = std::move(hooks); }
const ORGANIZE_HOOKS& COrganizeBrowserView::GetHooks() { return Hooks(); }
void COrganizeBrowserView::SetPopupRunner(std::function<void(wxMenu&)> runner) { PopupRunner() = std::move(runner); }

COrganizeBrowserView::COrganizeBrowserView(wxWindow* parent, const std::string& cacheRoot)
    : CImageBrowserView(parent, cacheRoot) {
  BindCommandTable(*this, *this, std::span<const COMMAND_ENTRY<V>>(kOrganizeCommands));
  Bind(wxEVT_CONTEXT_MENU, &COrganizeBrowserView::OnContextMenu, this);
  Bind(wxEVT_KEY_DOWN, &COrganizeBrowserView::OnKeyDown, this);
  BindNavigation();
}

void COrganizeBrowserView::OnKeyDown(wxKeyEvent& event) {
  if (event.GetModifiers() == wxMOD_NONE) {
    switch (event.GetKeyCode()) {
      case WXK_RETURN:
      case WXK_NUMPAD_ENTER:
        if (HasSelection()) OnOpenSelected();
        return;
      case WXK_DELETE:
      case WXK_NUMPAD_DELETE:
        if (HasSelectionIdle()) OnFileDelete();
        return;
      default: break;
    }
  }
  event.Skip();
}

void COrganizeBrowserView::OpenItem(int index) {
  if (index < 0 || index >= GetItems().GetCount()) return;
  const std::string path = GetItems()[index].GetFullPath();
  SendToFrame(this, ID_VIEW_EDIT_IMAGES);
  if (Hooks().openFile) Hooks().openFile(path);
}

void COrganizeBrowserView::OnOpenSelected() {
  std::vector<std::string> paths;
  for (const CBrowserItem& item : GetItems())
    if (item.m_bSelected) paths.push_back(item.GetFullPath());
  if (paths.empty()) return;
  // Browse mode is left first (the view is hidden, not destroyed), then each
  // file opens in list order.
  SendToFrame(this, ID_VIEW_EDIT_IMAGES);
  if (Hooks().openFile)
    for (const std::string& path : paths) Hooks().openFile(path);
}

void COrganizeBrowserView::OnSelectionChanged(int count, int selected) { SetStatusFileCounts(count, selected); }

void COrganizeBrowserView::AfterSelectionChange(bool changed) {
  if (!changed) return;
  SetStatusFileCounts(GetItems().GetCount(), GetItems().GetSelectedCount());
  Refresh();
}

void COrganizeBrowserView::OnSelectAll() { AfterSelectionChange(SelectAll()); }
void COrganizeBrowserView::OnSelectNone() { AfterSelectionChange(SelectNone()); }
void COrganizeBrowserView::OnInvertSelection() { AfterSelectionChange(InvertSelection()); }

void COrganizeBrowserView::OnPurgeCache() {
  if (IsBusy()) return;
  int files = 0, folders = 0;
  {
    wxBusyCursor wait;
    GetScanner().PurgeAll(files, folders);
  }
  wxMessageBox(FormatPurgeMessage(files, folders, kProductName), "Purge Cache", wxOK | wxICON_INFORMATION, this);
}

void COrganizeBrowserView::OnFileDelete() {
  if (!HasSelection()) return;
  if (wxMessageBox("Are you sure you want to send the selected file(s) to the Recycle Bin?", "Confirm File Delete",
                   wxYES_NO | wxICON_EXCLAMATION, this) != wxYES)
    return;
  PollChanges(false);
  DeleteSelectedItems(GetItems(), [this](const std::string& name, const std::string&, bool offer) {
    return ConfirmReadOnlyFile(this, name, std::string(), offer);
  });
  PollChanges(true);
  Reload(false);
}

void COrganizeBrowserView::OnFileRename() {
  const CBrowserItemList& items = GetItems();
  const int selected = items.GetSelectedCount();
  if (selected == 0) return;
  std::string first;
  for (const CBrowserItem& item : items)
    if (item.m_bSelected) {
      first = item.m_strName;
      break;
    }
  std::string base;
  int digits = 2;
  if (!RunRenameFilesDialog(this, first, selected, base, digits)) return;
  RenameSelectedItems(GetItems(), base, digits, [this](const std::string& name, const std::string& newName, bool offer) {
    return ConfirmReadOnlyFile(this, name, newName, offer);
  });
  Refresh();
}

void COrganizeBrowserView::OnFileProperties() {
  if (GetItems().GetSelectedCount() <= 1) {
    PollChanges(false);
    RunFilePropertiesDialog(this, *this);
    PollChanges(true);
    Refresh();
    return;
  }
  const MULTI_FILE_FACTS facts = GetMultiFileFacts(GetItems());
  int readOnly = facts.nReadOnly, hidden = facts.nHidden, archive = facts.nArchive;
  if (!RunMultiFilePropertiesDialog(this, facts.nFiles, facts.nTotalSize, readOnly, hidden, archive)) return;
  if (readOnly != facts.nReadOnly || hidden != facts.nHidden || archive != facts.nArchive)
    ApplyMultiFileAttributes(GetItems(), readOnly, hidden, archive);
}

std::vector<std::string> COrganizeBrowserView::SelectedPaths() const {
  std::vector<std::string> paths;
  for (const CBrowserItem& item : GetItems())
    if (item.m_bSelected) paths.push_back(item.GetFullPath());
  return paths;
}

void COrganizeBrowserView::OnSendEmail() {
  if (CanEmail()) Hooks().email(*this, SelectedPaths());
}

void COrganizeBrowserView::OnPublishWeb() {
  if (CanPublish()) Hooks().publish(*this, SelectedPaths());
}

void COrganizeBrowserView::OnHtmlAlbum() {
  if (CanMakeAlbum()) Hooks().album(*this, SelectedPaths());
}

void COrganizeBrowserView::OnSlideShow() {
  if (Hooks().slideShow) Hooks().slideShow(*this);
}

void COrganizeBrowserView::OnContactSheet() {
  if (Hooks().contactSheet) Hooks().contactSheet(*this);
}

void COrganizeBrowserView::OnBatchProcess() {
  if (Hooks().batch) Hooks().batch(*this);
}

bool COrganizeBrowserView::SetWallpaper(bool tiled, int screenWidth, int screenHeight) {
  const CBrowserItem* item = nullptr;
  for (const CBrowserItem& it : GetItems())
    if (it.m_bSelected) {
      item = &it;
      break;
    }
  if (!item) return false;
  if (screenWidth <= 0 || screenHeight <= 0) {
    const wxRect screen = wxDisplay(static_cast<unsigned>(std::max(0, wxDisplay::GetFromWindow(this)))).GetGeometry();
    screenWidth = screen.width;
    screenHeight = screen.height;
  }
  const std::string path = GetWallpaperFilePath();
  if (path.empty()) {
    ReportMessage(MESSAGE_ERROR, "There is no folder for the wallpaper file.");
    return false;
  }
  if (!SaveWallpaperFile(*item, screenWidth, screenHeight, path)) return false;
  return Hooks().setBackground ? Hooks().setBackground(path, tiled) : SetDesktopBackground(path, tiled);
}

void COrganizeBrowserView::ShowContextMenu(const wxPoint& client) {
  const int index = HitTest(client);
  if (index >= 0 && !GetItems()[index].m_bSelected) {
    SelectOnly(index);
    SetStatusFileCounts(GetItems().GetCount(), GetItems().GetSelectedCount());
  }
  if (HasCapture()) ReleaseMouse();
  std::unique_ptr<wxMenu> menu(CreatePopupMenuResource(IDR_ORGANIZE_CONTEXT));
  if (!menu) return;
  if (PopupRunner()) {
    menu->UpdateUI(this);
    PopupRunner()(*menu);
    return;
  }
  PopupMenu(menu.get(), client);
}

void COrganizeBrowserView::OnContextMenu(wxContextMenuEvent& event) {
  wxPoint point = event.GetPosition();
  point = point == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(point);
  ShowContextMenu(point);
}
