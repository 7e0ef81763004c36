#include "output/SlideShowOptionsDlg.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <charconv>
#include <string>

#include "base/Profile.h"
#include "shell/MainFrame.h"

namespace {

const char* const kSection = "Slide Show";
constexpr int kMaxPause = 1000;

std::function<bool(SLIDE_SHOW_OPTIONS&, bool)> g_prompt;
std::function<bool()> g_shiftDown;

bool IsShiftDown() { return g_shiftDown ? g_shiftDown() : wxGetKeyState(WXK_SHIFT); }

}  // namespace

void SetSlideShowOptionsPrompt(std::function<bool(SLIDE_SHOW_OPTIONS&, bool)> prompt) { g_prompt = std::move(prompt); }
void SetShiftKeyState(std::function<bool()> isShiftDown) { g_shiftDown = std::move(isShiftDown); }

SLIDE_SHOW_OPTIONS LoadSlideShowOptions() {
  SLIDE_SHOW_OPTIONS o;
  o.nPauseTime = std::clamp(GetProfileInt(kSection, "Pause Time", 5), 0, kMaxPause);
  o.bShowOnlySelected = GetProfileInt(kSection, "Show Only Selected", 0) != 0;
  o.bTransition = GetProfileInt(kSection, "Transition", 1) != 0;
  o.bShowWhenShiftPressed = GetProfileInt(kSection, "Show When Shift Key Pressed", 0) != 0;
  return o;
}

void SaveSlideShowOptions(const SLIDE_SHOW_OPTIONS& o) {
  WriteProfileInt(kSection, "Pause Time", o.nPauseTime);
  WriteProfileInt(kSection, "Show Only Selected", o.bShowOnlySelected);
  WriteProfileInt(kSection, "Transition", o.bTransition);
  WriteProfileInt(kSection, "Show When Shift Key Pressed", o.bShowWhenShiftPressed);
}

CSlideShowOptionsDlg::CSlideShowOptionsDlg(wxWindow* parent, const SLIDE_SHOW_OPTIONS& options, bool hasSelection)
    : wxDialog(parent, wxID_ANY, "Slide Show"), m_options(options), m_bHasSelection(hasSelection) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* pauseRow = new wxBoxSizer(wxHORIZONTAL);
  pauseRow->Add(new wxStaticText(this, wxID_ANY, "Pause time:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  m_pause = new wxTextCtrl(this, IDC_PAUSE_TIME, wxString(), wxDefaultPosition, wxSize(60, -1));
  pauseRow->Add(m_pause, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  pauseRow->Add(new wxStaticText(this, wxID_ANY, "seconds"), 0, wxALIGN_CENTER_VERTICAL);
  top->Add(pauseRow, 0, wxALL, 10);
  m_onlySelected = new wxCheckBox(this, IDC_ONLY_SELECTED, "Show only selected pictures");
  m_transition = new wxCheckBox(this, IDC_TRANSITION, "Fade from one picture to the next");
  m_shiftOnly = new wxCheckBox(this, IDC_SHIFT_ONLY, "Show this dialog only when 'SHIFT' key is pressed");
  for (wxCheckBox* box : {m_onlySelected, m_transition, m_shiftOnly}) top->Add(box, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  top->Add(new wxStaticText(this, wxID_ANY, "Press any key or click the mouse button to stop"), 0,
           wxLEFT | wxRIGHT | wxBOTTOM, 10);
  top->Add(CreateSeparatedButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  m_onlySelected->Enable(m_bHasSelection);
}

bool CSlideShowOptionsDlg::TransferDataToWindow() {
  m_pause->ChangeValue(std::to_string(m_options.nPauseTime));
  m_onlySelected->SetValue(m_options.bShowOnlySelected != 0);
  m_transition->SetValue(m_options.bTransition != 0);
  m_shiftOnly->SetValue(m_options.bShowWhenShiftPressed != 0);
  return true;
}

bool CSlideShowOptionsDlg::TransferDataFromWindow() {
  const std::string text = m_pause->GetValue().Strip(wxString::both).utf8_string();
  int pause = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pause);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || pause < 0 || pause > kMaxPause) {
    wxMessageBox("Please enter an integer between 0 and 1000.", "Slide Show", wxOK | wxICON_EXCLAMATION, this);
    m_pause->SetFocus();
    m_pause->SelectAll();
    return false;
  }
  m_options.nPauseTime = pause;
  m_options.bShowOnlySelected = m_onlySelected->GetValue();
  m_options.bTransition = m_transition->GetValue();
  m_options.bShowWhenShiftPressed = m_shiftOnly->GetValue();
  return true;
}

bool GetSlideShowOptions(int* pause, int* onlySelected, int* transition, bool hasSelection) {
  SLIDE_SHOW_OPTIONS options = LoadSlideShowOptions();
  bool accepted = true;
  if (!options.bShowWhenShiftPressed || IsShiftDown()) {
    if (g_prompt) {
      accepted = g_prompt(options, hasSelection);
    } else {
      CSlideShowOptionsDlg dialog(g_pMainFrame, options, hasSelection);
      accepted = dialog.ShowModal() == wxID_OK;
      if (accepted) options = dialog.GetOptions();
    }
  }
  if (!accepted) return false;
  if (pause) *pause = options.nPauseTime;
  if (onlySelected) *onlySelected = options.bShowOnlySelected;
  if (transition) *transition = options.bTransition;
  SaveSlideShowOptions(options);
  return true;
}
