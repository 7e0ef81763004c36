#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>

#include "formats/SaveOptions.h"
#include "base/Profile.h"
#include "imaging/StandardPalettes.h"
#include "resources/CommandIds.h"
#include "shell/ExportOptions.h"
#include "shell/GifExportDlg.h"
#include "shell/JpegOptionsDlg.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

using namespace export_ids;
using shell_testing::FrameFixture;
using testing_support::ClickButton;
using testing_support::DialogScript;
using testing_support::PumpUntil;

// A fresh, empty settings store for one test.
class ScopedMemoryProfile {
 public:
  ScopedMemoryProfile() : m_previous(InstallProfileStore(MakeMemoryProfileStore())) {}
  ~ScopedMemoryProfile() { InstallProfileStore(std::move(m_previous)); }

 private:
  std::unique_ptr<IProfileStore> m_previous;
};

template <class T>
T* Control(wxWindow& dialog, int id) {
  auto* control = dynamic_cast<T*>(dialog.FindWindow(id));
  EXPECT_NE(control, nullptr) << "control " << id;
  return control;
}

void Check(wxWindow& dialog, int id, bool value) {
  auto* box = Control<wxCheckBox>(dialog, id);
  box->SetValue(value);
  wxCommandEvent event(wxEVT_CHECKBOX, id);
  event.SetInt(value ? 1 : 0);
  event.SetEventObject(box);
  box->ProcessWindowEvent(event);
}

void Choose(wxWindow& dialog, int id) {
  auto* radio = Control<wxRadioButton>(dialog, id);
  radio->SetValue(true);
  wxCommandEvent event(wxEVT_RADIOBUTTON, id);
  event.SetInt(1);
  event.SetEventObject(radio);
  radio->ProcessWindowEvent(event);
}

void MoveSlider(wxWindow& dialog, int position) {
  auto* slider = Control<wxSlider>(dialog, kQualitySlider);
  slider->SetValue(position);
  wxCommandEvent event(wxEVT_SLIDER, kQualitySlider);
  event.SetInt(position);
  event.SetEventObject(slider);
  slider->ProcessWindowEvent(event);
}

std::string Text(wxWindow& dialog, int id) { return Control<wxStaticText>(dialog, id)->GetLabel().utf8_string(); }
bool Enabled(wxWindow& dialog, int id) { return dialog.FindWindow(id)->IsEnabled(); }
bool Selected(wxWindow& dialog, int id) { return Control<wxRadioButton>(dialog, id)->GetValue(); }

TEST(ExportOptions, RecordsStartWithTheirDefaults) {
  ScopedMemoryProfile profile;
  GIF_SAVE_OPTIONS gif;
  gif.nSubType = 9;
  ReadGifSaveOptions(gif);
  EXPECT_EQ(gif.nSubType, 1);
  EXPECT_EQ(gif.nInterlace, 0);
  EXPECT_EQ(gif.nSaveSingleImage, 0);
  EXPECT_EQ(gif.nReserved, 0);
  EXPECT_EQ(gif.nColorConversion, 1);
  EXPECT_EQ(gif.nCommentOption, 2);
  EXPECT_FALSE(ReadGifUseDefault());
  JPEG_SAVE_OPTIONS jpeg;
  jpeg.nQuality = 3;
  ReadJpegSaveOptions(jpeg);
  EXPECT_EQ(jpeg.nQuality, 75);
  EXPECT_EQ(jpeg.nProgressive, 0);
  EXPECT_EQ(jpeg.nColorConversion, 0);
  EXPECT_EQ(jpeg.nReserved, 0);
  EXPECT_EQ(jpeg.nCommentOption, 2);
  EXPECT_FALSE(ReadJpegUseDefault());
}

TEST(ExportOptions, StoredValuesOutOfRangeAreClamped) {
  ScopedMemoryProfile profile;
  struct Case {
    const char* section;
    const char* key;
    int stored;
    int read;
  } cases[] = {
      {"JPEG export", "Quality", 300, 100}, {"JPEG export", "Quality", -4, 0},
      {"JPEG export", "Quality", 70000, 100}, {"JPEG export", "Quality", 55, 55},
      {"JPEG export", "Progressive", 7, 1}, {"JPEG export", "Color Conversion", -1, 0},
      {"JPEG export", "Comment Option", 9, 2}, {"JPEG export", "Comment Option", -2, 0},
      {"GIF export", "Sub type", 89, 1},     {"GIF export", "Sub type", -87, 0},
      {"GIF export", "Interlace", 2, 1},     {"GIF export", "Save Single Image", 65536, 1},
      {"GIF export", "Color Conversion", -9, 0}, {"GIF export", "Comment Option", 3, 2},
  };
  for (const Case& c : cases) {
    WriteProfileInt(c.section, c.key, c.stored);
    GIF_SAVE_OPTIONS gif;
    ReadGifSaveOptions(gif);
    JPEG_SAVE_OPTIONS jpeg;
    ReadJpegSaveOptions(jpeg);
    const std::string key = c.key;
    int got = -100;
    if (std::string(c.section) == "JPEG export")
      got = key == "Quality" ? jpeg.nQuality : key == "Progressive" ? jpeg.nProgressive
            : key == "Color Conversion" ? jpeg.nColorConversion : jpeg.nCommentOption;
    else
      got = key == "Sub type" ? gif.nSubType : key == "Interlace" ? gif.nInterlace
            : key == "Save Single Image" ? gif.nSaveSingleImage : key == "Color Conversion" ? gif.nColorConversion
            : gif.nCommentOption;
    EXPECT_EQ(got, c.read) << c.section << "/" << c.key << " = " << c.stored;
  }
}

TEST(ExportOptions, UseDefaultSkipsTheDialogUnlessForced) {
  FrameFixture f;
  ScopedMemoryProfile profile;
  WriteProfileInt("GIF export", "Use Default", 1);
  WriteProfileInt("GIF export", "Interlace", 1);
  WriteProfileInt("JPEG export", "Use Default", 1);
  WriteProfileInt("JPEG export", "Quality", 40);
  {
    DialogScript none;  // any dialog fails the test
    GIF_SAVE_OPTIONS gif;
    ASSERT_TRUE(GetGifSaveOptions(&gif, false));
    EXPECT_EQ(gif.nInterlace, 1);
    JPEG_SAVE_OPTIONS jpeg;
    ASSERT_TRUE(GetJpegSaveOptions(&jpeg, nullptr, false));
    EXPECT_EQ(jpeg.nQuality, 40);
  }
  DialogScript script;
  script.Answer(wxID_CANCEL);
  script.Answer(wxID_CANCEL);
  EXPECT_FALSE(GetGifSaveOptions(nullptr, true));
  EXPECT_FALSE(GetJpegSaveOptions(nullptr, nullptr, true));
  EXPECT_EQ(script.titles(), (std::vector<std::string>{"GIF Export Options", "JPEG"}));
}

TEST(ExportOptions, GifDialogFromThePreferencesMenuKeepsItsVersionRules) {
  FrameFixture f;
  ScopedMemoryProfile profile;
  DialogScript script;
  script.Run([](wxDialog& d) {
    // As stored: GIF89a, personal signature, "Edit..." on.
    EXPECT_TRUE(Selected(d, kGif89a));
    EXPECT_TRUE(Selected(d, kSignature));
    EXPECT_TRUE(Enabled(d, kEditSignature));
    EXPECT_TRUE(Control<wxCheckBox>(d, kColorConversion)->GetValue());
    // GIF87a holds no comments.
    Choose(d, kGif87a);
    EXPECT_TRUE(Selected(d, kNoComment));
    EXPECT_FALSE(Enabled(d, kKeepComments));
    EXPECT_FALSE(Enabled(d, kSignature));
    EXPECT_FALSE(Enabled(d, kEditSignature));
    // Back to GIF89a: the choices come back, "No comment" stays.
    Choose(d, kGif89a);
    EXPECT_TRUE(Enabled(d, kKeepComments));
    EXPECT_TRUE(Enabled(d, kSignature));
    EXPECT_TRUE(Selected(d, kNoComment));
    EXPECT_FALSE(Enabled(d, kEditSignature));
    Choose(d, kSignature);
    EXPECT_TRUE(Enabled(d, kEditSignature));
    ClickButton(d.FindWindow(kEditSignature));  // the "Personal Signature..." command
    Choose(d, kKeepComments);
    EXPECT_FALSE(Enabled(d, kEditSignature));
    Check(d, kInterlace, true);
    Check(d, kSingleImage, true);
    Check(d, kUseDefault, true);
    ClickButton(d.FindWindow(wxID_OK));
  });
  // "Edit..." sends the program's "Personal Signature..." command.
  int signatureCommands = 0;
  wxEvtHandler catcher;
  catcher.Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++signatureCommands; }, ID_PERSONAL_SIGNATURE);
  f.frame->PushEventHandler(&catcher);
  wxCommandEvent command(wxEVT_MENU, ID_OPTIONS_GIF);
  f.frame->ProcessWindowEvent(command);
  f.frame->PopEventHandler();
  EXPECT_EQ(signatureCommands, 1);
  EXPECT_EQ(script.titles(), std::vector<std::string>{"GIF Export Options"});
  EXPECT_EQ(GetProfileInt("GIF export", "Sub type", -1), 1);
  EXPECT_EQ(GetProfileInt("GIF export", "Comment Option", -1), 1);
  EXPECT_EQ(GetProfileInt("GIF export", "Interlace", -1), 1);
  EXPECT_EQ(GetProfileInt("GIF export", "Save Single Image", -1), 1);
  EXPECT_EQ(GetProfileInt("GIF export", "Color Conversion", -1), 1);
  EXPECT_EQ(GetProfileInt("GIF export", "Use Default", -1), 1);
}

TEST(ExportOptions, GifDialogStartingAt87aShowsNoComment) {
  FrameFixture f;
  ScopedMemoryProfile profile;
  WriteProfileInt("GIF export", "Sub type", 0);
  WriteProfileInt("GIF export", "Comment Option", 2);
  DialogScript script;
  script.Run([](wxDialog& d) {
    EXPECT_TRUE(Selected(d, kGif87a));
    EXPECT_TRUE(Selected(d, kNoComment));
    EXPECT_FALSE(Enabled(d, kSignature));
    ClickButton(d.FindWindow(wxID_CANCEL));
  });
  EXPECT_FALSE(GetGifSaveOptions(nullptr, true));
  // Cancel stores nothing.
  EXPECT_EQ(GetProfileInt("GIF export", "Comment Option", -1), 2);
  EXPECT_EQ(GetProfileInt("GIF export", "Use Default", -1), -1);
}

TEST(ExportOptions, JpegDialogWithoutAnImageRefusesAQualityOf150) {
  FrameFixture f;
  ScopedMemoryProfile profile;
  WriteProfileInt("JPEG export", "Quality", 300);  // clamped to 100
  DialogScript script;
  script.Run([&script](wxDialog& d) {
    EXPECT_EQ(Control<wxSlider>(d, kQualitySlider)->GetValue(), 100);
    EXPECT_EQ(Control<wxTextCtrl>(d, kQualityEdit)->GetValue(), "100");
    EXPECT_EQ(Text(d, kFileSize), "File size:");
    EXPECT_EQ(Text(d, kDownloadTime), "");
    MoveSlider(d, 60);
    EXPECT_EQ(Control<wxTextCtrl>(d, kQualityEdit)->GetValue(), "60");
    script.Answer(wxID_OK);  // the warning box
    Control<wxTextCtrl>(d, kQualityEdit)->SetValue("150");
    EXPECT_EQ(Control<wxSlider>(d, kQualitySlider)->GetValue(), 60);
    long from = 0, to = 0;
    Control<wxTextCtrl>(d, kQualityEdit)->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 3);
    Control<wxTextCtrl>(d, kQualityEdit)->SetValue("35");
    EXPECT_EQ(Control<wxSlider>(d, kQualitySlider)->GetValue(), 35);
    ClickButton(d.FindWindow(wxID_OK));
  });
  wxCommandEvent command(wxEVT_MENU, ID_OPTIONS_JPEG);
  f.frame->ProcessWindowEvent(command);
  ASSERT_EQ(script.messages().size(), 1u);
  EXPECT_EQ(script.messages()[0], "Please enter a quality number between 0 and 100.");
  EXPECT_EQ(script.titles(), (std::vector<std::string>{"JPEG", "Warning"}));
  EXPECT_EQ(GetProfileInt("JPEG export", "Quality", -1), 35);
  EXPECT_EQ(g_jpegExportValues.nQuality, 35);
}

TEST(ExportOptions, JpegPreviewShrinksWithQualityAndGivesItsSize) {
  FrameFixture f;
  ScopedMemoryProfile profile;
  const CRasterImage image = testing_support::MakeTestPicture(160, 120);
  std::vector<int> sizes;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    auto& dlg = dynamic_cast<CJpegOptionsDlg&>(d);
    EXPECT_FALSE(dlg.IsBlinking());
    ASSERT_FALSE(dlg.GetPreviewImage().IsEmpty());
    EXPECT_EQ(dlg.GetPreviewImage().GetWidth(), 160);
    EXPECT_EQ(dlg.GetPreviewImage().GetHeight(), 120);
    // The preview is the decoded file: close to the picture, not equal.
    EXPECT_GT(testing_support::Psnr(dlg.GetPreviewImage(), image), 25.0);
    for (int quality : {95, 75, 50, 20, 5}) {
      MoveSlider(d, quality);
      sizes.push_back(dlg.GetPreviewBytes());
      EXPECT_EQ(Text(d, kFileSize), CJpegOptionsDlg::FileSizeText(dlg.GetPreviewBytes()));
      EXPECT_EQ(Text(d, kDownloadTime), CJpegOptionsDlg::DownloadTimeText(dlg.GetPreviewBytes()));
    }
    const int plain = dlg.GetPreviewBytes();
    Check(d, kProgressive, true);
    EXPECT_NE(dlg.GetPreviewBytes(), plain);
    ClickButton(d.FindWindow(wxID_OK));
  });
  JPEG_SAVE_OPTIONS options;
  ASSERT_TRUE(GetJpegSaveOptions(&options, &image, false));
  ASSERT_EQ(sizes.size(), 5u);
  for (size_t i = 1; i < sizes.size(); ++i) EXPECT_LT(sizes[i], sizes[i - 1]) << "step " << i;
  EXPECT_EQ(options.nQuality, 5);
  EXPECT_EQ(options.nProgressive, 1);
}

TEST(ExportOptions, DownloadTimeTexts) {
  struct Case {
    int bytes;
    const char* size;
    const char* time;
  } cases[] = {{0, "File size: 0 bytes", "0 sec at 28800 bps"},
               {1, "File size: 1 bytes", "1 sec at 28800 bps"},
               {3600, "File size: 3600 bytes", "1 sec at 28800 bps"},
               {3601, "File size: 3601 bytes", "2 sec at 28800 bps"},
               {2147483647, "File size: 2147483647 bytes", "596524 sec at 28800 bps"}};
  for (const Case& c : cases) {
    EXPECT_EQ(CJpegOptionsDlg::FileSizeText(c.bytes), c.size);
    EXPECT_EQ(CJpegOptionsDlg::DownloadTimeText(c.bytes), c.time);
  }
}

TEST(ExportOptions, IndexedImageWithoutConversionBlinksAndShowsNothing) {
  FrameFixture f;
  ScopedMemoryProfile profile;
  CRasterImage indexed;
  ASSERT_TRUE(indexed.Create(40, 30, 8));
  ASSERT_EQ(indexed.GetPaletteSize(), 256);
  BuildPalette256(indexed.GetWritablePalette());
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) indexed.GetWritableBits()[y * indexed.GetStride() + x] = static_cast<uint8_t>(x * 6 + y);
  DialogScript script;
  script.Run([](wxDialog& d) {
    auto& dlg = dynamic_cast<CJpegOptionsDlg&>(d);
    EXPECT_TRUE(dlg.IsBlinking());
    EXPECT_TRUE(dlg.GetPreviewImage().IsEmpty());
    EXPECT_EQ(Text(d, kFileSize), "File size:");
    EXPECT_EQ(Text(d, kWarningText), "Change color mode!");
    // It blinks: the warning shows and hides by itself.
    wxWindow* warning = d.FindWindow(kWarningText);
    const bool first = warning->IsShown();
    EXPECT_TRUE(PumpUntil([&] { return warning->IsShown() != first; }, 2000));
    Check(d, kColorConversion, true);
    EXPECT_FALSE(dlg.IsBlinking());
    EXPECT_FALSE(warning->IsShown());
    EXPECT_FALSE(dlg.GetPreviewImage().IsEmpty());
    EXPECT_NE(Text(d, kFileSize), "File size:");
    Check(d, kColorConversion, false);
    EXPECT_TRUE(dlg.IsBlinking());
    EXPECT_TRUE(dlg.GetPreviewImage().IsEmpty());
    ClickButton(d.FindWindow(wxID_CANCEL));
  });
  EXPECT_FALSE(GetJpegSaveOptions(nullptr, &indexed, false));
}

}  // namespace
