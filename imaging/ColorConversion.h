#pragma once
// Colour-mode conversion, dithering and palette look-ups.
//
// Every converter takes the source read-only and returns a new image; the
// source is never changed. Long ones end with (status, cancel, progress):
// *status (when given) receives IMAGEIO_OK, or IMAGEIO_CANCELLED when cancel
// returned true (asked after every row; the result is then empty), or
// IMAGEIO_NO_MEMORY when the target could not be allocated. progress gets
// (row, rows) after every row that was not cancelled. An empty source gives
// an empty result with status IMAGEIO_OK.
//
// Transparency follows the target's form: an 8-bit alpha mask for 24-bit
// targets, a 1-bit mask for indexed ones.

#include <cstdint>
#include <memory>
#include <vector>

#include "base/ResultCodes.h"
#include "imaging/RasterImage.h"

// Gray value of a colour, used by every conversion: (3 R + 6 G + B) / 10.
inline int GrayValue(int red, int green, int blue) { return (3 * red + 6 * green + blue) / 10; }

// The 4 x 4 ordered-dither threshold matrix (values 0 to 45), indexed
// [(x mod 4) + 4 (y mod 4)], and the 8 x 8 Bayer matrix scaled by 4 (values
// 0 to 252), indexed [(x mod 8) + 8 (y mod 8)].
extern const uint8_t kDitherMatrix4x4[16];
extern const uint8_t kBayerMatrix8x8[64];

// 24-bit image of an indexed source; empty (status OK) for a 24-bit source.
CRasterImage ConvertTo24Bit(const CRasterImage& source, int* status = nullptr, CANCELPROC cancel = nullptr,
                            PROGRESSPROC progress = nullptr);
// 8-bit gray image (gray ramp palette); empty (status OK) when the source is
// already gray.
CRasterImage ConvertToGrayscale(const CRasterImage& source, int* status = nullptr, CANCELPROC cancel = nullptr,
                                PROGRESSPROC progress = nullptr);
// 8-bit image on the 216-colour cube (4 x 4 ordered dither). 1- and 4-bit
// sources keep their pixels and palette (the other entries 0).
CRasterImage ConvertToCube216(const CRasterImage& source, int* status = nullptr, CANCELPROC cancel = nullptr,
                              PROGRESSPROC progress = nullptr);
// 4-bit image on the 8 corner colours (8 x 8 ordered dither). 1-bit sources
// keep their pixels and two palette entries.
CRasterImage ConvertTo8Colors(const CRasterImage& source, int* status = nullptr, CANCELPROC cancel = nullptr,
                              PROGRESSPROC progress = nullptr);

// Dither types of ReduceToPalette.
enum DitherType { DITHER_NONE = 0, DITHER_DIFFUSION = 1, DITHER_ORDERED = 2 };
// Type 2 ignores the palette: n <= 16 gives ConvertTo8Colors, else
// ConvertToCube216. Other types: MapToPalette with diffusion for type 1.
// n > 256 gives an empty image and leaves *status untouched.
CRasterImage ReduceToPalette(const CRasterImage& source, const RGBQUAD* palette, int count, int ditherType,
                             int* status = nullptr, CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);
// Image on the first count entries of the palette: 1 bit for count <= 2, 4
// for <= 16, 8 for <= 256, 24-bit (the entries' colours) above. Each pixel
// takes its nearest entry (FindNearestPaletteColor), optionally with
// Floyd-Steinberg error diffusion. Transparent source pixels are skipped (the
// target keeps 0 there and no error is spread); palette entries from count
// on are 0. count <= 0 gives an empty image.
CRasterImage MapToPalette(const CRasterImage& source, int count, const RGBQUAD* palette, bool diffuse,
                          int* status = nullptr, CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);

// The two output levels of a black-and-white conversion at level 0..255
// (clamped): below 128 low 0 and high (255 L) >> 7; else high 255 and low
// (255 L - 32640) / 127.
void GetBitmapLevels(int level, int* high, int* low);
// 1-bit image (entry 0 black, 1 white): fixed threshold (white when level <
// gray) or 8 x 8 ordered dither between the levels. Empty for a 1-bit source.
CRasterImage ConvertToBitmapThreshold(const CRasterImage& source, bool fixed, int level, int* status = nullptr,
                                      CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);
// Black-and-white modes of ConvertToBitmap.
enum BitmapMode { BITMAP_THRESHOLD = 0, BITMAP_DIFFUSION = 1, BITMAP_ORDERED = 2 };
CRasterImage ConvertToBitmap(const CRasterImage& source, int mode, int level, int* status = nullptr,
                             CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);

// Negative of one row of count pixels at 1, 8 or 24 bits (other depths:
// nothing). A null source inverts the target in place.
void InvertRow(int bitsPerPixel, uint8_t* target, const uint8_t* source, int count);
// Negative image: 4-bit and non-gray 8-bit images get their palette
// inverted, the others their pixels.
CRasterImage InvertColors(const CRasterImage& source, int* status = nullptr, CANCELPROC cancel = nullptr,
                          PROGRESSPROC progress = nullptr);

// Index of the palette entry nearest to the colour (squared RGB distance);
// ties keep the lower index and an exact match ends the search.
int FindNearestPaletteColor(int count, const RGBQUAD* palette, int red, int green, int blue);

// Gives the target (same size) the source's transparency in the target's
// mask form; nothing when the source has no mask. false (target without
// mask, *status set) when cancelled or out of memory.
bool CopyMaskForConversion(const CRasterImage& source, CRasterImage& target, int* status = nullptr,
                           CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);
// 1-bit target mask from a 24-bit source's 8-bit alpha, by error diffusion.
bool AlphaToBitMask(const CRasterImage& source, CRasterImage& target, int* status = nullptr,
                    CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);

// Cache of nearest-palette answers keyed on the full 24-bit colour. Memory
// grows in blocks of 4096 colours that share their top 12 bits, so it stays
// below 32 MB whatever the number of colours stored.
class CColorLookupTree {
 public:
  static constexpr uint16_t kNotFound = 0xFFFF;
  CColorLookupTree();
  ~CColorLookupTree();
  CColorLookupTree(const CColorLookupTree&) = delete;
  CColorLookupTree& operator=(const CColorLookupTree&) = delete;

  // The stored index, or kNotFound when the colour was never stored.
  uint16_t Find(int red, int green, int blue) const;
  // Stores the index (0 to 0xFFFE); false when memory ran out (the cache
  // then just misses).
  bool Insert(int red, int green, int blue, uint16_t index);

 private:
  std::unique_ptr<uint16_t[]> m_blocks[4096];
};

// Exact nearest-entry search over a fixed palette, faster than the linear
// scan on large palettes and with the same answers (ties keep the lower
// index). Candidate lists are built per cell of a grid on first use: 2^cellBits
// cells per channel (3 to 6); finer grids cost more to fill and answer faster.
class CNearestColorFinder {
 public:
  CNearestColorFinder(int count, const RGBQUAD* palette, int cellBits = 5);
  int Find(int red, int green, int blue);

 private:
  void BuildCell(int cell);
  int m_count;
  RGBQUAD m_palette[256];
  int m_cellBits;
  std::vector<int32_t> m_cellStart;  // -1 until built
  std::vector<uint16_t> m_cellSize;
  std::unique_ptr<uint8_t[]> m_candidates;
  int32_t m_used = 0;
  int32_t m_capacity = 0;
};
