#include "editor/EditPaletteDialog.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <array>

#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "shell/ModalDialog.h"
#include "shell/PaletteFileDialog.h"
#include "shell/UiTheme.h"

wxRect PaletteCellRect(int index, const wxSize& size) {
  const int cw = size.x / 16, ch = size.y / 16;
  const int left = (size.x % 16) / 2, top = (size.y % 16) / 2;
  return wxRect(left + (index % 16) * cw, top + (index / 16) * ch, cw, ch);
}

int PaletteCellAt(const wxPoint& point, const wxSize& size) {
  const int cw = size.x / 16, ch = size.y / 16;
  if (cw <= 2 || ch <= 2) return -1;
  const int x = point.x - (size.x % 16) / 2, y = point.y - (size.y % 16) / 2;
  if (x < 0 || y < 0 || x >= 16 * cw || y >= 16 * ch) return -1;
  const int cx = x % cw, cy = y % ch;
  if (cx == 0 || cy == 0 || cx == cw - 1 || cy == ch - 1) return -1;
  return (y / ch) * 16 + x / cw;
}

CPaletteGridCtrl::CPaletteGridCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : CPaintedWindow(parent, id, pos, size) {
  SetCursor(wxCursor(wxCURSOR_CROSS));
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) { ClickAt(event.GetPosition()); });
}

void CPaletteGridCtrl::SetPalette(const RGBQUAD* palette, int count) {
  m_pPalette = palette;
  m_nCount = palette ? std::clamp(count, 0, 256) : 0;
  Refresh();
}

void CPaletteGridCtrl::ClickAt(const wxPoint& point) {
  if (!m_pPalette) return;
  const int index = PaletteCellAt(point, GetClientSize());
  if (index < 0 || index >= m_nCount) return;
  m_nSelected = index;
  Refresh();
  const RGBQUAD& entry = m_pPalette[index];
  if (m_callback) m_callback(entry.rgbRed, entry.rgbGreen, entry.rgbBlue, index);
}

void CPaletteGridCtrl::Render(wxDC& dc) {
  const wxSize size = GetClientSize();
  const wxColour face = ThemeColour(wxSYS_COLOUR_BTNFACE);
  const wxColour shadow = ThemeColour(wxSYS_COLOUR_BTNSHADOW);
  const wxColour highlight = ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  dc.SetPen(*wxTRANSPARENT_PEN);
  auto fill = [&dc](const wxRect& rect, const wxColour& colour) {
    dc.SetBrush(wxBrush(colour));
    dc.DrawRectangle(rect);
  };
  // A sunken frame one pixel wide, drawn as filled rectangles.
  auto sunken = [&](const wxRect& r) {
    fill(wxRect(r.x, r.y, r.width, 1), shadow);
    fill(wxRect(r.x, r.y, 1, r.height), shadow);
    fill(wxRect(r.x, r.y + r.height - 1, r.width, 1), highlight);
    fill(wxRect(r.x + r.width - 1, r.y, 1, r.height), highlight);
  };
  for (int i = 0; i < 256; ++i) {
    const wxRect cell = PaletteCellRect(i, size);
    fill(cell, face);
    wxColour colour = face;
    if (m_pPalette && i < m_nCount) colour = wxColour(m_pPalette[i].rgbRed, m_pPalette[i].rgbGreen, m_pPalette[i].rgbBlue);
    fill(wxRect(cell).Deflate(1), colour);
    if (i == m_nSelected && m_pPalette) {
      sunken(cell);
      sunken(wxRect(cell).Deflate(1));
    }
  }
}

namespace {

class CEditPaletteDlg : public wxDialog {
 public:
  CEditPaletteDlg(wxWindow* parent, const RGBQUAD* entries, int count)
      : wxDialog(parent, IDD_EDIT_PALETTE, "Edit Color Palette"), m_nCount(std::clamp(count, 0, 256)) {
    std::copy(entries, entries + m_nCount, m_palette.begin());
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_grid = new CPaletteGridCtrl(this, IDC_EDIT_PALETTE_GRID, wxDefaultPosition, wxSize(16 * 16, 16 * 16));
    row->Add(m_grid, 0, wxALL, 10);
    auto* side = new wxBoxSizer(wxVERTICAL);
    m_box = new CColorBox(this, IDC_EDIT_PALETTE_COLOR, wxDefaultPosition, wxSize(64, 48));
    side->Add(m_box, 0, wxBOTTOM, 8);
    auto* numbers = new wxFlexGridSizer(2, 4, 8);
    const std::pair<const char*, int> labels[] = {{"Red:", IDC_EDIT_PALETTE_RED},
                                                  {"Green:", IDC_EDIT_PALETTE_GREEN},
                                                  {"Blue:", IDC_EDIT_PALETTE_BLUE},
                                                  {"Index:", IDC_EDIT_PALETTE_INDEX}};
    for (auto [text, id] : labels) {
      numbers->Add(new wxStaticText(this, wxID_ANY, text));
      numbers->Add(new wxStaticText(this, id, "", wxDefaultPosition, wxSize(40, -1)));
    }
    side->Add(numbers, 0, wxBOTTOM, 8);
    side->Add(new wxButton(this, IDC_EDIT_PALETTE_LOAD, "Load..."), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, IDC_EDIT_PALETTE_SAVE, "Save..."), 0, wxEXPAND | wxBOTTOM, 12);
    side->Add(new wxButton(this, wxID_OK, "OK"), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxEXPAND);
    row->Add(side, 0, wxALL, 10);
    SetSizerAndFit(row);

    m_grid->SetPalette(m_palette.data(), m_nCount);
    m_grid->SetClickCallback([this](int red, int green, int blue, int index) { ShowEntry(red, green, blue, index); });
    m_box->SetClickCallback([this] { ChangeEntry(); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Load(); }, IDC_EDIT_PALETTE_LOAD);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SavePaletteFileWithDialog(m_palette.data(), m_nCount, this); },
         IDC_EDIT_PALETTE_SAVE);
    if (m_nCount > 0) ShowEntry(m_palette[0].rgbRed, m_palette[0].rgbGreen, m_palette[0].rgbBlue, 0);
  }

  const RGBQUAD* Palette() const { return m_palette.data(); }
  int Count() const { return m_nCount; }

 private:
  void SetNumber(int id, int value) { FindWindow(id)->SetLabel(wxString::Format("%d", value)); }

  void ShowEntry(int red, int green, int blue, int index) {
    m_nCurrent = index;
    m_box->SetColor(m_palette[index]);
    SetNumber(IDC_EDIT_PALETTE_RED, red);
    SetNumber(IDC_EDIT_PALETTE_GREEN, green);
    SetNumber(IDC_EDIT_PALETTE_BLUE, blue);
    SetNumber(IDC_EDIT_PALETTE_INDEX, index);
  }

  void ChangeEntry() {
    if (m_nCount <= 0) return;
    RGBQUAD colour = m_palette[m_nCurrent];
    if (!ChooseColor(this, colour)) return;
    colour.rgbReserved = 0;
    m_palette[m_nCurrent] = colour;
    // The numbers follow the new colour, so they never describe a colour
    // that is no longer there.
    ShowEntry(colour.rgbRed, colour.rgbGreen, colour.rgbBlue, m_nCurrent);
    m_grid->Refresh();
  }

  // A loaded palette fills the entries from the first; the rest become black
  // and the number of entries stays.
  void Load() {
    std::array<RGBQUAD, 256> loaded{};
    int count = 0;
    if (!LoadPaletteFileWithDialog(&count, loaded.data(), this) || count <= 0) return;
    if (m_nCount > 0) {
      m_palette.fill(RGBQUAD{0, 0, 0, 0});
      std::copy(loaded.begin(), loaded.begin() + std::min(count, m_nCount), m_palette.begin());
    } else {
      m_palette = loaded;
      m_nCount = std::min(count, 256);
      m_grid->SetPalette(m_palette.data(), m_nCount);
    }
    m_grid->Refresh();
  }

  std::array<RGBQUAD, 256> m_palette{};
  int m_nCount;
  int m_nCurrent = 0;
  CPaletteGridCtrl* m_grid;
  CColorBox* m_box;
};

}  // namespace

bool RunEditPaletteDialog(wxWindow* parent, RGBQUAD* entries, int& count) {
  CEditPaletteDlg dialog(parent, entries, count);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  const int copied = std::min(dialog.Count(), std::clamp(count, 0, 256));
  std::copy(dialog.Palette(), dialog.Palette() + copied, entries);
  count = copied;
  return true;
}
