#include "shell/TextRendering.h"

#include <wx/font.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxSide = 32767;

std::vector<wxString> SplitLines(const std::string& text) {
  std::vector<wxString> lines;
  std::string line;
  for (const char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(wxString::FromUTF8(line));
      line.clear();
    } else {
      line += c;
    }
  }
  lines.push_back(wxString::FromUTF8(line));
  return lines;
}

wxFont MakeFont(const TEXT_STYLE& style) {
  wxFontInfo info(std::clamp(style.pointSize, 1, 200));
  if (!style.faceName.empty()) info.FaceName(wxString::FromUTF8(style.faceName));
  info.Bold(style.bold).Italic(style.italic).Underlined(style.underline).Strikethrough(style.strikeout);
  return wxFont(info);
}

// A graphics context drawing on the image (white until drawn on).
std::unique_ptr<wxGraphicsContext> MakeContext(wxImage& image, const wxFont& font, bool smoothed) {
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
  if (!gc) return gc;
  gc->SetAntialiasMode(smoothed ? wxANTIALIAS_DEFAULT : wxANTIALIAS_NONE);
  gc->SetFont(font, *wxBLACK);
  return gc;
}

}  // namespace

TEXT_RENDER_RESULT RenderTextCoverage(const std::string& text, const TEXT_STYLE& style, TEXT_COVERAGE* coverage) {
  *coverage = TEXT_COVERAGE();
  const wxFont font = MakeFont(style);
  if (!font.IsOk()) return TEXT_FAILED;
  const std::vector<wxString> lines = SplitLines(text);

  // Measuring needs a context too: a one-pixel image.
  wxImage probe(1, 1);
  std::vector<double> widths;
  double lineHeight = 0.0, margin = 0.0;
  {
    std::unique_ptr<wxGraphicsContext> gc = MakeContext(probe, font, style.smoothed);
    if (!gc) return TEXT_FAILED;
    double w = 0, h = 0;
    gc->GetTextExtent("WW", &margin, &lineHeight);
    for (const wxString& line : lines) {
      w = 0;
      if (!line.empty()) gc->GetTextExtent(line, &w, &h);
      widths.push_back(std::ceil(w));
    }
  }
  const double textWidth = *std::max_element(widths.begin(), widths.end());
  const double textHeight = std::ceil(lineHeight) * static_cast<double>(lines.size());
  if (textWidth <= 0.0 || textHeight <= 0.0) return TEXT_NOTHING;
  const double sideMargin = std::ceil(margin);
  const double fullWidth = textWidth + 2.0 * sideMargin;
  if (fullWidth > kMaxSide || textHeight > kMaxSide) return TEXT_TOO_LARGE;
  const int width = static_cast<int>(fullWidth), height = static_cast<int>(textHeight);

  wxImage image(width, height, false);
  if (!image.IsOk()) return TEXT_FAILED;
  std::fill(image.GetData(), image.GetData() + static_cast<size_t>(width) * height * 3, 0xFF);
  {
    std::unique_ptr<wxGraphicsContext> gc = MakeContext(image, font, style.smoothed);
    if (!gc) return TEXT_FAILED;
    const double step = std::ceil(lineHeight);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].empty()) continue;
      double x = sideMargin;
      if (style.alignment == TEXT_ALIGN_CENTER) x += std::floor((textWidth - widths[i]) / 2.0);
      if (style.alignment == TEXT_ALIGN_RIGHT) x += textWidth - widths[i];
      gc->DrawText(lines[i], x, step * static_cast<double>(i));
    }
  }  // the drawing reaches the image when the context goes

  coverage->width = width;
  coverage->height = height;
  coverage->values.resize(static_cast<size_t>(width) * height);
  const unsigned char* rgb = image.GetData();
  for (size_t i = 0; i < coverage->values.size(); ++i, rgb += 3) {
    // Black on white: the ink is what is missing of white (the darkest
    // channel, should the desktop smooth per colour channel).
    const int darkest = std::min({rgb[0], rgb[1], rgb[2]});
    coverage->values[i] = static_cast<uint8_t>(255 - darkest);
  }
  return TEXT_RENDERED;
}
