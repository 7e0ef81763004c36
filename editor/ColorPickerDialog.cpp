#include "editor/ColorPickerDialog.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "imaging/PaletteFunctions.h"
#include "imaging/RasterImage.h"
#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"

bool ColorPickerAllowsAnyColor(const CRasterImage& image) {
  if (image.GetBitsPerPixel() == 24) return true;
  int index = 0;
  return FindUnusedPaletteIndex(image, &index);
}

bool ColorPickerAccepts(const CRasterImage& image, const RGBQUAD& colour) {
  if (image.IsEmpty()) return false;
  if (image.GetBitsPerPixel() == 24) return true;
  return FindPaletteIndex(image, colour) >= 0 || ColorPickerAllowsAnyColor(image);
}

namespace {

class CColorPickerDlg : public wxDialog {
 public:
  CColorPickerDlg(wxWindow* parent, const CRasterImage& image)
      : wxDialog(parent, IDD_COLOR_PICKER, "Color Picker", wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_preview = new CImagePreviewCtrl(this, IDC_PICKER_PREVIEW, wxDefaultPosition, wxSize(320, 240));
    m_preview->SetImage(&image);
    m_preview->SetImageSize(image.GetWidth(), image.GetHeight());
    m_preview->SetMode(PREVIEW_MODE_PICK);
    m_preview->SetColorPickCallback([this](const RGBQUAD& colour) { Choose(colour); });
    row->Add(m_preview, 1, wxEXPAND | wxALL, 10);
    auto* side = new wxBoxSizer(wxVERTICAL);
    m_box = new CColorBox(this, IDC_PICKER_COLOR, wxDefaultPosition, wxSize(64, 48));
    side->Add(m_box, 0, wxBOTTOM, 8);
    auto* eyedropper = new wxRadioButton(this, IDC_PICKER_EYEDROPPER, "Pick", wxDefaultPosition, wxDefaultSize,
                                         wxRB_GROUP);
    auto* hand = new wxRadioButton(this, IDC_PICKER_HAND, "Move");
    eyedropper->SetValue(true);
    eyedropper->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_preview->SetMode(PREVIEW_MODE_PICK); });
    hand->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_preview->SetMode(PREVIEW_MODE_PAN); });
    side->Add(eyedropper, 0, wxBOTTOM, 4);
    side->Add(hand, 0, wxBOTTOM, 8);
    auto* numbers = new wxFlexGridSizer(2, 4, 8);
    const std::pair<const char*, int> labels[] = {
        {"Red:", IDC_PICKER_RED}, {"Green:", IDC_PICKER_GREEN}, {"Blue:", IDC_PICKER_BLUE}};
    for (auto [text, id] : labels) {
      numbers->Add(new wxStaticText(this, wxID_ANY, text));
      numbers->Add(new wxStaticText(this, id, "n/a", wxDefaultPosition, wxSize(40, -1)));
    }
    side->Add(numbers, 0, wxBOTTOM, 8);
    auto* advanced = new wxButton(this, IDC_PICKER_ADVANCED, "Advanced...");
    advanced->Enable(ColorPickerAllowsAnyColor(image));
    side->Add(advanced, 0, wxEXPAND | wxBOTTOM, 12);
    m_ok = new wxButton(this, wxID_OK, "OK");
    m_ok->Disable();
    side->Add(m_ok, 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxEXPAND);
    row->Add(side, 0, wxALL, 10);
    SetSizerAndFit(row);
    advanced->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
      RGBQUAD colour{0, 0, 0, 0};
      m_box->GetColor(&colour);
      if (ChooseColor(this, colour)) Choose(colour);
    });
  }

  bool GetColor(RGBQUAD* colour) const { return m_box->GetColor(colour); }

 private:
  void Choose(RGBQUAD colour) {
    colour.rgbReserved = 0;
    m_box->SetColor(colour);
    FindWindow(IDC_PICKER_RED)->SetLabel(wxString::Format("%d", colour.rgbRed));
    FindWindow(IDC_PICKER_GREEN)->SetLabel(wxString::Format("%d", colour.rgbGreen));
    FindWindow(IDC_PICKER_BLUE)->SetLabel(wxString::Format("%d", colour.rgbBlue));
    m_ok->Enable();
  }

  CImagePreviewCtrl* m_preview;
  CColorBox* m_box;
  wxButton* m_ok;
};

}  // namespace

bool RunColorPicker(wxWindow* parent, const CRasterImage& image, RGBQUAD& colour) {
  CColorPickerDlg dialog(parent, image);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  RGBQUAD chosen;
  if (!dialog.GetColor(&chosen) || !ColorPickerAccepts(image, chosen)) return false;
  colour = chosen;
  return true;
}
