// The file and export option dialogs as a user reaches them: File Open,
// Save As and Save a Copy As from the menus, the toolkit's file chooser, and
// the GIF and JPEG options the writers ask for.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/Profile.h"
#include "formats/ImageFile.h"
#include "imaging/StandardPalettes.h"
#include "resources/CommandIds.h"
#include "shell/DialogImageFileHost.h"
#include "shell/ExportOptions.h"
#include "shell/JpegOptionsDlg.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

namespace fs = std::filesystem;
using editor_testing::DocumentWindowFixture;
using testing_support::DialogScript;
using testing_support::PumpUntil;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

std::string WritePicture(const TempDir& dir, const std::string& name, const CRasterImage& image) {
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / name).string();
  request.m_nWidth = static_cast<int16_t>(image.GetWidth());
  request.m_nHeight = static_cast<int16_t>(image.GetHeight());
  request.m_frames.push_back(editor_testing::MakeFrame(image));
  EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  return request.m_strFileName;
}

void PressOk(wxDialog& d) {
  wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
  ok.SetEventObject(&d);
  d.GetEventHandler()->ProcessEvent(ok);
}

void TypeSaveName(wxDialog& d, const fs::path& folder, const std::string& name, int filterIndex) {
  auto& chooser = dynamic_cast<wxFileDialog&>(d);
  chooser.SetDirectory(folder.string());
  chooser.SetFilename(name);
  EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == (folder / name).string(); }, 3000)) << chooser.GetPath();
  chooser.SetFilterIndex(filterIndex - 1);
  PressOk(d);
}

void MoveSlider(wxWindow& dialog, int position) {
  auto* slider = dynamic_cast<wxSlider*>(dialog.FindWindow(export_ids::kQualitySlider));
  ASSERT_NE(slider, nullptr);
  slider->SetValue(position);
  wxCommandEvent event(wxEVT_SLIDER, slider->GetId());
  event.SetInt(position);
  event.SetEventObject(slider);
  slider->ProcessWindowEvent(event);
}

std::string Label(wxWindow& dialog, int id) {
  return dynamic_cast<wxStaticText*>(dialog.FindWindow(id))->GetLabel().utf8_string();
}

// The dialog as it is on the screen, saved when PICTORAVELL_SCREENSHOT_DIR is set.
void SaveScreenshot(wxDialog& d, const std::string& name) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir) return;
  d.Raise();
  for (wxWindow* child : d.GetChildren()) child->Refresh();
  d.Refresh();
  d.Update();
  testing_support::PumpFor(200);  // only when screenshots are asked for
  const wxRect r = d.GetScreenRect();
  // The screen as the X server has it (the toolkit's screen DC can lag behind).
  RunCommand("import -window root -crop " + std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
             std::to_string(r.x) + "+" + std::to_string(r.y) + " " + ShellQuote(std::string(dir) + "/" + name));
}

// A settings store of the test's own.
class ScopedMemoryProfile {
 public:
  ScopedMemoryProfile() : m_previous(InstallProfileStore(MakeMemoryProfileStore())) {}
  ~ScopedMemoryProfile() { InstallProfileStore(std::move(m_previous)); }

 private:
  std::unique_ptr<IProfileStore> m_previous;
};

// The main frame's File Open runs the application's open dialog.
class ScopedFileOpenCommand {
 public:
  ScopedFileOpenCommand() {
    CMainFrame::SetOpenFolderCallback([](const std::string& folder) {
      RunFileOpen(folder, [](const std::string& path) { return OpenImageDocument(path) != nullptr; });
    });
  }
  ~ScopedFileOpenCommand() { CMainFrame::SetOpenFolderCallback({}); }
};

TEST(SaveDialogs, FileOpenFromTheMenuOpensEveryChosenFile) {
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  ScopedFileOpenCommand open;
  TempDir dir;
  WritePicture(dir, "one.bmp", editor_testing::SolidImage(5, 5, 1, 2, 3));
  WritePicture(dir, "Two.BMP", editor_testing::SolidImage(6, 6, 4, 5, 6));
  WritePicture(dir, "three.png", editor_testing::SolidImage(7, 7, 7, 8, 9));
  WriteProfileString("File Dialog", "Open Path", dir.path().string());
  DialogScript script;
  script.Run([&](wxDialog& d) {
    auto& chooser = dynamic_cast<wxFileDialog&>(d);
    EXPECT_EQ(chooser.GetMessage(), "Open File");
    EXPECT_EQ(chooser.GetFilterIndex(), 0);  // "All Supported Files"
    chooser.SetFilterIndex(1);               // "Windows Bitmap (*.BMP; *.DIB)"
    chooser.SetPath((dir / "one.bmp").string());
    wxArrayString paths;
    EXPECT_TRUE(PumpUntil([&] {
      chooser.GetPaths(paths);
      return !paths.empty();
    }));
    d.Raise();
    wxUIActionSimulator sim;
    EXPECT_TRUE(PumpUntil(
        [&] {
          sim.Char('a', wxMOD_CONTROL);
          testing_support::PumpFor(30);
          chooser.GetPaths(paths);
          return paths.size() >= 2;
        },
        5000));
    PressOk(d);
  });
  ASSERT_TRUE(f.IsEnabled(ID_FILE_OPEN));
  f.Command(ID_FILE_OPEN);
  EXPECT_EQ(script.Remaining(), 0u);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 2);  // the two bitmaps, not the PNG
}

TEST(SaveDialogs, SaveAsJpegAsksForTheOptionsWithAPreviewAndWritesWithThem) {
  REQUIRE_TOOL("identify");
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  CScopedDialogImageFileHost host;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WritePicture(dir, "photo.bmp", testing_support::MakeTestPicture(320, 240)));
  ASSERT_TRUE(doc);
  int previewBytes = 0;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    EXPECT_EQ(dynamic_cast<wxFileDialog&>(d).GetMessage(), "Save As");
    EXPECT_EQ(dynamic_cast<wxFileDialog&>(d).GetFilterIndex(), 0);  // the document is a bitmap
    TypeSaveName(d, dir.path(), "holiday", 6);
  });
  script.Run([&](wxDialog& d) {
    auto& dlg = dynamic_cast<CJpegOptionsDlg&>(d);
    ASSERT_FALSE(dlg.GetPreviewImage().IsEmpty());
    EXPECT_EQ(dlg.GetPreviewImage().GetWidth(), 320);
    const int at75 = dlg.GetPreviewBytes();
    SaveScreenshot(d, "jpeg-options-q75.png");
    MoveSlider(d, 30);
    previewBytes = dlg.GetPreviewBytes();
    EXPECT_LT(previewBytes, at75);
    EXPECT_EQ(Label(d, export_ids::kFileSize), "File size: " + std::to_string(previewBytes) + " bytes");
    SaveScreenshot(d, "jpeg-options-q30.png");
    PressOk(d);
  });
  f.Command(ID_FILE_SAVE_AS);
  EXPECT_EQ(script.Remaining(), 0u);
  const fs::path written = dir / "holiday.jpg";
  ASSERT_TRUE(fs::exists(written));
  EXPECT_EQ(doc->GetFilename().utf8_string(), written.string());
  // The preview's size is the size of the file the writer makes.
  EXPECT_EQ(static_cast<int>(fs::file_size(written)), previewBytes);
  std::string quality;
  ASSERT_EQ(RunCommand("identify -format %Q " + ShellQuote(written.string()), &quality), 0);
  EXPECT_EQ(quality, "30");
  EXPECT_EQ(GetProfileInt("JPEG export", "Quality", -1), 30);
}

TEST(SaveDialogs, AnIndexedPictureSavedAsJpegNeedsColourConversion) {
  REQUIRE_TOOL("identify");
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  CScopedDialogImageFileHost host;
  TempDir dir;
  CRasterImage indexed;
  ASSERT_TRUE(indexed.Create(96, 64, 8));
  BuildPalette256(indexed.GetWritablePalette());
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 96; ++x) indexed.GetWritableBits()[y * indexed.GetStride() + x] = static_cast<uint8_t>(x + y);
  WriteProfileInt("GIF export", "Use Default", 1);  // the GIF fixture is written without asking
  CPictoravellDoc* doc = OpenImageDocument(WritePicture(dir, "palette.gif", indexed));
  ASSERT_TRUE(doc);
  DialogScript script;
  script.Run([&](wxDialog& d) { TypeSaveName(d, dir.path(), "converted", 6); });
  script.Run([&](wxDialog& d) {
    auto& dlg = dynamic_cast<CJpegOptionsDlg&>(d);
    EXPECT_TRUE(dlg.IsBlinking());
    EXPECT_TRUE(dlg.GetPreviewImage().IsEmpty());
    EXPECT_EQ(Label(d, export_ids::kFileSize), "File size:");
    SaveScreenshot(d, "jpeg-options-indexed.png");
    auto* conversion = dynamic_cast<wxCheckBox*>(d.FindWindow(export_ids::kColorConversion));
    ASSERT_NE(conversion, nullptr);
    conversion->SetValue(true);
    wxCommandEvent click(wxEVT_CHECKBOX, conversion->GetId());
    click.SetInt(1);
    click.SetEventObject(conversion);
    conversion->ProcessWindowEvent(click);
    EXPECT_FALSE(dlg.IsBlinking());
    EXPECT_FALSE(dlg.GetPreviewImage().IsEmpty());
    SaveScreenshot(d, "jpeg-options-indexed-converted.png");
    PressOk(d);
  });
  f.Command(ID_FILE_SAVE_AS);
  EXPECT_EQ(script.Remaining(), 0u);
  std::string type;
  ASSERT_EQ(RunCommand("identify -format %m:%wx%h " + ShellQuote((dir / "converted.jpg").string()), &type), 0);
  EXPECT_EQ(type, "JPEG:96x64");
  EXPECT_EQ(GetProfileInt("JPEG export", "Color Conversion", -1), 1);
}

TEST(SaveDialogs, CancelInTheJpegOptionsWritesNothing) {
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  CScopedDialogImageFileHost host;
  testing_support::RecordingMessageSink messages;
  TempDir dir;
  const std::string source = WritePicture(dir, "photo.bmp", testing_support::MakeTestPicture(64, 48));
  CPictoravellDoc* doc = OpenImageDocument(source);
  ASSERT_TRUE(doc);
  DialogScript script;
  script.Run([&](wxDialog& d) { TypeSaveName(d, dir.path(), "copy", 6); });
  script.Run([&](wxDialog& d) { d.EndModal(wxID_CANCEL); });
  f.Command(ID_FILE_SAVE_COPY_AS);
  EXPECT_EQ(script.Remaining(), 0u);
  EXPECT_FALSE(fs::exists(dir / "copy.jpg"));
  EXPECT_EQ(doc->GetFilename().utf8_string(), source);
  EXPECT_TRUE(messages.messages.empty());  // a cancel is no failure
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().rfind("~pt", 0), std::string::npos) << entry.path();
}

TEST(SaveDialogs, SaveACopyAsGifUsesTheStoredOptionsWhenTheyAreTheDefault) {
  REQUIRE_TOOL("gifsicle");
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  CScopedDialogImageFileHost host;
  WriteProfileInt("GIF export", "Use Default", 1);
  WriteProfileInt("GIF export", "Interlace", 1);
  TempDir dir;
  const std::string source = WritePicture(dir, "photo.bmp", testing_support::MakeTestPicture(40, 30));
  CPictoravellDoc* doc = OpenImageDocument(source);
  ASSERT_TRUE(doc);
  {
    DialogScript script;  // the file chooser only: no GIF options dialog
    script.Run([&](wxDialog& d) {
      EXPECT_EQ(dynamic_cast<wxFileDialog&>(d).GetMessage(), "Save a Copy As");
      TypeSaveName(d, dir.path(), "copy", 2);
    });
    f.Command(ID_FILE_SAVE_COPY_AS);
    EXPECT_EQ(script.Remaining(), 0u);
  }
  const fs::path written = dir / "copy.gif";
  ASSERT_TRUE(fs::exists(written));
  EXPECT_EQ(doc->GetFilename().utf8_string(), source);  // a copy: the document keeps its file
  std::string info;
  ASSERT_EQ(RunCommand("gifsicle --info " + ShellQuote(written.string()), &info), 0);
  EXPECT_NE(info.find("interlaced"), std::string::npos) << info;

  // Without "Use Default" the same save asks, and its choices are used.
  WriteProfileInt("GIF export", "Use Default", 0);
  DialogScript again;
  again.Run([&](wxDialog& d) { TypeSaveName(d, dir.path(), "plain", 2); });
  again.Run([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "GIF Export Options");
    auto* interlace = dynamic_cast<wxCheckBox*>(d.FindWindow(export_ids::kInterlace));
    ASSERT_TRUE(interlace && interlace->GetValue());
    interlace->SetValue(false);
    PressOk(d);
  });
  f.Command(ID_FILE_SAVE_COPY_AS);
  EXPECT_EQ(again.Remaining(), 0u);
  ASSERT_EQ(RunCommand("gifsicle --info " + ShellQuote((dir / "plain.gif").string()), &info), 0);
  EXPECT_EQ(info.find("interlaced"), std::string::npos) << info;
}

}  // namespace
