#pragma once
// CFontComboBox: a drop-down list of the font families installed on the
// machine, each drawn with a font-type glyph before its name. The desktop's
// font list (fontconfig) does not tell raster, device and outline fonts
// apart; every family is listed as an outline (TrueType) font.

#include <wx/odcombo.h>

#include <string>
#include <vector>

enum FONT_TYPE { RASTER_FONTTYPE = 1, DEVICE_FONTTYPE = 2, TRUETYPE_FONTTYPE = 4 };

// The family names sorted without case, each once: a name is dropped only
// when the same name (ignoring case) is already listed, so "Arial" stays
// beside "Arial Black" and "DejaVu Sans" beside "DejaVu Sans Mono".
std::vector<std::string> MergeFontFamilies(const std::vector<std::string>& names);

class CFontComboBox : public wxOwnerDrawnComboBox {
 public:
  CFontComboBox() = default;
  CFontComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  // Lists the installed families (replacing the list).
  void FillFontList();
  // Lists the given families (tests; FillFontList ends here).
  void SetFontFamilies(const std::vector<std::string>& names, int fontType = TRUETYPE_FONTTYPE);
  int GetFontType(int item) const;

  // Draws one item into rect: the highlight when selected, the glyph of its
  // font type at the top-left corner (none for raster fonts), the name from
  // rect.x + 22, centred vertically.
  void RenderItem(wxDC& dc, const wxRect& rect, int item, bool selected) const;
  // The 16 x 15 glyph pictures: device font at x 0, TrueType at x 16.
  static const wxBitmap& GlyphBitmap();

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  wxCoord OnMeasureItem(size_t item) const override;

 private:
  std::vector<int> m_types;
};
