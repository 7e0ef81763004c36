#pragma once
// Entry points of the JPEG codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.
//
// The codec drives libjpeg (6b interface) through its own source and
// destination managers over a CBufferedFile, and an error manager that turns
// every library error into a result code: nothing of the library escapes to
// the caller, and every failure frees what was allocated.

#include <cstdint>
#include <string>

#include "formats/CodecJob.h"
#include "formats/SaveOptions.h"

// Reads the whole image: 8-bit gray (with the gray palette) or 24-bit RGB;
// CMYK and YCCK files are converted. The last COM marker becomes
// job->m_strComment. A file that ends early reads as far as it goes.
int ReadJpeg(CCodecJob* job);
// Writes job->m_image: gray-palette 8-bit images as one gray component,
// 24-bit images as RGB; other palette images only when the options allow
// colour conversion (else IMAGEIO_BAD_COLOR_MODE, nothing written).
int WriteJpeg(CCodecJob* job, const JPEG_SAVE_OPTIONS* options);
// Writes with the options the host supplies (stored defaults or a dialog).
int WriteJpegWithOptions(CCodecJob* job);
// Header facts for the browser: size, depth, the EXIF properties followed
// by ("Comments", comment), and, when asked for, the EXIF thumbnail.
// False when the header could not be read; properties gathered before the
// failure are still copied.
bool GetJpegInfo(CBufferedFile* stream, CImageFileInfo* info, bool wantThumbnail);

// Decodes like ReadJpeg, refusing (IMAGEIO_NO_MEMORY) images with a side
// above maxSide before anything is allocated. Used for embedded thumbnails.
int ReadJpegLimited(CCodecJob* job, int32_t maxSide);

// Decodes at a reduced scale for thumbnails: the smallest scale n/8 (n = 1
// to 8) at which the picture is still at least as large as when fitted into
// boxWidth x boxHeight (never enlarged), using libjpeg's scaled inverse
// transform, so a large photograph costs a fraction of a full decode in time
// and memory. A box side of 0 decodes at full size. *fullWidth and
// *fullHeight (when given) receive the size stored in the file once the
// header was read (0 before). Otherwise as ReadJpegLimited.
int ReadJpegScaled(CCodecJob* job, int32_t maxSide, int32_t boxWidth, int32_t boxHeight, int32_t* fullWidth,
                   int32_t* fullHeight);

// The header of a JPEG stream, read once by the constructor.
class CJpegInfo {
 public:
  CJpegInfo(CBufferedFile* stream, bool wantThumbnail);
  virtual ~CJpegInfo();
  CJpegInfo(const CJpegInfo&) = delete;
  CJpegInfo& operator=(const CJpegInfo&) = delete;

  // True when the frame header was read.
  bool IsValid() const { return m_bValid; }
  int32_t GetWidth() const { return m_nWidth; }
  int32_t GetHeight() const { return m_nHeight; }
  // 8 when the file decodes to gray, else 24; 0 when the header failed.
  int32_t GetBitsPerPixel() const { return m_nBitsPerPixel; }
  // The EXIF thumbnail (empty when none, not asked for or undecodable).
  const CRasterImage& GetThumbnail() const { return m_thumbnail; }
  // Appends the properties to the target list.
  void CopyProperties(CPropertyList& target) const;

 private:
  bool m_bValid = false;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_nBitsPerPixel = 0;
  CRasterImage m_thumbnail;
  CPropertyList m_properties;
};

// Gray value of a colour: (3 red + 6 green + blue) / 10.
inline int GrayFromRgb(int red, int green, int blue) { return (3 * red + 6 * green + blue) / 10; }
