#include "output/BatchScriptPages.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/spinbutt.h>

#include <algorithm>
#include <cstdlib>

#include "formats/PersonalSignature.h"
#include "imaging/Rotate.h"
#include "output/core/ImageConverter.h"

namespace {

const char kQualityWarning[] = "Please enter a quality number between 0 and 100.";
const char kColorsMessage[] = "Please enter an integer between 2 and 256.";
const char kPositiveMessage[] = "Please enter a positive integer.";
const char kBadTitleMessage[] =
    "Please enter a file name that is not \".\" or \"..\" and has no '/' or control characters.";
const char kBadScriptNameMessage[] =
    "Please enter a script name that does not begin with '.' and has no '/', '\\' or control characters.";

const char* const kResizeTexts[] = {"Do Not Resize Image",  "Specify Fixed Width",  "Specify Fixed Height",
                                    "Specify Scale (%)",    "Specify Max. Width",   "Specify Max. Height"};
const char* const kResizeExplanations[] = {
    "",
    "All images will be resized to have the specified width",
    "All images will be resized to have the specified height",
    "All images will be scaled to the specified percentage",
    "Images that have width larger than the specified value will be resized down to have the specified width",
    "Images that have height larger than the specified value will be resized down to have the specified height",
};
const char* const kRotationTexts[] = {"Do Not Rotate Image", "Rotate 90 degrees clockwise", "Rotate 180 degrees",
                                      "Rotate 90 degrees counter-clockwise"};
const char* const kPaletteTypes[] = {"Windows 16 Colors", "Windows 256 Colors", "Web-Safe Colors", "Adaptive",
                                     "Load From File"};

// A whole non-negative decimal number (no sign, no blanks); false otherwise.
bool ParseNumber(const wxString& text, long* value) {
  if (text.empty() || text.length() > 9) return false;
  for (wxUniChar c : text)
    if (c < '0' || c > '9') return false;
  return text.ToLong(value);
}

wxString Utf8(const std::string& text) { return wxString::FromUTF8(text); }

// The comment radios and "Edit..." shared by both option panes.
wxSizer* AddCommentRadios(wxWindow* pane, std::function<void(int)> choose) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, pane, "Comment");
  auto* none = new wxRadioButton(box->GetStaticBox(), IDC_NO_COMMENT, "No comment", wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
  auto* keep = new wxRadioButton(box->GetStaticBox(), IDC_KEEP_COMMENT, "Keep original file comments");
  auto* sign = new wxRadioButton(box->GetStaticBox(), IDC_SIGNATURE_COMMENT, "Use personal signature");
  auto* edit = new wxButton(box->GetStaticBox(), IDC_EDIT_SIGNATURE, "Edit...");
  box->Add(none, 0, wxALL, 2);
  box->Add(keep, 0, wxALL, 2);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(sign, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  row->Add(edit);
  box->Add(row, 0, wxALL, 2);
  none->Bind(wxEVT_RADIOBUTTON, [choose](wxCommandEvent&) { choose(0); });
  keep->Bind(wxEVT_RADIOBUTTON, [choose](wxCommandEvent&) { choose(1); });
  sign->Bind(wxEVT_RADIOBUTTON, [choose](wxCommandEvent&) { choose(2); });
  edit->Bind(wxEVT_BUTTON, [pane](wxCommandEvent&) {
    // The personal signature editor: one text, stored on OK.
    wxTextEntryDialog dialog(pane, "Personal signature (<Filename>, <Date> and <Time> are filled in):",
                             "Personal Signature", Utf8(GetPersonalSignature()), wxOK | wxCANCEL | wxTE_MULTILINE);
    if (dialog.ShowModal() == wxID_OK) SetPersonalSignature(dialog.GetValue().utf8_string());
  });
  return box;
}

void ShowCommentOption(wxWindow* pane, int option) {
  const int ids[] = {IDC_NO_COMMENT, IDC_KEEP_COMMENT, IDC_SIGNATURE_COMMENT};
  if (auto* radio = wxDynamicCast(pane->FindWindow(ids[std::clamp(option, 0, 2)]), wxRadioButton))
    radio->SetValue(true);
  if (wxWindow* edit = pane->FindWindow(IDC_EDIT_SIGNATURE)) edit->Enable(option == 2);
}

wxImage ToWxImage(const CRasterImage& image) {
  const int w = image.GetWidth(), h = image.GetHeight();
  wxImage out(w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = image.GetRow(y);
    for (int x = 0; x < w; ++x) out.SetRGB(x, y, row[3 * x], row[3 * x + 1], row[3 * x + 2]);
  }
  return out;
}

void PostNextEnabled(wxWizard* wizard, bool enable) {
  if (wxWindow* next = wizard->FindWindow(wxID_FORWARD)) next->Enable(enable);
}

}  // namespace

ColorModeRules ColorModeRulesForFormat(int format, int currentMode) {
  if (format == 7) return {CM_RGB, {false, false, false, false, true}};
  if (format == 3)
    return {currentMode == CM_KEEP || currentMode == CM_RGB ? CM_INDEXED : currentMode, {false, true, true, true, false}};
  return {currentMode, {true, true, true, true, true}};
}

int RotationDegrees(int option) { return option == 1 ? 90 : option == 2 ? 180 : option == 3 ? 270 : 0; }

CRasterImage MakeBatchSamplePicture() {
  // A landscape whose turn is plain to see: sky above, a sun at the top
  // left, a house with a red roof standing on green ground.
  constexpr int w = 96, h = 64;
  CRasterImage image;
  image.Create(w, h, 24);
  uint8_t* bits = image.GetWritableBits();
  auto put = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = bits + y * image.GetStride() + 3 * x;
    p[0] = r;
    p[1] = g;
    p[2] = b;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (y >= 48)
        put(x, y, 40, 150, 40);
      else
        put(x, y, static_cast<uint8_t>(110 + y), static_cast<uint8_t>(160 + y), 250);
      const int dx = x - 16, dy = y - 13;
      if (dx * dx + dy * dy <= 64) put(x, y, 255, 210, 0);
      if (x >= 52 && x < 80 && y >= 32 && y < 48) put(x, y, 235, 225, 200);   // wall
      if (y >= 18 && y < 32 && std::abs(x - 66) <= (y - 18) + 2) put(x, y, 200, 30, 30);  // roof
      if (x >= 62 && x < 69 && y >= 38 && y < 48) put(x, y, 110, 60, 20);    // door
    }
  return image;
}

void InitSummaryColumns(wxListCtrl* list) {
  list->InsertColumn(0, "Option");
  list->InsertColumn(1, "Value");
}

void FillSummary(wxListCtrl* list, const CBatchScript& script) {
  list->DeleteAllItems();
  long row = 0;
  for (const auto& [option, value] : script.GetSummary()) {
    list->InsertItem(row, Utf8(option));
    list->SetItem(row, 1, Utf8(value));
    ++row;
  }
  list->SetColumnWidth(0, wxLIST_AUTOSIZE);
  list->SetColumnWidth(1, wxLIST_AUTOSIZE_USEHEADER);
}

// ---------------------------------------------------------------------------
// GIF pane

CBatchGifOption::CBatchGifOption(wxWindow* parent, CBatchScript* script) : wxPanel(parent, 285), m_pScript(script) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* version = new wxStaticBoxSizer(wxHORIZONTAL, this, "Version");
  auto* v89 = new wxRadioButton(version->GetStaticBox(), IDC_GIF89A, "GIF89a", wxDefaultPosition, wxDefaultSize,
                                wxRB_GROUP);
  auto* v87 = new wxRadioButton(version->GetStaticBox(), IDC_GIF87A, "GIF87a");
  version->Add(v89, 0, wxALL, 4);
  version->Add(v87, 0, wxALL, 4);
  column->Add(version, 0, wxEXPAND | wxBOTTOM, 6);
  auto* interlace = new wxCheckBox(this, IDC_GIF_INTERLACE, "Interlace scan lines");
  auto* single = new wxCheckBox(this, IDC_GIF_SINGLE, "Save as single-image GIF file");
  column->Add(interlace, 0, wxBOTTOM, 4);
  column->Add(single, 0, wxBOTTOM, 6);
  column->Add(AddCommentRadios(this, [this](int option) { SetCommentOption(option); }), 0, wxEXPAND);
  SetSizerAndFit(column);
  v89->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetSubType(1); });
  v87->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetSubType(0); });
  interlace->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) { m_pScript->m_bGifInterlace = e.IsChecked(); });
  single->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) { m_pScript->m_bGifSingleImage = e.IsChecked(); });
  RefreshFromScript();
}

void CBatchGifOption::SetCommentOption(int option) {
  m_pScript->m_nCommentOption = option;
  ShowCommentOption(this, option);
}

void CBatchGifOption::SetSubType(int subType) {
  m_pScript->m_nGifSubType = subType ? 1 : 0;
  static_cast<wxRadioButton*>(FindWindow(subType ? IDC_GIF89A : IDC_GIF87A))->SetValue(true);
  if (!subType) {
    // GIF87a carries no comment.
    m_pScript->m_nCommentOption = 0;
    ShowCommentOption(this, 0);
  }
  FindWindow(IDC_KEEP_COMMENT)->Enable(subType != 0);
  FindWindow(IDC_SIGNATURE_COMMENT)->Enable(subType != 0);
  FindWindow(IDC_EDIT_SIGNATURE)->Enable(subType != 0 && m_pScript->m_nCommentOption == 2);
}

void CBatchGifOption::RefreshFromScript() {
  static_cast<wxCheckBox*>(FindWindow(IDC_GIF_INTERLACE))->SetValue(m_pScript->m_bGifInterlace);
  static_cast<wxCheckBox*>(FindWindow(IDC_GIF_SINGLE))->SetValue(m_pScript->m_bGifSingleImage);
  ShowCommentOption(this, m_pScript->m_nCommentOption);
  SetSubType(m_pScript->m_nGifSubType == 0 ? 0 : 1);
}

// ---------------------------------------------------------------------------
// JPEG pane

CBatchJpegOption::CBatchJpegOption(wxWindow* parent, CBatchScript* script) : wxPanel(parent, 284), m_pScript(script) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* quality = new wxStaticBoxSizer(wxHORIZONTAL, this, "Quality");
  m_slider = new wxSlider(quality->GetStaticBox(), IDC_JPEG_SLIDER, 0, 0, 100, wxDefaultPosition, wxSize(160, -1));
  m_edit = new wxTextCtrl(quality->GetStaticBox(), IDC_JPEG_QUALITY, "", wxDefaultPosition, wxSize(50, -1));
  m_spin = new wxSpinButton(quality->GetStaticBox(), IDC_JPEG_SPIN, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  quality->Add(m_slider, 1, wxALIGN_CENTER_VERTICAL | wxALL, 2);
  quality->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
  quality->Add(m_spin, 0, wxALIGN_CENTER_VERTICAL);
  column->Add(quality, 0, wxEXPAND | wxBOTTOM, 6);
  auto* progressive = new wxCheckBox(this, IDC_JPEG_PROGRESSIVE, "Progressive JPEG");
  column->Add(progressive, 0, wxBOTTOM, 6);
  column->Add(AddCommentRadios(this, [this](int option) { SetCommentOption(option); }), 0, wxEXPAND);
  SetSizerAndFit(column);
  m_slider->SetPageSize(10);
  m_edit->SetMaxLength(3);
  m_spin->SetRange(0, 100);
  m_slider->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { OnSlider(); });
  m_edit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnEditChange(); });
  m_spin->Bind(wxEVT_SPIN, [this](wxSpinEvent& e) { m_edit->SetValue(wxString::Format("%d", e.GetPosition())); });
  progressive->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) { m_pScript->m_bJpegProgressive = e.IsChecked(); });
  RefreshFromScript();
}

void CBatchJpegOption::SetCommentOption(int option) {
  m_pScript->m_nCommentOption = option;
  ShowCommentOption(this, option);
}

void CBatchJpegOption::RefreshFromScript() {
  const int quality = std::clamp(m_pScript->m_nJpegQuality, 0, 100);
  m_slider->SetValue(quality);
  m_edit->ChangeValue(wxString::Format("%d", quality));
  m_spin->SetValue(quality);
  static_cast<wxCheckBox*>(FindWindow(IDC_JPEG_PROGRESSIVE))->SetValue(m_pScript->m_bJpegProgressive);
  ShowCommentOption(this, m_pScript->m_nCommentOption);
}

void CBatchJpegOption::OnSlider() {
  const int position = m_slider->GetValue();
  long shown = -1;
  if (!ParseNumber(m_edit->GetValue(), &shown) || shown != position)
    m_edit->ChangeValue(wxString::Format("%d", position));
  m_spin->SetValue(position);
  m_pScript->m_nJpegQuality = position;
}

void CBatchJpegOption::OnEditChange() {
  const wxString text = m_edit->GetValue();
  if (text.empty()) return;
  long value = 0;
  if (!ParseNumber(text, &value) || value > 100) {
    wxMessageBox(kQualityWarning, "Warning", wxOK, this);
    m_edit->SelectAll();
    return;
  }
  if (m_slider->GetValue() != value) m_slider->SetValue(static_cast<int>(value));
  m_spin->SetValue(static_cast<int>(value));
  m_pScript->m_nJpegQuality = static_cast<int>(value);
}

// ---------------------------------------------------------------------------
// Format page

CBatchFormatOption::CBatchFormatOption(wxWizard* parent, CBatchScript* script)
    : wxWizardPageSimple(parent), m_pScript(script) {
  SetId(280);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, "Choose the format of the converted files:"), 0, wxBOTTOM, 4);
  wxArrayString formats;
  for (const char* text : kOutputFormatTexts) formats.Add(text);
  m_format = new wxChoice(this, IDC_FORMAT_COMBO, wxDefaultPosition, wxDefaultSize, formats);
  column->Add(m_format, 0, wxEXPAND | wxBOTTOM, 10);
  // Both panes share the place below the list; one of them shows at a time.
  auto* placeholder = new wxBoxSizer(wxVERTICAL);
  m_jpeg = new CBatchJpegOption(this, script);
  m_gif = new CBatchGifOption(this, script);
  placeholder->Add(m_jpeg, 0, wxEXPAND);
  placeholder->Add(m_gif, 0, wxEXPAND);
  column->Add(placeholder, 1, wxEXPAND);
  SetSizer(column);
  m_format->SetSelection(std::clamp(script->m_nFormat, 0, kOutputFormatCount - 1));
  m_format->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnFormatChange(); });
  OnFormatChange();
}

void CBatchFormatOption::OnFormatChange() {
  const int format = m_format->GetSelection();
  const bool gif = format == 3, jpeg = format == 7;
  if (gif) m_gif->RefreshFromScript();
  if (jpeg) m_jpeg->RefreshFromScript();
  m_gif->Enable(gif);
  m_gif->Show(gif);
  m_jpeg->Enable(jpeg);
  m_jpeg->Show(jpeg);
  Layout();
}

bool CBatchFormatOption::OnKillActive() {
  m_pScript->m_nFormat = m_format->GetSelection();
  return true;
}

// ---------------------------------------------------------------------------
// Colour page

CBatchColorOption::CBatchColorOption(wxWizard* parent, CBatchScript* script)
    : wxWizardPageSimple(parent), m_pScript(script) {
  SetId(281);
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* modes = new wxStaticBoxSizer(wxVERTICAL, this, "Color mode");
  const std::pair<int, const char*> buttons[] = {{IDC_MODE_KEEP, "Keep Original Color Mode"},
                                                 {IDC_MODE_BITMAP, "Bitmap"},
                                                 {IDC_MODE_INDEXED, "Indexed Color Mode"},
                                                 {IDC_MODE_GRAY, "Grayscale"},
                                                 {IDC_MODE_RGB, "RGB Full Color"}};
  for (int mode = 0; mode < 5; ++mode) {
    auto* radio = new wxRadioButton(modes->GetStaticBox(), buttons[mode].first, buttons[mode].second,
                                    wxDefaultPosition, wxDefaultSize, mode == 0 ? wxRB_GROUP : 0);
    modes->Add(radio, 0, wxALL, 2);
    radio->Bind(wxEVT_RADIOBUTTON, [this, mode](wxCommandEvent&) { ChooseMode(mode); });
  }
  column->Add(modes, 0, wxEXPAND | wxBOTTOM, 8);
  auto* palette = new wxFlexGridSizer(2, 6, 6);
  palette->Add(new wxStaticText(this, wxID_ANY, "Palette:"), 0, wxALIGN_CENTER_VERTICAL);
  wxArrayString types;
  for (const char* text : kPaletteTypes) types.Add(text);
  m_paletteType = new wxChoice(this, IDC_PALETTE_TYPE, wxDefaultPosition, wxDefaultSize, types);
  palette->Add(m_paletteType);
  palette->Add(new wxStaticText(this, wxID_ANY, "Number of colors:"), 0, wxALIGN_CENTER_VERTICAL);
  m_colors = new wxTextCtrl(this, IDC_COLORS, "", wxDefaultPosition, wxSize(60, -1));
  palette->Add(m_colors);
  column->Add(palette, 0, wxBOTTOM, 6);
  auto* file = new wxBoxSizer(wxHORIZONTAL);
  file->Add(new wxTextCtrl(this, IDC_PALETTE_FILE, Utf8(script->m_strPaletteFile), wxDefaultPosition,
                           wxSize(240, -1), wxTE_READONLY),
            1, wxRIGHT, 6);
  file->Add(new wxButton(this, IDC_PALETTE_BROWSE, "Browse..."));
  column->Add(file, 0, wxEXPAND | wxBOTTOM, 6);
  auto* dither = new wxCheckBox(this, IDC_DITHER, "Use Dithering");
  column->Add(dither);
  SetSizer(column);

  dither->SetValue(script->m_bDither);
  dither->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) { m_pScript->m_bDither = e.IsChecked(); });
  m_paletteType->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnPaletteType(); });
  FindWindow(IDC_PALETTE_BROWSE)->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    wxFileDialog dialog(this, "Load Palette", "", "untitled", "Windows Palette (*.PAL)|*.pal|All Files (*.*)|*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return;
    m_pScript->m_strPaletteFile = dialog.GetPath().utf8_string();
    static_cast<wxTextCtrl*>(FindWindow(IDC_PALETTE_FILE))->ChangeValue(dialog.GetPath());
  });
  m_paletteType->SetSelection(std::clamp(script->m_nPaletteOption, 0, 4));
  ChooseMode(std::clamp(script->m_nColorMode, 0, 4));
}

wxRadioButton* CBatchColorOption::ModeButton(int mode) {
  const int ids[] = {IDC_MODE_KEEP, IDC_MODE_BITMAP, IDC_MODE_INDEXED, IDC_MODE_GRAY, IDC_MODE_RGB};
  return static_cast<wxRadioButton*>(FindWindow(ids[mode]));
}

void CBatchColorOption::ChooseMode(int mode) {
  ModeButton(mode)->SetValue(true);
  m_pScript->m_nColorMode = mode;
  if (mode == CM_INDEXED) {
    m_paletteType->Enable();
    FindWindow(IDC_DITHER)->Enable();
    OnPaletteType();
  } else {
    for (int id : {IDC_PALETTE_TYPE, IDC_COLORS, IDC_DITHER, IDC_PALETTE_BROWSE, IDC_PALETTE_FILE})
      FindWindow(id)->Disable();
  }
}

void CBatchColorOption::OnPaletteType() {
  const int type = m_paletteType->GetSelection();
  m_colors->Enable(type == PAL_ADAPTIVE);
  FindWindow(IDC_PALETTE_BROWSE)->Enable(type == PAL_FILE);
  FindWindow(IDC_PALETTE_FILE)->Enable(type == PAL_FILE);
  if (type == PAL_WINDOWS16) m_pScript->m_nColors = 16;
  if (type == PAL_WINDOWS256) m_pScript->m_nColors = 256;
  if (type == PAL_WEB) m_pScript->m_nColors = 216;
  m_colors->ChangeValue(wxString::Format("%d", m_pScript->m_nColors));
  m_pScript->m_nPaletteOption = type;
}

void CBatchColorOption::OnSetActive() {
  const ColorModeRules rules = ColorModeRulesForFormat(m_pScript->m_nFormat, m_pScript->m_nColorMode);
  for (int mode = 0; mode < 5; ++mode) ModeButton(mode)->Enable(rules.enabled[mode]);
  ChooseMode(rules.mode);
}

bool CBatchColorOption::OnKillActive() {
  // With the count disabled the number is not used; the script keeps its own.
  if (!m_colors->IsEnabled()) return true;
  long value = 0;
  if (!m_colors->GetValue().Trim().Trim(false).ToLong(&value) || value < 2 || value > 256) {
    wxMessageBox(kColorsMessage, "Batch Color Options", wxOK | wxICON_EXCLAMATION, this);
    m_colors->SetFocus();
    return false;
  }
  m_nColors = static_cast<int>(value);
  m_pScript->m_nColors = m_nColors;
  return true;
}

// ---------------------------------------------------------------------------
// Resize page

CSamplePreview::CSamplePreview(wxWindow* parent, wxWindowID id, const wxSize& size)
    : wxWindow(parent, id, wxDefaultPosition, size, wxBORDER_NONE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetMinSize(size);
  Bind(wxEVT_PAINT, &CSamplePreview::OnPaint, this);
}

void CSamplePreview::SetImage(const CRasterImage& image) {
  m_image = image;
  m_bitmap = image.IsEmpty() ? wxBitmap() : wxBitmap(ToWxImage(image));
  Refresh();
}

void CSamplePreview::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.Clear();
  if (!m_bitmap.IsOk()) return;
  const wxSize size = GetClientSize();
  dc.DrawBitmap(m_bitmap, (size.x - m_bitmap.GetWidth()) / 2, (size.y - m_bitmap.GetHeight()) / 2);
}

CBatchResizeOption::CBatchResizeOption(wxWizard* parent, CBatchScript* script)
    : wxWizardPageSimple(parent), m_pScript(script) {
  SetId(282);
  m_samples[0] = MakeBatchSamplePicture();
  for (int i = 1; i < 4; ++i) m_samples[i] = RotateImage(m_samples[0], 90 * i);

  auto* column = new wxBoxSizer(wxVERTICAL);
  wxArrayString methods, rotations;
  for (const char* text : kResizeTexts) methods.Add(text);
  for (const char* text : kRotationTexts) rotations.Add(text);
  m_method = new wxChoice(this, IDC_RESIZE_METHOD, wxDefaultPosition, wxDefaultSize, methods);
  m_value = new wxTextCtrl(this, IDC_RESIZE_VALUE, "0", wxDefaultPosition, wxSize(70, -1));
  m_explanation = new wxStaticText(this, IDC_RESIZE_TEXT, "", wxDefaultPosition, wxSize(360, 36));
  m_rotation = new wxChoice(this, IDC_ROTATION, wxDefaultPosition, wxDefaultSize, rotations);
  m_preview = new CSamplePreview(this, IDC_SAMPLE_PREVIEW, wxSize(110, 110));
  auto* resize = new wxBoxSizer(wxHORIZONTAL);
  resize->Add(m_method, 0, wxRIGHT, 8);
  resize->Add(m_value);
  column->Add(new wxStaticText(this, wxID_ANY, "Resize:"), 0, wxBOTTOM, 4);
  column->Add(resize, 0, wxBOTTOM, 4);
  column->Add(m_explanation, 0, wxEXPAND | wxBOTTOM, 10);
  column->Add(new wxStaticText(this, wxID_ANY, "Rotate:"), 0, wxBOTTOM, 4);
  auto* rotate = new wxBoxSizer(wxHORIZONTAL);
  rotate->Add(m_rotation, 0, wxALIGN_TOP | wxRIGHT, 12);
  rotate->Add(m_preview);
  column->Add(rotate);
  SetSizer(column);

  m_method->SetSelection(std::clamp(script->m_nResizeMethod, 0, 5));
  m_rotation->SetSelection(std::clamp(script->m_nRotateOption, 0, 3));
  m_method->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnMethodChange(); });
  m_rotation->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnRotationChange(); });
  OnMethodChange();
  OnRotationChange();
}

void CBatchResizeOption::OnMethodChange() {
  const int method = m_method->GetSelection();
  m_explanation->SetLabel(kResizeExplanations[method]);
  m_explanation->Wrap(360);
  m_pScript->m_nResizeMethod = method;
  const int values[] = {0, m_pScript->m_nFixedWidth, m_pScript->m_nFixedHeight, m_pScript->m_nScale,
                        m_pScript->m_nMaxWidth, m_pScript->m_nMaxHeight};
  if (method > 0) m_value->ChangeValue(wxString::Format("%d", values[method]));
  m_value->Enable(method != 0);
}

void CBatchResizeOption::OnRotationChange() {
  m_preview->SetImage(m_samples[std::clamp(m_rotation->GetSelection(), 0, 3)]);
  m_preview->Refresh();
}

bool CBatchResizeOption::OnKillActive() {
  const int method = m_method->GetSelection();
  long value = 0;
  // Sides above the canvas limit, or a value of 0, would fail every file.
  const long limit = method == BATCH_RESIZE_SCALE ? 10000 : 32767;
  const bool valid = ParseNumber(m_value->GetValue().Trim().Trim(false), &value) &&
                     (method == BATCH_RESIZE_NONE || (value >= 1 && value <= limit));
  if (!valid) {
    wxMessageBox(kPositiveMessage, "Batch Resize Options", wxOK | wxICON_EXCLAMATION, this);
    m_value->SetFocus();
    return false;
  }
  m_pScript->m_nResizeMethod = method;
  m_pScript->m_nRotateOption = m_rotation->GetSelection();
  const int v = static_cast<int>(value);
  switch (method) {
    case BATCH_RESIZE_FIXED_WIDTH: m_pScript->m_nFixedWidth = v; break;
    case BATCH_RESIZE_FIXED_HEIGHT: m_pScript->m_nFixedHeight = v; break;
    case BATCH_RESIZE_SCALE: m_pScript->m_nScale = v; break;
    case BATCH_RESIZE_MAX_WIDTH: m_pScript->m_nMaxWidth = v; break;
    case BATCH_RESIZE_MAX_HEIGHT: m_pScript->m_nMaxHeight = v; break;
    default: break;
  }
  return true;
}

// ---------------------------------------------------------------------------
// File name page

CBatchFileNameOption::CBatchFileNameOption(wxWizard* parent, CBatchScript* script)
    : wxWizardPageSimple(parent), m_pScript(script) {
  SetId(283);
  auto* grid = new wxFlexGridSizer(2, 6, 6);
  grid->Add(new wxStaticText(this, wxID_ANY, "File name:"), 0, wxALIGN_CENTER_VERTICAL);
  m_title = new wxTextCtrl(this, IDC_FILE_TITLE, Utf8(script->m_strFilePrefix), wxDefaultPosition, wxSize(200, -1));
  grid->Add(m_title);
  grid->Add(new wxStaticText(this, wxID_ANY, "Number of digits:"), 0, wxALIGN_CENTER_VERTICAL);
  wxArrayString digits;
  for (int i = 1; i <= 10; ++i) digits.Add(wxString::Format("%d", i));
  m_digits = new wxChoice(this, IDC_DIGITS, wxDefaultPosition, wxDefaultSize, digits);
  grid->Add(m_digits);
  grid->Add(new wxStaticText(this, wxID_ANY, "Example:"), 0, wxALIGN_CENTER_VERTICAL);
  m_example = new wxStaticText(this, IDC_EXAMPLE, "", wxDefaultPosition, wxSize(200, -1));
  grid->Add(m_example);
  grid->Add(new wxStaticText(this, wxID_ANY, "Save files in:"), 0, wxALIGN_CENTER_VERTICAL);
  wxArrayString destinations;
  destinations.Add("Their Original Folder");
  destinations.Add("A Common Folder Specified Below");
  m_destination = new wxChoice(this, IDC_DESTINATION, wxDefaultPosition, wxDefaultSize, destinations);
  grid->Add(m_destination);
  auto* folder = new wxBoxSizer(wxHORIZONTAL);
  m_folder = new wxTextCtrl(this, IDC_COMMON_FOLDER, Utf8(script->m_strCommonFolder), wxDefaultPosition,
                            wxSize(260, -1));
  folder->Add(m_folder, 1, wxRIGHT, 6);
  folder->Add(new wxButton(this, IDC_FOLDER_BROWSE, "...", wxDefaultPosition, wxSize(36, -1)));
  m_recycle = new wxCheckBox(this, IDC_RECYCLE, "Move original files to the Recycle Bin");
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(grid, 0, wxBOTTOM, 8);
  column->Add(folder, 0, wxEXPAND | wxBOTTOM, 10);
  column->Add(m_recycle);
  SetSizer(column);

  m_digits->SetSelection(std::clamp(script->m_nDigits, 1, 10) - 1);
  m_destination->SetSelection(script->m_nDestination ? 1 : 0);
  m_recycle->SetValue(script->m_bRecycleOriginal);
  m_title->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnNameChange(); });
  m_digits->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnNameChange(); });
  m_destination->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnDestinationChange(); });
  FindWindow(IDC_FOLDER_BROWSE)->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    wxDirDialog dialog(this, "Choose a common folder for this batch script:", m_folder->GetValue(),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK) m_folder->ChangeValue(dialog.GetPath());
  });
  OnNameChange();
  OnDestinationChange();
}

void CBatchFileNameOption::OnNameChange() {
  m_pScript->m_strFilePrefix = m_title->GetValue().utf8_string();
  m_pScript->m_nDigits = m_digits->GetSelection() + 1;
  m_example->SetLabel(Utf8(m_pScript->FormatFileName(1)));
}

void CBatchFileNameOption::OnDestinationChange() {
  const bool common = m_destination->GetSelection() == 1;
  m_folder->Enable(common);
  FindWindow(IDC_FOLDER_BROWSE)->Enable(common);
}

bool CBatchFileNameOption::OnKillActive() {
  const std::string title = m_title->GetValue().utf8_string();
  if (!title.empty() && !IsValidFileTitle(title)) {
    wxMessageBox(kBadTitleMessage, "Batch File Name", wxOK | wxICON_EXCLAMATION, this);
    m_title->SetFocus();
    return false;
  }
  m_pScript->m_strFilePrefix = title;
  m_pScript->m_nDigits = m_digits->GetSelection() + 1;
  m_pScript->m_nDestination = m_destination->GetSelection();
  m_pScript->m_strCommonFolder = m_folder->GetValue().utf8_string();
  m_pScript->m_bRecycleOriginal = m_recycle->GetValue();
  return true;
}

// ---------------------------------------------------------------------------
// Script name page

CBatchScriptName::CBatchScriptName(wxWizard* parent, CBatchScript* script)
    : wxWizardPageSimple(parent), m_pScript(script) {
  SetId(286);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, "Script name:"), 0, wxBOTTOM, 4);
  m_name = new wxTextCtrl(this, IDC_SCRIPT_NAME, Utf8(script->m_strName));
  column->Add(m_name, 0, wxEXPAND | wxBOTTOM, 8);
  m_summary = new wxListCtrl(this, IDC_SUMMARY, wxDefaultPosition, wxSize(420, 230),
                             wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_SINGLE_SEL);
  column->Add(m_summary, 1, wxEXPAND);
  SetSizer(column);
  InitSummaryColumns(m_summary);
  m_name->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { UpdateButtons(); });
}

void CBatchScriptName::OnSetActive() {
  FillSummary(m_summary, *m_pScript);
  UpdateButtons();
}

void CBatchScriptName::UpdateButtons() { PostNextEnabled(static_cast<wxWizard*>(GetParent()), !m_name->IsEmpty()); }

bool CBatchScriptName::OnKillActive() {
  const std::string name = m_name->GetValue().utf8_string();
  if (!IsValidBatchScriptName(name)) {
    wxMessageBox(kBadScriptNameMessage, "Batch Script Name", wxOK | wxICON_EXCLAMATION, this);
    m_name->SetFocus();
    return false;
  }
  m_pScript->m_strName = name;
  return true;
}

// ---------------------------------------------------------------------------

CBatchScriptWizard::CBatchScriptWizard(wxWindow* parent, CBatchScript* script)
    : wxWizard(parent, wxID_ANY, "Batch Processing Wizard") {
  m_formatPage = new CBatchFormatOption(this, script);
  m_colorPage = new CBatchColorOption(this, script);
  m_resizePage = new CBatchResizeOption(this, script);
  m_fileNamePage = new CBatchFileNameOption(this, script);
  m_namePage = new CBatchScriptName(this, script);
  wxWizardPageSimple::Chain(m_formatPage, m_colorPage);
  wxWizardPageSimple::Chain(m_colorPage, m_resizePage);
  wxWizardPageSimple::Chain(m_resizePage, m_fileNamePage);
  wxWizardPageSimple::Chain(m_fileNamePage, m_namePage);
  // The page area is as large as the largest page.
  for (wxWizardPage* page : std::initializer_list<wxWizardPage*>{m_formatPage, m_colorPage, m_resizePage,
                                                                 m_fileNamePage, m_namePage})
    GetPageAreaSizer()->Add(page);
  Bind(wxEVT_WIZARD_PAGE_SHOWN, &CBatchScriptWizard::OnPageShown, this);
  Bind(wxEVT_WIZARD_PAGE_CHANGING, &CBatchScriptWizard::OnPageChanging, this);
}

bool CBatchScriptWizard::RunModal() { return RunWizard(m_formatPage); }

void CBatchScriptWizard::OnPageShown(wxWizardEvent& event) {
  wxWizardPage* page = event.GetPage();
  if (page == m_colorPage) m_colorPage->OnSetActive();
  if (page == m_namePage)
    m_namePage->OnSetActive();
  else
    PostNextEnabled(this, true);
  event.Skip();
}

void CBatchScriptWizard::OnPageChanging(wxWizardEvent& event) {
  wxWizardPage* page = event.GetPage();
  bool ok = true;
  if (page == m_formatPage) ok = m_formatPage->OnKillActive();
  if (page == m_colorPage) ok = m_colorPage->OnKillActive();
  if (page == m_resizePage) ok = m_resizePage->OnKillActive();
  if (page == m_fileNamePage) ok = m_fileNamePage->OnKillActive();
  // Leaving the name page backwards keeps whatever is typed; Finish checks it.
  if (page == m_namePage && event.GetDirection()) ok = m_namePage->OnKillActive();
  if (!ok) event.Veto();
}
