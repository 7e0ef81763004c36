#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "browser/core/FolderScanner.h"
#include "browser/core/ThumbnailMaker.h"
#include "imaging/Resample.h"
#include "base/StatusStack.h"
#include "platform/FolderWatcher.h"
#include "tests/browser/core/BrowserTestFiles.h"
#include "tests/support/TestSupport.h"

using namespace browser_test;
using testing_support::TempDir;

namespace {

// Counts the files opened in one folder, by name, as the kernel sees them:
// whatever code path opens an image, it shows here.
class OpenCounter {
 public:
  explicit OpenCounter(const fs::path& folder) {
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(inotify_add_watch(m_fd, folder.c_str(), IN_OPEN), 0);
  }
  ~OpenCounter() { close(m_fd); }
  std::map<std::string, int> Take() {
    std::map<std::string, int> opened;
    alignas(inotify_event) char buffer[65536];
    for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        if (e->len > 0 && !(e->mask & IN_ISDIR)) ++opened[e->name];
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    return opened;
  }

 private:
  int m_fd;
};

void SetMtime(const fs::path& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::map<std::string, const CBrowserItem*> ByName(const CBrowserItemList& list) {
  std::map<std::string, const CBrowserItem*> m;
  for (const CBrowserItem& item : list) m[item.m_strName] = &item;
  return m;
}

class FolderScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStatusStack();
    fs::create_directories(m_dir / "pics");
    m_pics = (m_dir / "pics").string() + "/";
  }
  std::string Root() const { return (m_dir / "cache" / "Cache").string(); }

  // Four pictures: JPEGs without embedded thumbnails, a PNG and a GIF.
  void MakePictures() {
    MakeJpeg(m_dir / "pics" / "a.jpg", 400, 300);
    MakeJpeg(m_dir / "pics" / "b.jpg", 300, 400);
    ASSERT_EQ(testing_support::RunCommand("convert -size 64x48 gradient:white-black " +
                                          (m_dir / "pics" / "c.png").string()),
              0);
    ASSERT_EQ(testing_support::RunCommand("convert -size 50x20 xc:red " + (m_dir / "pics" / "d.gif").string()), 0);
    testing_support::WriteFileBytes(m_dir / "pics" / "notes.txt", {1, 2, 3});
  }

  // Scan and make every thumbnail, as a reload does.
  CBrowserItemList Reload(CFolderScanner& scanner, int* made = nullptr) {
    CBrowserItemList items;
    scanner.Refresh(m_pics, items);
    const int n = scanner.MakeThumbnails(m_pics, items);
    if (made) *made = n;
    return items;
  }

  TempDir m_dir;
  std::string m_pics;
};

TEST_F(FolderScannerTest, ColdScanThenAWarmScanOpensNoImage) {
  REQUIRE_TOOL("convert");
  MakePictures();
  CFolderScanner scanner(Root());
  scanner.SetCellSize(100, 100);
  int made = 0;
  CBrowserItemList cold = Reload(scanner, &made);
  ASSERT_EQ(cold.size(), 4u);
  EXPECT_EQ(made, 4);
  auto items = ByName(cold);
  EXPECT_EQ(items["a.jpg"]->m_nThumbWidth, 100);
  EXPECT_EQ(items["a.jpg"]->m_nThumbHeight, 75);
  EXPECT_EQ(items["b.jpg"]->m_nThumbWidth, 75);
  EXPECT_EQ(items["c.png"]->m_nThumbWidth, 64);  // small: its own size
  EXPECT_EQ(items["d.gif"]->m_nFrames, 1);
  EXPECT_TRUE(fs::exists(Root() + m_pics + kCacheFileName));
  EXPECT_EQ(GetStatusDepth(), 0);

  OpenCounter opens(m_dir / "pics");
  CBrowserItemList warm;
  scanner.ScanFolder(m_pics, warm);
  EXPECT_EQ(scanner.MakeThumbnails(m_pics, warm), 0);
  EXPECT_TRUE(opens.Take().empty());
  ASSERT_EQ(warm.size(), 4u);
  auto again = ByName(warm);
  for (const auto& [name, item] : items) {
    ASSERT_TRUE(again[name]->HasThumbnail()) << name;
    EXPECT_EQ(again[name]->m_nThumbWidth, item->m_nThumbWidth) << name;
    EXPECT_EQ(testing_support::CompareRgb((*again[name]->m_pThumbFrames)[0].m_image,
                                          (*item->m_pThumbFrames)[0].m_image),
              "")
        << name;
  }
}

TEST_F(FolderScannerTest, TouchingOneFileRemakesOnlyItsThumbnail) {
  REQUIRE_TOOL("convert");
  MakePictures();
  CFolderScanner scanner(Root());
  Reload(scanner);
  SetMtime(m_dir / "pics" / "b.jpg", 2000000000);
  OpenCounter opens(m_dir / "pics");
  int made = 0;
  CBrowserItemList items = Reload(scanner, &made);
  EXPECT_EQ(made, 1);
  const auto opened = opens.Take();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened.begin()->first, "b.jpg");
  EXPECT_EQ(items.size(), 4u);
}

TEST_F(FolderScannerTest, TrustComparesTheSizeAsWellAsTheTime) {
  REQUIRE_TOOL("convert");
  MakePictures();
  SetMtime(m_dir / "pics" / "a.jpg", 1500000000);
  CFolderScanner scanner(Root());
  Reload(scanner);
  // Another picture copied over it, keeping the old time (cp -p does).
  MakeJpeg(m_dir / "pics" / "a.jpg", 200, 200);
  SetMtime(m_dir / "pics" / "a.jpg", 1500000000);
  OpenCounter opens(m_dir / "pics");
  CBrowserItemList items = Reload(scanner);
  EXPECT_GT(opens.Take()["a.jpg"], 0);
  EXPECT_EQ(ByName(items)["a.jpg"]->m_nWidth, 200);
  EXPECT_EQ(ByName(items)["a.jpg"]->m_nThumbHeight, 100);
}

TEST_F(FolderScannerTest, DeletedFilesDropOut) {
  REQUIRE_TOOL("convert");
  MakePictures();
  CFolderScanner scanner(Root());
  CBrowserItemList items = Reload(scanner);
  items.SelectAll();
  fs::remove(m_dir / "pics" / "c.png");
  scanner.Refresh(m_pics, items);
  EXPECT_EQ(items.size(), 3u);
  EXPECT_EQ(ByName(items).count("c.png"), 0u);
  // Stale records stay in the file until it is written again.
  scanner.SaveCache(m_pics, items);
  CBrowserItemList cached;
  scanner.LoadCache(m_pics, cached);
  EXPECT_EQ(cached.size(), 3u);
}

TEST_F(FolderScannerTest, RefreshKeepsSelectionOrderAndRotation) {
  REQUIRE_TOOL("convert");
  MakePictures();
  CFolderScanner scanner(Root());
  CBrowserItemList items = Reload(scanner);
  items.Sort(SORT_BY_NAME, true);  // d c b a
  items[1].m_bSelected = 1;        // c.png
  scanner.RotateSelected(items, 90);
  EXPECT_EQ(items[1].m_nRotation, 90);
  EXPECT_EQ(items[1].m_nThumbWidth, 48);
  MakeJpeg(m_dir / "pics" / "e.jpg", 120, 90);
  scanner.Refresh(m_pics, items);
  std::vector<std::string> names;
  for (const CBrowserItem& item : items) names.push_back(item.m_strName);
  EXPECT_EQ(names, (std::vector<std::string>{"d.gif", "c.png", "b.jpg", "a.jpg", "e.jpg"}));
  EXPECT_EQ(items.GetFirstSelected(), 1);
  EXPECT_EQ(items.GetNextSelected(1), -1);
  EXPECT_EQ(items[1].m_nRotation, 90);
  EXPECT_EQ(items[1].m_nThumbWidth, 48);  // the cached, turned thumbnail
  EXPECT_EQ(items[4].m_nPrevIndex, -1);
  // The new file's thumbnail comes out turned by nothing; a turned file
  // without a thumbnail is made turned.
  items[3].DropThumbnail();
  items[3].SetRotation(270);
  EXPECT_EQ(scanner.MakeThumbnails(m_pics, items), 2);
  EXPECT_EQ(items[3].m_nThumbWidth, 75);  // a.jpg 400x300 on its side
  EXPECT_EQ(items[3].m_nThumbHeight, 100);
  EXPECT_EQ(items[3].m_nWidth, 300);
}

// A reload of the folder on screen keeps the thumbnails in hand (the same
// frames, shared): it opens neither an image nor, while every file is
// covered, the cache file; a file changed meanwhile is read again; the
// display state starts afresh as with records from the cache. Without
// keeping (after a purge) every thumbnail comes from the cache or is made.
TEST_F(FolderScannerTest, RefreshKeepsTheThumbnailsInHandOfUnchangedFiles) {
  REQUIRE_TOOL("convert");
  MakePictures();
  CFolderScanner scanner(Root());
  CBrowserItemList items = Reload(scanner);
  ASSERT_EQ(items.size(), 4u);
  std::map<std::string, const void*> frames;
  for (CBrowserItem& item : items) {
    ASSERT_TRUE(item.HasThumbnail()) << item.m_strName;
    frames[item.m_strName] = item.m_pThumbFrames.get();
    item.m_bCut = 1;
    item.m_nZoomStep = 2;
  }
  const std::string cacheFile = Root() + m_pics + kCacheFileName;

  // Nothing changed: no file is opened, the cache file may even be gone.
  fs::rename(cacheFile, cacheFile + ".away");
  OpenCounter opens(m_dir / "pics");
  scanner.Refresh(m_pics, items);
  EXPECT_TRUE(opens.Take().empty());
  ASSERT_EQ(items.size(), 4u);
  for (const CBrowserItem& item : items) {
    EXPECT_EQ(item.m_pThumbFrames.get(), frames[item.m_strName]) << item.m_strName;
    EXPECT_EQ(item.m_bCut, 0);
    EXPECT_EQ(item.m_nZoomStep, 0);
  }
  fs::rename(cacheFile + ".away", cacheFile);

  // One file touched: only it is read again (and its record not trusted).
  SetMtime(m_dir / "pics" / "b.jpg", 2000000000);
  scanner.Refresh(m_pics, items);
  const auto opened = opens.Take();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened.begin()->first, "b.jpg");
  for (const CBrowserItem& item : items) {
    if (item.m_strName == "b.jpg")
      EXPECT_FALSE(item.HasThumbnail());
    else
      EXPECT_EQ(item.m_pThumbFrames.get(), frames[item.m_strName]) << item.m_strName;
  }
  EXPECT_EQ(scanner.MakeThumbnails(m_pics, items), 1);
  opens.Take();

  // Not kept: the other three come from the cache file (new frames).
  scanner.Refresh(m_pics, items, false);
  for (const CBrowserItem& item : items) {
    ASSERT_TRUE(item.HasThumbnail()) << item.m_strName;
    EXPECT_NE(item.m_pThumbFrames.get(), frames[item.m_strName]) << item.m_strName;
  }
  EXPECT_TRUE(opens.Take().empty());
}

TEST_F(FolderScannerTest, LinkLoopsAndACacheRootInsideTheTreeStillEnd) {
  REQUIRE_TOOL("convert");
  fs::create_directories(m_dir / "pics" / "sub" / "deeper");
  MakeJpeg(m_dir / "pics" / "top.jpg", 40, 30);
  MakeJpeg(m_dir / "pics" / "sub" / "deeper" / "low.jpg", 40, 30);
  fs::create_directory_symlink(m_dir / "pics", m_dir / "pics" / "sub" / "loop");
  fs::create_directory_symlink(m_dir / "pics" / "sub", m_dir / "pics" / "sub" / "deeper" / "up");
  const std::string root = (m_dir / "pics" / ".cache" / "pictoravell" / "Cache").string();
  CFolderScanner scanner(root);
  scanner.SetRecursive(true);
  CBrowserItemList items;
  scanner.Refresh(m_pics, items);
  scanner.LoadPreviews(m_pics, items);
  ASSERT_EQ(items.size(), 2u);
  for (const CBrowserItem& item : items) EXPECT_TRUE(item.HasThumbnail()) << item.GetFullPath();
  // A second visit: the cache files lie inside the tree and are not shown.
  scanner.Refresh(m_pics, items);
  EXPECT_EQ(items.size(), 2u);
  EXPECT_TRUE(scanner.IsInCacheTree(root + "/"));
  CBrowserItemList none;
  scanner.ScanFolder(root, none);
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(fs::exists(root + m_pics + "sub/deeper/" + kCacheFileName));
}

TEST_F(FolderScannerTest, ACancelStopsAtOnce) {
  REQUIRE_TOOL("convert");
  for (int i = 0; i < 6; ++i) MakeJpeg(m_dir / "pics" / (std::to_string(i) + ".jpg"), 64, 64);
  CFolderScanner scanner(Root());
  CBrowserItemList items;
  scanner.Refresh(m_pics, items);
  static int delivered;
  delivered = 0;
  scanner.SetCancel([] { return delivered >= 2; });
  const int made = scanner.MakeThumbnails(m_pics, items, [](int) { ++delivered; });
  EXPECT_EQ(made, 2);  // whatever the workers had decoded ahead, nothing more is attached
  EXPECT_EQ(delivered, 2);
  CBrowserItemList cached;
  scanner.SetCancel(nullptr);
  scanner.LoadCache(m_pics, cached);
  EXPECT_EQ(cached.size(), 2u);  // what was made is saved
}

TEST_F(FolderScannerTest, PurgeOfOneFolderAndOfEverything) {
  REQUIRE_TOOL("convert");
  MakePictures();
  CFolderScanner scanner(Root());
  Reload(scanner);
  int files = 0, folders = 0;
  scanner.PurgeFolderCache(m_pics, files, folders);
  EXPECT_EQ(files, 1);
  EXPECT_EQ(folders, 1);
  EXPECT_FALSE(fs::exists(Root() + m_pics));
  files = folders = 0;
  scanner.PurgeAll(files, folders);
  EXPECT_EQ(files, 0);
  EXPECT_FALSE(fs::exists(Root()));
}

// Thumbnails made on worker threads are delivered in the run's order and
// equal the ones made on the calling thread.
TEST(ThumbnailMaker, WorkersDeliverInOrderWithTheSameResults) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  std::vector<THUMBNAIL_JOB> jobs;
  for (int i = 0; i < 12; ++i) {
    const auto path = dir / (std::to_string(i) + (i % 5 == 4 ? ".png" : ".jpg"));
    if (i % 5 == 4)
      ASSERT_EQ(testing_support::RunCommand("convert -size 300x200 gradient:red-green " + path.string()), 0);
    else
      MakeJpeg(path, 320 + 16 * i, 240);
    jobs.push_back({path.string(), (i % 4) * 90});
  }
  auto run = [&](int threads) {
    SetThumbnailThreads(threads);
    std::vector<size_t> order;
    std::vector<THUMBNAIL_DATA> results;
    EXPECT_TRUE(MakeThumbnailsInOrder(jobs, 80, 80, nullptr, nullptr, [&](size_t i, int result, THUMBNAIL_DATA&& d) {
      EXPECT_EQ(result, IMAGEIO_OK);
      order.push_back(i);
      results.push_back(std::move(d));
    }));
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
    return results;
  };
  const auto one = run(1);
  const auto many = run(4);
  SetThumbnailThreads(0);
  ASSERT_EQ(one.size(), jobs.size());
  ASSERT_EQ(many.size(), jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(one[i].nThumbWidth, many[i].nThumbWidth);
    EXPECT_EQ(testing_support::CompareRgb((*one[i].frames)[0].m_image, (*many[i].frames)[0].m_image), "");
  }
  // Turned by 90: the 336x240 picture becomes 57x80 in an 80 cell.
  EXPECT_EQ(one[1].nWidth, 240);
  EXPECT_EQ(one[1].nHeight, 336);
  EXPECT_EQ(one[1].nThumbWidth, 57);
  EXPECT_EQ(one[1].nThumbHeight, 80);
}

// Reduced-scale decoding gives what decoding whole and reducing gives.
TEST(ThumbnailMaker, ScaledJpegMatchesTheWholeDecode) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  MakeJpeg(dir / "big.jpg", 2000, 1500, 0, 0, 92);
  THUMBNAIL_DATA fast;
  ASSERT_EQ(DecodeThumbnail((dir / "big.jpg").string(), 0, 160, 160, nullptr, nullptr, fast), IMAGEIO_OK);
  EXPECT_EQ(fast.nWidth, 2000);
  EXPECT_EQ(fast.nThumbWidth, 160);
  EXPECT_EQ(fast.nThumbHeight, 120);
  CMultiFrameImage whole;
  CBrowserItem item;
  item.SetFolder(dir.path().string());
  item.m_strName = "big.jpg";
  ASSERT_EQ(item.ReadFrames(whole, nullptr, nullptr), IMAGEIO_OK);
  const CRasterImage reduced = ReduceImage(whole.m_frames[0].m_image, 160, 120);
  EXPECT_GT(testing_support::Psnr((*fast.frames)[0].m_image, reduced), 35.0);
}

TEST(FolderWatcher, SignalsChangesAndIgnoresTheCache) {
  TempDir dir;
  fs::create_directories(dir / "pics" / "sub");
  fs::create_directories(dir / "pics" / "Cache" / "mirror");
  CFolderWatcher watcher;
  EXPECT_FALSE(watcher.Open((dir / "missing").string(), false));
  EXPECT_FALSE(watcher.IsSignalled());

  ASSERT_TRUE(watcher.Open((dir / "pics").string(), true, (dir / "pics" / "Cache").string()));
  EXPECT_EQ(watcher.GetWatchCount(), 2);  // pics and sub, not the cache
  EXPECT_FALSE(watcher.IsSignalled());
  testing_support::WriteFileBytes(dir / "pics" / "Cache" / "mirror" / "x.bcf", {1});
  EXPECT_FALSE(watcher.IsSignalled());
  testing_support::WriteFileBytes(dir / "pics" / "sub" / "new.jpg", {1});
  EXPECT_TRUE(watcher.IsSignalled());
  EXPECT_TRUE(watcher.IsSignalled());  // stays signalled until reopened

  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const fs::path file = dir / "pics" / "a.jpg";
  testing_support::WriteFileBytes(file, {1});
  const Case cases[] = {
      {"create", [&] { testing_support::WriteFileBytes(dir / "pics" / "b.jpg", {1}); }},
      {"write", [&] { testing_support::WriteFileBytes(file, {1, 2}); }},
      {"touch", [&] { SetMtime(file, 1234567890); }},
      {"rename", [&] { fs::rename(file, dir / "pics" / "c.jpg"); fs::rename(dir / "pics" / "c.jpg", file); }},
      {"delete", [&] { fs::remove(dir / "pics" / "b.jpg"); }},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(watcher.Open((dir / "pics").string(), false));
    EXPECT_FALSE(watcher.IsSignalled()) << c.what;
    c.change();
    EXPECT_TRUE(watcher.IsSignalled()) << c.what;
  }
  // Not watching subfolders: a change below is not seen.
  ASSERT_TRUE(watcher.Open((dir / "pics").string(), false));
  testing_support::WriteFileBytes(dir / "pics" / "sub" / "other.jpg", {1});
  EXPECT_FALSE(watcher.IsSignalled());
  watcher.Close();
  EXPECT_FALSE(watcher.IsOpen());
}

}  // namespace

namespace {

// A stop while workers decode ahead: nothing more is delivered, and the
// workers never ran more than their bounded window past the last delivery.
TEST_F(FolderScannerTest, AStopWithWorkersEndsWithinTheWindow) {
  REQUIRE_TOOL("convert");
  MakeJpeg(m_dir / "pics" / "0000.jpg", 1200, 900);
  for (int i = 1; i < 60; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.jpg", i);
    fs::copy_file(m_dir / "pics" / "0000.jpg", m_dir / "pics" / name);
  }
  CFolderScanner scanner(Root());
  CBrowserItemList items;
  scanner.Refresh(m_pics, items);
  items.Sort(SORT_BY_NAME, false);
  SetThumbnailThreads(3);
  static int delivered;
  delivered = 0;
  scanner.SetCancel([] { return delivered >= 1; });
  OpenCounter opens(m_dir / "pics");
  EXPECT_EQ(scanner.MakeThumbnails(m_pics, items, [](int) { ++delivered; }), 1);
  SetThumbnailThreads(0);
  EXPECT_EQ(delivered, 1);
  EXPECT_TRUE(items[0].HasThumbnail());
  EXPECT_FALSE(items[1].HasThumbnail());
  int opened = 0;
  for (const auto& [name, count] : opens.Take()) opened += count;
  EXPECT_LE(opened, 1 + 2 * 3 + 2);  // the first, and at most the window ahead of it
}

}  // namespace
