#include "imaging/DisplayOptions.h"

#include <algorithm>
#include <string>

#include "base/Profile.h"

namespace {

const char kSection[] = "Display options";
DISPLAY_OPTIONS g_options;
bool g_loaded = false;

uint8_t Component(const std::string& key, int defaultValue) {
  return static_cast<uint8_t>(std::clamp(GetProfileInt(kSection, key, defaultValue), 0, 255));
}

RGBQUAD ReadColor(const std::string& prefix, const RGBQUAD& d) {
  return MakeRGBQuad(Component(prefix + " - red", d.rgbRed), Component(prefix + " - green", d.rgbGreen),
                     Component(prefix + " - blue", d.rgbBlue));
}

void WriteColor(const std::string& prefix, const RGBQUAD& c) {
  WriteProfileInt(kSection, prefix + " - red", c.rgbRed);
  WriteProfileInt(kSection, prefix + " - green", c.rgbGreen);
  WriteProfileInt(kSection, prefix + " - blue", c.rgbBlue);
}

}  // namespace

void LoadDisplayOptions() {
  const DISPLAY_OPTIONS d;
  g_options.bDrawBorder = GetProfileInt(kSection, "Draw border", d.bDrawBorder) ? 1 : 0;
  g_options.bDrawShadow = GetProfileInt(kSection, "Draw shadow", d.bDrawShadow) ? 1 : 0;
  const int mode = GetProfileInt(kSection, "Transparency", d.nTransparency);
  g_options.nTransparency = (mode >= 0 && mode <= 2) ? mode : d.nTransparency;
  g_options.checkerColor1 = ReadColor("Color 1", d.checkerColor1);
  g_options.checkerColor2 = ReadColor("Color 2", d.checkerColor2);
  g_options.solidColor = ReadColor("Solid color", d.solidColor);
  g_options.windowColor = ReadColor("Bk color", d.windowColor);
  g_loaded = true;
}

void GetDisplayOptions(DISPLAY_OPTIONS& options) {
  if (!g_loaded) LoadDisplayOptions();
  options = g_options;
}

void SetDisplayOptions(const DISPLAY_OPTIONS& options) {
  g_options = options;
  g_loaded = true;
  WriteProfileInt(kSection, "Draw border", options.bDrawBorder);
  WriteProfileInt(kSection, "Draw shadow", options.bDrawShadow);
  WriteProfileInt(kSection, "Transparency", options.nTransparency);
  WriteColor("Color 1", options.checkerColor1);
  WriteColor("Color 2", options.checkerColor2);
  WriteColor("Solid color", options.solidColor);
  WriteColor("Bk color", options.windowColor);
}
