#include <gtest/gtest.h>
#include <sys/stat.h>

#include "browser/core/BrowserItem.h"
#include "browser/core/BrowserItemList.h"
#include "tests/browser/core/BrowserTestFiles.h"
#include "tests/support/TestSupport.h"

using namespace browser_test;
using testing_support::TempDir;

namespace {

struct FitCase {
  int w, h, boxW, boxH, wantW, wantH;
};

TEST(FitSizeInBox, Table) {
  const FitCase cases[] = {
      {200, 100, 100, 100, 100, 50},  // the width limits
      {100, 300, 100, 100, 33, 100},  // the height limits, truncated
      {50, 40, 100, 100, 50, 40},     // within the box: never enlarged
      {100, 100, 100, 100, 100, 100},
      {101, 100, 100, 100, 100, 99},
      {3000, 2000, 160, 160, 160, 106},
      {4000, 3000, 160, 160, 160, 120},
      {2000, 3000, 160, 120, 80, 120},  // a wide box, a tall picture
      {10000, 1, 100, 100, 100, 1},     // a very thin picture keeps a pixel
      {1, 10000, 100, 100, 1, 100},
  };
  for (const FitCase& c : cases) {
    int w = c.w, h = c.h;
    FitSizeInBox(w, h, c.boxW, c.boxH);
    EXPECT_EQ(w, c.wantW) << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
    EXPECT_EQ(h, c.wantH) << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
  }
}

struct WantCase {
  int imageW, imageH, thumbW, thumbH, cell, wantW, wantH;
};

TEST(BrowserItem, GetThumbnailSizeTable) {
  const WantCase cases[] = {
      {0, 0, 0, 0, 100, 0, 0},              // unknown size is the answer
      {-1, 50, 0, 0, 100, -1, 50},
      {40, 30, 0, 0, 100, 40, 30},           // small image at its own size
      {40, 30, 40, 30, 100, 40, 30},
      {3000, 2000, 0, 0, 100, 100, 66},      // large image fitted
      {3000, 2000, 160, 120, 80, 80, 60},    // thumbnail reaching the cell is fitted
      {3000, 2000, 160, 120, 160, 160, 120}, // ... and kept at the cell
      {3000, 2000, 120, 80, 160, 160, 106},  // smaller thumbnail: the image decides
      {100, 100, 0, 0, 100, 100, 100},
  };
  for (const WantCase& c : cases) {
    CBrowserItem item;
    item.m_nWidth = c.imageW;
    item.m_nHeight = c.imageH;
    item.m_nThumbWidth = c.thumbW;
    item.m_nThumbHeight = c.thumbH;
    int w = -7, h = -7;
    item.GetThumbnailSize(c.cell, c.cell, w, h);
    EXPECT_EQ(w, c.wantW) << c.imageW << "x" << c.imageH << " thumb " << c.thumbW << " cell " << c.cell;
    EXPECT_EQ(h, c.wantH) << c.imageW << "x" << c.imageH << " thumb " << c.thumbW << " cell " << c.cell;
  }
}

struct FitThumbCase {
  const char* what;
  int imageW, imageH, thumbW, thumbH, cell;
  bool kept;
  int keptW, keptH;
};

TEST(BrowserItem, FitThumbnailTable) {
  const FitThumbCase cases[] = {
      {"embedded 160x120 in an 80 cell is shrunk", 3000, 2000, 160, 120, 80, true, 80, 60},
      {"embedded 160x120 reaching a 160 cell is kept", 3000, 2000, 160, 120, 160, true, 160, 120},
      {"embedded 120x80 in a 160 cell is dropped", 3000, 2000, 120, 80, 160, false, 0, 0},
      {"a small image keeps its own size", 40, 30, 40, 30, 100, true, 40, 30},
      {"a thumbnail made at a larger cell is shrunk", 800, 600, 160, 120, 100, true, 100, 75},
      {"a thumbnail made at a smaller cell is dropped", 800, 600, 80, 60, 160, false, 0, 0},
  };
  for (const FitThumbCase& c : cases) {
    CBrowserItem item = MakeItemWithThumb(c.imageW, c.imageH, c.thumbW, c.thumbH);
    const CThumbFrames before = item.m_pThumbFrames;
    item.FitThumbnail(c.cell, c.cell);
    EXPECT_EQ(item.HasThumbnail(), c.kept) << c.what;
    EXPECT_EQ(item.m_nThumbWidth, c.keptW) << c.what;
    EXPECT_EQ(item.m_nThumbHeight, c.keptH) << c.what;
    if (c.kept) {
      const CRasterImage& image = (*item.m_pThumbFrames)[0].m_image;
      EXPECT_EQ(image.GetWidth(), c.keptW) << c.what;
      EXPECT_EQ(image.GetHeight(), c.keptH) << c.what;
      // The old frames are never changed: a list holding them keeps them.
      EXPECT_EQ((*before)[0].m_image.GetWidth(), c.thumbW) << c.what;
    }
  }
}

TEST(BrowserItem, FitThumbnailNeedsEverything) {
  CBrowserItem noSize = MakeItemWithThumb(0, 0, 160, 120);
  noSize.FitThumbnail(80, 80);
  EXPECT_EQ(noSize.m_nThumbWidth, 160);
  CBrowserItem badCell = MakeItemWithThumb(3000, 2000, 160, 120);
  badCell.FitThumbnail(0, 80);
  EXPECT_EQ(badCell.m_nThumbWidth, 160);
}

TEST(BrowserItem, RotationIsARunningSum) {
  CBrowserItem item;  // no thumbnail: the rotation is still taken
  EXPECT_TRUE(item.SetRotation(90));
  EXPECT_EQ(item.m_nRotation, 90);
  EXPECT_FALSE(item.SetRotation(90 + 360));  // the same turn: nothing turns
  EXPECT_EQ(item.m_nRotation, 90);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(item.SetRotation(item.m_nRotation + 90));
  EXPECT_EQ(item.m_nRotation, 360);  // four turns: 360, not reduced
  EXPECT_TRUE(item.SetRotation(item.m_nRotation - 90));
  EXPECT_EQ(item.m_nRotation, 630);  // -90 acts as 270 more
}

TEST(BrowserItem, RotationTurnsTheThumbnail) {
  CBrowserItem item = MakeItemWithThumb(3000, 2000, 160, 120);
  const CThumbFrames before = item.m_pThumbFrames;
  EXPECT_TRUE(item.SetRotation(90));
  EXPECT_EQ(item.m_nThumbWidth, 120);
  EXPECT_EQ(item.m_nThumbHeight, 160);
  EXPECT_EQ((*item.m_pThumbFrames)[0].m_image.GetWidth(), 120);
  EXPECT_EQ((*before)[0].m_image.GetWidth(), 160);  // shared frames untouched
  EXPECT_EQ(item.m_nWidth, 3000);                   // the image size is not changed here
  for (int i = 0; i < 3; ++i) item.SetRotation(item.m_nRotation + 90);
  EXPECT_EQ(item.m_nRotation, 360);
  EXPECT_EQ(testing_support::CompareRgb((*item.m_pThumbFrames)[0].m_image, (*before)[0].m_image), "");
}

TEST(BrowserItem, CopyLeavesZoomAndSharesThumbnail) {
  CBrowserItem a = MakeItemWithThumb(300, 200, 150, 100);
  a.m_nZoomStep = 4;
  a.m_nZoomTarget = 6;
  a.m_bSelected = 1;
  a.m_nRotation = 450;
  a.m_properties.Add("Make", "Cam");
  CBrowserItem b;
  b = a;
  EXPECT_EQ(b.m_nZoomStep, 0);
  EXPECT_EQ(b.m_nZoomTarget, 0);
  EXPECT_EQ(b.m_bSelected, 1);
  EXPECT_EQ(b.m_nRotation, 450);
  EXPECT_EQ(b.m_properties, a.m_properties);
  EXPECT_EQ(b.m_pThumbFrames, a.m_pThumbFrames);
  EXPECT_EQ(b.GetFullPath(), "/photos/a.jpg");
  CBrowserItem fresh;
  EXPECT_EQ(fresh.m_nPrevIndex, -1);
  fresh.SetFolder("/x/");
  EXPECT_EQ(fresh.GetFolder(), "/x/");
}

CBrowserItemList MakeList(const std::vector<std::string>& names) {
  CBrowserItemList list;
  for (const std::string& name : names) {
    CBrowserItem item;
    item.SetFolder("/p");
    item.m_strName = name;
    list.push_back(item);
  }
  return list;
}

std::vector<std::string> Names(const CBrowserItemList& list) {
  std::vector<std::string> names;
  for (const CBrowserItem& item : list) names.push_back(item.m_strName);
  return names;
}

TEST(BrowserItemList, SelectionWalk) {
  CBrowserItemList empty;
  EXPECT_EQ(empty.GetFirstSelected(), -1);
  EXPECT_EQ(empty.GetNextSelected(5), -1);
  EXPECT_EQ(empty.GetSelectedCount(), 0);
  empty.SelectAll();
  empty.InvertSelection();
  empty.SelectOnly(0);

  CBrowserItemList list = MakeList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
  EXPECT_EQ(list.GetFirstSelected(), -1);  // none selected
  list[0].m_bSelected = 1;
  list[3].m_bSelected = 1;
  EXPECT_EQ(list.GetFirstSelected(), 0);
  EXPECT_EQ(list.GetNextSelected(0), 3);
  EXPECT_EQ(list.GetNextSelected(3), -1);  // the last index
  EXPECT_EQ(list.GetNextSelected(-5), 0);
  EXPECT_EQ(list.GetSelectedCount(), 2);
  std::vector<int> walked;
  for (int i = list.GetFirstSelected(); i != -1; i = list.GetNextSelected(i)) walked.push_back(i);
  EXPECT_EQ(walked, (std::vector<int>{0, 3}));
  list[1].m_bSelected = 7;  // not 1: not selected, and inverted to 1
  EXPECT_EQ(list.GetNextSelected(0), 3);
  list.InvertSelection();
  EXPECT_EQ(list[0].m_bSelected, 0);
  EXPECT_EQ(list[1].m_bSelected, 1);
  EXPECT_EQ(list[2].m_bSelected, 1);
  list.SelectOnly(1);
  EXPECT_EQ(list.GetSelectedCount(), 1);
  EXPECT_EQ(list.GetFirstSelected(), 1);
  list.SelectAll();
  EXPECT_EQ(list.GetSelectedCount(), 4);
  EXPECT_EQ(list.CreateDropFiles(), (std::vector<std::string>{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg"}));
  list.SelectNone();
  EXPECT_TRUE(list.CreateDropFiles().empty());
}

struct SortCase {
  int key;
  std::vector<std::string> ascending;  // names in ascending order
};

TEST(BrowserItemList, EverySortKeyBothWays) {
  // name, size, write time, previous index
  struct Row {
    const char* name;
    uint32_t size;
    uint64_t time;
    int prev;
  };
  const Row rows[] = {
      {"b2.png", 300, 30, 2},
      {"A1.jpg", 100, 50, -1},
      {"b10.gif", 200, 10, 0},
      {"a1.JPG", 400, 40, 1},
      {"\xC3\xA9t\xC3\xA9.bmp", 50, 20, 3},  // UTF-8 bytes sort above ASCII
  };
  CBrowserItemList list;
  for (const Row& r : rows) {
    CBrowserItem item;
    item.SetFolder("/p");
    item.m_strName = r.name;
    item.m_nFileSize = r.size;
    item.m_ftLastWrite = r.time;
    item.m_nPrevIndex = r.prev;
    list.push_back(item);
  }
  const std::string e = "\xC3\xA9t\xC3\xA9.bmp";
  const SortCase cases[] = {
      {SORT_BY_NAME, {"A1.jpg", "a1.JPG", "b10.gif", "b2.png", e}},  // bytewise: 'A' < 'a', "b1" < "b2"
      {SORT_BY_TYPE, {e, "b10.gif", "A1.jpg", "a1.JPG", "b2.png"}},   // bmp gif jpg/JPG (then name) png
      {SORT_BY_SIZE, {e, "A1.jpg", "b10.gif", "b2.png", "a1.JPG"}},
      {SORT_BY_DATE, {"b10.gif", e, "b2.png", "a1.JPG", "A1.jpg"}},
      {99, {"A1.jpg", "a1.JPG", "b10.gif", "b2.png", e}},  // unknown keys sort by name
  };
  for (const SortCase& c : cases) {
    CBrowserItemList copy = list;
    copy.Sort(c.key, false);
    EXPECT_EQ(Names(copy), c.ascending) << "key " << c.key;
    copy.Sort(c.key, true);
    std::vector<std::string> descending(c.ascending.rbegin(), c.ascending.rend());
    EXPECT_EQ(Names(copy), descending) << "key " << c.key << " descending";
  }
  // The previous position: always ascending, new files (-1) after all others.
  for (bool descending : {false, true}) {
    CBrowserItemList copy = list;
    copy.Sort(SORT_BY_PREVIOUS_INDEX, descending);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"b10.gif", "a1.JPG", "b2.png", e, "A1.jpg"}));
  }
}

TEST(BrowserItemList, ReverseSharesThumbnails) {
  CBrowserItemList list = MakeList({"a.jpg", "b.jpg", "c.jpg"});
  list[0].m_pThumbFrames = MakeThumbFrames(4, 4);
  const CThumbFrames frames = list[0].m_pThumbFrames;
  list.Reverse();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"c.jpg", "b.jpg", "a.jpg"}));
  EXPECT_EQ(list[2].m_pThumbFrames, frames);
}

TEST(BrowserItem, FromFoundFileAndAttributes) {
  TempDir dir;
  const auto path = dir / "photo.jpg";
  testing_support::WriteFileBytes(path, {1, 2, 3, 4, 5});
  FOUND_FILE found;
  ASSERT_TRUE(GetFoundFile(path.string(), found));
  CBrowserItem item(found);
  EXPECT_EQ(item.GetFolder(), dir.path().string() + "/");
  EXPECT_EQ(item.m_strName, "photo.jpg");
  EXPECT_EQ(item.m_nFileSize, 5u);
  EXPECT_EQ(item.m_bReadOnly, 0);
  EXPECT_EQ(item.m_bHidden, 0);
  EXPECT_EQ(item.m_nPrevIndex, -1);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(item.m_ftLastWrite, FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec));
  EXPECT_EQ(FileTimeFromUnix(0, 0), 116444736000000000ull);

  // Unchanged flags touch nothing; read-only is the owner's write bit.
  EXPECT_TRUE(item.SetAttributes(false, false, false));
  EXPECT_TRUE(item.SetAttributes(true, false, false));
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
  EXPECT_EQ(item.m_bReadOnly, 1);
  EXPECT_TRUE(item.SetAttributes(false, false, false));
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);

  CBrowserItem gone = item;
  gone.m_strName = "missing.jpg";
  EXPECT_FALSE(gone.SetAttributes(true, false, false));
}

TEST(BrowserItem, RenameNeverOverwritesOrLeavesTheFolder) {
  TempDir dir;
  testing_support::WriteFileBytes(dir / "a.jpg", {1});
  testing_support::WriteFileBytes(dir / "b.jpg", {2});
  FOUND_FILE found;
  ASSERT_TRUE(GetFoundFile((dir / "a.jpg").string(), found));
  CBrowserItem item(found);
  testing_support::RecordingMessageSink sink;
  EXPECT_TRUE(item.Rename("a.jpg"));
  EXPECT_FALSE(item.Rename("b.jpg"));
  EXPECT_EQ(testing_support::ReadFileBytes(dir / "b.jpg"), std::vector<uint8_t>{2});
  EXPECT_FALSE(item.Rename("../a.jpg"));
  EXPECT_TRUE(item.Rename("c.jpg"));
  EXPECT_EQ(item.m_strName, "c.jpg");
  EXPECT_TRUE(fs::exists(dir / "c.jpg"));
}

// A 3000 x 2000 photograph with an embedded picture, read for the browser.
struct ExifCase {
  const char* what;
  int thumbW, thumbH, cell;
  bool kept;
  int keptW, keptH;
};

TEST(BrowserItem, ReadFileInfoTakesTheEmbeddedThumbnailWhereItReaches) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("exiftool");
  TempDir dir;
  const ExifCase cases[] = {
      {"160x120 in an 80 cell: shrunk and kept", 160, 120, 80, true, 80, 60},
      {"160x120 in a 160 cell: kept as it is", 160, 120, 160, true, 160, 120},
      {"120x80 in a 160 cell: dropped (160x106 wanted)", 120, 80, 160, false, 0, 0},
  };
  for (const ExifCase& c : cases) {
    const auto path = dir / (std::to_string(c.thumbW) + "-" + std::to_string(c.cell) + ".jpg");
    MakeJpeg(path, 3000, 2000, c.thumbW, c.thumbH, 60);
    FOUND_FILE found;
    ASSERT_TRUE(GetFoundFile(path.string(), found));
    CBrowserItem item(found);
    item.ReadFileInfo(c.cell, c.cell);
    EXPECT_EQ(item.m_nWidth, 3000) << c.what;
    EXPECT_EQ(item.m_nHeight, 2000) << c.what;
    EXPECT_EQ(item.m_nBitsPerPixel, 24) << c.what;
    EXPECT_EQ(item.m_nFrames, 1) << c.what;
    EXPECT_EQ(item.HasThumbnail(), c.kept) << c.what;
    EXPECT_EQ(item.m_nThumbWidth, c.keptW) << c.what;
    EXPECT_EQ(item.m_nThumbHeight, c.keptH) << c.what;
    // The dropped one is made from the whole file, at the wanted size.
    if (!c.kept) {
      EXPECT_TRUE(item.MakeThumbnail(c.cell, c.cell, nullptr, nullptr));
      EXPECT_EQ(item.m_nThumbWidth, 160);
      EXPECT_EQ(item.m_nThumbHeight, 106);
    }
  }
}

TEST(BrowserItem, ReadFileInfoOfAnUnreadableFileChangesNothing) {
  TempDir dir;
  testing_support::WriteFileBytes(dir / "broken.jpg", {0, 1, 2, 3});
  FOUND_FILE found;
  ASSERT_TRUE(GetFoundFile((dir / "broken.jpg").string(), found));
  CBrowserItem item(found);
  item.ReadFileInfo(100, 100);
  EXPECT_EQ(item.m_nWidth, 0);
  EXPECT_EQ(item.m_nFrames, 0);
  EXPECT_FALSE(item.MakeThumbnail(100, 100, nullptr, nullptr));
  EXPECT_FALSE(item.HasThumbnail());
}

}  // namespace
