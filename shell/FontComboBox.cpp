#include "shell/FontComboBox.h"

#include <wx/fontenum.h>

#include <algorithm>
#include <strings.h>

#include "shell/UiTheme.h"

namespace {

bool LessNoCase(const std::string& a, const std::string& b) {
  const int c = strcasecmp(a.c_str(), b.c_str());
  return c != 0 ? c < 0 : a < b;
}

// Two overlapping letters T in a 16 x 15 cell: grey behind, blue in front;
// white elsewhere.
void DrawLetterT(wxImage& image, int left, int top, unsigned char r, unsigned char g, unsigned char b) {
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 9; ++x) {
      const bool bar = y < 2 || (x >= 3 && x <= 5);
      if (bar && left + x < image.GetWidth() && top + y < image.GetHeight()) image.SetRGB(left + x, top + y, r, g, b);
    }
}

}  // namespace

std::vector<std::string> MergeFontFamilies(const std::vector<std::string>& names) {
  std::vector<std::string> sorted;
  for (const std::string& n : names)
    if (!n.empty() && n[0] != '@') sorted.push_back(n);
  std::sort(sorted.begin(), sorted.end(), LessNoCase);
  std::vector<std::string> out;
  for (const std::string& n : sorted)
    if (out.empty() || strcasecmp(out.back().c_str(), n.c_str()) != 0) out.push_back(n);
  return out;
}

CFontComboBox::CFontComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, pos, size);
}

bool CFontComboBox::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  return wxOwnerDrawnComboBox::Create(parent, id, wxString(), pos, size, 0, nullptr, wxCB_READONLY);
}

void CFontComboBox::FillFontList() {
  std::vector<std::string> names;
  for (const wxString& face : wxFontEnumerator::GetFacenames()) names.push_back(face.utf8_string());
  SetFontFamilies(MergeFontFamilies(names));
}

void CFontComboBox::SetFontFamilies(const std::vector<std::string>& names, int fontType) {
  Clear();
  m_types.clear();
  wxArrayString items;
  for (const std::string& n : names) items.Add(wxString::FromUTF8(n));
  Append(items);
  m_types.assign(names.size(), fontType);
}

int CFontComboBox::GetFontType(int item) const {
  return item >= 0 && static_cast<size_t>(item) < m_types.size() ? m_types[static_cast<size_t>(item)] : 0;
}

const wxBitmap& CFontComboBox::GlyphBitmap() {
  static const wxBitmap glyphs = [] {
    wxImage image(32, 15);
    image.SetRGB(wxRect(0, 0, 32, 15), 255, 255, 255);
    DrawLetterT(image, 2, 2, 128, 128, 128);  // device font: one grey T
    DrawLetterT(image, 16, 1, 128, 128, 128);  // TrueType: grey T behind a blue one
    DrawLetterT(image, 21, 5, 0, 0, 160);
    image.SetMaskColour(255, 255, 255);  // white lets the item show through
    return wxBitmap(image);
  }();
  return glyphs;
}

void CFontComboBox::RenderItem(wxDC& dc, const wxRect& rect, int item, bool selected) const {
  if (item < 0 || static_cast<unsigned>(item) >= GetCount()) return;
  const wxColour text = selected ? ThemeColour(wxSYS_COLOUR_HIGHLIGHTTEXT) : ThemeColour(wxSYS_COLOUR_WINDOWTEXT);
  if (selected) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(ThemeColour(wxSYS_COLOUR_HIGHLIGHT)));
    dc.DrawRectangle(rect);
  }
  const int type = GetFontType(item);
  if (type & (DEVICE_FONTTYPE | TRUETYPE_FONTTYPE)) {
    const wxBitmap glyph = GlyphBitmap().GetSubBitmap(wxRect((type & TRUETYPE_FONTTYPE) ? 16 : 0, 0, 16, 15));
    dc.DrawBitmap(glyph, rect.x, rect.y, true);
  }
  dc.SetFont(ThemeFont());
  dc.SetTextForeground(text);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxString name = GetString(static_cast<unsigned>(item));
  const int h = dc.GetCharHeight();
  dc.DrawText(name, rect.x + 22, rect.y + (rect.height - h) / 2);
}

void CFontComboBox::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
  RenderItem(dc, rect, item, (flags & wxODCB_PAINTING_SELECTED) != 0);
}

wxCoord CFontComboBox::OnMeasureItem(size_t) const {
  return std::max(17, GetCharHeight() + 4);
}
