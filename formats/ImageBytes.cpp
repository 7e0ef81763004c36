#include "formats/ImageBytes.h"

#include <climits>

#include "formats/BmpCodec.h"
#include "formats/CodecJob.h"
#include "formats/MemStream.h"
#include "formats/PngCodec.h"
#include "imaging/Dib.h"

namespace {

CRasterImage ReadFromBytes(const uint8_t* data, std::size_t size, int (*reader)(CCodecJob*)) {
  if (!data || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return {};
  CMemStream stream(data, static_cast<int>(size));
  CCodecJob job;
  job.m_pStream = &stream;
  if (reader(&job) != IMAGEIO_OK) return {};
  return std::move(job.m_image);
}

}  // namespace

std::vector<uint8_t> EncodePngBytes(const CRasterImage& image) {
  if (image.IsEmpty()) return {};
  CMemStream stream;
  if (!stream.Open(nullptr, CBufferedFile::kWrite)) return {};
  CCodecJob job;
  job.m_pStream = &stream;
  job.m_image = image;
  if (WritePng(&job) != IMAGEIO_OK || stream.GetWriteError()) return {};
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetLength());
}

std::vector<uint8_t> EncodeBmpFileBytes(const CRasterImage& image) { return ImageToBmpFile(image); }

CRasterImage DecodePngBytes(const uint8_t* data, std::size_t size) { return ReadFromBytes(data, size, ReadPng); }

CRasterImage DecodeBmpBytes(const uint8_t* data, std::size_t size) {
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ReadFromBytes(data, size, ReadBmp);
  return DibToImage(data, size);
}
