#pragma once
// CExifParser: the EXIF block of a JPEG APP1 marker as readable properties.
//
// The block is "Exif\0\0" followed by a small TIFF structure. A known set of
// tags of IFD0 and of the Exif sub-IFD become (name, value) text pairs in
// the target list, in file order, the sub-IFD's pairs where its pointer
// stands; GPS data and other tags are passed over. The JPEG thumbnail named
// by IFD1 can be decoded as well.
//
// Nothing read from the block is trusted: every offset and length is checked
// against the block before use, no IFD is walked twice, and the amount of
// text produced is capped.

#include <cstdint>
#include <string>

#include "formats/CodecJob.h"

class CMemStream;

// One 12-byte IFD entry, its value field kept as the file's four bytes.
struct EXIF_ENTRY {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint8_t value[4] = {};
};

// Formats one tag's value: data holds count elements of the given type, in
// host order for the 16- and 32-bit parts of each element.
using EXIF_FORMATTER = std::string (*)(const uint8_t* data, uint32_t count, int type);

class CExifParser {
 public:
  explicit CExifParser(CPropertyList* list);
  virtual ~CExifParser();

  // Appends the block's pairs to the list and returns the decoded thumbnail
  // (empty when there is none, it is not wanted or it cannot be decoded).
  CRasterImage Parse(const uint8_t* block, int length, bool wantThumbnail);

  // Largest thumbnail side decoded; larger ones are refused unread.
  static constexpr int32_t kMaxThumbnailSide = 1024;
  // Pairs one block may add, and characters one value may hold.
  static constexpr int kMaxPairs = 512;
  static constexpr size_t kMaxValueLength = 2048;

 private:
  // Walks the IFD at the stream's position; returns the next-IFD offset.
  uint32_t ReadIfd(CMemStream& stream, bool isIfd0);
  bool ReadEntry(CMemStream& stream, EXIF_ENTRY& entry);
  // False when the value lies outside the block.
  bool FormatValue(const EXIF_ENTRY& entry, CMemStream& stream, std::string& text);
  CRasterImage ReadThumbnail(CMemStream& stream);
  uint16_t Swap16(uint16_t v) const;
  uint32_t Swap32(uint32_t v) const;

  int m_nByteOrder = 0;  // 0 "II" little-endian, 1 "MM" big-endian
  CPropertyList* m_pList;
  int m_nPairs = 0;
};

// Type sizes in bytes (0 for unknown types).
int GetExifTypeSize(int type);
// Name of a tag that becomes a property, or null.
const char* GetExifTagName(int tag);
// Formatter of a tag with its own value text, or null.
EXIF_FORMATTER GetExifTagFormatter(int tag);

std::string FormatExposureProgram(const uint8_t* data, uint32_t count, int type);
std::string FormatCopyright(const uint8_t* data, uint32_t count, int type);
std::string FormatExposureTime(const uint8_t* data, uint32_t count, int type);
std::string FormatExifVersion(const uint8_t* data, uint32_t count, int type);
std::string FormatFlash(const uint8_t* data, uint32_t count, int type);
