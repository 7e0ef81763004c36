#include "editor/CanvasSizeDialog.h"

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "base/ImageGeometry.h"
#include "base/Profile.h"
#include "shell/ModalDialog.h"

namespace {

const char kSection[] = "Canvas Size";
const char kSideRefusal[] = "Please enter an integer between 1 and 32767.";

class CCanvasSizeDlg : public wxDialog {
 public:
  CCanvasSizeDlg(wxWindow* parent, CANVAS_SIZE_VALUES& values)
      : wxDialog(parent, IDD_CANVAS_SIZE, "Canvas Size"), m_values(values) {
    auto* grid = new wxFlexGridSizer(2, 6, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "Width:"), 0, wxALIGN_CENTER_VERTICAL);
    m_width = new wxTextCtrl(this, IDC_CANVAS_WIDTH, wxString::Format("%d", values.width));
    grid->Add(m_width);
    grid->Add(new wxStaticText(this, wxID_ANY, "Height:"), 0, wxALIGN_CENTER_VERTICAL);
    m_height = new wxTextCtrl(this, IDC_CANVAS_HEIGHT, wxString::Format("%d", values.height));
    grid->Add(m_height);
    grid->Add(new wxStaticText(this, wxID_ANY, "Horizontal:"), 0, wxALIGN_CENTER_VERTICAL);
    const wxString horizontal[] = {"Left", "Center", "Right"};
    m_horizontal = new wxChoice(this, IDC_CANVAS_HORIZONTAL, wxDefaultPosition, wxDefaultSize, 3, horizontal);
    grid->Add(m_horizontal);
    grid->Add(new wxStaticText(this, wxID_ANY, "Vertical:"), 0, wxALIGN_CENTER_VERTICAL);
    const wxString vertical[] = {"Top", "Center", "Bottom"};
    m_vertical = new wxChoice(this, IDC_CANVAS_VERTICAL, wxDefaultPosition, wxDefaultSize, 3, vertical);
    grid->Add(m_vertical);
    m_horizontal->SetSelection(std::clamp(GetProfileInt(kSection, "Horizontal Alignment", 1), 0, 2));
    m_vertical->SetSelection(std::clamp(GetProfileInt(kSection, "Vertical Alignment", 1), 0, 2));
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &CCanvasSizeDlg::OnOK, this, wxID_OK);
  }

 private:
  void OnOK(wxCommandEvent&) {
    long sides[2] = {0, 0};
    wxTextCtrl* edits[2] = {m_width, m_height};
    for (int i = 0; i < 2; ++i) {
      if (!edits[i]->GetValue().ToLong(&sides[i]) || sides[i] < 1 || sides[i] > kMaxImageSide) {
        wxMessageBox(kSideRefusal, "Canvas Size", wxOK | wxICON_EXCLAMATION, this);
        edits[i]->SetFocus();
        return;
      }
    }
    m_values.width = static_cast<int>(sides[0]);
    m_values.height = static_cast<int>(sides[1]);
    m_values.horizontal = std::clamp(m_horizontal->GetSelection(), 0, 2);
    m_values.vertical = std::clamp(m_vertical->GetSelection(), 0, 2);
    WriteProfileInt(kSection, "Horizontal Alignment", m_values.horizontal);
    WriteProfileInt(kSection, "Vertical Alignment", m_values.vertical);
    EndModal(wxID_OK);
  }

  CANVAS_SIZE_VALUES& m_values;
  wxTextCtrl* m_width;
  wxTextCtrl* m_height;
  wxChoice* m_horizontal;
  wxChoice* m_vertical;
};

}  // namespace

int CanvasOffset(int oldSide, int newSide, int alignment) {
  const int delta = newSide - oldSide;
  return alignment == 0 ? 0 : alignment == 1 ? delta / 2 : delta;
}

bool RunCanvasSizeDialog(wxWindow* parent, CANVAS_SIZE_VALUES& values) {
  CANVAS_SIZE_VALUES edited = values;
  CCanvasSizeDlg dialog(parent, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}
