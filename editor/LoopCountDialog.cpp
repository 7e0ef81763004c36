#include "editor/LoopCountDialog.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "shell/ModalDialog.h"

LOOP_COUNT_EDIT ParseLoopCountText(const std::string& text) {
  LOOP_COUNT_EDIT result;
  if (text.empty()) {
    result.empty = true;
    return result;
  }
  uint32_t number = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10 + static_cast<uint32_t>(text[i] - '0');
    if (number > kLoopForever) {
      number = kLoopForever;
      result.rewrite = true;
    }
  }
  if (i < text.size()) result.rewrite = true;
  result.value = static_cast<uint16_t>(number);
  if (result.rewrite) result.text = std::to_string(number);
  return result;
}

namespace {

class CLoopCountDlg : public wxDialog {
 public:
  CLoopCountDlg(wxWindow* parent, uint16_t value) : wxDialog(parent, IDD_LOOP_COUNT, "Loop"), m_value(value) {
    m_none = new wxRadioButton(this, IDC_LOOP_COUNT_NONE, "None", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_forever = new wxRadioButton(this, IDC_LOOP_COUNT_FOREVER, "Forever");
    m_times = new wxRadioButton(this, IDC_LOOP_COUNT_TIMES, wxString());
    m_edit = new wxTextCtrl(this, IDC_LOOP_COUNT_EDIT, wxString::Format("%u", unsigned{value}));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_times, 0, wxALIGN_CENTER_VERTICAL);
    row->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
    row->Add(new wxStaticText(this, wxID_ANY, "times"), 0, wxALIGN_CENTER_VERTICAL);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_none, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(m_forever, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(row, 0, wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    (value == kLoopNone ? m_none : value == kLoopForever ? m_forever : m_times)->SetValue(true);
    m_edit->Enable(m_times->GetValue());
    m_none->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetFixed(kLoopNone); });
    m_forever->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetFixed(kLoopForever); });
    m_times->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_edit->Enable(); });
    m_edit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnEditChanged(); });
    // OK is off while the edit is empty; a click that reaches it anyway ends nothing.
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
      wxWindow* ok = FindWindow(wxID_OK);
      if (ok && ok->IsEnabled()) event.Skip();
    }, wxID_OK);
  }

  uint16_t GetValue() const { return m_value; }

 private:
  // None and Forever show their value in the disabled edit.
  void SetFixed(uint16_t value) {
    m_edit->ChangeValue(wxString::Format("%u", unsigned{value}));
    m_edit->Disable();
    OnEditChanged();
  }

  void OnEditChanged() {
    const LOOP_COUNT_EDIT edit = ParseLoopCountText(m_edit->GetValue().ToStdString());
    wxWindow* ok = FindWindow(wxID_OK);
    if (edit.empty) {
      if (ok) ok->Disable();
      return;
    }
    if (edit.rewrite) {
      m_edit->ChangeValue(edit.text);
      // Selected once the toolkit has placed its caret after the change; the
      // selection ends at the text's end, which the entry keeps in view.
      CallAfter([this] { m_edit->SelectAll(); });
    }
    m_value = edit.value;
    if (ok) ok->Enable();
  }

  uint16_t m_value;
  wxRadioButton* m_none;
  wxRadioButton* m_forever;
  wxRadioButton* m_times;
  wxTextCtrl* m_edit;
};

}  // namespace

bool RunLoopCountDialog(wxWindow* parent, uint16_t& loopCount) {
  CLoopCountDlg dialog(parent, loopCount);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  loopCount = dialog.GetValue();
  return true;
}
