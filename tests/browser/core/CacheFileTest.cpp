#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "browser/core/BrowserItemList.h"
#include "browser/core/CacheFile.h"
#include "formats/MemStream.h"
#include "base/StatusStack.h"
#include "tests/browser/core/BrowserTestFiles.h"
#include "tests/support/TestSupport.h"

using namespace browser_test;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

using Bytes = std::vector<uint8_t>;

// Builds expected files field by field, as the layout gives them.
struct ByteBuilder {
  Bytes bytes;
  ByteBuilder& u1(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  ByteBuilder& u2(uint16_t v) { return u1(v & 0xFF).u1(v >> 8); }
  ByteBuilder& u4(uint32_t v) { return u2(v & 0xFFFF).u2(v >> 16); }
  ByteBuilder& raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  ByteBuilder& str(const std::string& s) {  // short strings only
    u1(static_cast<uint8_t>(s.size()));
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  // Record fields before the frames, with fixed facts.
  ByteBuilder& record(const std::string& name, uint32_t frames, uint32_t tw, uint32_t th, uint32_t rotation) {
    return str(name)
        .u4(1234)                  // size
        .u4(0x89ABCDEF).u4(0x01D5) // last write low, high
        .u4(0x11111111).u4(0x01D4) // creation low, high
        .u4(1).u4(0).u4(0)         // read-only, hidden, archive
        .u4(640).u4(480)           // image size
        .str("hi")                 // comment
        .u4(frames).u4(tw).u4(th).u4(rotation);
  }
};

CBrowserItem Facts(const std::string& name) {
  CBrowserItem item;
  item.SetFolder("/photos");
  item.m_strName = name;
  item.m_nFileSize = 1234;
  item.m_ftLastWrite = 0x000001D589ABCDEFull;
  item.m_ftCreation = 0x000001D411111111ull;
  item.m_bReadOnly = 1;
  item.m_nWidth = 640;
  item.m_nHeight = 480;
  item.m_strComment = "hi";
  return item;
}

Bytes WriteList(const CBrowserItemList& list, const std::string& folder = "/photos/") {
  CMemStream stream;
  stream.Open(nullptr, CBufferedFile::kWrite);
  EXPECT_TRUE(list.WriteCacheFile(folder, stream));
  return Bytes(stream.GetData(), stream.GetData() + stream.GetLength());
}

CBrowserItemList ReadList(const Bytes& bytes, const std::string& folder = "/photos/") {
  CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
  CBrowserItemList list;
  list.ReadCacheFile(folder, stream);
  return list;
}

Bytes Header() { return ByteBuilder().str("Pictoravell Browser Cache File v4.0").bytes; }
Bytes Trailer() { return ByteBuilder().str("End Of File").bytes; }

// A 1-bit 10 x 2 frame at (3, -2) with a two-colour palette.
CBrowserItem OneBitItem() {
  CBrowserItem item = Facts("bw.gif");
  std::vector<CAnimFrame> frames(1);
  CRasterImage& image = frames[0].m_image;
  image.Create(10, 2, 1);
  image.GetWritablePalette()[0] = RGBQUAD{0, 0, 0, 0};
  image.GetWritablePalette()[1] = RGBQUAD{0x30, 0x20, 0x10, 0};
  uint8_t* bits = image.GetWritableBits();
  bits[0] = 0xA5, bits[1] = 0xC0, bits[2] = 0x0F, bits[3] = 0x40;
  frames[0].m_nLeft = 3;
  frames[0].m_nTop = -2;
  frames[0].m_nDelay = 25;
  frames[0].m_nFlags = 0x09;
  item.m_nFrames = 1;
  item.m_nThumbWidth = 13;
  item.m_nThumbHeight = 2;
  item.m_nRotation = -90;
  item.m_pThumbFrames = std::make_shared<const std::vector<CAnimFrame>>(std::move(frames));
  return item;
}

// A 24-bit 2 x 2 frame with 8-bit alpha.
CBrowserItem AlphaItem() {
  CBrowserItem item = Facts("rgba.png");
  std::vector<CAnimFrame> frames(1);
  CRasterImage& image = frames[0].m_image;
  image.Create(2, 2, 24);
  image.CreateMask();
  for (int i = 0; i < 12; ++i) image.GetWritableBits()[i] = static_cast<uint8_t>(i + 1);
  for (int i = 0; i < 4; ++i) image.GetWritableMaskBits()[i] = static_cast<uint8_t>(0x40 * i);
  item.m_nFrames = 1;
  item.m_nThumbWidth = 2;
  item.m_nThumbHeight = 2;
  item.m_pThumbFrames = std::make_shared<const std::vector<CAnimFrame>>(std::move(frames));
  return item;
}

TEST(CacheFile, OneBitImageWithPaletteByteForByte) {
  CBrowserItemList list;
  list.push_back(OneBitItem());
  ByteBuilder want;
  want.raw(Header()).str("CELL").record("bw.gif", 1, 13, 2, 0xFFFFFFA6);
  want.u2(3).u2(0xFFFE).u2(25).u1(0x09)  // left, top, delay, flags
      .u4(10).u4(2).u4(1).u4(2)           // W, H, B, stride (10 + 7) / 8
      .u4(0).raw({0x30, 0x20, 0x10, 0})   // palette: 2 entries
      .raw({0xA5, 0xC0, 0x0F, 0x40})      // rows
      .u4(0);                             // no mask
  want.raw(Trailer());
  EXPECT_EQ(WriteList(list), want.bytes);
}

TEST(CacheFile, RgbImageWithAlphaByteForByte) {
  CBrowserItemList list;
  list.push_back(AlphaItem());
  ByteBuilder want;
  want.raw(Header()).str("CELL").record("rgba.png", 1, 2, 2, 0);
  want.u2(0).u2(0).u2(0).u1(0).u4(2).u4(2).u4(24).u4(6)
      .raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})
      .u4(1).u4(2).raw({0, 0x40, 0x80, 0xC0});
  want.raw(Trailer());
  EXPECT_EQ(WriteList(list), want.bytes);
}

TEST(CacheFile, EmptyFrameListAndEmptyFrameByteForByte) {
  CBrowserItemList list;
  CBrowserItem none = Facts("none.jpg");
  none.m_pThumbFrames = std::make_shared<const std::vector<CAnimFrame>>();
  list.push_back(none);
  CBrowserItem blank = Facts("blank.gif");
  std::vector<CAnimFrame> frames(1);
  frames[0].m_nDelay = 7;
  blank.m_pThumbFrames = std::make_shared<const std::vector<CAnimFrame>>(std::move(frames));
  blank.m_nThumbWidth = 5;
  blank.m_nThumbHeight = 5;
  list.push_back(blank);
  CBrowserItem noThumb = Facts("skipped.jpg");  // no thumbnail: not written
  list.push_back(noThumb);
  CBrowserItem elsewhere = OneBitItem();  // another folder: not written
  elsewhere.SetFolder("/other");
  list.push_back(elsewhere);

  ByteBuilder want;
  want.raw(Header()).str("CELL").record("none.jpg", 0, 0, 0, 0);
  want.str("CELL").record("blank.gif", 1, 5, 5, 0).u2(0).u2(0).u2(7).u1(0).u4(0);
  want.raw(Trailer());
  const Bytes written = WriteList(list);
  EXPECT_EQ(written, want.bytes);

  const CBrowserItemList read = ReadList(written);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_TRUE(read[0].HasThumbnail());
  EXPECT_TRUE(read[0].m_pThumbFrames->empty());
  ASSERT_EQ(read[1].m_pThumbFrames->size(), 1u);
  EXPECT_TRUE((*read[1].m_pThumbFrames)[0].m_image.IsEmpty());
  EXPECT_EQ((*read[1].m_pThumbFrames)[0].m_nDelay, 7);
}

CBrowserItemList ThreeRecords() {
  CBrowserItemList list;
  list.push_back(OneBitItem());
  list.push_back(AlphaItem());
  CBrowserItem third = AlphaItem();
  third.m_strName = std::string(300, 'n') + ".png";  // a long name: 0xFF form
  third.m_strComment = std::string(70000, 'c');        // a very long comment: 0xFFFF form
  list.push_back(third);
  return list;
}

TEST(CacheFile, WriteReadWriteIsIdentical) {
  const CBrowserItemList list = ThreeRecords();
  const Bytes first = WriteList(list);
  const CBrowserItemList read = ReadList(first);
  ASSERT_EQ(read.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read[i].m_strName, list[i].m_strName);
    EXPECT_EQ(read[i].GetFolder(), "/photos/");
    EXPECT_EQ(read[i].m_nRotation, list[i].m_nRotation);
    EXPECT_EQ(read[i].m_strComment, list[i].m_strComment);
    EXPECT_EQ(read[i].m_ftLastWrite, list[i].m_ftLastWrite);
    // Not stored: depth, properties, selection; previous position -1.
    EXPECT_EQ(read[i].m_nBitsPerPixel, 0);
    EXPECT_TRUE(read[i].m_properties.empty());
    EXPECT_EQ(read[i].m_nPrevIndex, -1);
    const CRasterImage& a = (*read[i].m_pThumbFrames)[0].m_image;
    const CRasterImage& b = (*list[i].m_pThumbFrames)[0].m_image;
    EXPECT_EQ(a.GetBitsPerPixel(), b.GetBitsPerPixel());
    EXPECT_EQ(testing_support::CompareRgb(a, b), "");
  }
  EXPECT_EQ(WriteList(read), first);
}

// Offsets at which each record of a written file ends.
std::vector<size_t> RecordEnds(const CBrowserItemList& list) {
  std::vector<size_t> ends;
  CBrowserItemList prefix;
  for (const CBrowserItem& item : list) {
    prefix.push_back(item);
    ends.push_back(WriteList(prefix).size() - Trailer().size());
  }
  return ends;
}

TEST(CacheFile, ACutAtEveryOffsetGivesThePrefixOfWholeRecords) {
  const CBrowserItemList list = ThreeRecords();
  const Bytes whole = WriteList(list);
  const std::vector<size_t> ends = RecordEnds(list);
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    const CBrowserItemList read = ReadList(part);
    size_t whole_records = 0;
    while (whole_records < ends.size() && ends[whole_records] <= cut) ++whole_records;
    ASSERT_EQ(read.size(), whole_records) << "cut at " << cut;
    for (size_t i = 0; i < read.size(); ++i) ASSERT_EQ(read[i].m_strName, list[i].m_strName) << "cut at " << cut;
  }
}

TEST(CacheFile, MutatedFilesKeepTheRecordsBeforeTheDamage) {
  CBrowserItemList list;
  list.push_back(OneBitItem());
  list.push_back(AlphaItem());
  list.push_back(OneBitItem());
  const Bytes whole = WriteList(list);
  const Bytes good = WriteList(ReadList(whole));
  const std::vector<size_t> ends = RecordEnds(list);
  std::mt19937 random(19);
  for (int round = 0; round < 3000; ++round) {
    Bytes mutated = whole;
    const size_t at = random() % mutated.size();
    const int kind = static_cast<int>(random() % 3);
    if (kind == 0) {
      mutated[at] = static_cast<uint8_t>(random());
    } else if (kind == 1) {
      mutated[at] = 0xFF;  // lengths, counts and sizes at their largest
    } else {
      mutated.insert(mutated.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random()));
    }
    const CBrowserItemList read = ReadList(mutated);
    ASSERT_LE(read.size(), list.size() + 1) << "round " << round;
    // Records that end before the damaged byte come back unchanged.
    size_t intact = 0;
    while (intact < ends.size() && ends[intact] <= at) ++intact;
    ASSERT_GE(read.size(), intact) << "round " << round;
    CBrowserItemList front(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(intact));
    CBrowserItemList original(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(intact));
    ASSERT_EQ(WriteList(front), WriteList(original)) << "round " << round;
  }
  (void)good;
}

TEST(CacheFile, StringLengthForms) {
  struct Case {
    size_t length;
    Bytes prefix;
  };
  const Case cases[] = {
      {0, {0x00}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {0xFFFD, {0xFF, 0xFD, 0xFF}},
      {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    const std::string text(c.length, 'x');
    CMemStream stream;
    stream.Open(nullptr, CBufferedFile::kWrite);
    WriteCacheString(stream, text);
    const Bytes written(stream.GetData(), stream.GetData() + stream.GetLength());
    ASSERT_EQ(written.size(), c.prefix.size() + c.length) << c.length;
    EXPECT_EQ(Bytes(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(c.prefix.size())), c.prefix)
        << c.length;
    CMemStream in(written.data(), static_cast<int>(written.size()));
    CCacheReader reader(in);
    std::string back;
    EXPECT_TRUE(reader.ReadString(back)) << c.length;
    EXPECT_EQ(back, text) << c.length;
    EXPECT_EQ(reader.GetRemaining(), 0);
  }
}

TEST(CacheFile, WideStringsAreReadAsUtf8) {
  // 0xFF 0xFFFE, then a length in characters, then UTF-16LE.
  const Bytes shortForm = {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0xE9, 0, 0x3D, 0xD8};  // lone surrogate at the end
  const Bytes longForm = {0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0x3D, 0xD8, 0x00, 0xDE};
  struct Case {
    Bytes bytes;
    std::string text;
  };
  const Case cases[] = {{shortForm, "a\xC3\xA9\xEF\xBF\xBD"}, {longForm, "\xF0\x9F\x98\x80"}};
  for (const Case& c : cases) {
    CMemStream in(c.bytes.data(), static_cast<int>(c.bytes.size()));
    CCacheReader reader(in);
    std::string text;
    EXPECT_TRUE(reader.ReadString(text));
    EXPECT_EQ(text, c.text);
  }
  // A length larger than the data is damage, and nothing is allocated for it.
  const Bytes tooLong = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'};
  CMemStream in(tooLong.data(), static_cast<int>(tooLong.size()));
  CCacheReader reader(in);
  std::string text;
  EXPECT_FALSE(reader.ReadString(text));
}

TEST(CacheFile, AForeignHeaderIsIgnored) {
  Bytes file = WriteList(ThreeRecords());
  file[file[0]] = '3';  // the header's last character: "... v4.3"
  Bytes older = ByteBuilder().str("Pictoravell Browser Cache File v3.0").bytes;
  Bytes rest = WriteList(ThreeRecords());
  rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(Header().size()));
  older.insert(older.end(), rest.begin(), rest.end());
  EXPECT_TRUE(ReadList(older).empty());
  EXPECT_TRUE(ReadList(file).empty());
  EXPECT_TRUE(ReadList({}).empty());
}

TEST(CacheFile, DamagedRecordsAreRefused) {
  // Each case changes one field of the second record of a valid file.
  struct Case {
    const char* what;
    size_t offset;  // from the start of the second record's frame block
    Bytes value;
  };
  CBrowserItemList list;
  list.push_back(AlphaItem());
  list.push_back(AlphaItem());
  const Bytes whole = WriteList(list);
  const size_t second = RecordEnds(list)[0] + 5;  // past "CELL"
  const size_t frame = second + ByteBuilder().record("rgba.png", 1, 2, 2, 0).bytes.size();
  const Case cases[] = {
      {"depth 2", 15, {2, 0, 0, 0}},
      {"stride 7", 19, {7, 0, 0, 0}},
      {"width 40000", 7, {0x40, 0x9C, 0, 0}},
      {"height 0", 11, {0, 0, 0, 0}},
      {"has-mask 2", 35, {2, 0, 0, 0}},
      {"mask stride 3", 39, {3, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Bytes bad = whole;
    std::copy(c.value.begin(), c.value.end(), bad.begin() + static_cast<std::ptrdiff_t>(frame + c.offset));
    EXPECT_EQ(ReadList(bad).size(), 1u) << c.what;
  }
  Bytes manyFrames = whole;
  const size_t count = second + ByteBuilder().record("rgba.png", 1, 2, 2, 0).bytes.size() - 16;
  std::fill(manyFrames.begin() + static_cast<std::ptrdiff_t>(count),
            manyFrames.begin() + static_cast<std::ptrdiff_t>(count + 4), 0xFF);
  EXPECT_EQ(ReadList(manyFrames).size(), 1u);
}

TEST(CacheFolder, MirrorsPathsBelowTheRoot) {
  TempDir dir;
  const std::string root = (dir / "Cache").string();
  CCacheFolder cache(root);
  EXPECT_EQ(cache.GetFolder(), root + "/");
  EXPECT_TRUE(fs::is_directory(root));
  struct Case {
    const char* source;
    std::string mirror;
  };
  const Case cases[] = {
      {"/home/me/Photos", root + "/home/me/Photos/"},
      {"/home/me/Photos/", root + "/home/me/Photos/"},
      {"/a//b/./c/../d", root + "/a/b/d/"},
      {"/../../etc", root + "/etc/"},  // never above the root
      {"/media/c:/pics", root + "/media/c:/pics/"},
      {"", root + "/"},
  };
  for (const Case& c : cases) {
    cache.SetFolder(c.source);
    EXPECT_EQ(cache.GetFolder(), c.mirror) << c.source;
    EXPECT_TRUE(fs::is_directory(c.mirror)) << c.source;
  }
  struct stat st {};
  ASSERT_EQ(stat((root + "/home").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);  // thumbnails of private pictures stay private
}

TEST(CacheFolder, ReplacesTheFileThroughATemporaryFile) {
  TempDir dir;
  CCacheFolder cache((dir / "Cache").string());
  cache.SetFolder("/pics");
  const std::string path = cache.GetFolder() + kCacheFileName;
  auto writeBytes = [](const Bytes& bytes) {
    return [bytes](CBufferedFile& file) {
      file.Write(bytes.data(), static_cast<int>(bytes.size()));
      return true;
    };
  };
  ASSERT_TRUE(cache.ReplaceFile(kCacheFileName, writeBytes({1, 2, 3})));
  // A second name for the old file shows whether it was rewritten in place.
  const std::string link = (dir / "old-link").string();
  ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(cache.ReplaceFile(kCacheFileName, writeBytes({4, 5})));
  EXPECT_EQ(ReadFileBytes(path), (Bytes{4, 5}));
  EXPECT_EQ(ReadFileBytes(link), (Bytes{1, 2, 3}));
  // A failed write leaves the file as it was, and no temporary file behind.
  EXPECT_FALSE(cache.ReplaceFile(kCacheFileName, [](CBufferedFile& file) {
    file.WriteByte(9);
    return false;
  }));
  EXPECT_EQ(ReadFileBytes(path), (Bytes{4, 5}));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(cache.GetFolder())) ++entries;
  EXPECT_EQ(entries, 1);
  auto read = cache.OpenForRead(kCacheFileName);
  ASSERT_TRUE(read);
  EXPECT_FALSE(cache.OpenForRead("missing.bcf"));
}

TEST(PurgeCache, NeverLeavesTheCacheRoot) {
  TempDir dir;
  const std::string root = (dir / "Cache").string();
  CCacheFolder cache(root);
  cache.SetFolder("/a/b");
  WriteFileBytes(fs::path(cache.GetFolder()) / kCacheFileName, {1});
  WriteFileBytes(dir / "Cache" / "a" / "loose.bin", {1});
  fs::create_directories(dir / "CacheX");
  WriteFileBytes(dir / "CacheX" / "keep.bcf", {1});
  fs::create_directories(dir / "outside");
  WriteFileBytes(dir / "outside" / "target.jpg", {1});
  fs::create_symlink(dir / "outside" / "target.jpg", dir / "Cache" / "a" / "file-link");
  fs::create_symlink(dir / "outside", dir / "Cache" / "dir-link");

  int files = 0, folders = 0;
  // Outside the root, whatever the spelling: nothing happens.
  EXPECT_FALSE(PurgeCacheFolder(root, (dir / "CacheX").string(), true, files, folders, nullptr));
  EXPECT_FALSE(PurgeCacheFolder(root, root + "/../CacheX", true, files, folders, nullptr));
  EXPECT_FALSE(PurgeCacheFolder(root, root + "X/", true, files, folders, nullptr));
  EXPECT_FALSE(PurgeCacheFolder(root, dir.path().string(), true, files, folders, nullptr));
  EXPECT_EQ(files + folders, 0);
  EXPECT_TRUE(fs::exists(dir / "CacheX" / "keep.bcf"));

  // Without subfolders the subfolders stay, and so does the folder.
  EXPECT_TRUE(PurgeCacheFolder(root, root + "/a", false, files, folders, nullptr));
  EXPECT_EQ(files, 2);  // loose.bin and the link
  EXPECT_EQ(folders, 0);
  EXPECT_TRUE(fs::exists(fs::path(cache.GetFolder()) / kCacheFileName));

  files = folders = 0;
  EXPECT_TRUE(PurgeCacheFolder(root, root, true, files, folders, nullptr));
  EXPECT_EQ(files, 2);    // the cache file and the directory link
  EXPECT_EQ(folders, 3);  // b, a and the root
  EXPECT_FALSE(fs::exists(root));
  EXPECT_TRUE(fs::exists(dir / "CacheX" / "keep.bcf"));
  EXPECT_TRUE(fs::exists(dir / "outside" / "target.jpg"));
  EXPECT_EQ(GetStatusDepth(), 0);

  // An empty tree: the root itself is the one folder.
  CCacheFolder again(root);
  files = folders = 0;
  EXPECT_TRUE(PurgeCacheFolder(root, root, true, files, folders, nullptr));
  EXPECT_EQ(files, 0);
  EXPECT_EQ(folders, 1);
  EXPECT_EQ(FormatPurgeMessage(files, folders, "Pictoravell"),
            "0 file and 1 folder has been deleted in\nPictoravell's browser cache folder.\n");
}

TEST(PurgeCache, MessageWords) {
  EXPECT_EQ(FormatPurgeMessage(1, 1, "Pictoravell"),
            "1 file and 1 folder have been deleted in\nPictoravell's browser cache folder.\n");
  EXPECT_EQ(FormatPurgeMessage(2, 2, "Pictoravell"),
            "2 files and 2 folders have been deleted in\nPictoravell's browser cache folder.\n");
  EXPECT_EQ(FormatPurgeMessage(0, 0, "Pictoravell"),
            "0 file and 0 folder has been deleted in\nPictoravell's browser cache folder.\n");
  EXPECT_EQ(FormatPurgeMessage(2, 1, "P"), "2 files and 1 folder have been deleted in\nP's browser cache folder.\n");
}

TEST(CacheFolder, DefaultRootFollowsXdgCacheHome) {
  const char* saved = std::getenv("XDG_CACHE_HOME");
  const std::string keep = saved ? saved : "";
  setenv("XDG_CACHE_HOME", "/somewhere/cache/", 1);
  EXPECT_EQ(GetDefaultCacheRoot(), "/somewhere/cache/pictoravell/Cache");
  if (saved)
    setenv("XDG_CACHE_HOME", keep.c_str(), 1);
  else
    unsetenv("XDG_CACHE_HOME");
}

}  // namespace

namespace {

// The seed files of the fuzz target are written by a second, independent
// writer (fuzz/make_browser_cache_seeds.py) straight from the layout: the
// program reads each and writes it back byte for byte.
TEST(CacheFile, GoldenFilesFromTheIndependentWriter) {
  const fs::path corpus = testing_support::SourceDir() / "fuzz" / "corpus" / "fuzz_browser_cache";
  const char* same[] = {"one-bit-palette.bcf", "rgb-alpha.bcf", "empty-frame-list.bcf", "four-and-eight-bit.bcf"};
  for (const char* name : same) {
    const Bytes golden = ReadFileBytes(corpus / name);
    ASSERT_FALSE(golden.empty()) << name;
    const CBrowserItemList list = ReadList(golden, "/f/");
    EXPECT_FALSE(list.empty()) << name;
    EXPECT_EQ(WriteList(list, "/f/"), golden) << name;
  }
  // Wide strings are read, and written back in the narrow form.
  const CBrowserItemList wide = ReadList(ReadFileBytes(corpus / "wide-and-long-strings.bcf"), "/f/");
  ASSERT_EQ(wide.size(), 2u);
  EXPECT_EQ(wide[0].m_strName, "wide\xC3\xA9.jpg");
  EXPECT_EQ(wide[1].m_strComment.size(), 0xFFFEu);
  EXPECT_EQ(WriteList(ReadList(WriteList(wide, "/f/"), "/f/"), "/f/"), WriteList(wide, "/f/"));
}

}  // namespace
