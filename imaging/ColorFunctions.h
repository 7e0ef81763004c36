#pragma once
// Colour and small numeric functions of the colour controls, the slide-show
// transitions and the EXIF texts.

#include <cstdint>

// HSI to RGB: hue in radians (0 to 2 pi in three sectors of 120 degrees; other
// hues are wrapped into that range), saturation and intensity 0 to 1. The
// results are 0 to 1 for colours inside the RGB cube (callers scale by 255
// and clamp).
void HsiToRgb(double hue, double saturation, double intensity, double* red, double* green, double* blue);

// (0.5 - 0.5 cos(3.1415926535 a / b)) * 255, truncated; 0 when b is 0.
int CosineRamp(int a, int b);

// Reads a decimal floating-point number the way "%f" does (leading blanks
// skipped, trailing text ignored), always with '.' as the decimal point
// whatever the locale. true when a value was read.
bool ParseFloat(const char* text, float* value);

// Greatest common divisor by Euclid; Gcd(a, 0) = a.
uint32_t Gcd(uint32_t a, uint32_t b);
