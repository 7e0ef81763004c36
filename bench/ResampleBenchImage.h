#pragma once
// The picture the geometry and filter benchmarks work on: the PPM/PAM file
// named by PICTORAVELL_BENCH_IMAGE (bench/compare_resample.sh passes the one
// it gives the other programs), else a synthetic 6000 x 4000 picture.

#include <cstdlib>

#include "imaging/RasterImage.h"
#include "tests/support/TestSupport.h"

inline const CRasterImage& BenchPhoto() {
  static const CRasterImage image = [] {
    if (const char* path = std::getenv("PICTORAVELL_BENCH_IMAGE"); path && *path)
      return testing_support::ReadPnm(path);
    return testing_support::MakeTestPicture(6000, 4000);
  }();
  return image;
}
