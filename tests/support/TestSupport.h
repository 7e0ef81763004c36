#pragma once
// Helpers shared by the test binaries: fixture paths, temporary folders,
// outside tools used as oracles, a recording message sink, and PNM/PAM files
// (the plain format every oracle tool reads and writes).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/MessageReport.h"
#include "imaging/RasterImage.h"

namespace testing_support {

namespace fs = std::filesystem;

// The source tree (PICTORAVELL_SOURCE_DIR, set by ctest).
fs::path SourceDir();
// tests/fixtures/<relative>.
fs::path FixturePath(const std::string& relative);

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return m_path; }
  fs::path operator/(const std::string& name) const { return m_path / name; }

 private:
  fs::path m_path;
};

bool HaveTool(const std::string& program);
// Skips the test when the program is missing, unless PICTORAVELL_REQUIRE_TOOLS
// is set (as CI sets it): then a missing oracle is a failure.
#define REQUIRE_TOOL(program)                                                              \
  do {                                                                                     \
    if (!::testing_support::HaveTool(program)) {                                           \
      if (::testing_support::ToolsRequired()) FAIL() << "missing test tool: " << (program); \
      GTEST_SKIP() << "missing test tool: " << (program);                                  \
    }                                                                                      \
  } while (0)
bool ToolsRequired();

// Runs a shell command; returns its exit status. Output goes to *output when given.
int RunCommand(const std::string& command, std::string* output = nullptr);
// Quotes a string for the shell.
std::string ShellQuote(const std::string& text);
// Debian's own python (with Pillow and numpy), whatever python is first on PATH.
std::string Python();

std::vector<uint8_t> ReadFileBytes(const fs::path& path);
void WriteFileBytes(const fs::path& path, const std::vector<uint8_t>& bytes);

// Records every reported message while installed.
class RecordingMessageSink : public IMessageSink {
 public:
  // Messages kept from before the sink was installed are dropped unless
  // takePending is set.
  explicit RecordingMessageSink(bool takePending = false);
  ~RecordingMessageSink() override;
  void AddMessage(int level, const std::string& text) override { messages.emplace_back(level, text); }
  std::vector<std::pair<int, std::string>> messages;

 private:
  IMessageSink* m_previous;
};

// PNM/PAM: P1-P6 and P7 (GRAYSCALE, GRAY_ALPHA, RGB, RGB_ALPHA), maxval <= 255.
// Read gives a 24-bit image (with an 8-bit mask when the file has alpha) or,
// with keepGray, an 8-bit gray image for gray files.
CRasterImage ReadPnm(const fs::path& path, bool keepGray = false);
// Writes any image as P7 RGB or RGB_ALPHA (indexed images through their palette).
void WritePam(const fs::path& path, const CRasterImage& image);
// 24-bit copy of any image (indexed pixels through the palette); the mask
// becomes 8-bit alpha (0 or 255 for indexed images).
CRasterImage ToRgb(const CRasterImage& image);

// Pixel comparison of two images as RGB (and alpha where either has a mask).
// Returns an empty string when equal within tolerance, else a description of
// the first difference.
std::string CompareRgb(const CRasterImage& a, const CRasterImage& b, int tolerance = 0);
double Psnr(const CRasterImage& a, const CRasterImage& b);

// A deterministic test picture: gradients and edges, 24-bit.
CRasterImage MakeTestPicture(int width, int height, unsigned seed = 1);

}  // namespace testing_support
