#pragma once
// Small helpers shared by the JPEG, EXIF and PNG codec tests.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/BufferedFile.h"
#include "formats/CodecJob.h"
#include "formats/MemStream.h"
#include "tests/support/TestSupport.h"

namespace codec_test {

namespace fs = std::filesystem;
using Reader = int (*)(CCodecJob*);

// Reads a file with a codec's reader; the job keeps image and comment.
inline int ReadFileWith(Reader reader, const fs::path& path, CCodecJob& job) {
  CBufferedFile file;
  if (!file.Open(path.c_str(), CBufferedFile::kRead)) return -1;
  job.m_pStream = &file;
  const int result = reader(&job);
  job.m_pStream = nullptr;
  return result;
}

inline CRasterImage ReadImageWith(Reader reader, const fs::path& path, int* result = nullptr) {
  CCodecJob job;
  const int r = ReadFileWith(reader, path, job);
  if (result) *result = r;
  return job.m_image;
}

inline int ReadBytesWith(Reader reader, const std::vector<uint8_t>& bytes, CCodecJob& job) {
  CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
  job.m_pStream = &stream;
  const int result = reader(&job);
  job.m_pStream = nullptr;
  return result;
}

// Binary PPM (P6) or PGM (P5) of a 24-bit or gray 8-bit image.
inline void WritePnmFile(const fs::path& path, const CRasterImage& image) {
  std::ofstream out(path, std::ios::binary);
  const bool gray = image.GetBitsPerPixel() == 8;
  out << (gray ? "P5\n" : "P6\n") << image.GetWidth() << " " << image.GetHeight() << "\n255\n";
  for (int y = 0; y < image.GetHeight(); ++y)
    out.write(reinterpret_cast<const char*>(image.GetRow(y)), gray ? image.GetWidth() : 3 * image.GetWidth());
}

// Runs a shell command and fails the current test when it does not succeed.
inline void Shell(const std::string& command) {
  std::string output;
  const int status = testing_support::RunCommand(command + " 2>&1", &output);
  ASSERT_EQ(status, 0) << command << "\n" << output;
}

inline std::vector<uint8_t> StreamBytes(const CMemStream& stream) {
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetLength());
}

// A gray image (8-bit, gray palette) made from the test picture.
inline CRasterImage MakeGrayPicture(int width, int height, unsigned seed = 1) {
  CRasterImage rgb = testing_support::MakeTestPicture(width, height, seed);
  CRasterImage gray;
  gray.Create(width, height, 8);
  SetGrayPalette(gray);
  uint8_t* bits = gray.GetWritableBits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = rgb.GetRow(y) + 3 * x;
      bits[y * gray.GetStride() + x] = static_cast<uint8_t>((p[0] * 3 + p[1] * 6 + p[2]) / 10);
    }
  return gray;
}

}  // namespace codec_test
