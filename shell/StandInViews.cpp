#include "shell/StandInViews.h"

#include <wx/settings.h>
#include <wx/sizer.h>

#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "shell/MainFrame.h"

namespace {
std::function<IBrowseContent*(wxWindow*)>& ContentFactory() {
  static std::function<IBrowseContent*(wxWindow*)> factory;
  return factory;
}
}  // namespace

void COrganizeView::SetContentFactory(std::function<IBrowseContent*(wxWindow* parent)> factory) {
  ContentFactory() = std::move(factory);
}

COrganizeView::COrganizeView(wxWindow* parent) : wxPanel(parent) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  if (ContentFactory()) m_content = ContentFactory()(this);
  if (m_content) {
    if (wxWindow* bar = m_content->GetBarWindow()) sizer->Add(bar, 0, wxEXPAND);
    sizer->Add(m_content->GetContentWindow(), 1, wxEXPAND);
  } else {
    m_label = new wxStaticText(this, wxID_ANY, "Browse");
    sizer->Add(m_label, 0, wxALL, 10);
  }
  SetSizer(sizer);
}

// The content window is a child and goes with the page; the content object
// is that window (or owned by it).
COrganizeView::~COrganizeView() = default;

bool COrganizeView::ForwardCommand(wxEvent& event) {
  if (!m_content) return false;
  return m_content->GetContentWindow()->GetEventHandler()->ProcessEventLocally(event);
}

void COrganizeView::MenuOpened(wxMenuEvent& event) {
  if (m_content) m_content->OnMenuOpened(event);
}

bool COrganizeView::ActivateBrowse(CMainFrame& frame) {
  CModeMenuInfo info;
  info.menu = IDR_BROWSE;
  info.accelerators = IDR_BROWSE_ACCEL;
  info.leave = [this](CMainFrame& f) { LeaveBrowseMode(f); };
  info.folder = [this](const std::string& folder) { BrowseFolder(folder); };
  frame.SwitchMode(info, MODE_BROWSE);
  if (frame.GetMode() != MODE_BROWSE) return false;
  if (m_content) {
    m_content->AttachFoldersPage(frame.GetFoldersPage());
    m_content->OnEnterBrowse();
    // The keys go to the thumbnails (not to the folder tree's type-ahead),
    // so the mode's shortcuts work at once.
    m_content->GetContentWindow()->SetFocus();
  }
  return true;
}

void COrganizeView::LeaveBrowseMode(CMainFrame& frame) {
  ++m_leaveCount;
  if (m_content) m_content->OnLeaveBrowse();
  frame.RestoreViewEditMode();
}

void COrganizeView::BrowseFolder(const std::string& folder) {
  m_folder = folder;
  if (m_content)
    m_content->BrowseFolder(folder);
  else
    m_label->SetLabel(wxString::FromUTF8("Browse: " + folder));
}

namespace {
std::function<IPreviewContent*(wxWindow*, CMainFrame&)>& PreviewFactory() {
  static std::function<IPreviewContent*(wxWindow*, CMainFrame&)> factory;
  return factory;
}
}  // namespace

void CPtPreviewView::SetContentFactory(std::function<IPreviewContent*(wxWindow* parent, CMainFrame& frame)> factory) {
  PreviewFactory() = std::move(factory);
}

CPtPreviewView::CPtPreviewView(wxWindow* parent, CMainFrame& frame) : wxPanel(parent) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_APPWORKSPACE));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  if (PreviewFactory()) m_content = PreviewFactory()(this, frame);
  if (m_content) {
    sizer->Add(m_content->GetContentWindow(), 1, wxEXPAND);
  } else {
    m_label = new wxStaticText(this, wxID_ANY, "Print Preview");
    sizer->Add(m_label, 0, wxALL, 10);
  }
  SetSizer(sizer);
}

bool CPtPreviewView::ForwardCommand(wxEvent& event) {
  if (m_content && m_content->GetContentWindow()->GetEventHandler()->ProcessEventLocally(event)) return true;
  return GetEventHandler()->ProcessEventLocally(event);
}

bool CPtPreviewView::EnterPreview(CMainFrame& frame, bool contactSheet) {
  m_contactSheet = contactSheet;
  if (m_label) m_label->SetLabel(contactSheet ? "Contact Sheet" : "Print Preview");
  CModeMenuInfo info;
  info.menu = IDR_PREVIEW;
  info.leave = [this](CMainFrame& f) { ClosePreview(f); };
  const int mode = contactSheet ? MODE_CONTACT_SHEET : MODE_PRINT_PREVIEW;
  if (m_content) {
    const bool entered = contactSheet ? m_content->EnterContactSheetPreview()
                                      : m_content->EnterImagePreview(frame.GetActiveDocument());
    if (!entered) return false;
  }
  frame.SwitchMode(info, mode);
  if (frame.GetMode() != mode) {
    if (m_content) m_content->LeavePreview();
    return false;
  }
  Layout();
  return true;
}

// Leaving a contact sheet returns to Browse; an image preview to View and Edit.
void CPtPreviewView::ClosePreview(CMainFrame& frame) {
  if (m_content) m_content->LeavePreview();
  frame.RestoreViewEditMode();
}
