#include "app/OrganizeHooks.h"

#include "browser/OrganizeBrowserView.h"
#include "output/BatchWizard.h"
#include "output/HtmlAlbumDialog.h"
#include "output/PrintPreview.h"
#include "output/SharingCommands.h"
#include "output/WebPublishDialog.h"
#include "output/core/EmailPictures.h"
#include "output/SlideShowOptionsDlg.h"
#include "output/SlideShowWnd.h"
#include "shell/MainFrame.h"
#include "shell/StandInViews.h"

namespace {

void RunBrowserSlideShow(COrganizeBrowserView& view) {
  const CBrowserItemList& items = view.GetItems();
  const bool hasSelection = items.GetSelectedCount() > 0;
  int pause = 5, onlySelected = 0, transition = 1;
  if (!GetSlideShowOptions(&pause, &onlySelected, &transition, hasSelection)) return;
  // The selected items when asked for and there are any, else all; in list order.
  const bool selectedOnly = onlySelected && hasSelection;
  std::vector<SLIDE_SHOW_ITEM> files;
  for (const CBrowserItem& item : items)
    if (!selectedOnly || item.m_bSelected) files.push_back({item.GetFullPath(), item.m_nRotation});
  RunSlideShow(files, pause, transition != 0);
}

void RunBrowserBatch(COrganizeBrowserView& view) {
  BatchSelection selection;
  for (const CBrowserItem& item : view.GetItems())
    if (item.m_bSelected) selection.files.push_back(item.GetFullPath());
  // No change polling while the run writes into the folder; one reload after.
  selection.beforeRun = [&view] { view.PollChanges(false); };
  selection.afterRun = [&view] {
    view.PollChanges(true);
    view.Reload(false);
  };
  RunBatchWizard(&view, std::move(selection));
}

// The contact sheet of the selected files, with the thumbnails the browser shows.
void RunBrowserContactSheet(COrganizeBrowserView& view) {
  auto* frame = dynamic_cast<CMainFrame*>(wxGetTopLevelParent(&view));
  if (!frame || !frame->GetPreviewView()) return;
  auto* preview = dynamic_cast<CPrintPreviewWnd*>(frame->GetPreviewView()->GetContent());
  if (!preview) return;
  std::vector<PRINT_SHEET_ITEM> items;
  for (const CBrowserItem& item : view.GetItems()) {
    if (!item.m_bSelected) continue;
    PRINT_SHEET_ITEM sheetItem;
    sheetItem.path = item.GetFullPath();
    if (item.m_pThumbFrames && !item.m_pThumbFrames->empty()) sheetItem.thumbnail = item.m_pThumbFrames->front().m_image;
    items.push_back(std::move(sheetItem));
  }
  if (items.empty()) return;
  preview->SetContactSheet(std::move(items));
  frame->SetMode(MODE_CONTACT_SHEET);
}

}  // namespace

void InstallOrganizeHooks(std::function<bool(const std::string& path)> openFile) {
  ORGANIZE_HOOKS hooks;
  hooks.openFile = std::move(openFile);
  hooks.slideShow = RunBrowserSlideShow;
  hooks.batch = RunBrowserBatch;
  hooks.contactSheet = RunBrowserContactSheet;
  hooks.email = [](COrganizeBrowserView& view, const std::vector<std::string>& paths) { SendEmailCommand(&view, paths); };
  hooks.publish = [](COrganizeBrowserView& view, const std::vector<std::string>& paths) {
    PublishToWebCommand(&view, paths);
  };
  hooks.album = [](COrganizeBrowserView& view, const std::vector<std::string>& paths) {
    GenerateHtmlAlbumCommand(&view, paths);
  };
  hooks.canEmail = [] { return IsMailClientAvailable(); };
  COrganizeBrowserView::SetHooks(std::move(hooks));
}
