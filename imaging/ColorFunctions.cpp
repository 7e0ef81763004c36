#include "imaging/ColorFunctions.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstring>

void HsiToRgb(double hue, double saturation, double intensity, double* red, double* green, double* blue) {
  constexpr double kPi = 3.14159265358979323846;
  constexpr double kTwoPi = 2.0 * kPi;
  double r, g, b;
  if (!std::isfinite(hue)) hue = 0.0;
  if (hue < 0.0 || hue > kTwoPi) {
    hue = std::fmod(hue, kTwoPi);
    if (hue < 0.0) hue += kTwoPi;
  }
  if (hue == 0.0 && saturation == 0.0) {
    r = g = b = 1.0;
  } else if (hue <= kTwoPi / 3.0) {
    r = 1.0 + saturation * std::cos(hue) / std::cos(kPi / 3.0 - hue);
    b = 1.0 - saturation;
    g = 3.0 - (r + b);
  } else if (hue <= 2.0 * kTwoPi / 3.0) {
    const double h = hue - kTwoPi / 3.0;
    g = 1.0 + saturation * std::cos(h) / std::cos(kPi / 3.0 - h);
    r = 1.0 - saturation;
    b = 3.0 - (r + g);
  } else {
    const double h = hue - 2.0 * kTwoPi / 3.0;
    b = 1.0 + saturation * std::cos(h) / std::cos(kPi / 3.0 - h);
    g = 1.0 - saturation;
    r = 3.0 - (g + b);
  }
  *red = r * intensity;
  *green = g * intensity;
  *blue = b * intensity;
}

int CosineRamp(int a, int b) {
  if (b == 0) return 0;
  const double v = (0.5 - 0.5 * std::cos(3.1415926535 * a / b)) * 255.0;
  return static_cast<int>(v);
}

bool ParseFloat(const char* text, float* value) {
  if (!text || !value) return false;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (*p == '+' || *p == '-') return false;  // one sign only
  double v = 0.0;
  const char* end = p + std::strlen(p);
  const auto [ptr, ec] = std::from_chars(p, end, v, std::chars_format::general);
  if (ptr == p) return false;
  if (ec == std::errc::result_out_of_range) {
    // Beyond double range: an exponent below zero means a value too small.
    const char* e = static_cast<const char*>(std::memchr(p, 'e', static_cast<size_t>(ptr - p)));
    if (!e) e = static_cast<const char*>(std::memchr(p, 'E', static_cast<size_t>(ptr - p)));
    v = (e && e[1] == '-') ? 0.0 : HUGE_VAL;
  }
  float f;
  if (std::fabs(v) > FLT_MAX)
    f = std::isnan(v) ? NAN : HUGE_VALF;
  else
    f = static_cast<float>(v);
  *value = negative ? -f : f;
  return true;
}

uint32_t Gcd(uint32_t a, uint32_t b) {
  while (b != 0) {
    const uint32_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}
