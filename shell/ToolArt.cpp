// The program's own button art, drawn at any size from shapes on a 16-unit
// grid, and the images of toolbar buttons from the desktop's icon theme.

#include <wx/artprov.h>

#include <algorithm>
#include <cmath>

#include "resources/ToolbarResources.h"
#include "shell/FlatToolBar.h"

namespace {

bool g_lastFromTheme = false;

struct CArtCanvas {
  wxImage image;
  double unit;
  explicit CArtCanvas(int size) : image(size, size, true), unit(size / 16.0) {
    image.InitAlpha();
    std::fill_n(image.GetAlpha(), static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
  }
  void Put(int x, int y, const wxColour& c) {
    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return;
    image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
    image.SetAlpha(x, y, 255);
  }
  // A rectangle in grid units, right and bottom exclusive.
  void Rect(double x0, double y0, double x1, double y1, const wxColour& c) {
    const int l = static_cast<int>(std::lround(x0 * unit)), t = static_cast<int>(std::lround(y0 * unit));
    const int r = std::max(l + 1, static_cast<int>(std::lround(x1 * unit)));
    const int b = std::max(t + 1, static_cast<int>(std::lround(y1 * unit)));
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) Put(x, y, c);
  }
  void Outline(double x0, double y0, double x1, double y1, const wxColour& c) {
    Rect(x0, y0, x1, y0 + 1, c);
    Rect(x0, y1 - 1, x1, y1, c);
    Rect(x0, y0, x0 + 1, y1, c);
    Rect(x1 - 1, y0, x1, y1, c);
  }
  // A thick line between two grid points.
  void Line(double x0, double y0, double x1, double y1, double width, const wxColour& c) {
    const double px0 = x0 * unit, py0 = y0 * unit, px1 = x1 * unit, py1 = y1 * unit, half = width * unit / 2;
    const double dx = px1 - px0, dy = py1 - py0, len2 = std::max(1e-9, dx * dx + dy * dy);
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) {
        const double cx = x + 0.5, cy = y + 0.5;
        const double t = std::clamp(((cx - px0) * dx + (cy - py0) * dy) / len2, 0.0, 1.0);
        const double ex = px0 + t * dx - cx, ey = py0 + t * dy - cy;
        if (ex * ex + ey * ey <= half * half) Put(x, y, c);
      }
  }
  // A ring (inner > 0) or disc around a grid point; angles limit an arc (degrees).
  void Ring(double cx, double cy, double outer, double inner, const wxColour& c, double from = 0, double to = 360) {
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) {
        const double dx = (x + 0.5) / unit - cx, dy = (y + 0.5) / unit - cy;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d > outer || d < inner) continue;
        double a = std::atan2(-dy, dx) * 180.0 / M_PI;
        if (a < 0) a += 360;
        if (a >= from && a <= to) Put(x, y, c);
      }
  }
  void Triangle(double ax, double ay, double bx, double by, double cx, double cy, const wxColour& c) {
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) {
        const double px = (x + 0.5) / unit, py = (y + 0.5) / unit;
        const double d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by);
        const double d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy);
        const double d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay);
        const bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
        if (!(neg && pos)) Put(x, y, c);
      }
  }
};

const wxColour kInk(40, 40, 40), kBlue(40, 90, 200), kWhite(255, 255, 255), kGold(240, 190, 30),
    kBrown(120, 80, 40), kSkin(250, 210, 170), kRed(210, 40, 40), kGreen(40, 170, 60);

}  // namespace

wxImage DrawToolArt(int art, int size) {
  CArtCanvas a(std::max(1, size));
  switch (art) {
    case TOOL_ART_RECT_SELECT:
      for (int i = 0; i < 12; ++i) {
        const wxColour& c = (i & 1) ? kWhite : kInk;
        a.Rect(2 + i, 3, 3 + i, 4, c);
        a.Rect(2 + i, 12, 3 + i, 13, c);
      }
      for (int i = 0; i < 9; ++i) {
        const wxColour& c = (i & 1) ? kWhite : kInk;
        a.Rect(2, 4 + i, 3, 5 + i, c);
        a.Rect(13, 4 + i, 14, 5 + i, c);
      }
      break;
    case TOOL_ART_MAGIC_WAND:
      a.Line(2.5, 13.5, 9.5, 6.5, 2, kBrown);
      a.Line(11.5, 1.5, 11.5, 7.5, 1, kGold);
      a.Line(8.5, 4.5, 14.5, 4.5, 1, kGold);
      a.Rect(11, 4, 12, 5, kWhite);
      break;
    case TOOL_ART_FREE_SCROLL:
      a.Rect(4, 7, 12, 14, kSkin);
      for (int f = 0; f < 4; ++f) a.Rect(4 + 2 * f, 2 + (f == 0 || f == 3 ? 2 : 0), 5.5 + 2 * f, 8, kSkin);
      a.Outline(4, 7, 12, 14, kBrown);
      break;
    case TOOL_ART_ZOOM_TOOL:
    case TOOL_ART_ZOOM_LEVEL:
      a.Ring(6.5, 6.5, 5, 3.2, kInk);
      a.Ring(6.5, 6.5, 3.2, 0, wxColour(200, 225, 255));
      a.Line(10, 10, 14.5, 14.5, 2.2, kBrown);
      break;
    case TOOL_ART_MOVE:
      a.Line(8, 2, 8, 14, 1.2, kInk);
      a.Line(2, 8, 14, 8, 1.2, kInk);
      a.Triangle(8, 0.5, 5.5, 3.5, 10.5, 3.5, kInk);
      a.Triangle(8, 15.5, 5.5, 12.5, 10.5, 12.5, kInk);
      a.Triangle(0.5, 8, 3.5, 5.5, 3.5, 10.5, kInk);
      a.Triangle(15.5, 8, 12.5, 5.5, 12.5, 10.5, kInk);
      break;
    case TOOL_ART_FRAME_0:
    case TOOL_ART_FRAME_1:
    case TOOL_ART_FRAME_2: {
      const int phase = art - TOOL_ART_FRAME_0;
      a.Rect(1, 3, 15, 13, kInk);
      for (int i = 0; i < 3; ++i) a.Rect(2.5 + 4.5 * i, 5, 5.5 + 4.5 * i, 11, i == phase ? kGold : kWhite);
      for (int i = 0; i < 7; ++i) {
        a.Rect(2 + 2 * i, 3.5, 3 + 2 * i, 4.5, kWhite);
        a.Rect(2 + 2 * i, 11.5, 3 + 2 * i, 12.5, kWhite);
      }
      break;
    }
    case TOOL_ART_SIZE:
      a.Outline(1, 2, 15, 14, kInk);
      a.Line(4, 5, 12, 11, 1.2, kBlue);
      a.Triangle(3, 4, 7, 4.5, 3.5, 8, kBlue);
      a.Triangle(13, 12, 9, 11.5, 12.5, 8, kBlue);
      break;
    case TOOL_ART_COLOR_MODE:
      a.Ring(6, 6, 4, 0, kRed);
      a.Ring(10, 6, 4, 0, kGreen);
      a.Ring(8, 10, 4, 0, kBlue);
      break;
    case TOOL_ART_BATCH:
      for (int i = 2; i >= 0; --i) {
        a.Rect(1 + 2 * i, 1 + 2 * i, 11 + 2 * i, 9 + 2 * i, kWhite);
        a.Outline(1 + 2 * i, 1 + 2 * i, 11 + 2 * i, 9 + 2 * i, kInk);
      }
      break;
    case TOOL_ART_PUBLISH:
      a.Ring(8, 8, 7, 0, wxColour(120, 170, 240));
      a.Ring(8, 8, 7, 6, kBlue);
      a.Rect(1, 7.5, 15, 8.5, kBlue);
      a.Rect(7.5, 1, 8.5, 15, kBlue);
      break;
    case TOOL_ART_SLIDE_SHOW:
      a.Rect(1, 2, 15, 12, kInk);
      a.Rect(2, 3, 14, 11, wxColour(120, 170, 240));
      a.Triangle(6, 4.5, 6, 9.5, 10.5, 7, kWhite);
      a.Rect(7, 12, 9, 15, kInk);
      break;
    case TOOL_ART_ROTATE_LEFT:
      a.Ring(8, 9, 6, 4.2, kBlue, 0, 250);
      a.Triangle(0.5, 9, 5.5, 9, 3, 13, kBlue);
      break;
    case TOOL_ART_ROTATE_RIGHT:
      a.Ring(8, 9, 6, 4.2, kBlue, 290, 360);
      a.Ring(8, 9, 6, 4.2, kBlue, 0, 180);
      a.Triangle(10.5, 9, 15.5, 9, 13, 13, kBlue);
      break;
    case TOOL_ART_PLAY:
      a.Triangle(4, 2, 4, 14, 13.5, 8, kGreen);
      break;
    case TOOL_ART_STOP:
      a.Rect(3, 3, 13, 13, kRed);
      break;
    case TOOL_ART_STEP_BACKWARD:
      a.Rect(2.5, 3, 4.5, 13, kBlue);
      a.Triangle(13.5, 2.5, 13.5, 13.5, 5, 8, kBlue);
      break;
    case TOOL_ART_STEP_FORWARD:
      a.Rect(11.5, 3, 13.5, 13, kBlue);
      a.Triangle(2.5, 2.5, 2.5, 13.5, 11, 8, kBlue);
      break;
    case TOOL_ART_FRAME_PROPERTIES:
      a.Rect(2, 1, 14, 15, kWhite);
      a.Outline(2, 1, 14, 15, kInk);
      for (int i = 0; i < 4; ++i) {
        a.Rect(4, 3.5 + 3 * i, 6, 5 + 3 * i, kBlue);
        a.Rect(7, 3.5 + 3 * i, 12, 5 + 3 * i, kInk);
      }
      break;
    default:
      break;
  }
  return a.image;
}

wxImage MakeToolImage(const char* themeIcon, int art, int size) {
  g_lastFromTheme = false;
  if (themeIcon && *themeIcon) {
    const wxBitmap bitmap = wxArtProvider::GetBitmap(wxString::FromUTF8(themeIcon), wxART_TOOLBAR, wxSize(size, size));
    if (bitmap.IsOk()) {
      wxImage image = bitmap.ConvertToImage();
      if (image.GetWidth() != size || image.GetHeight() != size) image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
      if (!image.HasAlpha()) image.InitAlpha();
      g_lastFromTheme = true;
      return image;
    }
  }
  return DrawToolArt(art, size);
}

bool LastToolImageCameFromTheme() { return g_lastFromTheme; }
