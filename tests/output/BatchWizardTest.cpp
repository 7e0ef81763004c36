// The batch windows driven as a user drives them: the five script pages with
// their rules, the wizard window's commands, and a run with its progress
// dialog, Cancel and result box.

#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/wizard.h>

#include <cstdlib>

#include "formats/ImageFile.h"
#include "base/Profile.h"
#include "imaging/Rotate.h"
#include "output/BatchScriptPages.h"
#include "output/BatchWizard.h"
#include "output/core/ImageConverter.h"
#include "shell/EventPump.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

using testing_support::DialogScript;

void Click(wxWindow* button) {
  wxCommandEvent event(wxEVT_BUTTON, button->GetId());
  event.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(event);
}

void Choose(wxChoice* choice, int selection) {
  choice->SetSelection(selection);
  wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
  event.SetEventObject(choice);
  event.SetInt(selection);
  choice->GetEventHandler()->ProcessEvent(event);
}

void Pick(wxWindow* radio) {
  static_cast<wxRadioButton*>(radio)->SetValue(true);
  wxCommandEvent event(wxEVT_RADIOBUTTON, radio->GetId());
  event.SetEventObject(radio);
  event.SetInt(1);
  radio->GetEventHandler()->ProcessEvent(event);
}

wxWindow* Next(wxWizard* wizard) { return wizard->FindWindow(wxID_FORWARD); }

// Runs the wizard modally; `drive` runs inside its modal loop (Finish ends
// it, else it is cancelled afterwards). `boxes` message boxes are expected
// meanwhile and answered OK. Returns what RunModal returned.
bool DriveWizard(DialogScript& dialogs, CBatchScript& script, std::function<void(CBatchScriptWizard&)> drive,
                 int boxes = 0) {
  CBatchScriptWizard wizard(nullptr, &script);
  bool driven = false;
  dialogs.Run([&](wxDialog& dialog) {
    driven = true;
    drive(static_cast<CBatchScriptWizard&>(dialog));
    if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
  });
  for (int i = 0; i < boxes; ++i) dialogs.Answer(wxID_OK);
  const bool finished = wizard.RunModal();
  EXPECT_TRUE(driven);
  return finished;
}

std::vector<std::pair<std::string, std::string>> Rows(wxListCtrl* list) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (long i = 0; i < list->GetItemCount(); ++i)
    rows.emplace_back(list->GetItemText(i, 0).utf8_string(), list->GetItemText(i, 1).utf8_string());
  return rows;
}

// The picture of the X server under a window (ImageMagick's import).
void SaveScreenshot(wxWindow* window, const std::string& name) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir || !testing_support::HaveTool("import")) return;
  window->Refresh();
  window->Update();
  PumpFor(300);
  const wxRect r = window->GetScreenRect();
  const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                           std::to_string(r.y);
  testing_support::RunCommand("import -window root -crop " + crop + " " +
                              testing_support::ShellQuote(std::string(dir) + "/" + name));
}

TEST(BatchPages, ColorModeRulesByFormat) {
  struct {
    int format, mode, expected;
    bool enabled[5];
  } cases[] = {
      {7, 0, CM_RGB, {false, false, false, false, true}},   {7, 2, CM_RGB, {false, false, false, false, true}},
      {3, 0, CM_INDEXED, {false, true, true, true, false}}, {3, 4, CM_INDEXED, {false, true, true, true, false}},
      {3, 1, CM_BITMAP, {false, true, true, true, false}},  {3, 3, CM_GRAYSCALE, {false, true, true, true, false}},
      {8, 4, CM_RGB, {true, true, true, true, true}},       {0, 0, CM_KEEP, {true, true, true, true, true}},
  };
  for (auto c : cases) {
    const ColorModeRules rules = ColorModeRulesForFormat(c.format, c.mode);
    EXPECT_EQ(rules.mode, c.expected) << c.format << " " << c.mode;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rules.enabled[i], c.enabled[i]) << c.format << " button " << i;
  }
}

TEST(BatchPages, JpegForcesRgbAndTheSummarySaysSo) {
  DialogScript dialogs;
  CBatchScript script;
  script.m_nColorMode = CM_GRAYSCALE;
  std::vector<std::pair<std::string, std::string>> summary;
  const bool finished = DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
    Choose(w.m_formatPage->m_format, 7);
    EXPECT_TRUE(w.m_formatPage->m_jpeg->IsShown());
    EXPECT_FALSE(w.m_formatPage->m_gif->IsShown());
    SaveScreenshot(&w, "batch-wizard-format-page.png");
    Click(Next(&w));
    ASSERT_EQ(w.GetCurrentPage(), w.m_colorPage);
    EXPECT_TRUE(static_cast<wxRadioButton*>(w.m_colorPage->FindWindow(IDC_MODE_RGB))->GetValue());
    for (int id : {IDC_MODE_KEEP, IDC_MODE_BITMAP, IDC_MODE_INDEXED, IDC_MODE_GRAY})
      EXPECT_FALSE(w.m_colorPage->FindWindow(id)->IsEnabled()) << id;
    EXPECT_TRUE(w.m_colorPage->FindWindow(IDC_MODE_RGB)->IsEnabled());
    Click(Next(&w));
    Click(Next(&w));
    Click(Next(&w));
    ASSERT_EQ(w.GetCurrentPage(), w.m_namePage);
    summary = Rows(w.m_namePage->m_summary);
    static_cast<wxTextCtrl*>(w.m_namePage->FindWindow(IDC_SCRIPT_NAME))->SetValue("Photos");
    SaveScreenshot(&w, "batch-wizard-name-page.png");
    Click(Next(&w));  // Finish
  });
  EXPECT_TRUE(finished);
  EXPECT_EQ(script.m_nColorMode, CM_RGB);
  EXPECT_EQ(script.m_strName, "Photos");
  ASSERT_GE(summary.size(), 5u);
  EXPECT_EQ(summary[0], std::make_pair(std::string("Format"), std::string("JPEG (*.JPG)")));
  EXPECT_EQ(summary[4], std::make_pair(std::string("Color Mode"), std::string("RGB Full Color")));
}

TEST(BatchPages, GifTurnsKeepAndRgbIntoIndexed) {
  DialogScript dialogs;
  for (int mode : {CM_KEEP, CM_RGB}) {
    CBatchScript script;
    script.m_nColorMode = mode;
    DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
      Choose(w.m_formatPage->m_format, 3);
      Click(Next(&w));
      EXPECT_TRUE(static_cast<wxRadioButton*>(w.m_colorPage->FindWindow(IDC_MODE_INDEXED))->GetValue());
      EXPECT_FALSE(w.m_colorPage->FindWindow(IDC_MODE_KEEP)->IsEnabled());
      EXPECT_FALSE(w.m_colorPage->FindWindow(IDC_MODE_RGB)->IsEnabled());
      EXPECT_TRUE(w.m_colorPage->FindWindow(IDC_MODE_GRAY)->IsEnabled());
      EXPECT_TRUE(w.m_colorPage->FindWindow(IDC_PALETTE_TYPE)->IsEnabled());
    });
    EXPECT_EQ(script.m_nColorMode, CM_INDEXED) << mode;
  }
}

TEST(BatchPages, Gif87aDropsTheCommentForGood) {
  DialogScript dialogs;
  CBatchScript script;
  script.m_nCommentOption = 2;
  script.m_nGifSubType = 1;
  DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
    Choose(w.m_formatPage->m_format, 3);
    wxWindow* gif = w.m_formatPage->m_gif;
    EXPECT_TRUE(gif->FindWindow(IDC_EDIT_SIGNATURE)->IsEnabled());
    Pick(gif->FindWindow(IDC_GIF87A));
    EXPECT_EQ(script.m_nGifSubType, 0);
    EXPECT_EQ(script.m_nCommentOption, 0);
    EXPECT_TRUE(static_cast<wxRadioButton*>(gif->FindWindow(IDC_NO_COMMENT))->GetValue());
    for (int id : {IDC_KEEP_COMMENT, IDC_SIGNATURE_COMMENT, IDC_EDIT_SIGNATURE})
      EXPECT_FALSE(gif->FindWindow(id)->IsEnabled()) << id;
    // A later change to JPEG keeps "No comment".
    Choose(w.m_formatPage->m_format, 7);
    EXPECT_TRUE(static_cast<wxRadioButton*>(w.m_formatPage->m_jpeg->FindWindow(IDC_NO_COMMENT))->GetValue());
    Click(Next(&w));
  });
  EXPECT_EQ(script.m_nCommentOption, 0);
  EXPECT_EQ(script.m_nFormat, 7);
}

TEST(BatchPages, Quality150WarnsAndKeepsTheValue) {
  DialogScript dialogs;
  CBatchScript script;
  script.m_nJpegQuality = 80;
  DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
    Choose(w.m_formatPage->m_format, 7);
    wxWindow* jpeg = w.m_formatPage->m_jpeg;
    auto* slider = static_cast<wxSlider*>(jpeg->FindWindow(IDC_JPEG_SLIDER));
    auto* edit = static_cast<wxTextCtrl*>(jpeg->FindWindow(IDC_JPEG_QUALITY));
    EXPECT_EQ(slider->GetValue(), 80);
    edit->SetValue("150");
    EXPECT_EQ(slider->GetValue(), 80);
    EXPECT_EQ(script.m_nJpegQuality, 80);
    edit->SetValue("35");
    EXPECT_EQ(slider->GetValue(), 35);
    EXPECT_EQ(script.m_nJpegQuality, 35);
  }, 1);
  ASSERT_EQ(dialogs.messages().size(), 1u);
  EXPECT_EQ(dialogs.messages()[0], "Please enter a quality number between 0 and 100.");
  EXPECT_EQ(dialogs.titles().back(), "Warning");
}

TEST(BatchPages, AnEmptyNameKeepsFinishOff) {
  DialogScript dialogs;
  CBatchScript script;
  const bool finished = DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
    for (int i = 0; i < 4; ++i) Click(Next(&w));
    ASSERT_EQ(w.GetCurrentPage(), w.m_namePage);
    PumpFor(50);
    auto* name = static_cast<wxTextCtrl*>(w.m_namePage->FindWindow(IDC_SCRIPT_NAME));
    EXPECT_TRUE(name->IsEmpty());
    EXPECT_FALSE(Next(&w)->IsEnabled());
    name->SetValue("x");
    EXPECT_TRUE(Next(&w)->IsEnabled());
    name->SetValue("");
    EXPECT_FALSE(Next(&w)->IsEnabled());
    // The summary of an empty title reads "Original File Name".
    bool found = false;
    for (const auto& row : Rows(w.m_namePage->m_summary))
      if (row.first == "Output File Name") found = row.second == "Original File Name";
    EXPECT_TRUE(found);
  });
  EXPECT_FALSE(finished);
}

TEST(BatchPages, BadValuesKeepThePage) {
  DialogScript dialogs;
  CBatchScript script;
  DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
    Click(Next(&w));
    Pick(w.m_colorPage->FindWindow(IDC_MODE_INDEXED));
    Choose(static_cast<wxChoice*>(w.m_colorPage->FindWindow(IDC_PALETTE_TYPE)), PAL_ADAPTIVE);
    static_cast<wxTextCtrl*>(w.m_colorPage->FindWindow(IDC_COLORS))->SetValue("300");
    Click(Next(&w));
    EXPECT_EQ(w.GetCurrentPage(), w.m_colorPage);
    static_cast<wxTextCtrl*>(w.m_colorPage->FindWindow(IDC_COLORS))->SetValue("64");
    Click(Next(&w));
    ASSERT_EQ(w.GetCurrentPage(), w.m_resizePage);
    Choose(static_cast<wxChoice*>(w.m_resizePage->FindWindow(IDC_RESIZE_METHOD)), BATCH_RESIZE_MAX_WIDTH);
    wxString explanation = static_cast<wxStaticText*>(w.m_resizePage->FindWindow(IDC_RESIZE_TEXT))->GetLabel();
    explanation.Replace("\n", " ");  // wrapped to the page's width
    EXPECT_EQ(explanation.utf8_string(),
              "Images that have width larger than the specified value will be resized down to have the specified "
              "width");
    static_cast<wxTextCtrl*>(w.m_resizePage->FindWindow(IDC_RESIZE_VALUE))->SetValue("-5");
    Click(Next(&w));
    EXPECT_EQ(w.GetCurrentPage(), w.m_resizePage);
    static_cast<wxTextCtrl*>(w.m_resizePage->FindWindow(IDC_RESIZE_VALUE))->SetValue("800");
    Click(Next(&w));
    ASSERT_EQ(w.GetCurrentPage(), w.m_fileNamePage);
    auto* title = static_cast<wxTextCtrl*>(w.m_fileNamePage->FindWindow(IDC_FILE_TITLE));
    title->SetValue("Trip");
    Choose(static_cast<wxChoice*>(w.m_fileNamePage->FindWindow(IDC_DIGITS)), 2);
    EXPECT_EQ(static_cast<wxStaticText*>(w.m_fileNamePage->FindWindow(IDC_EXAMPLE))->GetLabel().utf8_string(),
              "Trip001");
    title->SetValue("../Trip");
    Click(Next(&w));
    EXPECT_EQ(w.GetCurrentPage(), w.m_fileNamePage);
    title->SetValue("Trip");
    Click(Next(&w));
    EXPECT_EQ(w.GetCurrentPage(), w.m_namePage);
  }, 3);
  ASSERT_EQ(dialogs.messages().size(), 3u);
  EXPECT_EQ(dialogs.messages()[0], "Please enter an integer between 2 and 256.");
  EXPECT_EQ(dialogs.messages()[1], "Please enter a positive integer.");
  EXPECT_EQ(script.m_nColors, 64);
  EXPECT_EQ(script.m_nMaxWidth, 800);
  EXPECT_EQ(script.m_nFixedWidth, 640);  // the other methods' values stay
  EXPECT_EQ(script.m_strFilePrefix, "Trip");
  EXPECT_EQ(script.m_nDigits, 3);
}

TEST(BatchPages, TheSamplePictureTurnsWithTheRotation) {
  DialogScript dialogs;
  CBatchScript script;
  DriveWizard(dialogs, script, [&](CBatchScriptWizard& w) {
    Click(Next(&w));
    Click(Next(&w));
    ASSERT_EQ(w.GetCurrentPage(), w.m_resizePage);
    const CRasterImage sample = MakeBatchSamplePicture();
    auto* rotation = static_cast<wxChoice*>(w.m_resizePage->FindWindow(IDC_ROTATION));
    EXPECT_EQ(testing_support::CompareRgb(w.m_resizePage->m_preview->GetImage(), sample), "");
    for (int option = 1; option <= 3; ++option) {
      Choose(rotation, option);
      const CRasterImage& shown = w.m_resizePage->m_preview->GetImage();
      EXPECT_EQ(testing_support::CompareRgb(shown, RotateImage(sample, 90 * option)), "") << option;
    }
    Choose(rotation, 1);
    // What the screen shows: the turned house (its roof points right) in the preview.
    PumpFor(100);
    wxClientDC dc(w.m_resizePage->m_preview);
    const wxSize size = w.m_resizePage->m_preview->GetClientSize();
    wxBitmap shot(size.x, size.y);
    wxMemoryDC memory(shot);
    memory.Blit(0, 0, size.x, size.y, &dc, 0, 0);
    memory.SelectObject(wxNullBitmap);
    const wxImage image = shot.ConvertToImage();
    // The sun sits top-left in the picture; turned clockwise it is top-right.
    const int left = (size.x - 64) / 2, top = (size.y - 96) / 2;
    EXPECT_EQ(image.GetRed(left + 64 - 14, top + 16), 255);
    EXPECT_EQ(image.GetGreen(left + 64 - 14, top + 16), 210);
    SaveScreenshot(&w, "batch-wizard-resize-page.png");
  });
  EXPECT_EQ(script.m_nRotateOption, 0);  // Cancel stores nothing
}

// ---------------------------------------------------------------------------
// The wizard window and a run.

struct WizardFixture {
  WizardFixture() { InstallProfileStore(nullptr); }
  ~WizardFixture() { InstallProfileStore(nullptr); }
};

TEST(BatchWizardWindow, CommandsKeepListAndButtonsInStep) {
  WizardFixture fixture;
  CBatchWizard wizard(nullptr, BatchSelection{{"/tmp/a.png"}, {}, {}});
  EXPECT_EQ(wizard.m_list->GetCount(), 0u);
  for (int id : {IDC_SCRIPT_COPY, IDC_SCRIPT_EDIT, IDC_SCRIPT_RENAME, IDC_SCRIPT_DELETE, IDC_SCRIPT_RUN})
    EXPECT_FALSE(wizard.FindWindow(id)->IsEnabled()) << id;
  DialogScript dialogs;
  // New...: the five pages, as a user goes through them.
  dialogs.Run([](wxDialog& dialog) {
    auto& w = static_cast<CBatchScriptWizard&>(dialog);
    Click(Next(&w));
    Click(Next(&w));
    Choose(static_cast<wxChoice*>(w.m_resizePage->FindWindow(IDC_RESIZE_METHOD)), BATCH_RESIZE_MAX_WIDTH);
    static_cast<wxTextCtrl*>(w.m_resizePage->FindWindow(IDC_RESIZE_VALUE))->SetValue("160");
    Click(Next(&w));
    Click(Next(&w));
    static_cast<wxTextCtrl*>(w.m_namePage->FindWindow(IDC_SCRIPT_NAME))->SetValue("Thumbs");
    Click(Next(&w));  // Finish
  });
  Click(wizard.FindWindow(IDC_SCRIPT_NEW));
  ASSERT_EQ(wizard.m_list->GetCount(), 1u);
  EXPECT_EQ(wizard.m_list->GetStringSelection(), "Thumbs");
  EXPECT_TRUE(wizard.FindWindow(IDC_SCRIPT_RUN)->IsEnabled());
  EXPECT_EQ(Rows(wizard.m_summary)[2].second, "Limiting Maximum Width (160)");

  Click(wizard.FindWindow(IDC_SCRIPT_COPY));
  EXPECT_EQ(wizard.m_list->GetStringSelection(), "Copy of Thumbs");
  // Rename...: a name that would reach another section is refused and the
  // dialog stays; then a good one.
  dialogs.Run([](wxDialog& dialog) {
    auto* edit = static_cast<wxTextCtrl*>(dialog.FindWindow(IDC_RENAME_EDIT));
    EXPECT_EQ(edit->GetValue(), "Copy of Thumbs");
    edit->SetValue("..");
    Click(dialog.FindWindow(wxID_OK));
    EXPECT_TRUE(dialog.IsModal());
    edit->SetValue("Small");
    Click(dialog.FindWindow(wxID_OK));
  });
  dialogs.Answer(wxID_OK);
  Click(wizard.FindWindow(IDC_SCRIPT_RENAME));
  EXPECT_EQ(wizard.m_list->GetStringSelection(), "Small");
  EXPECT_EQ(ListBatchScripts(), (std::vector<std::string>{"Small", "Thumbs"}));

  Click(wizard.FindWindow(IDC_SCRIPT_DELETE));
  EXPECT_EQ(wizard.m_list->GetStringSelection(), "Thumbs");
  Click(wizard.FindWindow(IDC_SCRIPT_DELETE));
  EXPECT_EQ(wizard.m_list->GetSelection(), wxNOT_FOUND);
  for (int id : {IDC_SCRIPT_COPY, IDC_SCRIPT_EDIT, IDC_SCRIPT_RENAME, IDC_SCRIPT_DELETE, IDC_SCRIPT_RUN})
    EXPECT_FALSE(wizard.FindWindow(id)->IsEnabled()) << id;
  EXPECT_TRUE(ListBatchScripts().empty());
  EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Batch Processing Wizard", "Rename Batch Script",
                                                        "Rename Batch Script"}));
}

void WritePng(const fs::path& path, int width, int height) {
  CImageFileRequest request;
  request.m_strFileName = path.string();
  CAnimFrame frame;
  frame.m_image = testing_support::MakeTestPicture(width, height);
  request.m_frames = {frame};
  request.m_nWidth = static_cast<int16_t>(width);
  request.m_nHeight = static_cast<int16_t>(height);
  ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
}

TEST(BatchWizardWindow, ARunOverASelectionWithOneUnreadableFile) {
  WizardFixture fixture;
  DialogScript dialogs;
  TempDir dir;
  WritePng(dir / "a.png", 120, 80);
  testing_support::WriteFileBytes(dir / "b.png", {'n', 'o', 'p', 'e'});
  WritePng(dir / "c.png", 80, 120);
  CBatchScript script;
  script.m_strName = "Small";
  script.m_nResizeMethod = BATCH_RESIZE_SCALE;
  script.m_nScale = 50;
  script.m_strFilePrefix = "small";
  ASSERT_TRUE(script.Save());
  int before = 0, reloads = 0;
  bool progressShown = false;
  CBatchWizard wizard(nullptr, BatchSelection{{(dir / "a.png").string(), (dir / "b.png").string(),
                                               (dir / "c.png").string()},
                                              [&] { ++before; },
                                              [&] { ++reloads; }});
  wizard.m_beforeProgress = [&](CBatchProgressDialog& progress) {
    progress.m_onFileStarted = [&](int) { progressShown = progress.IsShown(); };
  };
  dialogs.Run([](wxDialog&) {});  // the progress dialog ends by itself
  dialogs.Answer(wxID_OK);        // the result box
  Click(wizard.FindWindow(IDC_SCRIPT_RUN));
  EXPECT_TRUE(progressShown);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Batch Progress", "Batch Processing Results"}));
  ASSERT_EQ(dialogs.messages().size(), 1u);
  EXPECT_EQ(dialogs.messages()[0],
            "Results of running batch script: Small\n\n3 file(s) processed\n2 file(s) completed\n1 file(s) failed");
  EXPECT_TRUE(fs::exists(dir / "small1.png"));
  EXPECT_FALSE(fs::exists(dir / "small2.png"));
  EXPECT_TRUE(fs::exists(dir / "small3.png"));
  EXPECT_EQ(g_pBatchProgressDlg, nullptr);
}

TEST(BatchWizardWindow, CancelInTheProgressDialogStopsAfterTheCurrentFile) {
  WizardFixture fixture;
  DialogScript dialogs;
  CEventPump pump;
  pump.Install();
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i) {
    WritePng(dir / ("p" + std::to_string(i) + ".png"), 600, 400);
    files.push_back((dir / ("p" + std::to_string(i) + ".png")).string());
  }
  CBatchScript script;
  script.m_strName = "Gray";
  script.m_nColorMode = CM_GRAYSCALE;
  script.m_nFormat = 1;
  ASSERT_TRUE(script.Save());
  int reloads = 0;
  CBatchWizard wizard(nullptr, BatchSelection{files, {}, [&] { ++reloads; }});
  wizard.m_beforeProgress = [&](CBatchProgressDialog& progress) {
    progress.SetWorkerCount(1);
    progress.m_onFileStarted = [&progress](int k) {
      if (k != 1) return;
      SaveScreenshot(&progress, "batch-progress.png");
      // The user clicks Cancel: the click waits in the queue until the
      // conversion next asks whether to stop.
      wxWindow* cancel = progress.FindWindow(wxID_CANCEL);
      wxCommandEvent* click = new wxCommandEvent(wxEVT_BUTTON, wxID_CANCEL);
      click->SetEventObject(cancel);
      cancel->GetEventHandler()->QueueEvent(click);
    };
  };
  dialogs.Run([](wxDialog&) {});
  dialogs.Answer(wxID_OK);
  Click(wizard.FindWindow(IDC_SCRIPT_RUN));
  EXPECT_EQ(reloads, 1);
  ASSERT_EQ(dialogs.messages().size(), 1u);
  EXPECT_EQ(dialogs.messages()[0],
            "Results of running batch script: Gray\n\n2 file(s) processed\n1 file(s) completed\n1 file(s) failed");
  EXPECT_TRUE(fs::exists(dir / "p0.bmp"));
  EXPECT_FALSE(fs::exists(dir / "p1.bmp"));
  EXPECT_FALSE(fs::exists(dir / "p2.bmp"));
}

TEST(BatchWizardWindow, Screenshot) {
  WizardFixture fixture;
  CBatchScript script = {};
  script.m_strName = "Web pictures";
  script.m_nFormat = 7;
  script.m_nJpegQuality = 85;
  script.m_nColorMode = CM_RGB;
  script.m_nResizeMethod = BATCH_RESIZE_MAX_WIDTH;
  script.m_strFilePrefix = "web";
  script.m_nDigits = 3;
  script.Save();
  CBatchWizard wizard(nullptr, BatchSelection{{"/tmp/a.png"}, {}, {}});
  wizard.Show();
  PumpFor(200);
  EXPECT_EQ(Rows(wizard.m_summary).size(), 10u);
  SaveScreenshot(&wizard, "batch-wizard.png");
}

}  // namespace
