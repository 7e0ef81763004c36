#pragma once
// What every reader, writer and info function receives, and what info
// functions fill.

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "formats/BufferedFile.h"
#include "imaging/AnimFrame.h"

struct CCodecJob {
  CBufferedFile* m_pStream = nullptr;  // open for reading or writing; not owned
  std::string m_strComment;            // readers store the file's comment here; writers may write it
  std::string m_strSignature;          // personal signature handed to writers
  CANCELPROC m_pfnCancel = nullptr;
  PROGRESSPROC m_pfnProgress = nullptr;
  int32_t m_nResult = IMAGEIO_OK;
  CRasterImage m_image;                // what a single-image reader fills or a writer writes
  int16_t m_nScreenWidth = 0;          // logical screen (canvas) size
  int16_t m_nScreenHeight = 0;
  int32_t m_nFrames = 0;               // records in m_pFrames
  CAnimFrame* m_pFrames = nullptr;     // GIF frames and TIFF pages read; frames to write; not owned
  int16_t m_nLoopCount = 0;            // 0 none, -1 endless
  int32_t m_nXResolution = 0;          // dots per inch
  int32_t m_nYResolution = 0;
  // Set by a reader whose file ended before the picture did: the image read
  // is whole in size, but its end is missing (left as the reader fills it).
  bool m_bIncomplete = false;
};

// Ends a single-image reader: the job takes the image on success and is left
// without one otherwise; the result is stored in the job and returned.
inline int FinishReadJob(CCodecJob* job, int result, CRasterImage&& image) {
  if (result == IMAGEIO_OK)
    job->m_image = std::move(image);
  else
    job->m_image.Free();
  job->m_nResult = result;
  return result;
}

// Runs the body of a single-image reader, body(image) -> result code, with
// the job's stream inside its transfer buffer; running out of memory becomes
// IMAGEIO_NO_MEMORY. Ends as FinishReadJob.
template <class ReadBody>
int RunSingleImageRead(CCodecJob* job, ReadBody body) {
  if (!job || !job->m_pStream) return IMAGEIO_INTERNAL_ERROR;
  CBufferedFile* stream = job->m_pStream;
  stream->BeginBuffer();
  CRasterImage image;
  int result;
  try {
    result = body(image);
  } catch (const std::bad_alloc&) {
    result = IMAGEIO_NO_MEMORY;
  }
  stream->EndBuffer();
  return FinishReadJob(job, result, std::move(image));
}

// Writes a block built in memory through the stream's transfer buffer.
inline void WriteBytes(CBufferedFile* stream, const std::vector<uint8_t>& bytes) {
  stream->BeginBuffer();
  for (size_t at = 0; at < bytes.size();) {
    const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - at, size_t{1} << 30));
    stream->Write(bytes.data() + at, chunk);
    at += static_cast<size_t>(chunk);
  }
  stream->EndBuffer();
}

struct PROPERTY_PAIR {
  std::string name;
  std::string value;
  friend bool operator==(const PROPERTY_PAIR&, const PROPERTY_PAIR&) = default;
};

// The metadata of a file, in the order the reader met it.
class CPropertyList : public std::vector<PROPERTY_PAIR> {
 public:
  void Add(std::string name, std::string value) { push_back({std::move(name), std::move(value)}); }
  // The value of the first pair with this name, or null.
  const std::string* Find(const std::string& name) const {
    for (const auto& p : *this)
      if (p.name == name) return &p.value;
    return nullptr;
  }
};

struct CImageFileInfo {
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_nBitsPerPixel = 0;  // as the file stores them
  CRasterImage m_thumbnail;     // a JPEG's EXIF thumbnail
  CPropertyList m_properties;
};
