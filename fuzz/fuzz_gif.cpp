// libFuzzer target: the GIF frame counter, header reader and frame reader
// over arbitrary bytes, then the writer over whatever was read.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ImageGeometry.h"
#include "formats/GifCodec.h"
#include "formats/MemStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Frames of up to 4 MB: enough for every path, small enough for the
  // fuzzer's memory and time limits.
  SetImageByteBudget(int64_t{4} << 20);
  if (size > (1 << 20)) return 0;
  CMemStream in(data, static_cast<int>(size));
  CImageFileInfo info;
  GetGifInfo(&in, &info);
  in.Seek(0, CBufferedFile::kBegin);
  const int count = CountGifFrames(&in);
  if (count <= 0 || count > 64) return 0;
  std::vector<CAnimFrame> frames(static_cast<size_t>(count));
  in.Seek(0, CBufferedFile::kBegin);
  CCodecJob job;
  job.m_pStream = &in;
  job.m_pFrames = frames.data();
  job.m_nFrames = count;
  if (ReadGif(&job, 0, count) != IMAGEIO_OK) return 0;
  // What was read must write again (small frames only: writing is not the
  // part under test, and big frames cost seconds under the sanitizers).
  int64_t pixels = 0;
  for (const CAnimFrame& f : frames) pixels += int64_t{f.m_image.GetWidth()} * f.m_image.GetHeight();
  if (pixels > (int64_t{1} << 20)) return 0;
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob writeJob;
  writeJob.m_pStream = &out;
  writeJob.m_pFrames = frames.data();
  writeJob.m_nFrames = count;
  writeJob.m_nScreenWidth = job.m_nScreenWidth;
  writeJob.m_nScreenHeight = job.m_nScreenHeight;
  writeJob.m_nLoopCount = job.m_nLoopCount;
  writeJob.m_strComment = job.m_strComment;
  GIF_SAVE_OPTIONS options;
  options.nCommentOption = 1;
  WriteGif(&writeJob, 0, count, &options);
  return 0;
}
