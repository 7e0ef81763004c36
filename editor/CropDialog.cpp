#include "editor/CropDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <limits>

#include "base/Profile.h"
#include "editor/CropRectCtrl.h"
#include "shell/CtrlContainer.h"
#include "shell/ModalDialog.h"

const char kCropCustomRefusal[] = "Please enter a positive integer.";

namespace {

const char kSection[] = "Crop";
const char kTitle[] = "Crop Special";

// An unsigned 32-bit number: digits only (spaces around allowed).
bool ParseUnsigned(const wxString& text, uint32_t& value) {
  wxString t = text;
  t.Trim(true).Trim(false);
  if (t.empty() || t.length() > 10) return false;
  uint64_t v = 0;
  for (wxUniChar c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c.GetValue() - '0');
  }
  if (v > std::numeric_limits<uint32_t>::max()) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

class CCropDialog : public CCtrlContainer {
 public:
  CCropDialog(wxWindow* parent, const CRasterImage& image, CROP_SPECIAL_VALUES& values)
      : CCtrlContainer(parent, IDD_CROP_SPECIAL, kTitle), m_values(values) {
    m_customWidth = static_cast<uint32_t>(image.GetWidth());
    m_customHeight = static_cast<uint32_t>(image.GetHeight());
    m_rect = new CCropRectCtrl(this, IDC_CROP_RECT, image, wxDefaultPosition, FromDIP(wxSize(420, 300)));
    m_rect->SetMinSize(FromDIP(wxSize(420, 300)));

    auto* box = new wxStaticBox(this, IDC_CROP_CONSTRAINTS, "Constraints");
    auto* boxSizer = new wxStaticBoxSizer(box, wxVERTICAL);
    const char* labels[] = {"None", "3 x 5", "4 x 6", "5 x 7", "8 x 10", "Custom:"};
    auto* presets = new wxBoxSizer(wxHORIZONTAL);
    for (int i = 0; i < 6; ++i) {
      m_radio[i] = new wxRadioButton(box, IDC_CROP_NONE + i, labels[i], wxDefaultPosition, wxDefaultSize,
                                     i == 0 ? wxRB_GROUP : 0);
      m_radio[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { RunConstraint(i); });
    }
    for (int i = 0; i < 5; ++i) presets->Add(m_radio[i], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(8));
    auto* custom = new wxBoxSizer(wxHORIZONTAL);
    custom->Add(m_radio[5], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(4));
    m_width = new wxTextCtrl(box, IDC_CROP_CUSTOM_WIDTH, wxString::Format("%u", m_customWidth), wxDefaultPosition,
                             FromDIP(wxSize(64, -1)));
    m_height = new wxTextCtrl(box, IDC_CROP_CUSTOM_HEIGHT, wxString::Format("%u", m_customHeight),
                              wxDefaultPosition, FromDIP(wxSize(64, -1)));
    custom->Add(m_width, 0, wxALIGN_CENTER_VERTICAL);
    custom->Add(new wxStaticText(box, IDC_CROP_TIMES, "x"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, FromDIP(4));
    custom->Add(m_height, 0, wxALIGN_CENTER_VERTICAL);
    m_apply = new wxButton(box, IDC_CROP_APPLY, "Apply");
    custom->Add(m_apply, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, FromDIP(6));
    m_landscape = new wxCheckBox(box, IDC_CROP_LANDSCAPE, "Landscape");
    custom->Add(m_landscape, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, FromDIP(12));
    boxSizer->Add(presets, 0, wxALL, FromDIP(4));
    boxSizer->Add(custom, 0, wxALL, FromDIP(4));

    // The size text; wide enough for the largest image.
    m_size = new wxStaticText(this, IDC_CROP_SIZE_TEXT, "Width: 300  Height: 300");
    m_size->SetMinSize(wxSize(m_size->GetTextExtent("Width: 32767  Height: 32767").x + FromDIP(4), -1));
    auto* ok = new wxButton(this, wxID_OK, "OK");
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
    ok->SetDefault();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(ok, 0, wxRIGHT, FromDIP(6));
    buttons->Add(cancel);
    auto* side = new wxBoxSizer(wxVERTICAL);
    side->Add(m_size, 0, wxBOTTOM, FromDIP(10));
    side->AddStretchSpacer();
    side->Add(buttons);
    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(boxSizer, 0, wxEXPAND);
    bottom->Add(side, 0, wxEXPAND | wxLEFT, FromDIP(12));
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_rect, 1, wxEXPAND | wxALL, FromDIP(8));
    column->Add(bottom, 0, wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(8));
    SetSizerAndFit(column);

    // The custom edits take digits only, as they are typed.
    for (wxTextCtrl* edit : {m_width, m_height}) {
      edit->Bind(wxEVT_CHAR, [](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if ((key >= '0' && key <= '9') || key < WXK_SPACE || key == WXK_DELETE || key > WXK_START ||
            event.HasAnyModifiers())
          event.Skip();
        else
          wxBell();
      });
      edit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { m_apply->Enable(); });
    }
    m_apply->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Apply(); });
    m_landscape->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnLandscape(); });
    Bind(wxEVT_BUTTON, &CCropDialog::OnOK, this, wxID_OK);

    // The stored settings: the orientation, then the constraint's handler.
    m_rect->SetLabel(m_size);
    int constraint = GetProfileInt(kSection, "Constraint", 0);
    if (constraint < CROP_CONSTRAINT_3X5 || constraint > CROP_CONSTRAINT_CUSTOM) constraint = CROP_CONSTRAINT_NONE;
    m_isLandscape = GetProfileInt(kSection, "Landscape", 1) != 0;
    m_landscape->SetValue(m_isLandscape);
    RunConstraint(constraint);
    m_radio[constraint]->SetValue(true);
  }

  bool OnInitDialog() override {
    CCtrlContainer::OnInitDialog();
    AddControl(IDC_CROP_RECT, ANCHOR_LEFT | ANCHOR_TOP | ANCHOR_RIGHT | ANCHOR_BOTTOM);
    for (int id : {int(IDC_CROP_CONSTRAINTS), int(IDC_CROP_SIZE_TEXT), int(wxID_OK), int(wxID_CANCEL)})
      AddControl(id, ANCHOR_LEFT | ANCHOR_BOTTOM);
    return true;
  }

 private:
  // A constraint's handler: which controls it enables, and the aspect.
  void RunConstraint(int constraint) {
    m_constraint = constraint;
    const bool custom = constraint == CROP_CONSTRAINT_CUSTOM;
    m_width->Enable(custom);
    m_height->Enable(custom);
    if (!custom) m_apply->Enable(false);
    m_landscape->Enable(constraint >= CROP_CONSTRAINT_3X5 && constraint <= CROP_CONSTRAINT_8X10);
    if (custom)
      Apply();
    else
      m_rect->SetAspect(CropPresetRatio(constraint, m_isLandscape));
  }

  // Reads both custom edits; a refused one is named and takes the focus.
  bool ReadCustomSize() {
    for (wxTextCtrl* edit : {m_width, m_height}) {
      uint32_t value = 0;
      if (!ParseUnsigned(edit->GetValue(), value)) {
        wxMessageBox(kCropCustomRefusal, kTitle, wxOK | wxICON_EXCLAMATION, this);
        edit->SetFocus();
        edit->SelectAll();
        return false;
      }
      (edit == m_width ? m_customWidth : m_customHeight) = value;
    }
    return true;
  }

  // "Apply": the custom ratio (a width or height of 0: no constraint).
  void Apply() {
    if (!ReadCustomSize()) return;
    m_rect->SetAspect(CropCustomRatio(m_customWidth, m_customHeight));
    m_apply->Enable(false);
  }

  void OnLandscape() {
    m_isLandscape = m_landscape->GetValue();
    if (m_constraint >= CROP_CONSTRAINT_3X5 && m_constraint <= CROP_CONSTRAINT_8X10) RunConstraint(m_constraint);
  }

  void OnOK(wxCommandEvent&) {
    if (!ReadCustomSize()) return;
    WriteProfileInt(kSection, "Constraint", m_constraint);
    WriteProfileInt(kSection, "Landscape", m_isLandscape ? 1 : 0);
    m_values.crop = m_rect->GetPixelRect();
    m_values.constraint = m_constraint;
    m_values.landscape = m_isLandscape;
    EndModal(wxID_OK);
  }

  CROP_SPECIAL_VALUES& m_values;
  CCropRectCtrl* m_rect;
  wxRadioButton* m_radio[6];
  wxTextCtrl* m_width;
  wxTextCtrl* m_height;
  wxButton* m_apply;
  wxCheckBox* m_landscape;
  wxStaticText* m_size;
  uint32_t m_customWidth = 0, m_customHeight = 0;
  int m_constraint = CROP_CONSTRAINT_NONE;
  bool m_isLandscape = true;
};

}  // namespace

bool RunCropSpecialDialog(wxWindow* parent, const CRasterImage& image, CROP_SPECIAL_VALUES& values) {
  CROP_SPECIAL_VALUES edited = values;
  CCropDialog dialog(parent, image, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}
