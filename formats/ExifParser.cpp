#include "formats/ExifParser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/JpegCodec.h"
#include "formats/MemStream.h"

namespace {

constexpr int kTagExifIfd = 34665;
constexpr int kTagGpsIfd = 34853;
constexpr int kTagThumbnailOffset = 513;
constexpr int kTagThumbnailLength = 514;

enum ExifType {
  kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSByte = 6,
  kUndefined = 7, kSShort = 8, kSLong = 9, kSRational = 10, kFloat = 11, kDouble = 12,
};

struct ExifTagName {
  int tag;
  const char* name;
};

const ExifTagName g_exifTagNames[] = {
    {256, "Exif Image Width"},
    {257, "Exif Image Height"},
    {270, "Image Description"},
    {271, "Make"},
    {272, "Model"},
    {305, "Software"},
    {315, "Artist"},
    {33432, "Copyright"},
    {36864, "Exif Version"},
    {40960, "FlashPix Version"},
    {36867, "Date Time Original"},
    {36868, "Date Time Digitized"},
    {33434, "Exposure Time"},
    {33437, "F Number"},
    {34850, "Exposure Program"},
    {34855, "ISO Speed Rating"},
    {37377, "Shutter Speed"},
    {37378, "Aperture"},
    {37379, "Brightness"},
    {37380, "Exposure Bias"},
    {37381, "Maximum Lens Aperture"},
    {37382, "Subject Distance"},
    {37383, "Metering Mode"},
    {37384, "Light Source"},
    {37385, "Flash"},
    {37386, "Lens Focal Length"},
    {40962, "Valid Image Width"},
    {40963, "Valid Image Height"},
    {41483, "Flash Energy"},
    {41484, "Spatial Frequency Response"},
    {41486, "Focal Plane X Resolution"},
    {41487, "Focal Plane Y Resolution"},
    {41488, "Focal Plane Resolution Unit"},
    {41492, "Subject Location"},
    {41493, "Exposure Index"},
    {41495, "Sensing Method"},
    {0, nullptr},
};

struct ExifTagFormatter {
  int tag;
  EXIF_FORMATTER formatter;
};

const ExifTagFormatter g_exifTagFormatters[] = {
    {34850, FormatExposureProgram},
    {33432, FormatCopyright},
    {33434, FormatExposureTime},
    {36864, FormatExifVersion},
    {40960, FormatExifVersion},
    {37385, FormatFlash},
    {0, nullptr},
};

int64_t Gcd(int64_t a, int64_t b) {
  a = a < 0 ? -a : a;
  b = b < 0 ? -b : b;
  while (b != 0) {
    const int64_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}

uint16_t Host16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

uint32_t Host32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The first element of an integer value (0 for other types).
int64_t FirstInteger(const uint8_t* data, int type) {
  switch (type) {
    case kByte:
    case kUndefined:
      return data[0];
    case kSByte:
      return static_cast<int8_t>(data[0]);
    case kShort:
      return Host16(data);
    case kSShort:
      return static_cast<int16_t>(Host16(data));
    case kLong:
      return Host32(data);
    case kSLong:
      return static_cast<int32_t>(Host32(data));
    default:
      return 0;
  }
}

// Numerator and denominator of the first element of a rational value; an
// integer value counts as value / 1.
void FirstRational(const uint8_t* data, int type, int64_t& n, int64_t& d) {
  if (type == kRational) {
    n = Host32(data);
    d = Host32(data + 4);
  } else if (type == kSRational) {
    n = static_cast<int32_t>(Host32(data));
    d = static_cast<int32_t>(Host32(data + 4));
  } else {
    n = FirstInteger(data, type);
    d = 1;
  }
}

// Text of at most limit bytes, ending at the first zero byte.
std::string TextUpToZero(const uint8_t* data, size_t limit) {
  const char* text = reinterpret_cast<const char*>(data);
  return std::string(text, strnlen(text, limit));
}

std::string Trim(const std::string& s) {
  const char* blanks = " \t\r\n\v\f";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  const size_t last = s.find_last_not_of(blanks);
  return s.substr(first, last - first + 1);
}

}  // namespace

int GetExifTypeSize(int type) {
  switch (type) {
    case kByte: case kAscii: case kSByte: case kUndefined:
      return 1;
    case kShort: case kSShort:
      return 2;
    case kLong: case kSLong: case kFloat:
      return 4;
    case kRational: case kSRational: case kDouble:
      return 8;
    default:
      return 0;
  }
}

const char* GetExifTagName(int tag) {
  for (const ExifTagName* p = g_exifTagNames; p->tag; ++p)
    if (p->tag == tag) return p->name;
  return nullptr;
}

EXIF_FORMATTER GetExifTagFormatter(int tag) {
  for (const ExifTagFormatter* p = g_exifTagFormatters; p->tag; ++p)
    if (p->tag == tag) return p->formatter;
  return nullptr;
}

std::string FormatExposureProgram(const uint8_t* data, uint32_t, int type) {
  static const char* const kPrograms[] = {
      "Not defined",
      "Manual",
      "Normal program",
      "Aperture priority",
      "Shutter priority",
      "Creative program (biased toward depth of field)",
      "Action program (biased toward fast shutter speed)",
      "Portait mode (for closeup photos with background out of focus)",
      "Landscape mode (for landscape photos with the background in focus)",
  };
  int64_t v = FirstInteger(data, type);
  if (v < 0 || v > 8) v = 0;
  return kPrograms[v];
}

std::string FormatCopyright(const uint8_t* data, uint32_t count, int) {
  const std::string photographer = TextUpToZero(data, count);
  std::string text = photographer;
  if (photographer.size() + 1 < count) {
    const size_t start = photographer.size() + 1;
    text += ' ';
    text += TextUpToZero(data + start, count - start);
  }
  return Trim(text);
}

std::string FormatExposureTime(const uint8_t* data, uint32_t, int type) {
  int64_t n, d;
  FirstRational(data, type, n, d);
  if (n == d) return "1 second";
  const int64_t g = Gcd(n, d);  // non-zero: n and d are not both 0
  n /= g;
  d /= g;
  char text[64];
  std::snprintf(text, sizeof text, "%lld/%lld%s", static_cast<long long>(n), static_cast<long long>(d),
                n < d ? " of a second" : " seconds");
  return text;
}

std::string FormatExifVersion(const uint8_t* data, uint32_t count, int) { return TextUpToZero(data, count); }

std::string FormatFlash(const uint8_t* data, uint32_t, int type) {
  switch (FirstInteger(data, type) & 7) {
    case 0:
      return "Flash did not fire";
    case 1:
      return "Flash fired";
    case 5:
      return "Strobe return light not detected";
    case 7:
      return "Strobe return light detected";
    default:
      return std::string();
  }
}

// ---------------------------------------------------------------------------

CExifParser::CExifParser(CPropertyList* list) : m_pList(list) {}

CExifParser::~CExifParser() = default;

uint16_t CExifParser::Swap16(uint16_t v) const {
  return m_nByteOrder ? static_cast<uint16_t>((v >> 8) | (v << 8)) : v;
}

uint32_t CExifParser::Swap32(uint32_t v) const { return m_nByteOrder ? __builtin_bswap32(v) : v; }

CRasterImage CExifParser::Parse(const uint8_t* block, int length, bool wantThumbnail) {
  static const uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (!block || length < 6 || std::memcmp(block, kExifHeader, 6) != 0) return CRasterImage();

  CMemStream stream(block + 6, length - 6);
  uint8_t header[8];
  if (stream.Read(header, 8) != 8) return CRasterImage();
  if (header[0] == 'I' && header[1] == 'I' && header[2] == 42 && header[3] == 0) {
    m_nByteOrder = 0;
  } else if (header[0] == 'M' && header[1] == 'M' && header[2] == 0 && header[3] == 42) {
    m_nByteOrder = 1;
  } else {
    return CRasterImage();
  }
  const uint32_t ifd0 = Swap32(Host32(header + 4));
  if (ifd0 == 0 || ifd0 >= static_cast<uint32_t>(stream.GetLength())) return CRasterImage();
  stream.Seek(ifd0, CBufferedFile::kBegin);
  const uint32_t ifd1 = ReadIfd(stream, true);
  if (ifd1 == 0 || !wantThumbnail || ifd1 >= static_cast<uint32_t>(stream.GetLength())) return CRasterImage();
  stream.Seek(ifd1, CBufferedFile::kBegin);
  return ReadThumbnail(stream);
}

bool CExifParser::ReadEntry(CMemStream& stream, EXIF_ENTRY& entry) {
  uint8_t raw[12];
  if (stream.Read(raw, 12) != 12) return false;
  entry.tag = Swap16(Host16(raw));
  entry.type = Swap16(Host16(raw + 2));
  entry.count = Swap32(Host32(raw + 4));
  std::memcpy(entry.value, raw + 8, 4);
  return true;
}

uint32_t CExifParser::ReadIfd(CMemStream& stream, bool isIfd0) {
  uint8_t raw[2];
  if (stream.Read(raw, 2) != 2) return 0;
  const int entries = Swap16(Host16(raw));
  bool subIfdWalked = false;
  for (int i = 0; i < entries && m_nPairs < kMaxPairs; ++i) {
    EXIF_ENTRY entry;
    if (!ReadEntry(stream, entry)) return 0;
    if (entry.tag == kTagExifIfd) {
      // Only IFD0's pointer is followed, and only once: a pointer back into
      // an IFD being walked cannot recurse.
      if (!isIfd0 || subIfdWalked) continue;
      const uint32_t offset = Swap32(Host32(entry.value));
      if (offset == 0 || offset >= static_cast<uint32_t>(stream.GetLength())) continue;
      subIfdWalked = true;
      const int back = stream.GetPosition();
      stream.Seek(offset, CBufferedFile::kBegin);
      ReadIfd(stream, false);
      stream.Seek(back, CBufferedFile::kBegin);
      continue;
    }
    if (entry.tag == kTagGpsIfd) continue;
    const char* name = GetExifTagName(entry.tag);
    if (!name) continue;
    std::string text;
    if (!FormatValue(entry, stream, text)) continue;
    m_pList->Add(name, std::move(text));
    ++m_nPairs;
  }
  uint8_t next[4];
  if (stream.Read(next, 4) != 4) return 0;
  return Swap32(Host32(next));
}

bool CExifParser::FormatValue(const EXIF_ENTRY& entry, CMemStream& stream, std::string& text) {
  const int size = GetExifTypeSize(entry.type);
  const uint64_t bytes = static_cast<uint64_t>(entry.count) * static_cast<uint64_t>(size);
  const uint32_t offset = Swap32(Host32(entry.value));
  // A value outside the block is not read, and nothing is allocated for it.
  if (bytes >= 5 &&
      (offset > static_cast<uint64_t>(stream.GetLength()) || bytes > static_cast<uint64_t>(stream.GetLength()) - offset))
    return false;
  // Room for the first element of any type, zero-padded.
  std::vector<uint8_t> data(static_cast<size_t>(std::max<uint64_t>(bytes, 8) + 1), 0);
  if (bytes >= 5) {
    const int back = stream.GetPosition();
    stream.Seek(offset, CBufferedFile::kBegin);
    const int got = stream.Read(data.data(), static_cast<int>(bytes));
    stream.Seek(back, CBufferedFile::kBegin);
    if (got != static_cast<int>(bytes)) return false;
  } else {
    std::memcpy(data.data(), entry.value, 4);
  }
  // Elements into host order.
  const size_t elements = bytes >= 5 ? entry.count : (size ? 4 / static_cast<size_t>(size) : 0);
  if (m_nByteOrder) {
    for (size_t i = 0; i < elements; ++i) {
      uint8_t* p = data.data() + i * static_cast<size_t>(size);
      switch (entry.type) {
        case kShort: case kSShort:
          std::reverse(p, p + 2);
          break;
        case kLong: case kSLong: case kFloat:
          std::reverse(p, p + 4);
          break;
        case kRational: case kSRational:
          std::reverse(p, p + 4);
          std::reverse(p + 4, p + 8);
          break;
        case kDouble:
          std::reverse(p, p + 8);
          break;
        default:
          break;
      }
    }
  }

  const uint8_t* value = data.data();
  if (EXIF_FORMATTER formatter = GetExifTagFormatter(entry.tag)) {
    text = formatter(value, entry.count, entry.type);
  } else {
    char buffer[64];
    switch (entry.type) {
      case kByte:
      case kSByte:
        std::snprintf(buffer, sizeof buffer, "%02x", value[0]);
        text = buffer;
        break;
      case kAscii:
        text = TextUpToZero(value, entry.count);
        break;
      case kShort:
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(Host16(value)));
        text = buffer;
        break;
      case kSShort:
        std::snprintf(buffer, sizeof buffer, "%hd", static_cast<short>(Host16(value)));
        text = buffer;
        break;
      case kLong:
        std::snprintf(buffer, sizeof buffer, "%u", Host32(value));
        text = buffer;
        break;
      case kSLong:
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int32_t>(Host32(value)));
        text = buffer;
        break;
      case kRational:
      case kSRational: {
        int64_t n, d;
        FirstRational(value, entry.type, n, d);
        if (n != 0 && d != 0)
          std::snprintf(buffer, sizeof buffer, "%.1f", static_cast<double>(n) / static_cast<double>(d));
        else
          std::snprintf(buffer, sizeof buffer, "0.0");
        text = buffer;
        break;
      }
      case kFloat: {
        float f;
        std::memcpy(&f, value, 4);
        std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(f));
        text = buffer;
        break;
      }
      case kDouble: {
        double f;
        std::memcpy(&f, value, 8);
        std::snprintf(buffer, sizeof buffer, "%f", f);
        text = buffer;
        break;
      }
      default:
        text = "Unknown";
        break;
    }
  }
  if (text.size() > kMaxValueLength) text.resize(kMaxValueLength);
  return true;
}

CRasterImage CExifParser::ReadThumbnail(CMemStream& stream) {
  uint8_t raw[2];
  if (stream.Read(raw, 2) != 2) return CRasterImage();
  const int entries = Swap16(Host16(raw));
  uint32_t offset = 0, length = 0;
  for (int i = 0; i < entries; ++i) {
    EXIF_ENTRY entry;
    if (!ReadEntry(stream, entry)) break;
    if (entry.tag != kTagThumbnailOffset && entry.tag != kTagThumbnailLength) continue;
    uint8_t value[8] = {};
    std::memcpy(value, entry.value, 4);
    if (m_nByteOrder) {
      if (entry.type == kShort || entry.type == kSShort)
        std::reverse(value, value + 2);
      else
        std::reverse(value, value + 4);
    }
    const int64_t v = FirstInteger(value, entry.type);
    const uint32_t number = v < 0 || v > INT32_MAX ? 0 : static_cast<uint32_t>(v);
    (entry.tag == kTagThumbnailOffset ? offset : length) = number;
  }
  if (offset == 0 || length == 0) return CRasterImage();
  const uint32_t total = static_cast<uint32_t>(stream.GetLength());
  if (offset >= total || length > total - offset) return CRasterImage();

  CMemStream jpeg(stream.GetData() + offset, static_cast<int>(length));
  CCodecJob job;
  job.m_pStream = &jpeg;
  if (ReadJpegLimited(&job, kMaxThumbnailSide) != IMAGEIO_OK) return CRasterImage();
  return job.m_image;
}
