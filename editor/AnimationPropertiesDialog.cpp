#include "editor/AnimationPropertiesDialog.h"

#include <wx/dc.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/vlbox.h>

#include <cctype>

#include "editor/model/ImageDocModel.h"
#include "shell/FrameListCtrl.h"
#include "shell/ModalDialog.h"
#include "shell/UiTheme.h"

const char* const kDisposalNames[4] = {"Not specified", "Do not dispose", "Restore to background color",
                                       "Restore to previous"};

namespace {

const char kDelayRefusal[] = "Please enter an integer between 0 and 65535.";
constexpr int kItemHeight = 16;

// The owner-drawn list of the disposal methods: a glyph and the name.
class CDisposalList : public wxVListBox {
 public:
  CDisposalList(wxWindow* parent, wxWindowID id)
      : wxVListBox(parent, id, wxDefaultPosition, wxSize(220, 4 * kItemHeight + 4), wxBORDER_SUNKEN) {
    SetItemCount(4);
    SetSelection(wxNOT_FOUND);
  }

 private:
  void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override {
    const bool selected = IsSelected(n);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(ThemeColour(selected ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_WINDOW)));
    dc.DrawRectangle(rect);
  }
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override {
    const bool selected = IsSelected(n);
    const wxColour text = ThemeColour(selected ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT);
    CFrameListCtrl::DrawDisposalGlyph(dc, static_cast<int>(n), rect.x + 3, rect.y + 3, text);
    dc.SetFont(ThemeFont());
    dc.SetTextForeground(text);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.DrawText(kDisposalNames[n], rect.x + 16, rect.y + 2);
  }
  wxCoord OnMeasureItem(size_t) const override { return kItemHeight; }
};

class CAnimationPropertyDlg : public wxDialog {
 public:
  CAnimationPropertyDlg(wxWindow* parent, ANIMATION_PROPERTY_VALUES& values)
      : wxDialog(parent, IDD_ANIMATION_PROPERTIES, "Animation Properties"), m_values(values) {
    auto* grid = new wxFlexGridSizer(3, 6, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "Interframe delay:"), 0, wxALIGN_CENTER_VERTICAL);
    m_delay = new wxTextCtrl(this, IDC_ANIMATION_DELAY, wxString(), wxDefaultPosition, wxSize(80, -1));
    grid->Add(m_delay);
    grid->Add(new wxStaticText(this, wxID_ANY, "x 1/100 second"), 0, wxALIGN_CENTER_VERTICAL);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxALL, 10);
    column->Add(new wxStaticText(this, wxID_ANY, "Disposal method:"), 0, wxLEFT | wxRIGHT, 10);
    m_disposal = new CDisposalList(this, IDC_ANIMATION_DISPOSAL);
    column->Add(m_disposal, 0, wxEXPAND | wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &CAnimationPropertyDlg::OnOK, this, wxID_OK);
  }

 private:
  void OnOK(wxCommandEvent&) {
    std::string refusal;
    ANIMATION_PROPERTY_VALUES read;
    if (!ReadAnimationProperties(m_delay->GetValue().utf8_string(), m_disposal->GetSelection(), read, refusal)) {
      wxMessageBox(refusal, "Animation Properties", wxOK | wxICON_EXCLAMATION, this);
      m_delay->SetFocus();
      m_delay->SelectAll();
      return;
    }
    m_values = read;
    EndModal(wxID_OK);
  }

  ANIMATION_PROPERTY_VALUES& m_values;
  wxTextCtrl* m_delay;
  CDisposalList* m_disposal;
};

}  // namespace

bool ReadAnimationProperties(const std::string& delayText, int disposalItem, ANIMATION_PROPERTY_VALUES& values,
                             std::string& refusal) {
  values = ANIMATION_PROPERTY_VALUES();
  size_t first = delayText.find_first_not_of(" \t");
  size_t last = delayText.find_last_not_of(" \t");
  if (first != std::string::npos) {
    const std::string digits = delayText.substr(first, last - first + 1);
    bool number = true;
    for (char c : digits) number = number && std::isdigit(static_cast<unsigned char>(c));
    if (number) {
      // A number of more than 65535 would not fit the frame's delay.
      const size_t nonZero = digits.find_first_not_of('0');
      const std::string significant = nonZero == std::string::npos ? "0" : digits.substr(nonZero);
      if (significant.size() > 5 || std::stol(significant) > 65535) {
        refusal = kDelayRefusal;
        return false;
      }
      values.flags |= ANIM_DELAY;
      values.delay = static_cast<uint16_t>(std::stol(significant));
    }
  }
  if (disposalItem >= 0 && disposalItem <= 3) {
    values.flags |= ANIM_CONTROL;
    values.packed = static_cast<uint8_t>((disposalItem & 7) << 2);
  }
  return true;
}

bool RunAnimationPropertiesDialog(wxWindow* parent, ANIMATION_PROPERTY_VALUES& values) {
  ANIMATION_PROPERTY_VALUES edited;
  CAnimationPropertyDlg dialog(parent, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}
