#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "formats/ExifParser.h"
#include "formats/JpegCodec.h"
#include "tests/formats/JpegPngTestHelpers.h"

namespace {

using codec_test::ReadBytesWith;
using codec_test::Shell;
using codec_test::StreamBytes;
using testing_support::CompareRgb;
using testing_support::MakeTestPicture;
using testing_support::ReadFileBytes;
using testing_support::ShellQuote;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

using Bytes = std::vector<uint8_t>;

enum { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSByte = 6, kUndefined = 7,
       kSShort = 8, kSLong = 9, kSRational = 10, kFloat = 11, kDouble = 12 };

// Builds the APP1 payload of an EXIF block: "Exif\0\0", the TIFF header,
// IFD0, the Exif sub-IFD, IFD1 and a data area, in either byte order.
class ExifBlock {
 public:
  explicit ExifBlock(bool mm) : m_mm(mm) {}

  Bytes U16(uint16_t v) const { return m_mm ? Bytes{uint8_t(v >> 8), uint8_t(v)} : Bytes{uint8_t(v), uint8_t(v >> 8)}; }
  Bytes U32(uint32_t v) const {
    return m_mm ? Bytes{uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}
                : Bytes{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  }
  Bytes Rational(uint32_t n, uint32_t d) const {
    Bytes b = U32(n);
    const Bytes e = U32(d);
    b.insert(b.end(), e.begin(), e.end());
    return b;
  }
  static Bytes Ascii(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
  }

  // An entry whose value (count elements, in file order) goes in the entry
  // or in the data area.
  void Add(int ifd, uint16_t tag, uint16_t type, uint32_t count, const Bytes& value) {
    m_ifds[ifd].push_back({tag, type, count, value, false, 0});
  }
  // An entry with the value field given as is (for hostile offsets).
  void AddRaw(int ifd, uint16_t tag, uint16_t type, uint32_t count, uint32_t field) {
    m_ifds[ifd].push_back({tag, type, count, {}, true, field});
  }
  // The sub-IFD pointer, at this place among IFD0's entries.
  void AddSubIfdPointer() { m_ifds[0].push_back({34665, kLong, 1, {}, false, 0, true}); }
  void SetThumbnail(const Bytes& jpeg, bool withLength = true) {
    m_thumbnail = jpeg;
    m_thumbnailLength = withLength;
  }

  Bytes Build() {
    if (!m_thumbnail.empty()) {
      m_ifds[2].push_back({513, kLong, 1, {}, false, 0, false, true});
      if (m_thumbnailLength) AddRaw(2, 514, kLong, 1, uint32_t(m_thumbnail.size()));
    }
    auto size = [&](int k) { return m_ifds[k].empty() ? 0u : uint32_t(2 + 12 * m_ifds[k].size() + 4); };
    const uint32_t at0 = 8, atSub = at0 + size(0), at1 = atSub + size(1), atData = at1 + size(2);
    Bytes tiff = m_mm ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
    append(tiff, U32(at0));
    Bytes data;
    auto thumbAt = [&] { return atData + uint32_t(data.size()); };
    for (int k : {0, 1, 2}) {
      if (m_ifds[k].empty()) continue;
      append(tiff, U16(uint16_t(m_ifds[k].size())));
      for (const Entry& e : m_ifds[k]) {
        append(tiff, U16(e.tag));
        append(tiff, U16(e.type));
        append(tiff, U32(e.count));
        if (e.subIfd) {
          append(tiff, U32(atSub));
        } else if (e.thumbnailOffset) {
          append(tiff, U32(0));  // patched below
        } else if (e.raw) {
          append(tiff, U32(e.field));
        } else if (e.value.size() <= 4) {
          Bytes field = e.value;
          field.resize(4, 0);
          append(tiff, field);
        } else {
          append(tiff, U32(atData + uint32_t(data.size())));
          append(data, e.value);
        }
      }
      append(tiff, U32(k == 0 && !m_ifds[2].empty() ? at1 : 0));
    }
    if (!m_thumbnail.empty()) {
      const uint32_t offset = thumbAt();
      append(data, m_thumbnail);
      // Patch the offset entry of IFD1.
      const size_t entryAt = at1 + 2 + 12 * (m_ifds[2].size() - (m_thumbnailLength ? 2 : 1)) + 8;
      const Bytes v = U32(offset);
      std::copy(v.begin(), v.end(), tiff.begin() + long(entryAt));
    }
    append(tiff, data);
    Bytes block = {'E', 'x', 'i', 'f', 0, 0};
    append(block, tiff);
    return block;
  }

 private:
  struct Entry {
    uint16_t tag, type;
    uint32_t count;
    Bytes value;
    bool raw;
    uint32_t field;
    bool subIfd = false;
    bool thumbnailOffset = false;
  };
  static void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }
  bool m_mm;
  std::map<int, std::vector<Entry>> m_ifds{{0, {}}, {1, {}}, {2, {}}};
  Bytes m_thumbnail;
  bool m_thumbnailLength = true;
};

CPropertyList Parse(const Bytes& block, CRasterImage* thumbnail = nullptr) {
  CPropertyList list;
  CExifParser parser(&list);
  CRasterImage image = parser.Parse(block.data(), int(block.size()), thumbnail != nullptr);
  if (thumbnail) *thumbnail = image;
  return list;
}

std::string ValueOf(const CPropertyList& list, const std::string& name) {
  const std::string* v = list.Find(name);
  return v ? *v : "<none>";
}

class ExifByteOrder : public ::testing::TestWithParam<bool> {};

TEST_P(ExifByteOrder, ExposureTimeTexts) {
  const bool mm = GetParam();
  struct Case {
    uint32_t n, d;
    const char* text;
  } cases[] = {{10, 2500, "1/250 of a second"}, {2, 1, "2/1 seconds"}, {1, 1, "1 second"},
               {0, 0, "1 second"},             {0, 5, "0/1 of a second"}, {7, 0, "1/0 seconds"}};
  for (const auto& c : cases) {
    ExifBlock b(mm);
    b.Add(0, 33434, kRational, 1, b.Rational(c.n, c.d));
    EXPECT_EQ(ValueOf(Parse(b.Build()), "Exposure Time"), c.text) << c.n << "/" << c.d;
  }
}

TEST_P(ExifByteOrder, FormattersAndTypes) {
  const bool mm = GetParam();
  struct Case {
    uint16_t tag, type;
    uint32_t count;
    std::function<Bytes(const ExifBlock&)> value;
    const char* name;
    const char* text;
  } cases[] = {
      {37385, kShort, 1, [](const ExifBlock& b) { return b.U16(0x19); }, "Flash", "Flash fired"},
      {37385, kShort, 1, [](const ExifBlock& b) { return b.U16(0x10); }, "Flash", "Flash did not fire"},
      {37385, kShort, 1, [](const ExifBlock& b) { return b.U16(0x1A); }, "Flash", ""},
      {37385, kShort, 1, [](const ExifBlock& b) { return b.U16(0x07); }, "Flash", "Strobe return light detected"},
      {34850, kShort, 1, [](const ExifBlock& b) { return b.U16(12); }, "Exposure Program", "Not defined"},
      {34850, kShort, 1, [](const ExifBlock& b) { return b.U16(7); }, "Exposure Program",
       "Portait mode (for closeup photos with background out of focus)"},
      {33437, kRational, 1, [](const ExifBlock& b) { return b.Rational(28, 10); }, "F Number", "2.8"},
      {33437, kRational, 1, [](const ExifBlock& b) { return b.Rational(0, 0); }, "F Number", "0.0"},
      {37380, kSRational, 1, [](const ExifBlock& b) { return b.Rational(uint32_t(-2), 3); }, "Exposure Bias", "-0.7"},
      {33432, kAscii, 21, [](const ExifBlock&) { return Bytes{' ', 'A', 'n', 'n', 0, 'E', 'd', ' ', 'E', 'd', 'i', 't', 'o', 'r', ' ', ' ', 0, 0, 0, 0, 0}; },
       "Copyright", "Ann Ed Editor"},
      {33432, kAscii, 5, [](const ExifBlock&) { return Bytes{'S', 'o', 'l', 'o', 0}; }, "Copyright", "Solo"},
      {36864, kUndefined, 4, [](const ExifBlock&) { return Bytes{'0', '2', '3', '2'}; }, "Exif Version", "0232"},
      {271, kAscii, 6, [](const ExifBlock&) { return Bytes{'C', 'a', 'n', 0, 'x', 0}; }, "Make", "Can"},
      {272, kAscii, 3, [](const ExifBlock&) { return Bytes{'A', 'B', 'C', 'D'}; }, "Model", "ABC"},
      {34855, kShort, 1, [](const ExifBlock& b) { return b.U16(40000); }, "ISO Speed Rating", "40000"},
      {37379, kSShort, 1, [](const ExifBlock& b) { return b.U16(uint16_t(-5)); }, "Brightness", "-5"},
      {256, kLong, 1, [](const ExifBlock& b) { return b.U32(4000); }, "Exif Image Width", "4000"},
      {257, kSLong, 1, [](const ExifBlock& b) { return b.U32(uint32_t(-3)); }, "Exif Image Height", "-3"},
      {41495, kByte, 1, [](const ExifBlock&) { return Bytes{0x2A}; }, "Sensing Method", "2a"},
      {41484, kUndefined, 9, [](const ExifBlock&) { return Bytes(9, 1); }, "Spatial Frequency Response", "Unknown"},
      {37386, kFloat, 1, [mm](const ExifBlock&) {
         float f = 5.5f; uint8_t p[4]; std::memcpy(p, &f, 4);
         return mm ? Bytes{p[3], p[2], p[1], p[0]} : Bytes{p[0], p[1], p[2], p[3]}; },
       "Lens Focal Length", "5.500000"},
      {37382, kDouble, 1, [mm](const ExifBlock&) {
         double f = -1.25; uint8_t p[8]; std::memcpy(p, &f, 8);
         Bytes b(p, p + 8); if (mm) std::reverse(b.begin(), b.end()); return b; },
       "Subject Distance", "-1.250000"},
  };
  for (const auto& c : cases) {
    ExifBlock b(mm);
    b.Add(0, c.tag, c.type, c.count, c.value(b));
    const CPropertyList list = Parse(b.Build());
    ASSERT_EQ(list.size(), 1u) << c.name;
    EXPECT_EQ(list[0].name, c.name);
    EXPECT_EQ(list[0].value, c.text) << c.name << (mm ? " MM" : " II");
  }
}

TEST_P(ExifByteOrder, SubIfdPairsStandWhereItsPointerIs) {
  ExifBlock b(GetParam());
  b.Add(0, 271, kAscii, 6, ExifBlock::Ascii("Maker"));
  b.Add(0, 700, kByte, 3, Bytes{1, 2, 3});          // XMP packet: not listed
  b.Add(0, 34853, kLong, 1, b.U32(8));               // GPS pointer: passed over
  b.AddSubIfdPointer();
  b.Add(0, 272, kAscii, 7, ExifBlock::Ascii("Model1"));
  b.Add(1, 33434, kRational, 1, b.Rational(1, 60));
  b.Add(1, 37500, kUndefined, 4, Bytes{1, 2, 3, 4});  // maker note: not listed
  b.Add(1, 34855, kShort, 1, b.U16(200));
  const CPropertyList list = Parse(b.Build());
  const CPropertyList expected = [] {
    CPropertyList l;
    l.Add("Make", "Maker");
    l.Add("Exposure Time", "1/60 of a second");
    l.Add("ISO Speed Rating", "200");
    l.Add("Model", "Model1");
    return l;
  }();
  EXPECT_EQ(list, expected);
}

Bytes SmallJpeg(int width, int height) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = MakeTestPicture(width, height, 4);
  JPEG_SAVE_OPTIONS options;
  EXPECT_EQ(WriteJpeg(&job, &options), IMAGEIO_OK);
  return StreamBytes(out);
}

TEST_P(ExifByteOrder, ThumbnailFromIfd1) {
  const Bytes jpeg = SmallJpeg(40, 30);
  CCodecJob reference;
  ASSERT_EQ(ReadBytesWith(ReadJpeg, jpeg, reference), IMAGEIO_OK);
  {
    ExifBlock b(GetParam());
    b.Add(0, 271, kAscii, 4, ExifBlock::Ascii("Abc"));
    b.SetThumbnail(jpeg);
    CRasterImage thumbnail;
    const CPropertyList list = Parse(b.Build(), &thumbnail);
    EXPECT_EQ(ValueOf(list, "Make"), "Abc");
    ASSERT_FALSE(thumbnail.IsEmpty());
    EXPECT_EQ(CompareRgb(thumbnail, reference.m_image), "");
    // Not wanted: not decoded.
    EXPECT_EQ(Parse(b.Build()).size(), 1u);
  }
  {
    ExifBlock b(GetParam());
    b.Add(0, 271, kAscii, 4, ExifBlock::Ascii("Abc"));
    b.SetThumbnail(jpeg, /*withLength=*/false);
    CRasterImage thumbnail;
    Parse(b.Build(), &thumbnail);
    EXPECT_TRUE(thumbnail.IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, ExifByteOrder, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

// Offsets, counts and pointers from the file are bounded: nothing reads
// outside the block, nothing allocates by a hostile count, every walk ends.
TEST(ExifParser, HostileBlocksAreBounded) {
  ExifBlock order(true);
  struct Case {
    const char* name;
    std::function<Bytes()> block;
    size_t pairs;
  } cases[] = {
      {"not exif", [] { return Bytes{'E', 'x', 'i', 'x', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0}; }, 0},
      {"short", [] { return Bytes{'E', 'x', 'i', 'f', 0}; }, 0},
      {"bad magic", [] { return Bytes{'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 43, 0, 0, 0, 8}; }, 0},
      {"ifd0 past end", [] { return Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F}; }, 0},
      {"huge ascii count", [] {
         ExifBlock b(true);
         b.AddRaw(0, 271, kAscii, 0x80000000u, 8);
         b.Add(0, 272, kAscii, 3, ExifBlock::Ascii("ok"));
         return b.Build(); }, 1},
      {"count times size wraps", [] {
         ExifBlock b(false);
         b.AddRaw(0, 33434, kRational, 0x20000001u, 8);  // 8 * count wraps 32 bits
         return b.Build(); }, 0},
      {"offset past end", [] {
         ExifBlock b(false);
         b.AddRaw(0, 271, kAscii, 20, 0xFFFFFFF0u);
         return b.Build(); }, 0},
      {"entry count beyond block", [] {
         Bytes b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF};
         return b; }, 0},
      {"sub-ifd pointing at ifd0", [] {
         ExifBlock b(false);
         b.Add(0, 271, kAscii, 3, ExifBlock::Ascii("ab"));
         b.AddRaw(0, 34665, kLong, 1, 8);
         b.AddRaw(0, 34665, kLong, 1, 8);
         return b.Build(); }, 2},
      {"sub-ifd pointing at itself", [] {
         ExifBlock b(true);
         b.AddSubIfdPointer();
         b.Add(1, 272, kAscii, 3, ExifBlock::Ascii("cd"));
         b.AddRaw(1, 34665, kLong, 1, 8 + 2 + 12 + 4);
         return b.Build(); }, 1},
      {"thumbnail past end", [] {
         ExifBlock b(false);
         b.Add(0, 271, kAscii, 3, ExifBlock::Ascii("ab"));
         b.AddRaw(2, 513, kLong, 1, 40);
         b.AddRaw(2, 514, kLong, 1, 0x7FFFFFFF);
         return b.Build(); }, 1},
  };
  for (const auto& c : cases) {
    CRasterImage thumbnail;
    const Bytes block = c.block();
    const CPropertyList list = Parse(block, &thumbnail);
    EXPECT_EQ(list.size(), c.pairs) << c.name;
    EXPECT_TRUE(thumbnail.IsEmpty()) << c.name;
  }
}

TEST(ExifParser, ManyEntriesAreCapped) {
  ExifBlock b(false);
  for (int i = 0; i < 3000; ++i) b.AddRaw(0, 271, kAscii, 4000, 8);
  const Bytes block = b.Build();
  ASSERT_LT(block.size(), 65534u);
  const CPropertyList list = Parse(block);
  EXPECT_LE(list.size(), size_t(CExifParser::kMaxPairs));
  for (const auto& p : list) EXPECT_LE(p.value.size(), CExifParser::kMaxValueLength);
}

// A thumbnail that declares a huge picture is refused unread.
TEST(ExifParser, HugeThumbnailIsRefused) {
  Bytes jpeg = SmallJpeg(16, 16);
  for (size_t i = 2; i + 9 < jpeg.size();) {
    const size_t length = jpeg[i + 2] << 8 | jpeg[i + 3];
    if (jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = 0x75, jpeg[i + 6] = 0x30, jpeg[i + 7] = 0x75, jpeg[i + 8] = 0x30;  // 30000 x 30000
      break;
    }
    i += 2 + length;
  }
  ExifBlock b(false);
  b.Add(0, 271, kAscii, 3, ExifBlock::Ascii("ab"));
  b.SetThumbnail(jpeg);
  CRasterImage thumbnail;
  EXPECT_EQ(Parse(b.Build(), &thumbnail).size(), 1u);
  EXPECT_TRUE(thumbnail.IsEmpty());
}

// Files made by exiftool and exiv2, read through the JPEG header reader.
class ExifFromTools : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(dir / "base.jpg", SmallJpeg(64, 48));
    WriteFileBytes(dir / "thumb.jpg", SmallJpeg(32, 24));
  }
  CImageFileInfo Info(const std::string& name, bool wantThumbnail = true) {
    CBufferedFile file;
    EXPECT_TRUE(file.Open((dir / name).c_str(), 1));
    CImageFileInfo info;
    EXPECT_TRUE(GetJpegInfo(&file, &info, wantThumbnail));
    return info;
  }
  std::string Q(const std::string& name) { return ShellQuote((dir / name).string()); }
  TempDir dir;
};

TEST_F(ExifFromTools, Exiftool) {
  REQUIRE_TOOL("exiftool");
  for (const char* order : {"MM", "II"}) {
    Shell("cp " + Q("base.jpg") + " " + Q("e.jpg"));
    Shell(std::string("exiftool -q -overwrite_original -ExifByteOrder=") + order +
          " -Make=Pictocam -Model='PC 1' -Software=tester -Artist='A. Person' -ImageDescription='A view'"
          " -ExposureTime=0.004 -FNumber=2.8 -EXIF:Flash#=25 -ExposureProgram#=12 -ISO=200"
          " -DateTimeOriginal='2024:05:06 07:08:09' -Copyright='Ann Photo' -FocalLength=35"
          " -GPSLatitude=10 -GPSLatitudeRef=N '-ThumbnailImage<=" + (dir / "thumb.jpg").string() + "' " + Q("e.jpg"));
    Shell("exiftool -q -overwrite_original -comment='hello there' " + Q("e.jpg"));
    const CImageFileInfo info = Info("e.jpg");
    const CPropertyList& p = info.m_properties;
    EXPECT_EQ(ValueOf(p, "Make"), "Pictocam") << order;
    EXPECT_EQ(ValueOf(p, "Model"), "PC 1");
    EXPECT_EQ(ValueOf(p, "Software"), "tester");
    EXPECT_EQ(ValueOf(p, "Artist"), "A. Person");
    EXPECT_EQ(ValueOf(p, "Image Description"), "A view");
    EXPECT_EQ(ValueOf(p, "Exposure Time"), "1/250 of a second");
    EXPECT_EQ(ValueOf(p, "F Number"), "2.8");
    EXPECT_EQ(ValueOf(p, "Flash"), "Flash fired");
    EXPECT_EQ(ValueOf(p, "Exposure Program"), "Not defined");
    EXPECT_EQ(ValueOf(p, "ISO Speed Rating"), "200");
    EXPECT_EQ(ValueOf(p, "Date Time Original"), "2024:05:06 07:08:09");
    EXPECT_EQ(ValueOf(p, "Copyright"), "Ann Photo");
    EXPECT_EQ(ValueOf(p, "Lens Focal Length"), "35.0");
    EXPECT_EQ(ValueOf(p, "Exif Version"), "0232");
    EXPECT_EQ(p.Find("GPS Latitude"), nullptr);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back(), (PROPERTY_PAIR{"Comments", "hello there"}));  // after the EXIF pairs
    ASSERT_EQ(info.m_thumbnail.GetWidth(), 32);
    ASSERT_EQ(info.m_thumbnail.GetHeight(), 24);
    CCodecJob reference;
    ASSERT_EQ(ReadBytesWith(ReadJpeg, ReadFileBytes(dir / "thumb.jpg"), reference), IMAGEIO_OK);
    EXPECT_EQ(CompareRgb(info.m_thumbnail, reference.m_image), "");
    EXPECT_TRUE(Info("e.jpg", false).m_thumbnail.IsEmpty());
    // The full image still reads.
    CCodecJob job;
    EXPECT_EQ(ReadBytesWith(ReadJpeg, ReadFileBytes(dir / "e.jpg"), job), IMAGEIO_OK);
    EXPECT_EQ(job.m_image.GetWidth(), 64);
    EXPECT_EQ(job.m_strComment, "hello there");
  }
}

// A file that breaks off after its markers keeps the EXIF pairs and the
// thumbnail gathered so far, but reports no size and lists no comment.
TEST_F(ExifFromTools, HeaderCutAfterTheMarkersKeepsExifButNoComment) {
  REQUIRE_TOOL("exiftool");
  Shell("cp " + Q("base.jpg") + " " + Q("c.jpg"));
  Shell("exiftool -q -overwrite_original -Make=Cutcam '-ThumbnailImage<=" + (dir / "thumb.jpg").string() + "' " +
        Q("c.jpg"));
  Shell("exiftool -q -overwrite_original -comment=gone " + Q("c.jpg"));
  Bytes bytes = ReadFileBytes(dir / "c.jpg");
  // Cut at the first quantisation table: APP1 and COM come before it.
  size_t at = 2;
  while (at + 4 <= bytes.size() && bytes[at + 1] != 0xDB) at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
  ASSERT_LT(at, bytes.size());
  bytes.resize(at + 6);
  CMemStream stream(bytes.data(), int(bytes.size()));
  CImageFileInfo info;
  EXPECT_FALSE(GetJpegInfo(&stream, &info, true));
  EXPECT_EQ(ValueOf(info.m_properties, "Make"), "Cutcam");
  EXPECT_EQ(info.m_properties.Find("Comments"), nullptr);
  EXPECT_EQ(info.m_thumbnail.GetWidth(), 32);
  EXPECT_EQ(info.m_nWidth, 0);
}

TEST_F(ExifFromTools, Exiv2) {
  REQUIRE_TOOL("exiv2");
  Shell("cp " + Q("base.jpg") + " " + Q("v.jpg"));
  Shell("cp " + Q("thumb.jpg") + " " + Q("v-thumb.jpg"));
  Shell("exiv2 -M'set Exif.Image.Make Exivcam' -M'set Exif.Image.Model X2' -M'set Exif.Photo.ExposureTime 10/2500'"
        " -M'set Exif.Photo.FNumber 56/10' -M'set Exif.Photo.Flash 16' -M'set Exif.Photo.ExposureProgram 3'"
        " -M'set Exif.Photo.ISOSpeedRatings 800' -M'set Exif.GPSInfo.GPSAltitude 100/1' " + Q("v.jpg"));
  Shell("cd " + ShellQuote(dir.path().string()) + " && exiv2 -it v.jpg");
  const CImageFileInfo info = Info("v.jpg");
  const CPropertyList& p = info.m_properties;
  EXPECT_EQ(ValueOf(p, "Make"), "Exivcam");
  EXPECT_EQ(ValueOf(p, "Model"), "X2");
  EXPECT_EQ(ValueOf(p, "Exposure Time"), "1/250 of a second");
  EXPECT_EQ(ValueOf(p, "F Number"), "5.6");
  EXPECT_EQ(ValueOf(p, "Flash"), "Flash did not fire");
  EXPECT_EQ(ValueOf(p, "Exposure Program"), "Aperture priority");
  EXPECT_EQ(ValueOf(p, "ISO Speed Rating"), "800");
  for (const auto& pair : p) EXPECT_EQ(pair.name.find("GPS"), std::string::npos);
  EXPECT_EQ(info.m_thumbnail.GetWidth(), 32);
  EXPECT_EQ(info.m_thumbnail.GetHeight(), 24);
}

}  // namespace
