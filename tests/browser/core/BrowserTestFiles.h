#pragma once
// Test files for the browser core: thumbnails made in memory, and JPEG
// photographs with EXIF thumbnails made with ImageMagick and exiftool.

#include <memory>
#include <string>
#include <vector>

#include "browser/core/BrowserItem.h"
#include "imaging/AnimFrame.h"
#include "tests/support/TestSupport.h"

namespace browser_test {

namespace fs = std::filesystem;

// A one-frame 24-bit thumbnail of w x h (a test picture).
inline CThumbFrames MakeThumbFrames(int w, int h, unsigned seed = 1) {
  std::vector<CAnimFrame> frames(1);
  frames[0].m_image = testing_support::MakeTestPicture(w, h, seed);
  return std::make_shared<const std::vector<CAnimFrame>>(std::move(frames));
}

inline CBrowserItem MakeItemWithThumb(int imageW, int imageH, int thumbW, int thumbH) {
  CBrowserItem item;
  item.SetFolder("/photos");
  item.m_strName = "a.jpg";
  item.m_nWidth = imageW;
  item.m_nHeight = imageH;
  item.m_nFrames = 1;
  if (thumbW > 0 && thumbH > 0) {
    item.m_nThumbWidth = thumbW;
    item.m_nThumbHeight = thumbH;
    item.m_pThumbFrames = MakeThumbFrames(thumbW, thumbH);
  }
  return item;
}

// A JPEG photograph of w x h; with thumbW > 0 it carries an EXIF thumbnail
// of thumbW x thumbH. Needs convert (and exiftool for the thumbnail).
inline void MakeJpeg(const fs::path& path, int w, int h, int thumbW = 0, int thumbH = 0, int quality = 85) {
  using testing_support::RunCommand;
  using testing_support::ShellQuote;
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  ASSERT_EQ(RunCommand("convert -size " + size + " gradient:red-blue -quality " + std::to_string(quality) + " " +
                       ShellQuote(path.string())),
            0);
  if (thumbW > 0) {
    const fs::path thumb = path.string() + ".thumb.jpg";
    ASSERT_EQ(RunCommand("convert -size " + std::to_string(thumbW) + "x" + std::to_string(thumbH) +
                         " gradient:yellow-green " + ShellQuote(thumb.string())),
              0);
    ASSERT_EQ(RunCommand("exiftool -q -overwrite_original '-ThumbnailImage<=" + thumb.string() + "' " +
                         ShellQuote(path.string())),
              0);
    fs::remove(thumb);
  }
}

}  // namespace browser_test
