#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/ImageFile.h"
#include "base/Profile.h"
#include "shell/FileConfigProfileStore.h"
#include "shell/ImageFileDialog.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

namespace fs = std::filesystem;
using shell_testing::FrameFixture;
using testing_support::DialogScript;
using testing_support::PumpUntil;
using testing_support::TempDir;

void Touch(const fs::path& path, const std::string& text = "x") { std::ofstream(path) << text; }

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The chooser's OK button.
void PressOk(wxDialog& d) {
  wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
  ok.SetEventObject(&d);
  d.GetEventHandler()->ProcessEvent(ok);
}

// In a save chooser: goes to the folder, types the name, picks the filter
// (1-based, as listed) and presses OK.
void TypeSaveName(wxDialog& d, const fs::path& folder, const std::string& name, int filterIndex) {
  auto& chooser = dynamic_cast<wxFileDialog&>(d);
  chooser.SetDirectory(folder.string());
  chooser.SetFilename(name);
  // The chooser changes folders in the background.
  EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == (folder / name).string(); }, 3000)) << chooser.GetPath();
  chooser.SetFilterIndex(filterIndex - 1);
  PressOk(d);
}

// A settings file of our own, reopened to stand for a restart of the program.
class ScopedFileProfile {
 public:
  explicit ScopedFileProfile(const fs::path& file) : m_file(file) { Restart(); }
  ~ScopedFileProfile() { InstallProfileStore(nullptr); }
  void Restart() {
    Profile().Flush();
    InstallProfileStore(MakeFileConfigProfileStore(m_file.string()));
    CImageFileDialog::ResetRememberedIndexes();
  }

 private:
  fs::path m_file;
};

TEST(ImageFileDialog, ResultPathForTable) {
  struct Case {
    const char* folder;
    const char* name;
    int filter;
    int format;
    const char* path;
  } cases[] = {
      {"/d", "holiday", 6, 0, "/d/holiday.jpg"},
      {"/d/", "holiday", 6, 0, "/d/holiday.jpg"},
      {"/d", "holiday.png", 6, 0, "/d/holiday.png"},   // its own extension is kept
      {"/d", "holiday.JPG", 1, 0, "/d/holiday.JPG"},   // any case
      {"/d", "scan", 3, 0, "/d/scan.pcx"},             // PCX is the third filter ...
      {"/d", "art", 4, 0, "/d/art.pct"},               // ... and PICT the fourth
      {"/d", "a", 1, 0, "/d/a.bmp"},
      {"/d", "a", 2, 0, "/d/a.gif"},
      {"/d", "a", 5, 0, "/d/a.tif"},
      {"/d", "a", 7, 0, "/d/a.png"},
      {"/d", "a", 8, 0, "/d/a.tga"},
      {"/d", "notes.txt", 7, 0, "/d/notes.txt.png"},  // not an image extension
      {"/d", "a.b", 7, 0, "/d/a.b.png"},
      {"/d", "a", 0, IMAGE_FORMAT_GIF, "/d/a.gif"},    // no format filter: the caller's format
      {"/d", "a", 9, IMAGE_FORMAT_TGA, "/d/a.tga"},
      {"/d", "a", 0, 0, "/d/a"},                       // neither: nothing added
      {"/d", "x.dib", 6, 0, "/d/x.dib"},
      {"/d", "photo.jpeg", 6, 0, "/d/photo.jpeg"},     // every spelling of the format
      {"/d", "scan.TIFF", 6, 0, "/d/scan.TIFF"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResultPathFor(c.folder, c.name, c.filter, c.format), c.path) << c.name << " filter " << c.filter;
}

TEST(ImageFileDialog, FilterTablesAndPatterns) {
  const int formats[] = {0, IMAGE_FORMAT_BMP, IMAGE_FORMAT_GIF, IMAGE_FORMAT_PCX, IMAGE_FORMAT_PICT,
                         IMAGE_FORMAT_TIFF, IMAGE_FORMAT_JPEG, IMAGE_FORMAT_PNG, IMAGE_FORMAT_TGA, 0};
  for (int i = 0; i <= 9; ++i) EXPECT_EQ(SaveFilterFormat(i), formats[i]) << i;
  EXPECT_EQ(SaveFilterIndexOfFormat(IMAGE_FORMAT_PCX), 3);
  EXPECT_EQ(SaveFilterIndexOfFormat(IMAGE_FORMAT_PICT), 4);
  EXPECT_EQ(SaveFilterIndexOfFormat(IMAGE_FORMAT_PCD), 0);
  EXPECT_EQ(CaseBlindPattern("bmp"), "*.[bB][mM][pP]");
  EXPECT_EQ(CaseBlindPattern("j2k"), "*.[jJ]2[kK]");
  EXPECT_EQ(BuildSaveFilter(),
            "Windows Bitmap (*.BMP; *.DIB)|*.bmp;*.[bB][mM][pP];*.[dD][iI][bB]|CompuServe (*.GIF)|*.gif;*.[gG][iI][fF]|"
            "PC Paintbrush (*.PCX)|*.pcx;*.[pP][cC][xX]|Macintosh PICT (*.PCT)|*.pct;*.[pP][cC][tT];*.[pP][iI][cC][tT]|"
            "TIFF (*.TIF)|*.tif;*.[tT][iI][fF];*.[tT][iI][fF][fF]|"
            "JPEG (*.JPG)|*.jpg;*.[jJ][pP][gG];*.[jJ][pP][eE][gG];*.[jJ][pP][eE];*.[jJ][fF][iI][fF]|"
            "Portable Network Graphics (*.PNG)|*.png;*.[pP][nN][gG]|Truevision Targa (*.TGA)|*.tga;*.[tT][gG][aA]");
  const std::string open = BuildOpenFilter();
  EXPECT_EQ(open.rfind("All Supported Files|*.[bB][mM][pP];*.[dD][iI][bB];*.[gG][iI][fF];", 0), 0u) << open;
  EXPECT_EQ(open.substr(open.size() - 17), "All Files (*.*)|*");
  // No blank may reach the toolkit's patterns: it takes them literally.
  for (const std::string& filter : {open, BuildSaveFilter()}) {
    size_t bar = 0;
    int field = 0;
    for (size_t at = 0; at <= filter.size(); ++at) {
      if (at == filter.size() || filter[at] == '|') {
        if (field % 2 == 1) {
          EXPECT_EQ(filter.substr(bar, at - bar).find(' '), std::string::npos) << filter;
        }
        bar = at + 1;
        ++field;
      }
    }
  }
}

TEST(ImageFileDialog, SaveAddsTheChosenFormatsExtensionAndRemembersTheFolder) {
  FrameFixture f;
  TempDir dir;
  ScopedFileProfile profile(dir / "settings.conf");
  fs::create_directories(dir / "out");
  DialogScript script;
  script.Run([&](wxDialog& d) {
    EXPECT_EQ(dynamic_cast<wxFileDialog&>(d).GetMessage(), "Save As");
    TypeSaveName(d, dir / "out", "holiday", 6);
  });
  std::vector<std::string> paths;
  ASSERT_TRUE(RunImageFileDialog(paths, false, std::string(), IMAGE_FORMAT_UNKNOWN, "Save As", false));
  EXPECT_EQ(paths, std::vector<std::string>{(dir / "out" / "holiday.jpg").string()});
  EXPECT_EQ(CImageFileDialog::GetRememberedSaveIndex(), 6);
  EXPECT_EQ(CImageFileDialog::GetRememberedOpenIndex(), 1);
  EXPECT_EQ(GetProfileString("File Dialog", "Save Path"), (dir / "out").string());
  EXPECT_EQ(GetProfileString("File Dialog", "Open Path", "none"), "none");
}

TEST(ImageFileDialog, ReplacingIsAskedAboutTheFinalName) {
  FrameFixture f;
  TempDir dir;
  ScopedFileProfile profile(dir / "settings.conf");
  Touch(dir / "holiday.jpg", "old");
  std::vector<std::string> paths;
  {
    // holiday + JPEG is holiday.jpg, which exists: the question names it; No
    // brings the dialog back, which is then cancelled.
    DialogScript script;
    script.Run([&](wxDialog& d) { TypeSaveName(d, dir.path(), "holiday", 6); });
    script.Answer(wxID_NO);
    script.Run([&](wxDialog& d) {
      auto& chooser = dynamic_cast<wxFileDialog&>(d);
      EXPECT_EQ(chooser.GetFilename().rfind("holiday", 0), 0u) << chooser.GetFilename();
      d.EndModal(wxID_CANCEL);
    });
    EXPECT_FALSE(RunImageFileDialog(paths, false, std::string(), IMAGE_FORMAT_UNKNOWN, "Save As", false));
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_EQ(script.messages()[0], "holiday.jpg already exists.\nDo you want to replace it?");
    EXPECT_EQ(ReadText(dir / "holiday.jpg"), "old");
  }
  {
    // Yes takes the final name.
    DialogScript yes;
    yes.Run([&](wxDialog& d) { TypeSaveName(d, dir.path(), "holiday", 6); });
    yes.Answer(wxID_YES);
    ASSERT_TRUE(RunImageFileDialog(paths, false, std::string(), IMAGE_FORMAT_UNKNOWN, "Save As", false));
    EXPECT_EQ(paths, std::vector<std::string>{(dir / "holiday.jpg").string()});
  }
  {
    // A new name asks nothing.
    DialogScript fresh;
    fresh.Run([&](wxDialog& d) { TypeSaveName(d, dir.path(), "holiday", 7); });
    ASSERT_TRUE(RunImageFileDialog(paths, false, std::string(), IMAGE_FORMAT_UNKNOWN, "Save As", false));
    EXPECT_EQ(paths, std::vector<std::string>{(dir / "holiday.png").string()});
  }
}

TEST(ImageFileDialog, ASaveForAPcxFileStartsWithTheThirdFilter) {
  FrameFixture f;
  TempDir dir;
  ScopedFileProfile profile(dir / "settings.conf");
  DialogScript script;
  int shown = -1;
  script.Run([&](wxDialog& d) {
    shown = dynamic_cast<wxFileDialog&>(d).GetFilterIndex();
    d.EndModal(wxID_CANCEL);
  });
  std::vector<std::string> paths;
  EXPECT_FALSE(RunImageFileDialog(paths, false, dir.path().string(), IMAGE_FORMAT_PCX, "Save As", false));
  EXPECT_EQ(shown, 2);  // the toolkit counts from 0: "PC Paintbrush (*.PCX)"
  // Cancel keeps nothing but the filter index.
  EXPECT_EQ(CImageFileDialog::GetRememberedSaveIndex(), 3);
  EXPECT_EQ(GetProfileString("File Dialog", "Save Path", "none"), "none");
}

TEST(ImageFileDialog, OpenSelectsManyFilesMatchingThePatternInAnyCase) {
  FrameFixture f;
  TempDir dir;
  ScopedFileProfile profile(dir / "settings.conf");
  std::vector<std::string> expected;
  for (int i = 0; i < 300; ++i) {
    const char* const kinds[] = {".jpg", ".JPG", ".jpeg", ".Jpe"};
    const std::string name = "picture" + std::to_string(1000 + i) + kinds[i % 4];
    Touch(dir / name);
    expected.push_back((dir / name).string());
  }
  Touch(dir / "notes.txt");
  Touch(dir / "other.png");
  DialogScript script;
  script.Run([&](wxDialog& d) {
    auto& chooser = dynamic_cast<wxFileDialog&>(d);
    chooser.SetFilterIndex(6);  // "JPEG (*.JPG)"
    // Select everything the filter shows, as Ctrl+A does in the file list.
    chooser.SetPath(expected.front());
    EXPECT_TRUE(PumpUntil([&] {
      wxArrayString paths;
      chooser.GetPaths(paths);
      return !paths.empty();
    }));
    d.Raise();
    wxUIActionSimulator sim;
    wxArrayString paths;
    EXPECT_TRUE(PumpUntil(
        [&] {
          sim.Char('a', wxMOD_CONTROL);
          testing_support::PumpFor(30);
          chooser.GetPaths(paths);
          return paths.size() >= expected.size();
        },
        5000))
        << paths.size();
    PressOk(d);
  });
  std::vector<std::string> paths;
  ASSERT_TRUE(RunImageFileDialog(paths, true, dir.path().string(), IMAGE_FORMAT_UNKNOWN, "Open File", true));
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, expected);  // every spelling and case; neither notes.txt nor other.png
  EXPECT_EQ(CImageFileDialog::GetRememberedOpenIndex(), 7);
  EXPECT_EQ(GetProfileString("File Dialog", "Open Path"), dir.path().string());
}

TEST(ImageFileDialog, FoldersAreRememberedPerKindAcrossRestarts) {
  FrameFixture f;
  TempDir dir;
  ScopedFileProfile profile(dir / "settings.conf");
  fs::create_directories(dir / "in");
  fs::create_directories(dir / "out");
  Touch(dir / "in" / "a.bmp");
  {
    DialogScript script;
    script.Run([&](wxDialog& d) {
      auto& chooser = dynamic_cast<wxFileDialog&>(d);
      chooser.SetPath((dir / "in" / "a.bmp").string());
      EXPECT_TRUE(PumpUntil([&] {
        wxArrayString paths;
        chooser.GetPaths(paths);
        return paths.size() == 1;
      }));
      PressOk(d);
    });
    script.Run([&](wxDialog& d) { TypeSaveName(d, dir / "out", "b", 1); });
    std::vector<std::string> paths;
    ASSERT_TRUE(RunImageFileDialog(paths, true, std::string(), IMAGE_FORMAT_UNKNOWN, "Open File", true));
    EXPECT_EQ(paths, std::vector<std::string>{(dir / "in" / "a.bmp").string()});
    ASSERT_TRUE(RunImageFileDialog(paths, false, std::string(), IMAGE_FORMAT_UNKNOWN, "Save As", false));
    EXPECT_EQ(paths, std::vector<std::string>{(dir / "out" / "b.bmp").string()});
  }
  profile.Restart();
  EXPECT_EQ(CImageFileDialog::GetRememberedSaveIndex(), 1);
  // After the restart each kind of dialog opens in its own folder.
  std::string openFolder, saveFolder;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    openFolder = dynamic_cast<wxFileDialog&>(d).GetDirectory().utf8_string();
    d.EndModal(wxID_CANCEL);
  });
  script.Run([&](wxDialog& d) {
    saveFolder = dynamic_cast<wxFileDialog&>(d).GetDirectory().utf8_string();
    d.EndModal(wxID_CANCEL);
  });
  std::vector<std::string> paths;
  EXPECT_FALSE(RunImageFileDialog(paths, true, std::string(), IMAGE_FORMAT_UNKNOWN, "Open File", true));
  EXPECT_FALSE(RunImageFileDialog(paths, false, std::string(), IMAGE_FORMAT_UNKNOWN, "Save As", false));
  EXPECT_EQ(openFolder, (dir / "in").string());
  EXPECT_EQ(saveFolder, (dir / "out").string());
}


// The multiburst import chooser: the capture-speed list below the chooser
// starts at the stored choice, and OK gives the file with the chosen rate and
// stores the choice for next time.
wxChoice* FindChoice(wxWindow* window) {
  if (auto* choice = dynamic_cast<wxChoice*>(window)) return choice;
  for (wxWindow* child : window->GetChildren())
    if (wxChoice* found = FindChoice(child)) return found;
  return nullptr;
}

TEST(ImageFileDialog, MultiburstChooserOffersTheCaptureSpeedAndKeepsIt) {
  FrameFixture f;
  TempDir dir;
  const fs::path file = dir / "burst.png";
  Touch(file);
  WriteProfileInt("Import\\Multiburst", "FPS", 1);
  const int before = CImageFileDialog::GetRememberedOpenIndex();
  std::vector<std::string> shown;
  int selected = -1;
  std::string title;
  std::string path;
  int rate = 0;
  {
    DialogScript script;
    script.Run([&](wxDialog& d) {
      auto& chooser = dynamic_cast<wxFileDialog&>(d);
      title = chooser.GetMessage().utf8_string();
      wxChoice* speed = FindChoice(&d);
      ASSERT_NE(speed, nullptr);
      for (unsigned i = 0; i < speed->GetCount(); ++i) shown.push_back(speed->GetString(i).utf8_string());
      selected = speed->GetSelection();
      speed->SetSelection(2);
      wxCommandEvent pick(wxEVT_CHOICE, speed->GetId());
      pick.SetInt(2);
      pick.SetEventObject(speed);
      speed->GetEventHandler()->ProcessEvent(pick);
      chooser.SetPath(file.string());
      EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == file.string(); }, 3000)) << chooser.GetPath();
      PressOk(d);
    });
    ASSERT_TRUE(RunMultiburstFileDialog(path, rate));
  }
  EXPECT_EQ(title, "Import Multiburst Image");
  EXPECT_EQ(shown, (std::vector<std::string>{"7.5 fps", "15 fps", "30 fps"}));
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(path, file.string());
  EXPECT_EQ(rate, 3000);
  EXPECT_EQ(GetProfileInt("Import\\Multiburst", "FPS", -1), 2);
  // The next time the list starts at "30 fps"; Cancel gives nothing.
  DialogScript again;
  again.Run([&](wxDialog& d) {
    wxChoice* speed = FindChoice(&d);
    ASSERT_NE(speed, nullptr);
    selected = speed->GetSelection();
    d.EndModal(wxID_CANCEL);
  });
  EXPECT_FALSE(RunMultiburstFileDialog(path, rate));
  EXPECT_EQ(selected, 2);
  // Other open dialogs keep their filter.
  EXPECT_EQ(CImageFileDialog::GetRememberedOpenIndex(), before);
}

}  // namespace
