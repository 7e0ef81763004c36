// Reduced-scale JPEG decoding for thumbnails: the scale chosen for a box,
// and the pixels against libjpeg-turbo's own scaled decoder (djpeg -scale).

#include <gtest/gtest.h>

#include "formats/BufferedFile.h"
#include "formats/JpegCodec.h"
#include "base/ImageGeometry.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempDir;

struct ScaleCase {
  int box;
  int wantW, wantH;  // the decoded size: the smallest n/8 that keeps the fitted size
};

TEST(JpegScaled, PicksTheSmallestScaleThatKeepsTheFittedSize) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const std::string path = (dir / "p.jpg").string();
  ASSERT_EQ(RunCommand("convert -size 803x601 gradient:red-blue " + path), 0);
  const ScaleCase cases[] = {
      {100, 101, 76},   // 1/8: 100.4 x 75.2 wanted, sides round up
      {160, 201, 151},  // 2/8
      {300, 302, 226},  // 3/8
      {700, 703, 526},  // 7/8
      {800, 803, 601},  // 8/8: nothing smaller keeps 800 x 599
      {5000, 803, 601}, // a box larger than the picture: full size
      {0, 803, 601},    // no box: full size
  };
  for (const ScaleCase& c : cases) {
    CBufferedFile stream;
    ASSERT_TRUE(stream.Open(path.c_str(), CBufferedFile::kRead));
    CCodecJob job;
    job.m_pStream = &stream;
    int32_t fullW = 0, fullH = 0;
    ASSERT_EQ(ReadJpegScaled(&job, kMaxImageSide, c.box, c.box, &fullW, &fullH), IMAGEIO_OK) << c.box;
    EXPECT_EQ(fullW, 803);
    EXPECT_EQ(fullH, 601);
    EXPECT_EQ(job.m_image.GetWidth(), c.wantW) << c.box;
    EXPECT_EQ(job.m_image.GetHeight(), c.wantH) << c.box;
  }
}

TEST(JpegScaled, MatchesDjpegScaled) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("djpeg");
  TempDir dir;
  const std::string path = (dir / "p.jpg").string();
  ASSERT_EQ(RunCommand("convert -size 640x480 plasma:fractal -seed 5 -quality 90 " + path), 0);
  ASSERT_EQ(RunCommand("djpeg -scale 1/4 -nosmooth -outfile " + (dir / "ref.ppm").string() + " " + path), 0);
  CBufferedFile stream;
  ASSERT_TRUE(stream.Open(path.c_str(), CBufferedFile::kRead));
  CCodecJob job;
  job.m_pStream = &stream;
  ASSERT_EQ(ReadJpegScaled(&job, kMaxImageSide, 160, 160, nullptr, nullptr), IMAGEIO_OK);
  const CRasterImage ref = testing_support::ReadPnm(dir / "ref.ppm");
  ASSERT_EQ(job.m_image.GetWidth(), 160);
  EXPECT_EQ(testing_support::CompareRgb(job.m_image, ref, 2), "");
}

TEST(JpegScaled, RefusesBadInputWithAResultCode) {
  TempDir dir;
  testing_support::WriteFileBytes(dir / "bad.jpg", {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 0, 0, 0, 3});
  CBufferedFile stream;
  ASSERT_TRUE(stream.Open((dir / "bad.jpg").c_str(), CBufferedFile::kRead));
  CCodecJob job;
  job.m_pStream = &stream;
  EXPECT_NE(ReadJpegScaled(&job, kMaxImageSide, 100, 100, nullptr, nullptr), IMAGEIO_OK);
  EXPECT_TRUE(job.m_image.IsEmpty());
}

}  // namespace
