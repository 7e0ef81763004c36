#include "shell/StandInViews.h"

#include <wx/button.h>
#include <wx/sizer.h>

#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "shell/MainFrame.h"

namespace {

// Sends a menu command to the top-level window, as a menu item would.
void SendCommand(wxWindow* from, int command) {
  wxWindow* top = wxGetTopLevelParent(from);
  if (!top) return;
  wxCommandEvent event(wxEVT_MENU, command);
  event.SetEventObject(top);
  top->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

// --- mode tab bar ----------------------------------------------------------------

CModeTabBar::CModeTabBar(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxSize(-1, kHeight)) {
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(sizer);
  m_toolbarLabel = new wxStaticText(this, wxID_ANY, wxString());
  sizer->AddSpacer(3);
  sizer->Add(m_toolbarLabel, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 12);
  SetMinSize(wxSize(-1, kHeight));
}

void CModeTabBar::AddTab(const wxString& text, int command, int toolbarResource) {
  auto* button = new wxToggleButton(this, wxID_ANY, text);
  GetSizer()->Insert(GetSizer()->GetItemCount() - 1, button, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 3);
  button->Bind(wxEVT_TOGGLEBUTTON, [this, command](wxCommandEvent&) {
    SelectTab(m_selected);  // the frame selects the tab of the mode it ends up in
    SendCommand(this, command);
  });
  m_tabs.push_back(Tab{button, command, toolbarResource});
  Layout();
}

void CModeTabBar::SelectTab(int index) {
  if (index < 0 || index >= static_cast<int>(m_tabs.size())) return;
  m_selected = index;
  for (int i = 0; i < static_cast<int>(m_tabs.size()); ++i) m_tabs[static_cast<std::size_t>(i)].button->SetValue(i == index);
}

void CModeTabBar::LoadToolbar(int toolbarResource, bool contactSheet) {
  m_toolbar = toolbarResource;
  m_contactSheet = contactSheet;
  m_buttonTexts.clear();
  UpdateToolbarLabel();
}

void CModeTabBar::SetButtonText(int index, const std::string& text) {
  if (index < 0) return;
  if (static_cast<int>(m_buttonTexts.size()) <= index) m_buttonTexts.resize(static_cast<std::size_t>(index) + 1);
  m_buttonTexts[static_cast<std::size_t>(index)] = text;
  UpdateToolbarLabel();
}

std::string CModeTabBar::GetButtonText(int index) const {
  if (index < 0 || index >= static_cast<int>(m_buttonTexts.size())) return {};
  return m_buttonTexts[static_cast<std::size_t>(index)];
}

void CModeTabBar::UpdateToolbarLabel() {
  wxString text;
  for (const auto& t : m_buttonTexts) {
    if (t.empty()) continue;
    if (!text.empty()) text += "  |  ";
    text += wxString::FromUTF8(t);
  }
  m_toolbarLabel->SetLabel(text);
  Layout();
}

// --- task pane -------------------------------------------------------------------

CTaskPanePage::CTaskPanePage(wxWindow* parent, const wxString& title) : wxPanel(parent), m_title(title) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* header = new wxStaticText(this, wxID_ANY, title);
  header->SetFont(header->GetFont().Bold());
  sizer->Add(header, 0, wxALL, 6);
  m_body = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 60));
  m_body->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  sizer->Add(m_body, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
  SetSizer(sizer);
}

void CTaskPanePage::SetCollapsed(bool collapsed) {
  m_collapsed = collapsed;
  m_body->Show(!collapsed);
  Layout();
}

CTaskPaneBar::CTaskPaneBar(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxSize(kDefaultWidth, -1)) {
  SetSizer(new wxBoxSizer(wxVERTICAL));
  SetMinSize(wxSize(kDefaultWidth, -1));
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
}

void CTaskPaneBar::AddPage(CTaskPanePage* page) { GetSizer()->Add(page, 0, wxEXPAND | wxBOTTOM, 4); }

void CTaskPaneBar::UpdateLayout() { Layout(); }

// --- client pages ----------------------------------------------------------------

CWelcomePage::CWelcomePage(wxWindow* parent) : wxPanel(parent) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_APPWORKSPACE));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* title = new wxStaticText(this, wxID_ANY, kProductName);
  title->SetFont(title->GetFont().Bold().Scaled(1.8f));
  sizer->AddStretchSpacer();
  sizer->Add(title, 0, wxALIGN_CENTER | wxALL, 10);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* open = new wxButton(this, wxID_ANY, "&Open...");
  auto* browse = new wxButton(this, wxID_ANY, "Browse Photos");
  open->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SendCommand(this, ID_FILE_OPEN); });
  browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SendCommand(this, ID_BROWSE_PHOTOS); });
  buttons->Add(open, 0, wxALL, 5);
  buttons->Add(browse, 0, wxALL, 5);
  sizer->Add(buttons, 0, wxALIGN_CENTER);
  sizer->AddStretchSpacer();
  SetSizer(sizer);
}

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

bool COrganizeView::ActivateBrowse(CMainFrame& frame) {
  CModeMenuInfo info;
  info.menu = IDR_BROWSE;
  info.accelerators = IDR_BROWSE_ACCEL;
  info.leave = [this](CMainFrame& f) { LeaveBrowseMode(f); };
  info.folder = [this](const std::string& folder) { BrowseFolder(folder); };
  frame.SwitchMode(info, MODE_BROWSE);
  if (frame.GetMode() != MODE_BROWSE) return false;
  if (m_content) m_content->OnEnterBrowse();
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

CPtPreviewView::CPtPreviewView(wxWindow* parent) : wxPanel(parent) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_APPWORKSPACE));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_label = new wxStaticText(this, wxID_ANY, "Print Preview");
  sizer->Add(m_label, 0, wxALL, 10);
  SetSizer(sizer);
}

bool CPtPreviewView::EnterPreview(CMainFrame& frame, bool contactSheet) {
  m_contactSheet = contactSheet;
  m_label->SetLabel(contactSheet ? "Contact Sheet" : "Print Preview");
  CModeMenuInfo info;
  info.menu = IDR_PREVIEW;
  info.leave = [this](CMainFrame& f) { ClosePreview(f); };
  const int mode = contactSheet ? MODE_CONTACT_SHEET : MODE_PRINT_PREVIEW;
  frame.SwitchMode(info, mode);
  return frame.GetMode() == mode;
}

void CPtPreviewView::ClosePreview(CMainFrame& frame) { frame.RestoreViewEditMode(); }
