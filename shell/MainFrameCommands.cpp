// The main frame's command table and its commands: modes, the bars and
// panes, the option dialogs, Close All and Exit. Open in View and Edit and
// the tools are in CMainFrame::OnCommand (shell/MainFrame.cpp).

#include <wx/docview.h>

#include "base/StatusStack.h"
#include "imaging/ImageFill.h"
#include "resources/CommandIds.h"
#include "shell/CommandTable.h"
#include "shell/DisplayOptionsDlg.h"
#include "shell/ExportOptions.h"
#include "shell/ImageClipboard.h"
#include "shell/MainFrame.h"
#include "shell/MainStatusBar.h"
#include "shell/MessagePane.h"
#include "shell/PaneDocument.h"
#include "shell/SelectionOptionsDlg.h"
#include "shell/ShellFunctions.h"
#include "shell/StandInViews.h"

namespace {

using Frame = CMainFrame;

const COMMAND_ENTRY<Frame> kFrameCommands[] = {
    // Modes
    {ID_VIEW_EDIT_IMAGES, &Frame::OnViewEditImages},
    {ID_BROWSE_PHOTOS, &Frame::OnBrowsePhotos},
    {ID_FILE_PRINT_PREVIEW, &Frame::OnPrintPreview, &Frame::HasActiveDocument},
    // Needs files selected in the browser: disabled until the browser has a selection to give.
    {ID_PRINT_CONTACT_SHEET, &Frame::OnContactSheet, &Frame::HasBrowserSelection},
    // Browse mode's Slide Show: the browser's view takes it (and hands its
    // files to RunSlideShow); until then it stays disabled here.
    {ID_SLIDE_SHOW, &Frame::OnBrowserSlideShow, &Frame::HasBrowserSelection},
    {ID_PREVIEW_CLOSE, &Frame::OnPreviewClose, &Frame::IsInPreview},
    // Printing the active document (the preview prints its own pages first).
    {ID_FILE_PRINT, &Frame::OnFilePrint, &Frame::HasActiveDocument, NEEDS_IDLE | NEEDS_NO_EFFECT},
    // Bars and panes
    {ID_VIEW_TOOLBAR, &Frame::OnViewToolbar, nullptr, NEEDS_NOTHING, nullptr, &Frame::OnUpdateViewToolbar},
    {ID_VIEW_STATUS_BAR, &Frame::OnViewStatusBar, nullptr, NEEDS_NOTHING, nullptr, &Frame::OnUpdateViewStatusBar},
    {ID_VIEW_MESSAGE_PANE, &Frame::OnViewMessagePane, nullptr, NEEDS_NOTHING, nullptr,
     &Frame::OnUpdateViewMessagePane},
    {ID_CLEAR_MESSAGE_PANE, &Frame::OnClearMessagePane, &Frame::HasMessages},
    // Options
    {ID_DISPLAY_OPTIONS, &Frame::OnDisplayOptions},
    {ID_OPTIONS_JPEG, &Frame::OnJpegOptions},
    {ID_OPTIONS_GIF, &Frame::OnGifOptions},
    {ID_FILE_PRINT_SETUP, &Frame::OnPrintSetup},
    {ID_SELECTION_OPTION, &Frame::OnSelectionOption, nullptr, NEEDS_NOTHING, nullptr, &Frame::OnUpdateSelectionOption},
    // Documents and the program
    {ID_CLOSE_ALL, &Frame::OnCloseAll, &Frame::HasDocuments, NEEDS_IDLE},
    {ID_APP_EXIT, &Frame::OnAppExit},
    // The clipboard
    {ID_EMPTY_CLIPBOARD, &Frame::OnEmptyClipboard, &Frame::HasClipboardImage},
    // The program-wide fill pattern (documents define it)
    {ID_DISCARD_PATTERN, &Frame::OnDiscardPattern, &Frame::HasFillPattern},
    // The selected frames of the active document (the Animation page's toolbar too)
    {ID_FRAME_PROPERTIES, &Frame::OnFrameProperties, &Frame::CanChangeFrameProperties},
};

}  // namespace

void CMainFrame::BindCommands() { BindCommandTable<Frame>(*this, *this, kFrameCommands); }

bool CMainFrame::CommandAllowed(unsigned needs) const {
  // The frame is busy while a long operation is on the status stack.
  if ((needs & NEEDS_IDLE) && GetStatusDepth() != 0) return false;
  if ((needs & NEEDS_NO_EFFECT) && m_nMode == MODE_EFFECT) return false;
  return true;
}

// --- modes ---------------------------------------------------------------------------

void CMainFrame::OnViewEditImages() { SetMode(MODE_VIEW_EDIT); }

void CMainFrame::OnBrowsePhotos() {
  AskKeepEffectChanges();  // in effect mode the effect is settled first
  SetMode(MODE_BROWSE);
}

void CMainFrame::OnPrintPreview() {
  AskKeepEffectChanges();
  SetMode(MODE_PRINT_PREVIEW);
}

void CMainFrame::OnContactSheet() { SetMode(MODE_CONTACT_SHEET); }
// A contact sheet returns to Browse, an image preview to View and Edit.
void CMainFrame::OnPreviewClose() { SetMode(m_nMode == MODE_CONTACT_SHEET ? MODE_BROWSE : MODE_VIEW_EDIT); }
void CMainFrame::OnFilePrint() { m_previewView->PrintDocument(m_pActiveDocument); }
void CMainFrame::OnBrowserSlideShow() {}

bool CMainFrame::HasActiveDocument() const { return m_pActiveDocument != nullptr; }
bool CMainFrame::HasBrowserSelection() const { return false; }
bool CMainFrame::IsInPreview() const { return m_nMode == MODE_PRINT_PREVIEW || m_nMode == MODE_CONTACT_SHEET; }

// --- bars and panes ------------------------------------------------------------------

void CMainFrame::OnViewToolbar() { ShowToolbar(!m_bShowToolbar); }

void CMainFrame::OnViewStatusBar() {
  m_statusBar->Show(!m_statusBar->IsShown());
  SendSizeEvent();
}

void CMainFrame::OnViewMessagePane() { ShowMessagePane(!m_messagePane->IsShown()); }
void CMainFrame::OnClearMessagePane() { m_messagePane->Clear(); }
bool CMainFrame::HasMessages() const { return m_messagePane->GetCount() > 0; }

void CMainFrame::OnUpdateViewToolbar(wxUpdateUIEvent& event) { event.Check(m_bShowToolbar); }
void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) { event.Check(m_statusBar->IsShown()); }
void CMainFrame::OnUpdateViewMessagePane(wxUpdateUIEvent& event) { event.Check(m_messagePane->IsShown()); }

// --- options -------------------------------------------------------------------------

void CMainFrame::OnDisplayOptions() {
  if (!EditDisplayOptions(this)) return;
  if (wxDocManager* docs = wxDocManager::GetDocumentManager())
    for (wxDocument* doc : docs->GetDocumentsVector()) doc->UpdateAllViews();
  Refresh();
}

void CMainFrame::OnJpegOptions() { GetJpegSaveOptions(nullptr, nullptr, true); }
void CMainFrame::OnGifOptions() { GetGifSaveOptions(nullptr, true); }
void CMainFrame::OnPrintSetup() {
  if (RunPrinterSettings(this) && IsInPreview()) m_previewView->RefreshPreview();
}

// The Selection Options window: closed when open, else opened over the frame.
void CMainFrame::OnSelectionOption() {
  if (IsSelectionOptionsOpen())
    CloseSelectionOptions();
  else
    OpenSelectionOptions(this);
}

void CMainFrame::OnUpdateSelectionOption(wxUpdateUIEvent& event) { event.Check(IsSelectionOptionsOpen()); }

// --- documents and the program -------------------------------------------------------

void CMainFrame::OnCloseAll() { CloseAllDocuments(false); }

bool CMainFrame::HasDocuments() const {
  wxDocManager* manager = GetDocumentManager();
  return manager && !manager->GetDocuments().empty();
}

void CMainFrame::OnAppExit() { Close(); }

// --- the clipboard -------------------------------------------------------------------

// Drops what the program put on the clipboard; another program's image is
// not ours to take away.
void CMainFrame::OnEmptyClipboard() { EmptyOwnClipboard(); }

// The cached answer, kept current by the clipboard watch the frame runs.
bool CMainFrame::HasClipboardImage() const { return IsClipboardImageCached(); }

void CMainFrame::OnDiscardPattern() { DiscardPattern(); }

bool CMainFrame::HasFillPattern() const { return HasPattern(); }

// --- frames ------------------------------------------------------------------------

void CMainFrame::OnFrameProperties() {
  if (auto* pane = dynamic_cast<IPaneDocument*>(m_pActiveDocument)) pane->EditFrameProperties();
}

// An active document of several frames with some selected in the Animation page.
bool CMainFrame::CanChangeFrameProperties() const {
  auto* pane = dynamic_cast<IPaneDocument*>(m_pActiveDocument);
  return pane && pane->CanEditFrameProperties();
}
