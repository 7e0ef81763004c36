#include "imaging/SampleBall.h"

#include <algorithm>
#include <cmath>

CRasterImage MakeSampleBallImage(int width, int height, bool withMask, int angle) {
  CRasterImage image;
  if (!image.Create(width, height, 24)) return CRasterImage();
  if (withMask && !image.CreateMask()) return CRasterImage();
  const int d = std::min(width, height) / 3;
  const double dd = d;
  for (int row = 0; row < height; ++row) {
    uint8_t* p = image.GetWritableBits() + static_cast<int64_t>(row) * image.GetStride();
    uint8_t* m = withMask ? image.GetWritableMaskBits() + static_cast<int64_t>(row) * image.GetMaskStride() : nullptr;
    const int y = row - height / 2;
    for (int col = 0; col < width; ++col, p += 3) {
      const int x = col - width / 2;
      // A ball of radius 0 has no inside: the division below needs d > 0.
      if (d == 0 || x * x + y * y > d * d) {
        p[0] = p[1] = p[2] = 255;
        if (m) m[col] = 0;
        continue;
      }
      const double z = std::sqrt(dd * dd - double(x) * x - double(y) * y);
      const double latitude = std::acos(y / dd);
      const int longitude = z == 0 ? 0 : static_cast<int>(std::atan(x / z) * 57.29582790879778);
      const int k = angle + longitude;
      const int p1 = ((k / 20) & 1) ^ (k < 0 ? 1 : 0);
      const int p2 = static_cast<int>(latitude * 2.864791395439889) & 1;
      const int baseRed = p1 != p2 ? 255 : 128, baseGreen = p1 != p2 ? 64 : 255;
      const double vx = x + dd, vy = y + dd, vz = z - 1.5 * dd;
      const double length = std::sqrt(vx * vx + vy * vy + vz * vz);
      const double c = (x * vx + y * vy + z * vz) / (dd * length);
      const int n = static_cast<int>(c * -160);
      p[0] = static_cast<uint8_t>(std::clamp(baseRed + n, 0, 255));
      p[1] = p[2] = static_cast<uint8_t>(std::clamp(baseGreen + n, 0, 255));
      if (m) m[col] = 255;
    }
  }
  return image;
}
