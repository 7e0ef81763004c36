#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "formats/ImageFile.h"
#include "formats/ImageFormats.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(ImageFormats, EveryCodeHasOneEntryAndEveryExtensionOneFormat) {
  std::set<int> codes;
  std::set<std::string> extensions;
  for (const auto& f : ImageFormats()) {
    EXPECT_TRUE(codes.insert(f.format).second) << f.name;
    EXPECT_EQ(FindImageFormat(f.format), &f);
    ASSERT_FALSE(f.extensions.empty()) << f.name;
    for (const char* e : f.extensions) {
      EXPECT_TRUE(extensions.insert(e).second) << e;
      EXPECT_EQ(ImageFormatFromExtension(e), f.format) << e;
    }
    EXPECT_EQ(f.multiFrame, f.countFrames != nullptr) << f.name;
  }
  EXPECT_EQ(static_cast<int>(codes.size()), kImageFormatCount);
  EXPECT_EQ(FindImageFormat(IMAGE_FORMAT_UNKNOWN), nullptr);
  EXPECT_EQ(FindImageFormat(kImageFormatCount + 1), nullptr);
}

TEST(ImageFormats, AliasesInAnyCase) {
  const struct {
    const char* ext;
    IMAGE_FORMAT format;
  } cases[] = {
      {"jpg", IMAGE_FORMAT_JPEG}, {"JPEG", IMAGE_FORMAT_JPEG}, {"Jpe", IMAGE_FORMAT_JPEG},  {"jfif", IMAGE_FORMAT_JPEG},
      {"tif", IMAGE_FORMAT_TIFF}, {"TIFF", IMAGE_FORMAT_TIFF}, {"bmp", IMAGE_FORMAT_BMP},    {"DIB", IMAGE_FORMAT_BMP},
      {"pct", IMAGE_FORMAT_PICT}, {"PiCt", IMAGE_FORMAT_PICT}, {"", IMAGE_FORMAT_UNKNOWN},  {"jp", IMAGE_FORMAT_UNKNOWN},
      {"tiffs", IMAGE_FORMAT_UNKNOWN}, {"pal", IMAGE_FORMAT_UNKNOWN},
  };
  for (const auto& c : cases) EXPECT_EQ(ImageFormatFromExtension(c.ext), c.format) << c.ext;
}

TEST(ImageFormats, TheDialogsOfferTheFormatsWithAReaderAndAWriterInTheirOrder) {
  const std::vector<IMAGE_FORMAT> expected = {IMAGE_FORMAT_BMP,  IMAGE_FORMAT_GIF,  IMAGE_FORMAT_PCX,
                                              IMAGE_FORMAT_PICT, IMAGE_FORMAT_TIFF, IMAGE_FORMAT_JPEG,
                                              IMAGE_FORMAT_PNG,  IMAGE_FORMAT_TGA};
  EXPECT_EQ(DialogFormats(), expected);
  EXPECT_EQ(ImageFilePatterns(),
            "*.bmp;*.dib;*.gif;*.pcx;*.pct;*.pict;*.tif;*.tiff;*.jpg;*.jpeg;*.jpe;*.jfif;*.png;*.tga");
  EXPECT_EQ(ImageFileFilter(),
            "All image files|" + ImageFilePatterns() +
                "|BMP (*.bmp)|*.bmp;*.dib|GIF (*.gif)|*.gif|PCX (*.pcx)|*.pcx|PICT (*.pct)|*.pct;*.pict|"
                "TIFF (*.tif)|*.tif;*.tiff|JPEG (*.jpg)|*.jpg;*.jpeg;*.jpe;*.jfif|PNG (*.png)|*.png|"
                "TGA (*.tga)|*.tga|All files|*");
}

TEST(ImageFormats, TheFrontEndReadsAFileNamedWithAnAlias) {
  // Written as .jpg, read back as .jpeg and .JFIF: the same reader runs.
  testing_support::TempDir temp;
  const std::string dir = temp.path().string();
  CRasterImage image;
  ASSERT_TRUE(image.Create(9, 7, 24));
  CImageFileRequest out;
  out.m_strFileName = dir + "/alias-test.jpg";
  out.m_frames.emplace_back();
  out.m_frames.back().m_image = image;
  out.m_nWidth = 9;
  out.m_nHeight = 7;
  ASSERT_EQ(WriteImageFile(&out, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  for (const char* alias : {"alias-test.jpeg", "alias-test.JFIF"}) {
    const std::string path = dir + "/" + alias;
    ASSERT_EQ(std::rename(out.m_strSavedName.c_str(), path.c_str()), 0);
    CImageFileRequest in;
    in.m_strFileName = path;
    EXPECT_EQ(ReadImageFile(&in), IMAGEIO_OK) << alias;
    ASSERT_EQ(in.GetFrameCount(), 1);
    EXPECT_EQ(in.m_frames[0].m_image.GetWidth(), 9);
    out.m_strSavedName = path;
  }
}

}  // namespace
