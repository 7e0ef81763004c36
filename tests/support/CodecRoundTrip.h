#pragma once
// Reading and writing files through one codec's entry points, for codec
// tests: no front end, no format detection.

#include <string>

#include "formats/CodecJob.h"
#include "formats/MemStream.h"
#include "tests/support/TestSupport.h"

namespace testing_support {

using CodecProc = int (*)(CCodecJob*);

struct CodecReadResult {
  int result = -1;
  CRasterImage image;
  CCodecJob job;  // what else the reader filled (comment, resolution, screen)
};

// Reads a file with the given reader; frames, when wanted, go to job.m_pFrames.
inline CodecReadResult ReadWithCodec(CodecProc reader, const fs::path& path, CAnimFrame* frames = nullptr,
                                     int frameCount = 0) {
  CodecReadResult r;
  CBufferedFile file;
  if (!file.Open(path.string().c_str(), CBufferedFile::kRead)) return r;
  r.job.m_pStream = &file;
  r.job.m_pFrames = frames;
  r.job.m_nFrames = frameCount;
  r.result = reader(&r.job);
  r.image = r.job.m_image;
  r.job.m_pStream = nullptr;
  return r;
}

// Reads bytes held in memory with the given reader.
inline CodecReadResult ReadBytesWithCodec(CodecProc reader, const std::vector<uint8_t>& bytes) {
  CodecReadResult r;
  CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
  r.job.m_pStream = &stream;
  r.result = reader(&r.job);
  r.image = r.job.m_image;
  r.job.m_pStream = nullptr;
  return r;
}

// Writes the image (and comment) to a file with the given writer; returns
// the writer's result, or -1 when the file cannot be made or a write failed.
inline int WriteWithCodec(CodecProc writer, const fs::path& path, const CRasterImage& image,
                          const std::string& comment = {}) {
  CBufferedFile file;
  if (!file.Open(path.string().c_str(), CBufferedFile::kWrite)) return -1;
  CCodecJob job;
  job.m_pStream = &file;
  job.m_image = image;
  job.m_strComment = comment;
  const int rc = writer(&job);
  file.Close();
  return file.GetWriteError() ? -1 : rc;
}

// The bytes a writer produces for the image.
inline std::vector<uint8_t> WriteToBytes(CodecProc writer, const CRasterImage& image, const std::string& comment = {},
                                         int* result = nullptr) {
  CMemStream stream;
  stream.SetMode(CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &stream;
  job.m_image = image;
  job.m_strComment = comment;
  const int rc = writer(&job);
  if (result) *result = rc;
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetLength());
}

// An indexed test picture of the given depth: pixel (x, y) has index
// (x + 3 * y) mod 2^depth, and the palette holds distinct colours.
inline CRasterImage MakeIndexedPicture(int width, int height, int depth) {
  CRasterImage image;
  image.Create(width, height, depth);
  const int n = 1 << depth;
  RGBQUAD* pal = image.GetWritablePalette();
  for (int i = 0; i < n; ++i)
    pal[i] = MakeRGBQuad(static_cast<uint8_t>(i * 37 + 11), static_cast<uint8_t>(255 - i * 13), static_cast<uint8_t>(i * 91 + 5));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + static_cast<int64_t>(y) * image.GetStride();
    for (int x = 0; x < width; ++x) {
      const int v = (x + 3 * y) % n;
      if (depth == 1)
        row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (v << (7 - (x & 7))));
      else if (depth == 4)
        row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | (x & 1 ? v : v << 4));
      else
        row[x] = static_cast<uint8_t>(v);
    }
  }
  return image;
}

// Converts any image file to PAM with ImageMagick (transparency kept).
inline bool ImageMagickToPam(const fs::path& in, const fs::path& out) {
  return RunCommand("convert " + ShellQuote(in.string()) + " -depth 8 pam:" + ShellQuote(out.string())) == 0;
}

// Converts any image file to PAM with Pillow (RGBA, or RGB when the file has
// no transparency).
inline bool PillowToPam(const fs::path& in, const fs::path& out) {
  const std::string script =
      "import sys\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1])\n"
      "im.load()\n"
      "alpha = im.mode in ('RGBA', 'LA', 'PA') or 'transparency' in im.info\n"
      "im = im.convert('RGBA' if alpha else 'RGB')\n"
      "w, h = im.size\n"
      "d = 4 if alpha else 3\n"
      "t = 'RGB_ALPHA' if alpha else 'RGB'\n"
      "f = open(sys.argv[2], 'wb')\n"
      "f.write(b'P7\\nWIDTH %d\\nHEIGHT %d\\nDEPTH %d\\nMAXVAL 255\\nTUPLTYPE %s\\nENDHDR\\n' % (w, h, d, t.encode()))\n"
      "f.write(im.tobytes())\n";
  return RunCommand(Python() + " -c " + ShellQuote(script) + " " + ShellQuote(in.string()) + " " + ShellQuote(out.string())) == 0;
}

}  // namespace testing_support
