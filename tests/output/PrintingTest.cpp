// Printing: the printout of a picture, of an animation's frames and of a
// contact sheet printed to a PDF file and looked at with pdftoppm and
// pdftotext; File Print from the menu; the print preview with its rulers,
// page label and the Print page's panes driven like a user would.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/OrganizeHooks.h"
#include "base/Profile.h"
#include "browser/OrganizeBrowserView.h"
#include "output/PrintPages.h"
#include "output/PrintPreview.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/RulerBar.h"
#include "shell/StandInViews.h"
#include "shell/TaskPanePages.h"
#include "tests/browser/BrowserViewTestSupport.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/PrintToPdf.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

namespace fs = std::filesystem;
using editor_testing::MakeFrame;
using editor_testing::SolidImage;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

constexpr int kLetterW = 612, kLetterH = 792;  // points: pixels at 72 per inch

// The page rasterised at 72 dpi (one pixel a point).
CRasterImage Rasterise(const std::string& pdf, const TempDir& dir, int page = 1) {
  const std::string base = (dir / ("page" + std::to_string(page))).string();
  EXPECT_EQ(RunCommand("pdftoppm -r 72 -f " + std::to_string(page) + " -l " + std::to_string(page) +
                       " -singlefile -png " + ShellQuote(pdf) + " " + ShellQuote(base)),
            0);
  EXPECT_EQ(RunCommand("convert " + ShellQuote(base + ".png") + " -alpha off " + ShellQuote(base + ".pam")), 0);
  return testing_support::ReadPnm(base + ".pam");
}

struct Box {
  int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;  // inclusive-exclusive
  bool Empty() const { return right < 0; }
};

// Where the pixels near the colour are (within tolerance per channel).
Box FindColour(const CRasterImage& page, int r, int g, int b, int tolerance = 40) {
  Box box;
  for (int y = 0; y < page.GetHeight(); ++y) {
    const uint8_t* row = page.GetRow(y);
    for (int x = 0; x < page.GetWidth(); ++x) {
      const uint8_t* p = row + 3 * x;
      if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    }
  }
  return box;
}

struct Word {
  std::string text;
  double xMin, yMin, xMax, yMax;
};

// The words of page 1 with their boxes (pdftotext -bbox).
std::vector<Word> PdfWords(const std::string& pdf, const TempDir& dir) {
  const std::string html = (dir / "words.html").string();
  EXPECT_EQ(RunCommand("pdftotext -bbox " + ShellQuote(pdf) + " " + ShellQuote(html)), 0);
  std::ifstream in(html);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Word> words;
  const std::regex pattern(
      "<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
    words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
  return words;
}

const Word* FindWord(const std::vector<Word>& words, const std::string& text) {
  for (const Word& w : words)
    if (w.text == text) return &w;
  return nullptr;
}

#define REQUIRE_PDF_TOOLS()                                                       \
  REQUIRE_TOOL("pdftoppm");                                                       \
  REQUIRE_TOOL("pdftotext");                                                      \
  REQUIRE_TOOL("convert");                                                        \
  if (!print_test::Cairo().ok) GTEST_SKIP() << "cairo PDF surface not available"

// --- the printout to PDF ---------------------------------------------------------------

TEST(PrintToPdf, PictureAndCaptionWhereTheLayoutPutsThem) {
  REQUIRE_PDF_TOOLS();
  CFixedUiTheme theme;
  std::vector<CAnimFrame> frames = {MakeFrame(SolidImage(200, 100, 200, 30, 30))};
  PRINT_SOURCE source;
  source.kind = PRINT_KIND_SINGLE;
  source.frames = &frames;
  source.canvasWidth = 200;
  source.canvasHeight = 100;
  source.settings.sizePreset = PRINT_SIZE_4X6;  // 288 x 432 points on a portrait page
  source.settings.crop = 0;                     // shrink: 288 x 144
  source.settings.horzAlign = 1;
  source.settings.vertAlign = 1;
  source.settings.printComments = 1;
  source.comment = "Harbour at dusk";
  TempDir dir;
  const std::string pdf = (dir / "picture.pdf").string();
  CPictoravellPrintout printout(source, "picture");
  ASSERT_TRUE(print_test::PrintToPdf(printout, pdf, kLetterW, kLetterH));
  EXPECT_EQ(printout.GetPages().GetPageCount(), 1);
  const CRasterImage page = Rasterise(pdf, dir);
  ASSERT_EQ(page.GetWidth(), kLetterW);
  const Box red = FindColour(page, 200, 30, 30);
  ASSERT_FALSE(red.Empty());
  // Centred across: (612 - 288) / 2.
  EXPECT_NEAR(red.left, 162, 1);
  EXPECT_NEAR(red.right, 450, 1);
  EXPECT_NEAR(red.bottom - red.top, 144, 1);
  // The caption right under the picture, centred on it; picture and caption
  // together centred down the page.
  const std::vector<Word> words = PdfWords(pdf, dir);
  const Word* harbour = FindWord(words, "Harbour");
  const Word* dusk = FindWord(words, "dusk");
  ASSERT_TRUE(harbour && dusk);
  EXPECT_GE(harbour->yMin, red.bottom - 1.0);
  EXPECT_LE(harbour->yMin, red.bottom + 8.0);
  EXPECT_NEAR((harbour->xMin + dusk->xMax) / 2, 306, 4);
  const double contentBottom = red.bottom + (harbour->yMax - harbour->yMin);
  EXPECT_NEAR((red.top + contentBottom) / 2, kLetterH / 2.0, 4);
  if (const char* keep = std::getenv("PICTORAVELL_KEEP_PRINT"))
    fs::copy_file(dir / "page1.png", std::string(keep) + "-picture.png", fs::copy_options::overwrite_existing);
}

TEST(PrintToPdf, CropTakesTheMiddleOfTheImage) {
  REQUIRE_PDF_TOOLS();
  // Left third blue, middle third green, right third red; cropped into a
  // 4 x 6 box at offset 50 only green shows.
  CRasterImage image = SolidImage(300, 100, 0, 200, 0);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
      if (x < 100) p[0] = 0, p[1] = 0, p[2] = 200;
      if (x >= 200) p[0] = 200, p[1] = 0, p[2] = 0;
    }
  std::vector<CAnimFrame> frames = {MakeFrame(image)};
  PRINT_SOURCE source;
  source.kind = PRINT_KIND_SINGLE;
  source.frames = &frames;
  source.canvasWidth = 300;
  source.canvasHeight = 100;
  source.settings.sizePreset = PRINT_SIZE_4X6;
  source.settings.crop = 1;
  source.settings.cropOffset = 50;
  TempDir dir;
  const std::string pdf = (dir / "crop.pdf").string();
  CPictoravellPrintout printout(source, "crop");
  ASSERT_TRUE(print_test::PrintToPdf(printout, pdf, kLetterW, kLetterH));
  const CRasterImage page = Rasterise(pdf, dir);
  const Box green = FindColour(page, 0, 200, 0);
  EXPECT_NEAR(green.left, 0, 1);
  EXPECT_NEAR(green.top, 0, 1);
  EXPECT_NEAR(green.right, 288, 1);
  EXPECT_NEAR(green.bottom, 432, 1);
  EXPECT_TRUE(FindColour(page, 0, 0, 200, 60).Empty());
  EXPECT_TRUE(FindColour(page, 200, 0, 0, 60).Empty());
}

TEST(PrintToPdf, FramesOfAnAnimationInTheirCells) {
  REQUIRE_PDF_TOOLS();
  const uint8_t colours[4][3] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}};
  std::vector<CAnimFrame> frames;
  for (const auto& c : colours) frames.push_back(MakeFrame(SolidImage(40, 20, c[0], c[1], c[2]), 0, 0, 2));
  PRINT_SOURCE source;
  source.kind = PRINT_KIND_MULTI;
  source.frames = &frames;
  source.canvasWidth = 40;
  source.canvasHeight = 20;
  TempDir dir;
  const std::string pdf = (dir / "frames.pdf").string();
  CPictoravellPrintout printout(source, "frames");
  ASSERT_TRUE(print_test::PrintToPdf(printout, pdf, kLetterW, kLetterH));
  const CPrintLayout& layout = printout.GetPages().GetLayout();
  ASSERT_EQ(layout.GetPageCount(), 1);
  const CRasterImage page = Rasterise(pdf, dir);
  const auto cells = layout.GetFramesPage(0);
  ASSERT_EQ(cells.size(), 4u);
  for (const PRINT_GRID_CELL& cell : cells) {
    const auto& c = colours[cell.item];
    const Box box = FindColour(page, c[0], c[1], c[2], 30);
    EXPECT_NEAR(box.left, cell.picture.left, 1) << cell.item;
    EXPECT_NEAR(box.top, cell.picture.top, 1) << cell.item;
    EXPECT_NEAR(box.right, cell.picture.right, 1) << cell.item;
    EXPECT_NEAR(box.bottom, cell.picture.bottom, 1) << cell.item;
  }
}

TEST(PrintToPdf, ContactSheetThumbnailsNamesAndFolders) {
  REQUIRE_PDF_TOOLS();
  CFixedUiTheme theme;
  PRINT_SOURCE source;
  source.kind = PRINT_KIND_CONTACT_SHEET;
  source.items = {{"/photos/trip/alpha.png", SolidImage(60, 40, 0, 0, 200)},
                  {"/photos/trip/beta.png", SolidImage(40, 60, 0, 200, 0)},
                  {"/archive/gamma.png", SolidImage(50, 50, 200, 0, 0)}};
  TempDir dir;
  const std::string pdf = (dir / "sheet.pdf").string();
  CPictoravellPrintout printout(source, "sheet");
  ASSERT_TRUE(print_test::PrintToPdf(printout, pdf, kLetterW, kLetterH));
  const CPrintPages& pages = printout.GetPages();
  ASSERT_EQ(pages.GetPageCount(), 1);
  const PRINT_CONTACT_PAGE geometry = pages.GetLayout().GetContactSheetPage(0, pages.GetTextHeight());
  ASSERT_EQ(geometry.cells.size(), 3u);
  const CRasterImage page = Rasterise(pdf, dir);
  const uint8_t colours[3][3] = {{0, 0, 200}, {0, 200, 0}, {200, 0, 0}};
  for (const PRINT_GRID_CELL& cell : geometry.cells) {
    const CRasterImage& thumb = source.items[cell.item].thumbnail;
    const Rect expected = FitCentred(thumb.GetWidth(), thumb.GetHeight(), cell.picture);
    const auto& c = colours[cell.item];
    const Box box = FindColour(page, c[0], c[1], c[2], 30);
    EXPECT_NEAR(box.left, expected.left, 1) << cell.item;
    EXPECT_NEAR(box.top, expected.top, 1) << cell.item;
    EXPECT_NEAR(box.right, expected.right, 1) << cell.item;
    EXPECT_NEAR(box.bottom, expected.bottom, 1) << cell.item;
  }
  const std::vector<Word> words = PdfWords(pdf, dir);
  for (int i = 0; i < 3; ++i) {
    const std::string name = fs::path(source.items[i].path).filename().string();
    const Word* word = FindWord(words, name);
    ASSERT_TRUE(word) << name;
    const PRINT_GRID_CELL& cell = geometry.cells[i];
    // Under its cell, centred on it.
    EXPECT_GE(word->yMin, cell.name.top - 2.0) << name;
    EXPECT_LE(word->yMax, cell.name.bottom + 2.0) << name;
    EXPECT_NEAR((word->xMin + word->xMax) / 2, (cell.name.left + cell.name.right) / 2.0, 3) << name;
  }
  // The folders, each once, joined by "; " on the line under the grid.
  std::string text;
  ASSERT_EQ(RunCommand("pdftotext -layout " + ShellQuote(pdf) + " -", &text), 0);
  EXPECT_NE(text.find("/photos/trip; /archive"), std::string::npos) << text;
  const Word* folder = FindWord(words, "/photos/trip;");
  ASSERT_TRUE(folder);
  EXPECT_NEAR(folder->yMin, geometry.folders.top, 3);
}

// --- the program's windows ---------------------------------------------------------------

// The main window with the print preview, the browse view and the
// application's hooks; documents open in its document manager.
class PrintFixture {
 public:
  PrintFixture() {
    root = fs::temp_directory_path() / ("printing-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    const std::string cache = (root / "cache").string();
    COrganizeView::SetContentFactory(
        [cache](wxWindow* parent) -> IBrowseContent* { return new COrganizeBrowserView(parent, cache); });
    CPtPreviewView::SetContentFactory(
        [](wxWindow* parent, CMainFrame& frame) -> IPreviewContent* { return new CPrintPreviewWnd(parent, frame); });
    docs = std::make_unique<editor_testing::DocumentWindowFixture>();
    wxDocManager* manager = docs->manager.get();
    InstallOrganizeHooks([manager](const std::string& path) {
      return manager->CreateDocument(wxString::FromUTF8(path), wxDOC_SILENT) != nullptr;
    });
    frame = docs->frame;
    preview = dynamic_cast<CPrintPreviewWnd*>(frame->GetPreviewView()->GetContent());
  }
  ~PrintFixture() {
    SetPrintRunner(nullptr);
    docs.reset();
    COrganizeView::SetContentFactory(nullptr);
    CPtPreviewView::SetContentFactory(nullptr);
    COrganizeBrowserView::SetHooks({});
    fs::remove_all(root);
  }
  CPictoravellDoc* Open(const CRasterImage& image, const std::string& name) {
    const std::string path = (root / name).string();
    CImageFileRequest request;
    request.m_strFileName = path;
    request.m_nWidth = static_cast<int16_t>(image.GetWidth());
    request.m_nHeight = static_cast<int16_t>(image.GetHeight());
    request.m_frames.push_back(MakeFrame(image));
    EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
    auto* doc = OpenImageDocument(path);
    PumpFor(50);
    return doc;
  }
  wxString PrintHeader() const { return frame->GetPrintPage()->GetLabel(); }

  CFixedUiTheme theme;
  fs::path root;
  std::unique_ptr<editor_testing::DocumentWindowFixture> docs;
  CMainFrame* frame = nullptr;
  CPrintPreviewWnd* preview = nullptr;
};

void Click(wxWindow* window) {
  wxUIActionSimulator sim;
  const wxPoint target = window->GetScreenRect().GetPosition() + wxPoint(window->GetSize().x / 2, window->GetSize().y / 2);
  for (int attempt = 0; attempt < 5 && wxGetMousePosition() != target; ++attempt) {
    sim.MouseMove(target);
    PumpUntil([&] { return wxGetMousePosition() == target; }, 500);
  }
  sim.MouseClick();
  PumpFor(50);
}

// Types text into an edit the way a user does: click into it, select all, type.
void TypeInto(wxTextCtrl* edit, const std::string& text) {
  Click(edit);
  PumpUntil([&] { return wxWindow::FindFocus() == edit; }, 1000);
  wxUIActionSimulator sim;
  sim.Char('a', wxMOD_CONTROL);
  PumpFor(30);
  sim.Text(text.c_str());
  PumpUntil([&] { return edit->GetValue() == wxString(text); }, 2000);
  PumpFor(30);
}

// Picks an item of a drop-down list as the list does when it closes on it.
void Choose(wxChoice* choice, int item) {
  choice->SetSelection(item);
  wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
  event.SetEventObject(choice);
  event.SetInt(item);
  choice->GetEventHandler()->ProcessEvent(event);
  PumpFor(20);
}

// The task pane slides its pages into place: waits until the window stays
// where it is and the page shows all of it.
void WaitUntilStill(wxWindow* window) {
  wxRect last = window->GetScreenRect();
  int still = 0;
  PumpUntil(
      [&] {
        PumpFor(40);
        const wxRect now = window->GetScreenRect();
        still = now == last ? still + 1 : 0;
        last = now;
        return still >= 5;
      },
      5000);
}

void Screenshot(wxWindow* window, const std::string& name) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir) return;
  PumpFor(400);
  const wxRect r = window->GetScreenRect();
  RunCommand("import -window root -crop " + std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
             std::to_string(r.x) + "+" + std::to_string(r.y) + " " + ShellQuote(std::string(dir) + "/" + name));
}

TEST(PrintCommand, FilePrintHandsTheDocumentsPrintoutToThePrinter) {
  REQUIRE_PDF_TOOLS();
  PrintFixture f;
  ASSERT_NE(f.preview, nullptr);
  EXPECT_FALSE(f.docs->IsEnabled(ID_FILE_PRINT));
  CPictoravellDoc* doc = f.Open(SolidImage(120, 80, 30, 30, 200), "blue.bmp");
  ASSERT_NE(doc, nullptr);
  doc->SetPrintSizePreset(PRINT_SIZE_2X3);  // 144 x 216 points
  EXPECT_TRUE(f.docs->IsEnabled(ID_FILE_PRINT));
  TempDir dir;
  const std::string pdf = (dir / "file-print.pdf").string();
  int runs = 0;
  SetPrintRunner([&](wxWindow* parent, wxPrintout& printout) {
    ++runs;
    EXPECT_EQ(parent, f.frame);
    return print_test::PrintToPdf(printout, pdf, kLetterW, kLetterH);
  });
  f.docs->Command(ID_FILE_PRINT);
  ASSERT_EQ(runs, 1);
  const Box blue = FindColour(Rasterise(pdf, dir), 30, 30, 200);
  // Shrink (the document's default) of 3:2 into 2 x 3 inches: 144 x 96, top left.
  EXPECT_NEAR(blue.left, 0, 1);
  EXPECT_NEAR(blue.top, 0, 1);
  EXPECT_NEAR(blue.right, 144, 1);
  EXPECT_NEAR(blue.bottom, 96, 1);
}

TEST(PrintPreview, SinglePicturePaneDrivesThePreview) {
  PrintFixture f;
  CPictoravellDoc* doc = f.Open(SolidImage(300, 200, 200, 30, 30), "red.bmp");
  ASSERT_NE(doc, nullptr);
  f.docs->Command(ID_FILE_PRINT_PREVIEW);
  ASSERT_EQ(f.frame->GetMode(), MODE_PRINT_PREVIEW);
  EXPECT_EQ(f.preview->GetPrintKind(), PRINT_KIND_SINGLE);
  EXPECT_EQ(f.PrintHeader(), "Print (Page 1 of 1)");
  CSinglePrintDlg* pane = f.preview->GetSinglePane();
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(f.frame->GetPrintPage()->GetChild(), pane);
  PumpUntil([&] { return pane->IsShownOnScreen(); }, 3000);
  WaitUntilStill(pane);
  Screenshot(f.frame, "single-preview.png");
  // Inch rulers over the page: the paper's width and height in inches.
  const PRINT_DEVICE& device = f.preview->GetPages()->GetDevice();
  EXPECT_NEAR(f.preview->GetHorizontalRuler()->GetUnits(), device.pageWidth / 300.0, 0.01);
  EXPECT_NEAR(f.preview->GetVerticalRuler()->GetUnits(), device.pageHeight / 300.0, 0.01);
  EXPECT_TRUE(f.preview->GetHorizontalRuler()->IsUnitMode());
  EXPECT_EQ(f.preview->GetHorizontalRuler()->GetLength(), f.preview->GetPageRect().width);

  auto* size = dynamic_cast<wxChoice*>(pane->FindWindow(IDC_PRINT_SIZE));
  auto* width = dynamic_cast<wxTextCtrl*>(pane->FindWindow(IDC_PRINT_WIDTH));
  auto* fit = dynamic_cast<wxChoice*>(pane->FindWindow(IDC_PRINT_FIT));
  auto* slider = dynamic_cast<wxSlider*>(pane->FindWindow(IDC_PRINT_CROP_OFFSET));
  ASSERT_TRUE(size && width && fit && slider);
  EXPECT_FALSE(width->IsEnabled());
  Choose(size, PRINT_SIZE_CUSTOM);
  EXPECT_TRUE(width->IsEnabled());
  EXPECT_EQ(doc->GetPrintSettings().nSizePreset, PRINT_SIZE_CUSTOM);

  // 4.5 typed into W: 450 hundredths, laid out anew (4.5 inches at 300 dpi).
  doc->SetPrintCustomSize(300, 200);
  f.preview->RefreshPreview();
  TypeInto(width, "4.5");
  EXPECT_EQ(doc->GetPrintSettings().nCustomWidth, 450);
  int32_t w = 0, h = 0;
  f.preview->GetPages()->GetLayout().GetPictureSize(w, h);
  EXPECT_EQ(w, 1350);
  EXPECT_EQ(h, 600);
  // A letter makes no number: nothing changes.
  wxUIActionSimulator sim;
  sim.Char('x');
  PumpUntil([&] { return width->GetValue() == "4.5x"; }, 1000);
  EXPECT_EQ(width->GetValue(), "4.5x");
  EXPECT_EQ(doc->GetPrintSettings().nCustomWidth, 450);

  // Shrink disables the slider; Crop enables it again at 50.
  Choose(fit, 1);
  EXPECT_FALSE(slider->IsEnabled());
  EXPECT_EQ(doc->GetPrintSettings().bCrop, 0);
  slider->SetValue(10);
  Choose(fit, 0);
  EXPECT_TRUE(slider->IsEnabled());
  EXPECT_EQ(slider->GetValue(), 50);
  EXPECT_EQ(doc->GetPrintSettings().bCrop, 1);
  EXPECT_EQ(doc->GetPrintSettings().nCropOffset, 50);
  // The pane shows the stored size again once the user works elsewhere.
  EXPECT_EQ(width->GetValue(), "4.50\"");

  f.docs->Command(ID_PREVIEW_CLOSE);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_EQ(f.PrintHeader(), "Print");
}

TEST(PrintPreview, AnimationFramesPaneAndPaging) {
  PrintFixture f;
  CPictoravellDoc* doc = f.Open(SolidImage(40, 20, 0, 0, 200), "anim.bmp");
  ASSERT_NE(doc, nullptr);
  for (int i = 1; i < 10; ++i) doc->GetFrames().push_back(MakeFrame(SolidImage(40, 20, 0, uint8_t(20 * i), 0)));
  f.docs->Command(ID_FILE_PRINT_PREVIEW);
  ASSERT_EQ(f.frame->GetMode(), MODE_PRINT_PREVIEW);
  EXPECT_EQ(f.preview->GetPrintKind(), PRINT_KIND_MULTI);
  EXPECT_EQ(f.frame->GetPrintPage()->GetChild(), f.preview->GetMultiPane());
  EXPECT_EQ(f.PrintHeader(), "Print (Page 1 of 1)");
  CMultiPrintDlg* pane = f.preview->GetMultiPane();
  PumpUntil([&] { return pane->IsShownOnScreen(); }, 3000);
  WaitUntilStill(pane);
  auto* all = dynamic_cast<wxCheckBox*>(pane->FindWindow(IDC_PRINT_ALL_ON_ONE_PAGE));
  auto* rows = dynamic_cast<wxTextCtrl*>(pane->FindWindow(IDC_PRINT_ROWS));
  auto* columns = dynamic_cast<wxTextCtrl*>(pane->FindWindow(IDC_PRINT_COLUMNS));
  ASSERT_TRUE(all && rows && columns);
  EXPECT_TRUE(all->GetValue());
  EXPECT_FALSE(rows->IsEnabled());
  EXPECT_EQ(rows->GetValue(), "");  // 0: empty
  Click(all);
  PumpUntil([&] { return rows->IsEnabled(); }, 1000);
  ASSERT_FALSE(all->GetValue());
  EXPECT_EQ(doc->GetPrintSettings().bAllFramesOnOnePage, 0);
  TypeInto(rows, "2");
  TypeInto(columns, "3");
  EXPECT_EQ(doc->GetPrintSettings().nRows, 2);
  EXPECT_EQ(doc->GetPrintSettings().nColumns, 3);
  ASSERT_EQ(f.preview->GetPageCount(), 2);  // six frames a page
  EXPECT_EQ(f.PrintHeader(), "Print (Page 1 of 2)");
  EXPECT_TRUE(f.preview->GetScrollBar()->IsShown());
  // Page Down on the preview shows the second page.
  Click(f.preview->GetCanvas());
  wxUIActionSimulator sim;
  sim.Char(WXK_PAGEDOWN);
  PumpUntil([&] { return f.preview->GetCurrentPage() == 1; }, 2000);
  EXPECT_EQ(f.PrintHeader(), "Print (Page 2 of 2)");
  EXPECT_EQ(CPrintPreviewWnd::ScrollTarget(3, 0, 25, 0), 3);  // a page of the bar: (24 + 9) / 10
  EXPECT_EQ(CPrintPreviewWnd::ScrollTarget(7, 0, 25, 0), 24);
  EXPECT_EQ(CPrintPreviewWnd::ScrollTarget(0, 0, 25, 0), 0);
  EXPECT_EQ(CPrintPreviewWnd::ScrollTarget(8, 4, 25, 0), 4);
}

TEST(PrintPreview, ContactSheetFromBrowseKeepsItsSettings) {
  const std::string section = "Contact Sheet Printing Options";
  {
    PrintFixture f;
    const fs::path folder = f.root / "pictures";
    browser_testing::MakeGreyPictures(folder, 5, 60, 40);
    auto* view = dynamic_cast<COrganizeBrowserView*>(f.frame->GetBrowseView()->GetContent());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
    const int before = view->GetReloadCount();
    f.frame->GetBrowseView()->BrowseFolder(folder.string());
    ASSERT_TRUE(PumpUntil([&] { return view->GetReloadCount() > before && !view->IsBusy(); }, 20000));
    EXPECT_FALSE(f.docs->IsEnabled(ID_PRINT_CONTACT_SHEET));
    view->SelectNone();
    for (int i : {0, 2, 3}) view->GetItems()[i].m_bSelected = 1;
    EXPECT_TRUE(f.docs->IsEnabled(ID_PRINT_CONTACT_SHEET));
    f.docs->Command(ID_PRINT_CONTACT_SHEET);
    ASSERT_EQ(f.frame->GetMode(), MODE_CONTACT_SHEET);
    EXPECT_EQ(f.preview->GetPrintKind(), PRINT_KIND_CONTACT_SHEET);
    EXPECT_EQ(f.preview->GetSource().items.size(), 3u);
    EXPECT_EQ(f.PrintHeader(), "Print (Page 1 of 1)");
    CContactSheetDlg* pane = f.preview->GetContactSheetPane();
    EXPECT_EQ(f.frame->GetPrintPage()->GetChild(), pane);
    PumpUntil([&] { return pane->IsShownOnScreen(); }, 3000);
    WaitUntilStill(pane);
    auto* size = dynamic_cast<wxChoice*>(pane->FindWindow(IDC_PRINT_THUMBNAIL_SIZE));
    auto* names = dynamic_cast<wxCheckBox*>(pane->FindWindow(IDC_PRINT_FILE_NAMES));
    auto* halign = dynamic_cast<wxChoice*>(pane->FindWindow(IDC_PRINT_HALIGN));
    ASSERT_TRUE(size && names && halign);
    EXPECT_EQ(size->GetSelection(), 0);
    EXPECT_EQ(f.preview->GetPages()->GetLayout().GetGridColumns() * f.preview->GetPages()->GetLayout().GetGridRows() >= 3,
              true);
    Choose(halign, 1);
    EXPECT_EQ(f.preview->GetContactSheetSettings().horzAlign, 1);
    Screenshot(f.frame, "contact-sheet-preview.png");
    Choose(size, 7);  // 2 x 2 inches
    EXPECT_EQ(f.preview->GetContactSheetSettings().thumbnailSize, 7);
    EXPECT_EQ(f.preview->GetPages()->GetLayout().GetCellWidth(), 600);
    Click(names);
    PumpUntil([&] { return !names->GetValue(); }, 1000);
    EXPECT_EQ(f.preview->GetContactSheetSettings().printNames, 0);
    // Leaving the contact sheet returns to Browse.
    f.docs->Command(ID_PREVIEW_CLOSE);
    EXPECT_EQ(f.frame->GetMode(), MODE_BROWSE);
  }
  EXPECT_EQ(GetProfileInt(section, "Thumbnail Size", -1), 7);
  EXPECT_EQ(GetProfileInt(section, "Horizontal Alignment", -1), 1);
  EXPECT_EQ(GetProfileInt(section, "Print File Name", -1), 0);
  {
    // A new main window (a restart) shows them again.
    PrintFixture again;
    const CONTACT_SHEET_SETTINGS& kept = again.preview->GetContactSheetSettings();
    EXPECT_EQ(kept.thumbnailSize, 7);
    EXPECT_EQ(kept.horzAlign, 1);
    EXPECT_EQ(kept.printNames, 0);
  }
  WriteProfileInt(section, "Thumbnail Size", 0);
  WriteProfileInt(section, "Horizontal Alignment", 0);
  WriteProfileInt(section, "Print File Name", 1);
}

}  // namespace
