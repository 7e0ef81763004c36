#pragma once
// Helpers of the output job tests: pictures written as files, files read
// back, and a private Trash for each test process.

#include <cstdlib>
#include <string>

#include "formats/ImageFile.h"
#include "tests/support/TestSupport.h"

namespace output_test {

namespace fs = std::filesystem;
using testing_support::TempDir;

// A data folder (and so a Trash) of this process's own. GLib reads
// XDG_DATA_HOME once per process, so the first call fixes it; ctest runs
// every test in a process of its own.
inline const fs::path& TrashHome() {
  static TempDir home;
  static const bool set = [] {
    fs::create_directories(home / "data");
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("HOME", home.path().c_str(), 1);
    return true;
  }();
  (void)set;
  return home.path();
}
inline fs::path TrashedFile(const std::string& name) { return TrashHome() / "data/Trash/files" / name; }

// Writes the frames as an image file (format by extension); asserts success.
inline void WriteFrames(const fs::path& path, std::vector<CAnimFrame> frames, int width, int height) {
  CImageFileRequest request;
  request.m_strFileName = path.string();
  request.m_frames = std::move(frames);
  request.m_nWidth = static_cast<int16_t>(width);
  request.m_nHeight = static_cast<int16_t>(height);
  GIF_SAVE_OPTIONS gif;
  JPEG_SAVE_OPTIONS jpeg;
  jpeg.nQuality = 95;
  ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, &gif, &jpeg), IMAGEIO_OK) << path;
}

inline void WritePicture(const fs::path& path, const CRasterImage& image) {
  CAnimFrame frame;
  frame.m_image = image;
  WriteFrames(path, {frame}, image.GetWidth(), image.GetHeight());
}

inline void WritePicture(const fs::path& path, int width, int height, unsigned seed = 1) {
  WritePicture(path, testing_support::MakeTestPicture(width, height, seed));
}

// Reads a file back; the request is empty when it cannot be read.
inline CImageFileRequest ReadBack(const fs::path& path) {
  CImageFileRequest request;
  request.m_strFileName = path.string();
  if (ReadImageFile(&request) != IMAGEIO_OK) request = CImageFileRequest();
  return request;
}

}  // namespace output_test
