// The image file front end: format choice by extension, per-frame and
// renumbered names, and saving that never loses the old file.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "formats/ImageFile.h"
#include "formats/ImageFileHost.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

TEST(ImageFormat, ChosenByAnySpellingOfTheExtensionWithoutCase) {
  const struct {
    const char* name;
    int format;
  } cases[] = {
      {"photo.bmp", IMAGE_FORMAT_BMP}, {"photo.DIB", IMAGE_FORMAT_BMP}, {"anim.Gif", IMAGE_FORMAT_GIF},
      {"archive.tar.gif", IMAGE_FORMAT_GIF}, {"mac.pct", IMAGE_FORMAT_PICT}, {"old.pcx", IMAGE_FORMAT_PCX},
      {"scan.tif", IMAGE_FORMAT_TIFF}, {"photo.JPG", IMAGE_FORMAT_JPEG}, {"web.png", IMAGE_FORMAT_PNG},
      {"x.tga", IMAGE_FORMAT_TGA}, {"cd.pcd", IMAGE_FORMAT_PCD}, {"gif", IMAGE_FORMAT_GIF},
      {"photo.jpeg", IMAGE_FORMAT_JPEG}, {"scan.TIFF", IMAGE_FORMAT_TIFF}, {"a.jpe", IMAGE_FORMAT_JPEG},
      {"cam.JFIF", IMAGE_FORMAT_JPEG}, {"mac.Pict", IMAGE_FORMAT_PICT}, {"x.jpgx", IMAGE_FORMAT_UNKNOWN},
      {"noextension", IMAGE_FORMAT_UNKNOWN}, {"trailing.", IMAGE_FORMAT_UNKNOWN}, {"", IMAGE_FORMAT_UNKNOWN},
      {"dir.bmp/file", IMAGE_FORMAT_UNKNOWN}, {"x.bmpx", IMAGE_FORMAT_UNKNOWN},
  };
  for (const auto& c : cases) EXPECT_EQ(GetImageFormat(c.name), c.format) << c.name;
}

TEST(ImageFormat, AppendExtension) {
  const struct {
    int format;
    const char* name;
    const char* result;
  } cases[] = {{7, "name", "name.png"}, {7, "name.", "name.png"}, {0, "name", "name"},  {1, "a.b", "a.b.bmp"},
               {9, "x", "x.pcd"},       {10, "x", "x"},            {-1, "x", "x"},      {3, "", ""}};
  for (const auto& c : cases) {
    std::string name = c.name;
    AppendImageExtension(c.format, name);
    EXPECT_EQ(name, c.result) << c.format << " " << c.name;
  }
}

CRasterImage Picture(int w, int h, unsigned seed = 1) { return MakeTestPicture(w, h, seed); }

void AddFrame(CImageFileRequest& r, const CRasterImage& image) {
  r.m_frames.emplace_back();
  r.m_frames.back().m_image = image;
  r.m_nWidth = int16_t(image.GetWidth());
  r.m_nHeight = int16_t(image.GetHeight());
}

// Every file in the folder, sorted.
std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool HasTempFiles(const fs::path& dir) {
  for (const auto& n : Listing(dir))
    if (n.rfind("~pt", 0) == 0) return true;
  return false;
}

TEST(ImageFile, UnknownFormatsAndPcdGiveBadFormatWhenRead) {
  TempDir dir;
  // Bytes that show no format under a name that names none (or PCD).
  for (const char* name : {"x.pcd", "x.jpgx", "x.xyz", "noext"}) {
    WriteFileBytes(dir / name, {'Q', 'Z', 1, 2, 3});
    CImageFileRequest r;
    r.m_strFileName = (dir / name).string();
    EXPECT_EQ(ReadImageFile(&r), IMAGEIO_BAD_FORMAT) << name;
    EXPECT_TRUE(r.m_frames.empty());
    CImageFileInfo info;
    EXPECT_FALSE(ReadImageFileInfo((dir / name).string(), &info)) << name;
  }
}

TEST(ImageFile, UnknownFormatsGiveBadFormatWhenWrittenAndWriteNothing) {
  TempDir dir;
  for (const char* name : {"x.pcd", "x.jpgx", "noext"}) {
    CImageFileRequest r;
    r.m_strFileName = (dir / name).string();
    AddFrame(r, Picture(4, 4));
    EXPECT_EQ(WriteImageFile(&r, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_BAD_FORMAT) << name;
  }
  EXPECT_TRUE(Listing(dir.path()).empty());
}

TEST(ImageFile, FrameCountsByFormat) {
  TempDir dir;
  const struct {
    const char* name;
    int count;
  } cases[] = {{"a.bmp", 1}, {"a.tif", 1}, {"a.png", 1}, {"a.jpg", 1}, {"a.pct", 1},
               {"a.pcx", 1}, {"a.tga", 1}, {"a.pcd", 0}, {"a.xyz", 0}};
  for (const auto& c : cases) EXPECT_EQ(GetImageFileFrameCount((dir / c.name).string()), c.count) << c.name;
}

TEST(ImageFile, FileExistsMeansReadable) {
  TempDir dir;
  EXPECT_FALSE(FileExists((dir / "none.bmp").string()));
  WriteFileBytes(dir / "some.bmp", {1});
  EXPECT_TRUE(FileExists((dir / "some.bmp").string()));
}

TEST(ImageFile, BmpRoundTripThroughTheFrontEnd) {
  TempDir dir;
  CImageFileRequest w;
  w.m_strFileName = (dir / "a.BMP").string();
  AddFrame(w, Picture(33, 17));
  ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REFUSE, nullptr, nullptr), IMAGEIO_OK);
  EXPECT_EQ(w.m_strSavedName, w.m_strFileName);

  CImageFileRequest r;
  r.m_strFileName = w.m_strFileName;
  r.m_nLoopCount = 5;
  ASSERT_EQ(ReadImageFile(&r), IMAGEIO_OK);
  ASSERT_EQ(r.GetFrameCount(), 1);
  EXPECT_EQ(r.m_nWidth, 33);
  EXPECT_EQ(r.m_nHeight, 17);
  EXPECT_EQ(r.m_nLoopCount, 0);
  EXPECT_EQ(r.m_frames[0].m_nLeft, 0);
  EXPECT_EQ(CompareRgb(r.m_frames[0].m_image, w.m_frames[0].m_image), "");

  CImageFileInfo info;
  ASSERT_TRUE(ReadImageFileInfo(w.m_strFileName, &info));
  EXPECT_EQ(info.m_nWidth, 33);
  EXPECT_EQ(info.m_nBitsPerPixel, 24);
}

// Every spelling of an extension writes its format under the name given, and
// reads back.
TEST(ImageFile, EverySpellingWritesAndReadsItsFormat) {
  TempDir dir;
  const struct {
    const char* name;
    std::vector<uint8_t> magic;
  } cases[] = {
      {"a.DiB", {'B', 'M'}},          {"b.jpeg", {0xFF, 0xD8, 0xFF}}, {"c.JPE", {0xFF, 0xD8, 0xFF}},
      {"d.jfif", {0xFF, 0xD8, 0xFF}}, {"e.TIFF", {'I', 'I', '*', 0}}, {"f.Tif", {'I', 'I', '*', 0}},
      {"g.PNG", {0x89, 'P', 'N', 'G'}}, {"h.pict", {}},              {"i.GIF", {'G', 'I', 'F', '8'}},
  };
  for (const auto& c : cases) {
    CImageFileRequest w;
    w.m_strFileName = (dir / c.name).string();
    AddFrame(w, Picture(6, 4));
    JPEG_SAVE_OPTIONS jpeg;
    GIF_SAVE_OPTIONS gif;
    ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REFUSE, &gif, &jpeg), IMAGEIO_OK) << c.name;
    EXPECT_EQ(w.m_strSavedName, w.m_strFileName);
    const auto bytes = ReadFileBytes(dir / c.name);
    ASSERT_GE(bytes.size(), c.magic.size());
    EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), bytes.begin())) << c.name;
    CImageFileRequest r;
    r.m_strFileName = w.m_strFileName;
    ASSERT_EQ(ReadImageFile(&r), IMAGEIO_OK) << c.name;
    EXPECT_EQ(r.m_nWidth, 6) << c.name;
    EXPECT_EQ(r.m_nHeight, 4) << c.name;
  }
}

// A file is read in the format its bytes show, whatever its name says: a PNG
// named .bmp, a BMP named .jpg, a JPEG without an extension, a PCX named .gif.
TEST(ImageFile, FilesAreReadByTheirSignature) {
  TempDir dir;
  const CRasterImage picture = Picture(7, 5);
  const char* written[] = {"w.bmp", "w.gif", "w.pct", "w.pcx", "w.tif", "w.jpg", "w.png", "w.tga"};
  for (const char* source : written) {
    CImageFileRequest w;
    w.m_strFileName = (dir / source).string();
    AddFrame(w, picture);
    JPEG_SAVE_OPTIONS jpeg;
    GIF_SAVE_OPTIONS gif;
    ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REFUSE, &gif, &jpeg), IMAGEIO_OK) << source;
    const auto bytes = ReadFileBytes(dir / source);
    const int format = GetImageFormat(source);
    EXPECT_EQ(GetImageFormatFromSignature(bytes.data(), bytes.size(), IMAGE_FORMAT_UNKNOWN), format) << source;
    for (const char* other : {"x.bmp", "x.jpg", "x.png", "x.gif", "noextension", "x.unknown"}) {
      const fs::path copy = dir / (std::string("as-") + source + "-" + other);
      WriteFileBytes(copy, bytes);
      // TGA has no signature: under a name of another format it is not recognised.
      if (format == IMAGE_FORMAT_TGA && GetImageFormat(other) != IMAGE_FORMAT_UNKNOWN) continue;
      CImageFileRequest r;
      r.m_strFileName = copy.string();
      ASSERT_EQ(ReadImageFile(&r), IMAGEIO_OK) << source << " as " << other;
      EXPECT_EQ(r.m_nWidth, 7);
      EXPECT_EQ(r.m_nHeight, 5);
      EXPECT_EQ(GetImageFileFormat(copy.string()), format) << source << " as " << other;
      if (format != IMAGE_FORMAT_PICT) {
        CImageFileInfo info;
        EXPECT_TRUE(ReadImageFileInfo(copy.string(), &info)) << source << " as " << other;
        EXPECT_EQ(info.m_nWidth, 7) << source << " as " << other;
      }
    }
  }
  // A name of a format without a signature is believed.
  EXPECT_EQ(GetImageFileFormat((dir / "missing.tga").string()), IMAGE_FORMAT_TGA);
  const uint8_t pcxLike[] = {10, 5, 1, 8, 0, 0};
  EXPECT_EQ(GetImageFormatFromSignature(pcxLike, sizeof pcxLike, IMAGE_FORMAT_TGA), IMAGE_FORMAT_TGA);
  EXPECT_EQ(GetImageFormatFromSignature(pcxLike, sizeof pcxLike, IMAGE_FORMAT_UNKNOWN), IMAGE_FORMAT_PCX);
  EXPECT_EQ(GetImageFormatFromSignature(pcxLike, 0, IMAGE_FORMAT_GIF), IMAGE_FORMAT_GIF);
}

// A file cut short either fails to read or reads as an incomplete picture,
// never as a whole one; a whole file never reads as incomplete.
TEST(ImageFile, AFileCutShortReadsAsIncompleteOrNotAtAll) {
  TempDir dir;
  const CRasterImage picture = Picture(64, 48, 7);
  for (const char* name : {"w.bmp", "w.gif", "w.pct", "w.pcx", "w.tif", "w.jpg", "w.png", "w.tga"}) {
    CImageFileRequest w;
    w.m_strFileName = (dir / name).string();
    AddFrame(w, picture);
    JPEG_SAVE_OPTIONS jpeg;
    GIF_SAVE_OPTIONS gif;
    ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REFUSE, &gif, &jpeg), IMAGEIO_OK) << name;
    CImageFileRequest whole;
    whole.m_strFileName = w.m_strFileName;
    ASSERT_EQ(ReadImageFile(&whole), IMAGEIO_OK) << name;
    EXPECT_FALSE(whole.m_bIncomplete) << name;
    const auto bytes = ReadFileBytes(dir / name);
    for (int percent : {90, 60, 30}) {
      const fs::path cut = dir / (std::to_string(percent) + "-" + name);
      WriteFileBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(bytes.size() * percent / 100)));
      CImageFileRequest r;
      r.m_strFileName = cut.string();
      if (ReadImageFile(&r) == IMAGEIO_OK) EXPECT_TRUE(r.m_bIncomplete) << name << " cut to " << percent << "%";
    }
  }
}

TEST(ImageFile, ReadFailureClearsTheFrames) {
  TempDir dir;
  WriteFileBytes(dir / "bad.bmp", {'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0});
  CImageFileRequest r;
  r.m_strFileName = (dir / "bad.bmp").string();
  AddFrame(r, Picture(2, 2));
  EXPECT_EQ(ReadImageFile(&r), IMAGEIO_CORRUPT);
  EXPECT_TRUE(r.m_frames.empty());
  r.m_strFileName = (dir / "missing.bmp").string();
  EXPECT_EQ(ReadImageFile(&r), IMAGEIO_CORRUPT);
}

TEST(ImageFile, WithoutNameTheHeadlessDialogCancels) {
  CImageFileRequest r;
  EXPECT_EQ(ReadImageFile(&r), IMAGEIO_CANCELLED);
  AddFrame(r, Picture(2, 2));
  EXPECT_EQ(WriteImageFile(&r, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_CANCELLED);
  CImageFileRequest empty;
  EXPECT_EQ(WriteImageFile(&empty, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_INTERNAL_ERROR);
}

class NamingHost : public CHeadlessImageFileHost {
 public:
  explicit NamingHost(std::string path) : m_path(std::move(path)) {}
  bool RunImageFileDialog(bool save, std::string& path) override {
    ++calls;
    lastSave = save;
    path = m_path;
    return true;
  }
  int calls = 0;
  bool lastSave = false;

 private:
  std::string m_path;
};

TEST(ImageFile, WithoutNameTheHostsDialogChoosesAndTheNameIsKept) {
  TempDir dir;
  NamingHost host((dir / "chosen.bmp").string());
  IImageFileHost* previous = SetImageFileHost(&host);
  CImageFileRequest w;
  AddFrame(w, Picture(3, 3));
  EXPECT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  EXPECT_TRUE(host.lastSave);
  EXPECT_EQ(w.m_strFileName, (dir / "chosen.bmp").string());
  CImageFileRequest r;
  EXPECT_EQ(ReadImageFile(&r), IMAGEIO_OK);
  EXPECT_FALSE(host.lastSave);
  EXPECT_EQ(host.calls, 2);
  SetImageFileHost(previous);
}

TEST(ImageFile, CancelBeforeTheStartWritesNothing) {
  TempDir dir;
  CImageFileRequest w;
  w.m_strFileName = (dir / "a.bmp").string();
  w.m_pfnCancel = [] { return true; };
  AddFrame(w, Picture(3, 3));
  EXPECT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_CANCELLED);
  EXPECT_TRUE(Listing(dir.path()).empty());
  w.m_strFileName = (dir / "a.bmp").string();
  EXPECT_EQ(ReadImageFile(&w), IMAGEIO_CANCELLED);
}

// Writing three frames as a.bmp: frame k > 0 goes to "a" + "%4d" + ".bmp";
// in mode 2 an existing name gets "-1", "-2" ... before the extension.
TEST(ImageFile, PerFrameNamesAndOverwriteModes) {
  TempDir dir;
  const fs::path target = dir / "a.bmp";
  const auto original = std::vector<uint8_t>{'o', 'l', 'd'};
  auto request = [&] {
    CImageFileRequest r;
    r.m_strFileName = target.string();
    for (unsigned k = 0; k < 3; ++k) AddFrame(r, Picture(6, 5, k + 1));
    return r;
  };

  WriteFileBytes(target, original);
  CImageFileRequest refuse = request();
  EXPECT_EQ(WriteImageFile(&refuse, OVERWRITE_REFUSE, nullptr, nullptr), IMAGEIO_FILE_EXISTS);
  EXPECT_EQ(ReadFileBytes(target), original);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"a.bmp"}));

  CImageFileRequest renumber = request();
  ASSERT_EQ(WriteImageFile(&renumber, OVERWRITE_RENUMBER, nullptr, nullptr), IMAGEIO_OK);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"a   1.bmp", "a   2.bmp", "a-1.bmp", "a.bmp"}));
  EXPECT_EQ(renumber.m_strSavedName, (dir / "a   2.bmp").string());
  EXPECT_EQ(ReadFileBytes(target), original);
  for (const auto& [name, k] : std::vector<std::pair<std::string, int>>{{"a-1.bmp", 0}, {"a   1.bmp", 1}, {"a   2.bmp", 2}}) {
    CImageFileRequest r;
    r.m_strFileName = (dir / name).string();
    ASSERT_EQ(ReadImageFile(&r), IMAGEIO_OK) << name;
    EXPECT_EQ(CompareRgb(r.m_frames[0].m_image, renumber.m_frames[size_t(k)].m_image), "") << name;
  }

  // Mode 0 stops at the first per-frame name that exists; earlier files stay.
  fs::remove(target);
  CImageFileRequest refuseLater = request();
  EXPECT_EQ(WriteImageFile(&refuseLater, OVERWRITE_REFUSE, nullptr, nullptr), IMAGEIO_FILE_EXISTS);
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(refuseLater.m_strSavedName, target.string());

  // Mode 1 replaces them all.
  CImageFileRequest replace = request();
  ASSERT_EQ(WriteImageFile(&replace, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  CImageFileRequest r;
  r.m_strFileName = (dir / "a   2.bmp").string();
  ASSERT_EQ(ReadImageFile(&r), IMAGEIO_OK);
  EXPECT_EQ(CompareRgb(r.m_frames[0].m_image, replace.m_frames[2].m_image), "");
  EXPECT_FALSE(HasTempFiles(dir.path()));
}

TEST(ImageFile, EmptyFramesWriteNoFileAndLaterFramesKeepTheirIndex) {
  TempDir dir;
  CImageFileRequest w;
  w.m_strFileName = (dir / "f.bmp").string();
  AddFrame(w, Picture(4, 4));
  w.m_frames.emplace_back();  // empty
  AddFrame(w, Picture(4, 4, 9));
  ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REFUSE, nullptr, nullptr), IMAGEIO_OK);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"f   2.bmp", "f.bmp"}));
}

// A frame placed inside a larger canvas is written as the canvas; BMP keeps
// the uncovered canvas transparent (a 32-bit file with alpha).
TEST(ImageFile, FramesAreFlattenedOntoTheCanvas) {
  TempDir dir;
  CImageFileRequest w;
  w.m_strFileName = (dir / "c.bmp").string();
  AddFrame(w, Picture(4, 3));
  w.m_frames[0].m_nLeft = 2;
  w.m_frames[0].m_nTop = 1;
  w.m_nWidth = 8;
  w.m_nHeight = 6;
  ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REFUSE, nullptr, nullptr), IMAGEIO_OK);
  CImageFileRequest r;
  r.m_strFileName = w.m_strFileName;
  ASSERT_EQ(ReadImageFile(&r), IMAGEIO_OK);
  const CRasterImage& image = r.m_frames[0].m_image;
  ASSERT_EQ(image.GetWidth(), 8);
  ASSERT_TRUE(image.HasValidMask());
  EXPECT_EQ(image.GetMaskRow(0)[0], 0);
  EXPECT_EQ(image.GetMaskRow(1)[2], 255);
  EXPECT_EQ(image.GetRow(1)[6], w.m_frames[0].m_image.GetRow(0)[0]);

  // Not transparent (as for PCX, PICT and JPEG): the stored background.
  WriteProfileInt("Image Document", "Background Color", 0x30201A);
  const CRasterImage flat = FlattenFrameForWrite(w.m_frames[0], 8, 6, false, ImageFileHost().GetBackgroundColor());
  EXPECT_FALSE(flat.HasValidMask());
  EXPECT_EQ(std::vector<uint8_t>(flat.GetRow(0), flat.GetRow(0) + 3), (std::vector<uint8_t>{0x1A, 0x20, 0x30}));
  WriteProfileInt("Image Document", "Background Color", 0);
}

// Indexed frames: the uncovered canvas holds the palette index nearest to
// the background and is transparent; a frame covering the canvas without a
// mask stays without one.
TEST(ImageFile, IndexedFramesFlattenWithTheNearestBackgroundIndex) {
  CAnimFrame frame;
  frame.m_image.Create(2, 2, 8);
  RGBQUAD* pal = frame.m_image.GetWritablePalette();
  for (int i = 0; i < 256; ++i) pal[i] = MakeRGBQuad(uint8_t(i), 0, 0);
  for (int i = 0; i < 4; ++i) frame.m_image.GetWritableBits()[i] = uint8_t(200 + i);
  frame.m_nLeft = 1;
  frame.m_nTop = 1;
  const CRasterImage flat = FlattenFrameForWrite(frame, 3, 3, true, MakeRGBQuad(7, 0, 0));
  ASSERT_EQ(flat.GetBitsPerPixel(), 8);
  ASSERT_TRUE(flat.HasValidMask());
  EXPECT_EQ(flat.GetRow(0)[0], 7);
  EXPECT_EQ(flat.GetRow(1)[1], 200);
  EXPECT_EQ(flat.GetRow(2)[2], 203);
  EXPECT_EQ(flat.GetMaskRow(0)[0] & 0x80, 0);
  EXPECT_EQ(flat.GetMaskRow(1)[0] & 0x40, 0x40);
  frame.m_nLeft = frame.m_nTop = 0;
  const CRasterImage whole = FlattenFrameForWrite(frame, 2, 2, false, MakeRGBQuad(7, 0, 0));
  EXPECT_FALSE(whole.HasValidMask());
  EXPECT_TRUE(FlattenFrameForWrite(CAnimFrame(), 2, 2, true, RGBQUAD{}).IsEmpty());
}

TEST(ImageFile, GifWithoutImagesIsCorruptBeforeAnyReaderRuns) {
  TempDir dir;
  const std::vector<uint8_t> gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
  WriteFileBytes(dir / "empty.gif", gif);
  CImageFileRequest r;
  r.m_strFileName = (dir / "empty.gif").string();
  EXPECT_EQ(ReadImageFile(&r), IMAGEIO_CORRUPT);
  EXPECT_TRUE(r.m_frames.empty());
  EXPECT_EQ(GetImageFileFrameCount((dir / "empty.gif").string()), 0);
}

// A successful save replaces the target in one rename: a reader that holds
// the old file open keeps the old content, the new file keeps the old mode,
// and a symbolic link keeps pointing at the replaced file.
TEST(ImageFileSave, ReplacesInOneStepKeepingModeAndLinks) {
  TempDir dir;
  const fs::path target = dir / "t.bmp";
  CImageFileRequest w;
  w.m_strFileName = target.string();
  AddFrame(w, Picture(5, 5));
  ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  const auto first = ReadFileBytes(target);
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  FILE* held = std::fopen(target.c_str(), "rb");
  ASSERT_NE(held, nullptr);
  struct stat before;
  ::stat(target.c_str(), &before);

  w.m_frames[0].m_image = Picture(7, 7, 4);
  w.m_nWidth = w.m_nHeight = 7;
  ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  struct stat after;
  ::stat(target.c_str(), &after);
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  std::vector<uint8_t> old(first.size());
  EXPECT_EQ(std::fread(old.data(), 1, old.size(), held), first.size());
  EXPECT_EQ(old, first);
  std::fclose(held);

  fs::create_symlink("t.bmp", dir / "link.bmp");
  w.m_strFileName = (dir / "link.bmp").string();
  ASSERT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  EXPECT_TRUE(fs::is_symlink(dir / "link.bmp"));
  EXPECT_FALSE(HasTempFiles(dir.path()));
}

TEST(ImageFileSave, ReadOnlyTargetIsRefusedWithTheMessageAndKept) {
  TempDir dir;
  const fs::path target = dir / "ro.bmp";
  const std::vector<uint8_t> original{'k', 'e', 'e', 'p'};
  WriteFileBytes(target, original);
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  RecordingMessageSink sink;
  CImageFileRequest w;
  w.m_strFileName = target.string();
  AddFrame(w, Picture(5, 5));
  EXPECT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_FAILED);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], std::make_pair(int(MESSAGE_ERROR), std::string("File save failed: The file may be "
                                                                              "read-only or in use by other application.")));
  EXPECT_EQ(ReadFileBytes(target), original);
  EXPECT_FALSE(HasTempFiles(dir.path()));
  ::chmod(target.c_str(), 0644);
}

TEST(ImageFileSave, ReadOnlyFolderFailsWithTheMessageAndLeavesNothing) {
  TempDir dir;
  const fs::path folder = dir / "locked";
  fs::create_directory(folder);
  const fs::path target = folder / "x.bmp";
  const std::vector<uint8_t> original{'k', 'e', 'e', 'p'};
  WriteFileBytes(target, original);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  RecordingMessageSink sink;
  CImageFileRequest w;
  w.m_strFileName = target.string();
  AddFrame(w, Picture(5, 5));
  EXPECT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_FAILED);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].second, "File save failed: The disk is either full or wrtie-protected.");
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(ReadFileBytes(target), original);
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"x.bmp"}));
}

// A full disk: the child may write no more than a few kilobytes (SIGXFSZ
// ignored, so writes fail with EFBIG). Exit status 0 means the save failed
// with the right code and message.
TEST(ImageFileSave, FullDiskFailsWithTheMessageAndKeepsTheOldFile) {
  TempDir dir;
  const fs::path target = dir / "big.bmp";
  const std::vector<uint8_t> original(1000, 'k');
  WriteFileBytes(target, original);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {8192, 8192};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    RecordingMessageSink sink;
    CImageFileRequest w;
    w.m_strFileName = target.string();
    AddFrame(w, Picture(200, 100));
    const int rc = WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr);
    const bool message = sink.messages.size() == 1 && sink.messages[0].first == MESSAGE_ERROR &&
                         sink.messages[0].second == "File save failed: The disk is either full or wrtie-protected.";
    ::_exit(rc == IMAGEIO_FAILED && message ? 0 : 10 + rc);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(target), original);
  EXPECT_FALSE(HasTempFiles(dir.path()));
}

TEST(ImageFileSave, WriterCancelKeepsTheOldFileAndRemovesTheTemporary) {
  TempDir dir;
  const fs::path target = dir / "c.bmp";
  const std::vector<uint8_t> original{'o', 'l', 'd'};
  WriteFileBytes(target, original);
  static int polls;
  polls = 0;
  CImageFileRequest w;
  w.m_strFileName = target.string();
  w.m_pfnCancel = [] { return ++polls > 3; };  // the front end asks once, the writer per row
  AddFrame(w, Picture(8, 40));
  EXPECT_EQ(WriteImageFile(&w, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_CANCELLED);
  EXPECT_EQ(ReadFileBytes(target), original);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"c.bmp"}));
}

}  // namespace
