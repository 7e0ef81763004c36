#include "shell/DisplayOptionsDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "imaging/ImageDrawing.h"
#include "imaging/LayerStack.h"
#include "base/Profile.h"
#include "imaging/SampleBall.h"
#include "shell/ColorChooser.h"
#include "shell/DeviceDrawing.h"
#include "shell/DisplayDrawing.h"
#include "shell/ModalDialog.h"

namespace {

constexpr int kAnimationTimer = 101;
constexpr int kAnimationMs = 200;

wxColour ToColour(const RGBQUAD& q) { return wxColour(q.rgbRed, q.rgbGreen, q.rgbBlue); }

}  // namespace

// --- the preview --------------------------------------------------------------

CDisplayPreviewCtrl::CDisplayPreviewCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : m_timer(this, kAnimationTimer) {
  Create(parent, id, pos, size, 0, "displaypreview");
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Step(); }, kAnimationTimer);
}

CDisplayPreviewCtrl::~CDisplayPreviewCtrl() { m_timer.Stop(); }

void CDisplayPreviewCtrl::SetOptions(const DISPLAY_OPTIONS& options) {
  m_options = options;
  ++m_repaints;
  if (GetHandle()) Refresh();
}

void CDisplayPreviewCtrl::StartAnimation() {
  if (m_bRunning) return;
  m_nAngle = 0;
  m_bRunning = 1;
  m_timer.Start(kAnimationMs);
}

void CDisplayPreviewCtrl::StopAnimation() {
  m_timer.Stop();
  m_bRunning = 0;
}

void CDisplayPreviewCtrl::Step() {
  m_nAngle = (m_nAngle + 5) % 360;
  if (GetHandle()) RefreshRect(BallRect(GetClientSize()), false);
}

wxRect CDisplayPreviewCtrl::BallRect(const wxSize& client) {
  const int s = std::min(client.x, client.y) * 3 / 4;
  return wxRect((client.x - s) / 2, (client.y - s) / 2, std::max(0, s), std::max(0, s));
}

wxColour CDisplayPreviewCtrl::GetPaintBackground() const { return ToColour(m_options.windowColor); }

void CDisplayPreviewCtrl::Render(wxDC& dc) {
  const wxSize client = GetRenderSize();
  const wxRect r = BallRect(client);
  // Around the ball: the window background colour.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ToColour(m_options.windowColor)));
  if (r.IsEmpty()) {
    dc.DrawRectangle(wxRect(client));
    return;
  }
  dc.DrawRectangle(0, 0, client.x, r.y);
  dc.DrawRectangle(0, r.GetBottom() + 1, client.x, client.y - r.GetBottom() - 1);
  dc.DrawRectangle(0, r.y, r.x, r.height);
  dc.DrawRectangle(r.GetRight() + 1, r.y, client.x - r.GetRight() - 1, r.height);
  const Rect image{r.x, r.y, r.x + r.width, r.y + r.height};
  if (m_options.bDrawBorder) {
    dc.SetPen(*wxBLACK_PEN);
    DrawRectOutline(dc, image);
  }
  if (m_options.bDrawShadow) DrawStippledShadow(dc, Rect{0, 0, client.x, client.y}, image, 0);
  CLayerStack stack(r.width, r.height);
  stack.AddImage(MakeSampleBallImage(r.width, r.height, true, m_nAngle), 0, 0);
  DrawLayerStack(dc, image, r.height, stack, SelectBackgroundSampler(m_options));
}

// --- the dialog ---------------------------------------------------------------

CDisplayOptionsDlg::CDisplayOptionsDlg(wxWindow* parent, const DISPLAY_OPTIONS& options)
    : wxDialog(parent, IDD_DISPLAY_OPTIONS, "Display Options"), m_options(options) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  auto* left = new wxBoxSizer(wxVERTICAL);

  auto* bk = new wxBoxSizer(wxHORIZONTAL);
  bk->Add(new wxStaticText(this, wxID_ANY, "Window background color:"), 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  m_boxes[0] = new CColorBox(this, IDC_BKCOLOR_BOX, wxDefaultPosition, wxSize(40, 20));
  bk->Add(m_boxes[0], 0, wxALIGN_CENTER_VERTICAL);
  left->Add(bk, 0, wxEXPAND | wxBOTTOM, 8);

  m_border = new wxCheckBox(this, IDC_SHOW_BORDER, "Show border");
  m_shadow = new wxCheckBox(this, IDC_SHOW_SHADOW, "Show shadow");
  left->Add(m_border, 0, wxBOTTOM, 4);
  left->Add(m_shadow, 0, wxBOTTOM, 8);

  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, "Transparency");
  wxWindow* box = group->GetStaticBox();
  auto addRow = [&](int radioId, const char* label, int boxId, int boxIndex, int radioIndex, long style) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_radios[radioIndex] = new wxRadioButton(box, radioId, label, wxDefaultPosition, wxDefaultSize, style);
    row->Add(m_radios[radioIndex], 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    if (boxId) {
      m_boxes[boxIndex] = new CColorBox(box, boxId, wxDefaultPosition, wxSize(40, 20));
      row->Add(m_boxes[boxIndex], 0, wxALIGN_CENTER_VERTICAL);
    }
    group->Add(row, 0, wxEXPAND | wxALL, 4);
    return row;
  };
  wxBoxSizer* checkerRow = addRow(IDC_USE_CHECKERBOARD, "Use checker board pattern", IDC_CHECKER1_BOX, 3, 0, wxRB_GROUP);
  m_boxes[2] = new CColorBox(box, IDC_CHECKER2_BOX, wxDefaultPosition, wxSize(40, 20));
  checkerRow->Add(m_boxes[2], 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
  addRow(IDC_USE_SOLID, "Use solid color", IDC_SOLID_BOX, 1, 1, 0);
  addRow(IDC_USE_WINDOW_COLOR, "Use window background color", 0, 0, 2, 0);
  left->Add(group, 0, wxEXPAND);

  auto* right = new wxBoxSizer(wxVERTICAL);
  m_preview = new CDisplayPreviewCtrl(this, IDC_DISPLAY_PREVIEW, wxDefaultPosition, wxSize(160, 160));
  right->Add(m_preview, 1, wxEXPAND | wxBOTTOM, 8);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, IDC_DISPLAY_DEFAULT, "Default"), 0, wxRIGHT, 4);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0);
  right->Add(buttons, 0, wxEXPAND);

  top->Add(left, 0, wxALL, 10);
  top->Add(right, 1, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(top);

  const int boxIds[4] = {IDC_BKCOLOR_BOX, IDC_SOLID_BOX, IDC_CHECKER2_BOX, IDC_CHECKER1_BOX};
  for (int i = 0; i < 4; ++i) {
    const int id = boxIds[i];
    m_boxes[i]->SetClickCallback([this, id] { ChooseBoxColor(id); });
  }
  Bind(wxEVT_CHECKBOX, &CDisplayOptionsDlg::OnCheck, this);
  Bind(wxEVT_RADIOBUTTON, &CDisplayOptionsDlg::OnRadio, this);
  Bind(wxEVT_BUTTON, &CDisplayOptionsDlg::OnDefault, this, IDC_DISPLAY_DEFAULT);
  Bind(wxEVT_BUTTON, &CDisplayOptionsDlg::OnOk, this, wxID_OK);
  ShowValues();
  m_preview->SetOptions(m_options);
  m_preview->StartAnimation();
  CentreOnParent();
}

void CDisplayOptionsDlg::ShowValues() {
  m_border->SetValue(m_options.bDrawBorder != 0);
  m_shadow->SetValue(m_options.bDrawShadow != 0);
  m_boxes[0]->SetColor(m_options.windowColor);
  m_boxes[1]->SetColor(m_options.solidColor);
  m_boxes[2]->SetColor(m_options.checkerColor2);
  m_boxes[3]->SetColor(m_options.checkerColor1);
  m_radios[std::clamp(m_options.nTransparency, 0, 2)]->SetValue(true);
}

RGBQUAD* CDisplayOptionsDlg::ColorOfBox(int boxId) {
  switch (boxId) {
    case IDC_BKCOLOR_BOX: return &m_options.windowColor;
    case IDC_SOLID_BOX: return &m_options.solidColor;
    case IDC_CHECKER2_BOX: return &m_options.checkerColor2;
    case IDC_CHECKER1_BOX: return &m_options.checkerColor1;
    default: return nullptr;
  }
}

void CDisplayOptionsDlg::ChooseBoxColor(int boxId) {
  RGBQUAD* colour = ColorOfBox(boxId);
  if (!colour) return;
  RGBQUAD chosen = *colour;
  if (!ChooseColor(this, chosen)) return;
  chosen.rgbReserved = 0;
  *colour = chosen;
  if (auto* box = dynamic_cast<CColorBox*>(FindWindow(boxId))) box->SetColor(chosen);
  // The preview changes only when the colour shows in the current mode.
  const bool visible = boxId == IDC_BKCOLOR_BOX ||
                       (boxId == IDC_SOLID_BOX && m_options.nTransparency == TRANSPARENCY_SOLID) ||
                       ((boxId == IDC_CHECKER1_BOX || boxId == IDC_CHECKER2_BOX) &&
                        m_options.nTransparency == TRANSPARENCY_CHECKERBOARD);
  if (visible) m_preview->SetOptions(m_options);
}

void CDisplayOptionsDlg::OnCheck(wxCommandEvent& event) {
  if (event.GetId() == IDC_SHOW_BORDER) m_options.bDrawBorder = m_border->GetValue() ? 1 : 0;
  else if (event.GetId() == IDC_SHOW_SHADOW) m_options.bDrawShadow = m_shadow->GetValue() ? 1 : 0;
  else return event.Skip();
  m_preview->SetOptions(m_options);
}

void CDisplayOptionsDlg::OnRadio(wxCommandEvent& event) {
  const int id = event.GetId();
  if (id < IDC_USE_CHECKERBOARD || id > IDC_USE_WINDOW_COLOR) return event.Skip();
  m_options.nTransparency = id - IDC_USE_CHECKERBOARD;
  m_preview->SetOptions(m_options);
}

void CDisplayOptionsDlg::OnDefault(wxCommandEvent&) {
  m_options = DISPLAY_OPTIONS();
  ShowValues();
  m_preview->SetOptions(m_options);
}

void CDisplayOptionsDlg::OnOk(wxCommandEvent&) {
  m_preview->StopAnimation();
  EndModal(wxID_OK);
}

bool RunDisplayOptionsDialog(wxWindow* parent, DISPLAY_OPTIONS& values) {
  CDisplayOptionsDlg dialog(parent, values);
  const int result = RunModalDialog(dialog);
  dialog.GetPreview()->StopAnimation();
  if (result != wxID_OK) return false;
  values = dialog.GetValues();
  return true;
}

bool EditDisplayOptions(wxWindow* parent) {
  DISPLAY_OPTIONS options;
  GetDisplayOptions(options);
  if (!RunDisplayOptionsDialog(parent, options)) return false;
  SetDisplayOptions(options);
  Profile().Flush();
  return true;
}
