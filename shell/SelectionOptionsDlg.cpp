#include "shell/SelectionOptionsDlg.h"

#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <charconv>

#include "imaging/MagicWand.h"

namespace {

CSelectionOptionsDlg* g_pSelectionOptions = nullptr;

}  // namespace

ToleranceText ParseTolerance(const std::string& text, int& value) {
  value = 0;
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return ToleranceText::Empty;
  const size_t last = text.find_last_not_of(" \t");
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  if (*begin == '+') ++begin;  // a plus sign is allowed, a minus is out of range anyway
  int number = -1;
  const auto [stop, error] = std::from_chars(begin, end, number);
  if (begin == end || error != std::errc() || stop != end || number < 0 || number > 255)
    return ToleranceText::Invalid;
  value = number;
  return ToleranceText::Valid;
}

CSelectionOptionsDlg::CSelectionOptionsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Selection Options", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, wxID_ANY, "Magic Wand Tolerance:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  m_edit = new wxTextCtrl(this, IDC_TOLERANCE, wxString::Format("%d", GetMagicWandTolerance()), wxDefaultPosition,
                          wxSize(56, -1));
  row->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(new wxStaticText(this, wxID_ANY, "(0...255)"), 0, wxALIGN_CENTER_VERTICAL);
  top->Add(row, 0, wxALL, 12);
  SetSizerAndFit(top);

  m_edit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { ApplyTolerance(); });
  m_edit->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    // Not while the window goes: hiding it takes the focus away too.
    if (g_pSelectionOptions == this && !IsBeingDeleted()) ApplyTolerance();
    event.Skip();
  });
  Bind(wxEVT_CLOSE_WINDOW, &CSelectionOptionsDlg::OnClose, this);
}

CSelectionOptionsDlg::~CSelectionOptionsDlg() {
  if (g_pSelectionOptions == this) g_pSelectionOptions = nullptr;
}

bool CSelectionOptionsDlg::ApplyTolerance() {
  if (m_bApplying) return false;
  int value = 0;
  const ToleranceText kind = ParseTolerance(m_edit->GetValue().utf8_string(), value);
  SetMagicWandTolerance(value);
  if (kind == ToleranceText::Invalid) {
    m_bApplying = true;
    wxMessageBox(kRefusal, GetTitle(), wxOK | wxICON_EXCLAMATION, this);
    m_bApplying = false;
    m_edit->SetFocus();
    m_edit->SelectAll();
  }
  return kind == ToleranceText::Valid;
}

void CSelectionOptionsDlg::OnClose(wxCloseEvent& event) {
  // An empty edit means 0 and lets the window close; only a bad value,
  // reported by ApplyTolerance, keeps it open.
  const bool valid = ApplyTolerance();
  int value = 0;
  const bool empty = ParseTolerance(m_edit->GetValue().utf8_string(), value) == ToleranceText::Empty;
  if (!valid && !empty && event.CanVeto()) {
    event.Veto();
    return;
  }
  CloseSelectionOptions();
}

void OpenSelectionOptions(wxWindow* parent) {
  if (g_pSelectionOptions) return;
  g_pSelectionOptions = new CSelectionOptionsDlg(parent);
  if (parent) g_pSelectionOptions->CentreOnParent();
  g_pSelectionOptions->Show();
}

bool IsSelectionOptionsOpen() { return g_pSelectionOptions != nullptr; }

void CloseSelectionOptions() {
  CSelectionOptionsDlg* window = g_pSelectionOptions;
  if (!window) return;
  g_pSelectionOptions = nullptr;
  window->Destroy();
}

CSelectionOptionsDlg* GetSelectionOptionsWindow() { return g_pSelectionOptions; }
