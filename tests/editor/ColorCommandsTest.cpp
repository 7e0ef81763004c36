// The colour commands of image windows, run from the menu as a user does:
// the colour modes with their dialogs (results checked against the core
// conversions, one undo step each), the palette options' rules and refusals,
// Count Colors and Remove Unused Colors against independent counts, palette
// files written by another program, Save Color Palette, and the quality of
// the adaptive conversion against ImageMagick and pngquant.

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <cstring>
#include <filesystem>
#include <set>
#include <wx/filedlg.h>

#include "base/Profile.h"
#include "editor/ColorOptionsDialogs.h"
#include "editor/ColorPickerDialog.h"
#include "editor/EditPaletteDialog.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "formats/ImageFile.h"
#include "formats/PaletteFile.h"
#include "imaging/ColorConversion.h"
#include "imaging/Filters.h"
#include "imaging/PixelAccess.h"
#include "imaging/Quantizer.h"
#include "imaging/StandardPalettes.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "shell/PaletteFileDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

using namespace editor_testing;
using testing_support::DialogScript;
using testing_support::PumpUntil;
using testing_support::RecordingMessageSink;
using testing_support::TempDir;

std::string WriteImage(const TempDir& dir, const std::string& name, const CRasterImage& image) {
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / name).string();
  request.m_nWidth = static_cast<int16_t>(image.GetWidth());
  request.m_nHeight = static_cast<int16_t>(image.GetHeight());
  request.m_frames.push_back(MakeFrame(image));
  EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  return request.m_strFileName;
}

CRasterImage ReadImage(const std::string& path) {
  CImageFileRequest request;
  request.m_strFileName = path;
  if (ReadImageFile(&request) != IMAGEIO_OK || request.m_frames.empty()) return {};
  return request.m_frames[0].m_image;
}

// The colour of pixel (x, y), whatever the depth.
RGBQUAD ColorAt(const CRasterImage& image, int x, int y) {
  const uint8_t* row = image.GetRow(y);
  if (image.GetBitsPerPixel() == 24) return RGBQUAD{row[3 * x + 2], row[3 * x + 1], row[3 * x], 0};  // rows hold red, green, blue
  const int index = GetPixelGetter(image.GetBitsPerPixel())(row, static_cast<int16_t>(x));
  return image.GetPalette()[index];
}

// Same size, depth, pixels and (for indexed images) used palette colours.
::testing::AssertionResult SameColors(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitsPerPixel() != b.GetBitsPerPixel())
    return ::testing::AssertionFailure() << a.GetWidth() << "x" << a.GetHeight() << "x" << a.GetBitsPerPixel()
                                         << " vs " << b.GetWidth() << "x" << b.GetHeight() << "x"
                                         << b.GetBitsPerPixel();
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      const RGBQUAD p = ColorAt(a, x, y), q = ColorAt(b, x, y);
      if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue)
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
    }
  return ::testing::AssertionSuccess();
}

double Psnr(const CRasterImage& original, const CRasterImage& converted) {
  double sum = 0;
  for (int y = 0; y < original.GetHeight(); ++y)
    for (int x = 0; x < original.GetWidth(); ++x) {
      const RGBQUAD p = ColorAt(original, x, y), q = ColorAt(converted, x, y);
      for (int d : {p.rgbRed - q.rgbRed, p.rgbGreen - q.rgbGreen, p.rgbBlue - q.rgbBlue}) sum += double(d) * d;
    }
  const double mse = sum / (3.0 * original.GetWidth() * original.GetHeight());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// A settings store of its own for each test.
class ScopedMemoryProfile {
 public:
  ScopedMemoryProfile() : m_previous(InstallProfileStore(MakeMemoryProfileStore())) {}
  ~ScopedMemoryProfile() { InstallProfileStore(std::move(m_previous)); }

 private:
  std::unique_ptr<IProfileStore> m_previous;
};

template <typename T>
T* Control(wxDialog& d, int id) {
  T* control = dynamic_cast<T*>(d.FindWindow(id));
  EXPECT_TRUE(control) << "control " << id;
  return control;
}

void Click(wxDialog& d, int id) {
  auto* radio = Control<wxRadioButton>(d, id);
  radio->SetValue(true);
  wxCommandEvent event(wxEVT_RADIOBUTTON, id);
  event.SetEventObject(radio);
  radio->GetEventHandler()->ProcessEvent(event);
}

void ChooseKind(wxDialog& d, int kind) {
  auto* list = Control<wxChoice>(d, IDC_PALETTE_KIND);
  list->SetSelection(kind);
  wxCommandEvent event(wxEVT_CHOICE, IDC_PALETTE_KIND);
  event.SetEventObject(list);
  event.SetInt(kind);
  list->GetEventHandler()->ProcessEvent(event);
}

// Sets the palette options in the dialog and answers OK.
ModalDialogHook PaletteOptions(int kind, int depthButton, int ditherButton, const std::string& count = "") {
  return [=](wxDialog& d) {
    EXPECT_EQ(d.GetId(), IDD_PALETTE_OPTIONS);
    ChooseKind(d, kind);
    Click(d, depthButton);
    if (!count.empty()) Control<wxTextCtrl>(d, IDC_PALETTE_COUNT)->SetValue(count);
    Click(d, ditherButton);
    return wxID_OK;
  };
}

class ColorCommands : public ::testing::Test {
 protected:
  void Open(const CRasterImage& image, const std::string& name = "picture.bmp") {
    doc = OpenImageDocument(WriteImage(dir, name, image));
    ASSERT_TRUE(doc);
  }
  const CRasterImage& Image() { return doc->GetCurrentFrame()->m_image; }
  size_t Steps() { return doc->GetUndoSteps().size(); }
  std::string UndoLabel() {
    std::string label;
    doc->GetUndoLabel(label);
    return label;
  }

  void QuantiseAgainstPeerTools(const std::string& photo, const std::string& name);

  ScopedMemoryProfile profile;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = nullptr;
};

TEST_F(ColorCommands, GrayscaleFullColorAndInvertMatchTheCoreAndRecordOneStepEach) {
  const CRasterImage picture = testing_support::MakeTestPicture(48, 32);
  Open(picture);
  EXPECT_FALSE(f.IsEnabled(ID_CONVERT_TO_FULL_COLOR));
  EXPECT_FALSE(f.IsEnabled(ID_REMOVE_UNUSED_COLORS));
  EXPECT_FALSE(f.IsEnabled(ID_SAVE_PALETTE));
  ASSERT_TRUE(f.IsEnabled(ID_CONVERT_TO_GRAYSCALE));

  f.Command(ID_CONVERT_TO_GRAYSCALE);
  EXPECT_TRUE(SameColors(Image(), ConvertToGrayscale(picture)));
  EXPECT_EQ(Steps(), 1u);
  EXPECT_EQ(UndoLabel(), "Convert To Grayscale");
  EXPECT_FALSE(f.IsEnabled(ID_CONVERT_TO_GRAYSCALE));
  EXPECT_TRUE(f.IsEnabled(ID_REMOVE_UNUSED_COLORS));
  // Already gray: nothing changes and no step is added.
  f.Command(ID_CONVERT_TO_GRAYSCALE);
  EXPECT_EQ(Steps(), 1u);

  const CRasterImage gray = Image();
  f.Command(ID_CONVERT_TO_FULL_COLOR);
  EXPECT_TRUE(SameColors(Image(), ConvertTo24Bit(gray)));
  EXPECT_EQ(Image().GetBitsPerPixel(), 24);
  EXPECT_EQ(UndoLabel(), "Convert To Full Color");

  const CRasterImage full = Image();
  f.Command(ID_INVERT_COLORS);
  EXPECT_TRUE(SameColors(Image(), InvertColors(full)));
  EXPECT_EQ(UndoLabel(), "Invert Colors");
  EXPECT_EQ(Steps(), 3u);

  f.Command(ID_EDIT_UNDO);
  f.Command(ID_EDIT_UNDO);
  f.Command(ID_EDIT_UNDO);
  EXPECT_TRUE(SameColors(Image(), picture));
}

TEST_F(ColorCommands, IndexedColorFromTheMenuFollowsItsDialog) {
  const CRasterImage picture = testing_support::MakeTestPicture(64, 40, 7);
  Open(picture);
  struct Case {
    const char* name;
    int kind, depthButton, ditherButton;
    int bits;
  };
  const Case cases[] = {
      {"adaptive 256 diffusion", PALETTE_ADAPTIVE, IDC_PALETTE_DEPTH_8, IDC_DITHER_DIFFUSION, 8},
      {"adaptive 16 none", PALETTE_ADAPTIVE, IDC_PALETTE_DEPTH_4, IDC_DITHER_NONE, 4},
      {"uniform 216 none", PALETTE_UNIFORM, IDC_PALETTE_DEPTH_8, IDC_DITHER_NONE, 8},
      {"extended uniform 16 diffusion", PALETTE_EXTENDED_UNIFORM, IDC_PALETTE_DEPTH_4, IDC_DITHER_DIFFUSION, 4},
      {"web pattern", PALETTE_WEB, IDC_PALETTE_DEPTH_8, IDC_DITHER_PATTERN, 8},
      {"uniform 8 pattern", PALETTE_UNIFORM, IDC_PALETTE_DEPTH_4, IDC_DITHER_PATTERN, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      CModalDialogHook hook(PaletteOptions(c.kind, c.depthButton, c.ditherButton));
      f.Command(ID_CONVERT_TO_INDEXED);
      EXPECT_EQ(hook.GetCalls(), 1);
    }
    std::array<RGBQUAD, 256> palette{};
    CRasterImage expected;
    const bool pattern = c.ditherButton == IDC_DITHER_PATTERN;
    const int wanted = c.depthButton == IDC_PALETTE_DEPTH_4 ? (c.kind == PALETTE_UNIFORM ? 8 : 16) : 256;
    if (pattern) {
      expected = wanted <= 16 ? ConvertTo8Colors(picture) : ConvertToCube216(picture);
    } else if (c.kind == PALETTE_ADAPTIVE) {
      CPixelSource source(2);
      source.AddImage(&picture);
      const int count = BuildOptimalPalette(source, palette.data(), wanted, 8);
      expected = MapToPalette(picture, count, palette.data(), c.ditherButton == IDC_DITHER_DIFFUSION);
    } else {
      const int count = BuildPaletteOfKind(c.kind, wanted, palette.data());
      expected = MapToPalette(picture, count, palette.data(), c.ditherButton == IDC_DITHER_DIFFUSION);
    }
    EXPECT_EQ(Image().GetBitsPerPixel(), c.bits);
    EXPECT_TRUE(SameColors(Image(), expected));
    EXPECT_EQ(Steps(), 1u);
    EXPECT_EQ(UndoLabel(), "Convert To Indexed Color");
    f.Command(ID_EDIT_UNDO);
    EXPECT_TRUE(SameColors(Image(), picture));
    doc->ClearUndoHistory();
  }
  // Cancel changes nothing and records nothing.
  {
    CModalDialogHook hook([](wxDialog&) { return wxID_CANCEL; });
    f.Command(ID_CONVERT_TO_INDEXED);
    f.Command(ID_CONVERT_TO_BITMAP);
    EXPECT_EQ(hook.GetCalls(), 2);
  }
  EXPECT_EQ(Steps(), 0u);
  EXPECT_TRUE(SameColors(Image(), picture));
}

TEST_F(ColorCommands, BitmapFromTheMenuFollowsItsDialog) {
  const CRasterImage picture = testing_support::MakeTestPicture(40, 30, 3);
  Open(picture);
  const std::pair<int, int> modes[] = {{IDC_BITMAP_THRESHOLD, 0}, {IDC_BITMAP_DIFFUSION, 1}, {IDC_BITMAP_PATTERN, 2}};
  for (auto [button, mode] : modes) {
    SCOPED_TRACE(mode);
    {
      CModalDialogHook hook([button = button](wxDialog& d) {
        EXPECT_EQ(d.GetId(), IDD_BITMAP_OPTIONS);
        Control<wxSlider>(d, IDC_BITMAP_THRESHOLD_SLIDER)->SetValue(90);
        Click(d, button);
        return wxID_OK;
      });
      f.Command(ID_CONVERT_TO_BITMAP);
    }
    EXPECT_TRUE(SameColors(Image(), ConvertToBitmap(picture, mode, 90)));
    EXPECT_EQ(UndoLabel(), "Convert To Bitmap");
    EXPECT_EQ(Steps(), 1u);
    EXPECT_FALSE(f.IsEnabled(ID_CONVERT_TO_BITMAP));
    EXPECT_EQ(GetProfileInt("Bitmap Option", "Threshold", 0), 90);
    EXPECT_EQ(GetProfileInt("Bitmap Option", "Dither", -1), mode);
    f.Command(ID_EDIT_UNDO);
    doc->ClearUndoHistory();
  }
}

TEST_F(ColorCommands, PaletteOptionsRulesRefusalsAndClampedStoredValues) {
  // "Uniform" with 256 stored shows 216 on "8 bits/pixel"; "Extended
  // Uniform" then gives 256; "Web" 216 with only "8 bits/pixel" enabled.
  WriteProfileInt("Index Color Option", "Palette", PALETTE_UNIFORM);
  WriteProfileInt("Index Color Option", "Number Colors", 256);
  WriteProfileInt("Index Color Option", "Dither", 2);
  {
    CModalDialogHook hook([](wxDialog& d) {
      auto* count = Control<wxTextCtrl>(d, IDC_PALETTE_COUNT);
      EXPECT_EQ(count->GetValue(), "216");
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_PALETTE_DEPTH_8)->GetValue());
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_DITHER_PATTERN)->GetValue());
      ChooseKind(d, PALETTE_EXTENDED_UNIFORM);
      EXPECT_EQ(count->GetValue(), "256");
      EXPECT_FALSE(Control<wxRadioButton>(d, IDC_DITHER_PATTERN)->IsEnabled());
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_DITHER_DIFFUSION)->GetValue());
      ChooseKind(d, PALETTE_WEB);
      EXPECT_EQ(count->GetValue(), "216");
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_PALETTE_DEPTH_8)->IsEnabled());
      EXPECT_FALSE(Control<wxRadioButton>(d, IDC_PALETTE_DEPTH_4)->IsEnabled());
      EXPECT_FALSE(Control<wxRadioButton>(d, IDC_PALETTE_DEPTH_2)->IsEnabled());
      return wxID_CANCEL;
    });
    PALETTE_OPTIONS_VALUES values;
    EXPECT_FALSE(RunPaletteOptionsDialog(nullptr, values));
  }
  // "Adaptive" with 100 stored: the custom button, the edit enabled with 100.
  WriteProfileInt("Index Color Option", "Palette", PALETTE_ADAPTIVE);
  WriteProfileInt("Index Color Option", "Number Colors", 100);
  {
    CModalDialogHook hook([](wxDialog& d) {
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_PALETTE_CUSTOM)->GetValue());
      EXPECT_TRUE(Control<wxTextCtrl>(d, IDC_PALETTE_COUNT)->IsEnabled());
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_PALETTE_COUNT)->GetValue(), "100");
      return wxID_OK;
    });
    PALETTE_OPTIONS_VALUES values;
    EXPECT_TRUE(RunPaletteOptionsDialog(nullptr, values));
    EXPECT_EQ(values.count, 100);
    EXPECT_EQ(values.dither, 1);
  }
  // Refused counts: the message, the dialog stays, nothing stored.
  for (const char* refused : {"0", "1", "257", "999", "x", ""}) {
    SCOPED_TRACE(refused);
    DialogScript script;
    int oks = 0;
    script.Run([&](wxDialog& d) {
      Control<wxTextCtrl>(d, IDC_PALETTE_COUNT)->SetValue(refused);
      wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
      ok.SetEventObject(&d);
      d.GetEventHandler()->ProcessEvent(ok);  // refused: the dialog stays
      ++oks;
      EXPECT_TRUE(d.IsModal());
      d.EndModal(wxID_CANCEL);
    });
    script.Answer(wxID_OK);  // the refusal's message box
    PALETTE_OPTIONS_VALUES values;
    EXPECT_FALSE(RunPaletteOptionsDialog(nullptr, values));
    EXPECT_EQ(oks, 1);
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_EQ(script.messages().back(), "Please enter an integer between 2 and 256.");
    EXPECT_EQ(GetProfileInt("Index Color Option", "Number Colors", 0), 100);
  }
  // Values stored out of range are clamped when read.
  const std::tuple<int, int, int, int, int, int> stored[] = {
      {9, 999, 7, PALETTE_ADAPTIVE, 256, 1}, {-1, 1, -3, PALETTE_ADAPTIVE, 2, 1}, {4, 0, 2, PALETTE_FILE, 2, 2},
      {0, 64, 0, PALETTE_UNIFORM, 64, 0}};
  for (auto [kind, count, dither, wantKind, wantCount, wantDither] : stored) {
    WriteProfileInt("Index Color Option", "Palette", kind);
    WriteProfileInt("Index Color Option", "Number Colors", count);
    WriteProfileInt("Index Color Option", "Dither", dither);
    PALETTE_OPTIONS_VALUES values;
    ASSERT_TRUE(GetPaletteOptions(values, false));
    EXPECT_EQ(values.kind, wantKind);
    EXPECT_EQ(values.count, wantCount);
    EXPECT_EQ(values.dither, wantDither);
  }
  const std::tuple<int, int, int, int> bitmapStored[] = {{5, 0, 1, 1}, {0, 300, 0, 254}, {2, 77, 2, 77}};
  for (auto [mode, threshold, wantMode, wantThreshold] : bitmapStored) {
    WriteProfileInt("Bitmap Option", "Dither", mode);
    WriteProfileInt("Bitmap Option", "Threshold", threshold);
    BITMAP_OPTIONS_VALUES values;
    ASSERT_TRUE(GetBitmapOptions(nullptr, values, false));
    EXPECT_EQ(values.mode, wantMode);
    EXPECT_EQ(values.threshold, wantThreshold);
  }
}

// An 8-bit image whose pixels use the given palette indexes in turn.
CRasterImage IndexedImage(const std::vector<int>& indexes, int width = 20, int height = 20) {
  CRasterImage image;
  image.Create(width, height, 8);
  RGBQUAD* palette = image.GetWritablePalette();
  for (int i = 0; i < 256; ++i)
    palette[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 255), 0};
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bits[y * image.GetStride() + x] = uint8_t(indexes[(y * width + x) % indexes.size()]);
  return image;
}

TEST_F(ColorCommands, CountAndRemoveUnusedAgreeWithIndependentCounts) {
  RecordingMessageSink sink;
  Open(IndexedImage({0, 5, 200}));
  f.Command(ID_COUNT_COLORS);
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().second, "This image has 3 unique colors.");
  f.Command(ID_REMOVE_UNUSED_COLORS);
  EXPECT_EQ(sink.messages.back().second, "198 colors have been removed from the palette.");
  EXPECT_EQ(UndoLabel(), "Remove Unused Colors");
  int highest = 0, used = 0;
  ASSERT_TRUE(GetPaletteUsage(Image(), &highest, &used));
  EXPECT_EQ(highest, 2);

  // A photograph-like picture: our count against ImageMagick's.
  const CRasterImage picture = testing_support::MakeTestPicture(50, 40, 11);
  const std::string png = WriteImage(dir, "count.png", picture);
  doc = OpenImageDocument(png);
  ASSERT_TRUE(doc);
  f.Command(ID_COUNT_COLORS);
  const std::string ours = sink.messages.back().second;
  FILE* pipe = popen(("identify -format %k '" + png + "'").c_str(), "r");
  ASSERT_TRUE(pipe);
  char buffer[64] = {};
  ASSERT_TRUE(fgets(buffer, sizeof buffer, pipe));
  pclose(pipe);
  EXPECT_EQ(ours, "This image has " + std::to_string(std::atoi(buffer)) + " unique colors.");

  // Indices 0..99 all used: nothing removed, no step.
  doc = OpenImageDocument(WriteImage(dir, "hundred.bmp", IndexedImage([] {
                                       std::vector<int> v;
                                       for (int i = 0; i < 100; ++i) v.push_back(i);
                                       return v;
                                     }())));
  ASSERT_TRUE(doc);
  f.Command(ID_REMOVE_UNUSED_COLORS);
  EXPECT_EQ(sink.messages.back().second, "No color was removed from the palette.");
}

TEST_F(ColorCommands, PaletteFilesFromAnotherProgramLoadAndSavePalettesRoundTrip) {
  // A RIFF palette written by a small Python script, not by us.
  const std::string pal = (dir.path() / "four.pal").string();
  const std::string script =
      "import struct,sys\n"
      "cols=[(255,0,0),(0,255,0),(0,0,255),(255,255,255)]\n"
      "data=struct.pack('<HH',0x300,len(cols))+b''.join(struct.pack('BBBB',r,g,b,0) for r,g,b in cols)\n"
      "body=b'PAL '+b'data'+struct.pack('<I',len(data))+data\n"
      "open(sys.argv[1],'wb').write(b'RIFF'+struct.pack('<I',len(body))+body)\n";
  const std::string scriptPath = (dir.path() / "writepal.py").string();
  std::ofstream(scriptPath) << script;
  ASSERT_EQ(std::system(("python3 '" + scriptPath + "' '" + pal + "'").c_str()), 0);

  const CRasterImage picture = testing_support::MakeTestPicture(32, 24, 5);
  Open(picture);
  DOCUMENT_PROMPTS prompts;
  prompts.loadPalette = [&](int* count, RGBQUAD* entries) { return LoadPaletteFile(count, entries, pal); };
  std::vector<RGBQUAD> saved;
  prompts.savePalette = [&](const RGBQUAD* entries, int count) {
    saved.assign(entries, entries + count);
    return SavePaletteFile(entries, count, (dir.path() / "saved.pal").string());
  };
  ScopedPrompts scoped(prompts);
  {
    CModalDialogHook hook(PaletteOptions(PALETTE_FILE, IDC_PALETTE_DEPTH_8, IDC_DITHER_NONE));
    f.Command(ID_CONVERT_TO_INDEXED);
  }
  RGBQUAD four[4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}};
  EXPECT_TRUE(SameColors(Image(), MapToPalette(picture, 4, four, false)));
  EXPECT_EQ(Image().GetBitsPerPixel(), 4);
  ASSERT_TRUE(f.IsEnabled(ID_SAVE_PALETTE));
  f.Command(ID_SAVE_PALETTE);
  ASSERT_EQ(saved.size(), 16u);
  // The file we wrote reads back the same, also through Python.
  int count = 0;
  RGBQUAD back[256] = {};
  ASSERT_TRUE(LoadPaletteFile(&count, back, (dir.path() / "saved.pal").string()));
  EXPECT_EQ(count, 16);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(std::memcmp(&back[i], &four[i], 4), 0) << i;
  const std::string check = (dir.path() / "check.py").string();
  std::ofstream(check) << "import struct,sys\nb=open(sys.argv[1],'rb').read()\n"
                          "assert b[:4]==b'RIFF' and b[8:12]==b'PAL ' and b[12:16]==b'data'\n"
                          "n=struct.unpack('<H',b[22:24])[0]\nassert n==16\n"
                          "assert b[24:28]==bytes([255,0,0,0])\n";
  EXPECT_EQ(std::system(("python3 '" + check + "' '" + (dir.path() / "saved.pal").string() + "'").c_str()), 0);

  // A file that cannot be loaded: nothing changes, nothing is reported.
  prompts.loadPalette = [&](int* count, RGBQUAD* entries) {
    return LoadPaletteFile(count, entries, (dir.path() / "writepal.py").string());
  };
  ScopedPrompts failing(prompts);
  RecordingMessageSink sink;
  const size_t steps = Steps();
  f.Command(ID_CONVERT_TO_FULL_COLOR);
  const CRasterImage full = Image();
  {
    CModalDialogHook hook(PaletteOptions(PALETTE_FILE, IDC_PALETTE_DEPTH_8, IDC_DITHER_NONE));
    f.Command(ID_CONVERT_TO_INDEXED);
  }
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_TRUE(SameColors(Image(), full));
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ColorCommands, PaletteFileDialogRemembersItsFolders) {
  DialogScript script;
  script.Run([&](wxDialog& d) {
    auto& chooser = dynamic_cast<wxFileDialog&>(d);
    chooser.SetDirectory(dir.path().string());
    chooser.SetFilename("mine");
    EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == (dir.path() / "mine").string(); }, 3000));
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    ok.SetEventObject(&d);
    d.GetEventHandler()->ProcessEvent(ok);
  });
  RGBQUAD entries[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  EXPECT_TRUE(SavePaletteFileWithDialog(entries, 2));
  ASSERT_EQ(script.titles().size(), 1u);
  EXPECT_EQ(script.titles()[0], "Save Palette");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "mine.pal"));
  EXPECT_EQ(GetProfileString("Color Palette", "Save Directory", ""), dir.path().string() + "/");
  script.Answer(wxID_CANCEL);
  int count = 0;
  RGBQUAD loaded[256];
  EXPECT_FALSE(LoadPaletteFileWithDialog(&count, loaded));
  ASSERT_EQ(script.titles().size(), 2u);
  EXPECT_EQ(script.titles()[1], "Load Palette");
}

// Adaptive 256 colours with diffusion against ImageMagick and pngquant at
// their defaults with dithering: our PSNR is no lower than either's. The
// pictures are a real photograph (the raccoon picture that ships with SciPy,
// 1024x768), a synthetic one, and the photograph named by PICTORAVELL_PHOTO
// when set.
TEST_F(ColorCommands, AdaptiveQuantisationIsNoWorseThanPeerTools) {
  std::vector<std::string> photos;
  {
    const std::string face = (dir.path() / "face.png").string();
    const std::string script = "/usr/bin/python3 -c \"import scipy.misc; from PIL import Image; "
                               "Image.fromarray(scipy.misc.face()).save('" + face + "')\" 2>/dev/null";
    if (std::system(script.c_str()) == 0) {
      photos.push_back(face);
    } else if (std::getenv("PICTORAVELL_REQUIRE_TOOLS")) {
      ADD_FAILURE() << "python3 with SciPy and Pillow is needed for the photograph";
    }
  }
  photos.push_back("");  // the synthetic picture
  if (const char* path = std::getenv("PICTORAVELL_PHOTO")) photos.push_back(path);
  for (size_t i = 0; i < photos.size(); ++i) {
    SCOPED_TRACE(photos[i].empty() ? "synthetic" : photos[i]);
    QuantiseAgainstPeerTools(photos[i], "photo" + std::to_string(i));
  }
}

void ColorCommands::QuantiseAgainstPeerTools(const std::string& photo, const std::string& name) {
  CRasterImage picture;
  if (!photo.empty()) {
    picture = ReadImage(photo);
    ASSERT_FALSE(picture.IsEmpty()) << photo;
    if (picture.GetBitsPerPixel() != 24) picture = ConvertTo24Bit(picture);
  } else {
    picture = testing_support::MakeTestPicture(200, 150, 21);
  }
  const std::string source = WriteImage(dir, name + ".png", picture);
  Open(picture, name + ".bmp");
  {
    CModalDialogHook hook(PaletteOptions(PALETTE_ADAPTIVE, IDC_PALETTE_DEPTH_8, IDC_DITHER_DIFFUSION));
    f.Command(ID_CONVERT_TO_INDEXED);
  }
  ASSERT_EQ(Image().GetBitsPerPixel(), 8);
  const double ours = Psnr(picture, Image());
  const std::string magick = (dir.path() / (name + "-magick.png")).string();
  const std::string quant = (dir.path() / (name + "-quant.png")).string();
  ASSERT_EQ(std::system(("convert '" + source + "' -dither FloydSteinberg -colors 256 PNG8:'" + magick + "'").c_str()), 0);
  ASSERT_EQ(std::system(("pngquant --force --output '" + quant + "' 256 '" + source + "'").c_str()), 0);
  const double theirs[] = {Psnr(picture, ReadImage(magick)), Psnr(picture, ReadImage(quant))};
  std::printf("PSNR ours %.2f dB, ImageMagick %.2f dB, pngquant %.2f dB\n", ours, theirs[0], theirs[1]);
  EXPECT_GE(ours, theirs[0]);
  EXPECT_GE(ours, theirs[1]);
}

}  // namespace

namespace {

using namespace editor_testing;

TEST(PaletteGrid, CellsAndStrictHits) {
  const wxSize size(16 * 16 + 5, 16 * 16 + 3);  // margins 2 left, 1 top
  EXPECT_EQ(PaletteCellRect(0, size), wxRect(2, 1, 16, 16));
  EXPECT_EQ(PaletteCellRect(17, size), wxRect(18, 17, 16, 16));
  const std::tuple<int, int, int> hits[] = {
      {10, 10, 0}, {2, 10, -1}, {17, 10, -1}, {18, 10, -1}, {19, 18, 17}, {255, 250, 255}, {1, 1, -1}, {300, 5, -1}};
  for (auto [x, y, want] : hits) EXPECT_EQ(PaletteCellAt(wxPoint(x, y), size), want) << x << "," << y;
}

TEST_F(ColorCommands, PaletteEditorEditsImageAndSelectionTogether) {
  // A 256-colour GIF written by ImageMagick.
  const std::string gif = (dir.path() / "colors.gif").string();
  ASSERT_EQ(std::system(("convert -size 64x64 plasma:fractal -seed 3 -colors 256 '" + gif + "' 2>/dev/null || "
                         "convert -size 64x64 gradient:red-blue -colors 256 '" + gif + "'").c_str()),
            0);
  doc = OpenImageDocument(gif);
  ASSERT_TRUE(doc);
  ASSERT_EQ(Image().GetBitsPerPixel(), 8);
  // A floating selection in the same mode.
  {
    CAnimFrame* frame = doc->GetCurrentFrame();
    frame->m_selection = frame->m_image;
  }
  ASSERT_TRUE(f.IsEnabled(ID_EDIT_PALETTE));
  const RGBQUAD before = Image().GetPalette()[17];
  const RGBQUAD chosen = MakeRGBQuad(200, 120, 40);
  CColorChooserOverride chooser([&](wxWindow*, RGBQUAD& colour) {
    EXPECT_EQ(std::memcmp(&colour, &before, 3), 0);
    colour = chosen;
    return true;
  });
  std::string shot;
  if (const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR")) shot = std::string(out) + "/palette-editor.png";
  {
    CModalDialogHook hook([&](wxDialog& d) {
      EXPECT_EQ(d.GetId(), IDD_EDIT_PALETTE);
      auto* grid = dynamic_cast<CPaletteGridCtrl*>(d.FindWindow(IDC_EDIT_PALETTE_GRID));
      EXPECT_TRUE(grid);
      if (!grid) return wxID_CANCEL;
      const wxRect cell = PaletteCellRect(17, grid->GetClientSize());
      grid->ClickAt(wxPoint(cell.x, cell.y + 3));  // on the border: nothing
      EXPECT_EQ(grid->GetSelectedIndex(), 0);
      grid->ClickAt(cell.GetPosition() + wxPoint(3, 3));
      EXPECT_EQ(grid->GetSelectedIndex(), 17);
      EXPECT_EQ(d.FindWindow(IDC_EDIT_PALETTE_INDEX)->GetLabel(), "17");
      EXPECT_EQ(d.FindWindow(IDC_EDIT_PALETTE_RED)->GetLabel(), wxString::Format("%d", before.rgbRed));
      auto* box = dynamic_cast<CColorBox*>(d.FindWindow(IDC_EDIT_PALETTE_COLOR));
      EXPECT_TRUE(box);
      if (box) {
        wxMouseEvent click(wxEVT_LEFT_DOWN);
        click.SetEventObject(box);
        box->GetEventHandler()->ProcessEvent(click);
      }
      // The numbers describe the new colour.
      EXPECT_EQ(d.FindWindow(IDC_EDIT_PALETTE_RED)->GetLabel(), wxString::Format("%d", chosen.rgbRed));
      EXPECT_EQ(d.FindWindow(IDC_EDIT_PALETTE_GREEN)->GetLabel(), wxString::Format("%d", chosen.rgbGreen));
      EXPECT_EQ(d.FindWindow(IDC_EDIT_PALETTE_BLUE)->GetLabel(), wxString::Format("%d", chosen.rgbBlue));
      EXPECT_EQ(d.FindWindow(IDC_EDIT_PALETTE_INDEX)->GetLabel(), "17");
      const wxImage grid_pixels = RenderToImage(*grid);
      const wxPoint middle = cell.GetPosition() + wxPoint(cell.width / 2, cell.height / 2);
      EXPECT_EQ(grid_pixels.GetRed(middle.x, middle.y), chosen.rgbRed);
      EXPECT_EQ(grid_pixels.GetBlue(middle.x, middle.y), chosen.rgbBlue);
      if (!shot.empty()) {
        d.Raise();
        testing_support::PumpUntil([&] { return d.IsShownOnScreen(); });
        testing_support::PumpFor(300);
        const wxRect r = d.GetScreenRect();
        std::system(("import -window root -crop " + std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                     std::to_string(r.x) + "+" + std::to_string(r.y) + " '" + shot + "'")
                        .c_str());
      }
      return wxID_OK;
    });
    f.Command(ID_EDIT_PALETTE);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
  EXPECT_EQ(UndoLabel(), "Edit Color Palette");
  EXPECT_EQ(std::memcmp(&Image().GetPalette()[17], &chosen, 4), 0);
  EXPECT_EQ(std::memcmp(&doc->GetCurrentFrame()->m_selection.GetPalette()[17], &chosen, 4), 0);
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(std::memcmp(&Image().GetPalette()[17], &before, 4), 0);
  EXPECT_EQ(std::memcmp(&doc->GetCurrentFrame()->m_selection.GetPalette()[17], &before, 4), 0);
}

TEST_F(ColorCommands, PaletteEditorLoadsFewerColoursAndBlacksTheRest) {
  const std::string pal = (dir.path() / "sixteen.pal").string();
  RGBQUAD sixteen[16];
  for (int i = 0; i < 16; ++i) sixteen[i] = RGBQUAD{uint8_t(i * 16), 1, 2, 0};
  ASSERT_TRUE(SavePaletteFile(sixteen, 16, pal));
  std::vector<RGBQUAD> entries(256, RGBQUAD{9, 9, 9, 0});
  int count = 256;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    EXPECT_EQ(d.GetId(), IDD_EDIT_PALETTE);
    wxCommandEvent load(wxEVT_BUTTON, IDC_EDIT_PALETTE_LOAD);
    load.SetEventObject(d.FindWindow(IDC_EDIT_PALETTE_LOAD));
    d.GetEventHandler()->ProcessEvent(load);
    d.EndModal(wxID_OK);
  });
  script.Run([&](wxDialog& chooser) {
    auto& files = dynamic_cast<wxFileDialog&>(chooser);
    files.SetPath(pal);
    EXPECT_TRUE(PumpUntil([&] { return files.GetPath() == pal; }, 3000));
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    ok.SetEventObject(&chooser);
    chooser.GetEventHandler()->ProcessEvent(ok);
  });
  ASSERT_TRUE(RunEditPaletteDialog(nullptr, entries.data(), count));
  EXPECT_EQ(count, 256);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(std::memcmp(&entries[i], &sixteen[i], 4), 0) << i;
  for (int i = 16; i < 256; ++i) EXPECT_EQ(entries[i].rgbRed + entries[i].rgbGreen + entries[i].rgbBlue, 0) << i;
}

}  // namespace

namespace {

// The picker returns the colour under the eyedropper; OK stays disabled
// until a colour is chosen; "Advanced..." is offered only where any colour
// can be taken.
TEST(ColorPicker, ReturnsWhatWasPicked) {
  const CRasterImage picture = testing_support::MakeTestPicture(40, 30, 9);
  RGBQUAD expected{};
  ASSERT_TRUE(GetImagePixelColor(picture, 12, 7, expected));
  RGBQUAD colour{1, 1, 1, 0};
  {
    CModalDialogHook hook([&](wxDialog& d) {
      EXPECT_EQ(d.GetId(), IDD_COLOR_PICKER);
      EXPECT_FALSE(d.FindWindow(wxID_OK)->IsEnabled());
      EXPECT_TRUE(d.FindWindow(IDC_PICKER_ADVANCED)->IsEnabled());
      EXPECT_EQ(d.FindWindow(IDC_PICKER_RED)->GetLabel(), "n/a");
      auto* preview = dynamic_cast<CImagePreviewCtrl*>(d.FindWindow(IDC_PICKER_PREVIEW));
      EXPECT_TRUE(preview);
      if (!preview) return wxID_CANCEL;
      const wxRect shown = preview->PlaceShownArea();
      preview->MouseDown(shown.GetPosition() + wxPoint(12, 7));
      preview->MouseUp();
      EXPECT_TRUE(d.FindWindow(wxID_OK)->IsEnabled());
      EXPECT_EQ(d.FindWindow(IDC_PICKER_RED)->GetLabel(), wxString::Format("%d", expected.rgbRed));
      return wxID_OK;
    });
    EXPECT_TRUE(RunColorPicker(nullptr, picture, colour));
  }
  EXPECT_EQ(std::memcmp(&colour, &expected, 4), 0);

  // Advanced... through the colour dialog.
  CColorChooserOverride chooser([](wxWindow*, RGBQUAD& c) {
    c = RGBQUAD{7, 8, 9, 0};
    return true;
  });
  {
    CModalDialogHook hook([&](wxDialog& d) {
      wxCommandEvent advanced(wxEVT_BUTTON, IDC_PICKER_ADVANCED);
      advanced.SetEventObject(d.FindWindow(IDC_PICKER_ADVANCED));
      d.FindWindow(IDC_PICKER_ADVANCED)->GetEventHandler()->ProcessEvent(advanced);
      return wxID_OK;
    });
    EXPECT_TRUE(RunColorPicker(nullptr, picture, colour));
  }
  EXPECT_EQ(colour.rgbBlue, 7);
  EXPECT_EQ(colour.rgbRed, 9);

  // An indexed image using every entry: only its own colours are accepted.
  CRasterImage full = IndexedImage([] {
    std::vector<int> v;
    for (int i = 0; i < 256; ++i) v.push_back(i);
    return v;
  }(), 16, 16);
  EXPECT_FALSE(ColorPickerAllowsAnyColor(full));
  EXPECT_TRUE(ColorPickerAccepts(full, full.GetPalette()[40]));
  EXPECT_FALSE(ColorPickerAccepts(full, RGBQUAD{3, 200, 3, 0}));
  CRasterImage spare = IndexedImage({0, 1, 2}, 8, 8);
  EXPECT_TRUE(ColorPickerAllowsAnyColor(spare));
  EXPECT_TRUE(ColorPickerAccepts(spare, RGBQUAD{3, 200, 3, 0}));
  // Cancel, and OK without a choice, give nothing.
  CModalDialogHook cancel([](wxDialog&) { return wxID_OK; });
  EXPECT_FALSE(RunColorPicker(nullptr, full, colour));
}

}  // namespace

namespace {

// Grayscale on a gray image does nothing even with a colour selection;
// Sharpen works on the selection first; Count Colors counts a colour shared
// by image and selection once.
TEST_F(ColorCommands, SelectionRulesOfGrayscaleSharpenAndCount) {
  const CRasterImage picture = testing_support::MakeTestPicture(30, 20, 4);
  Open(ConvertToGrayscale(picture), "gray.bmp");
  CAnimFrame* frame = doc->GetCurrentFrame();
  frame->m_selection = SolidImage(6, 6, 200, 10, 10);
  frame->m_rcSelection = Rect{2, 2, 8, 8};
  f.Command(ID_CONVERT_TO_GRAYSCALE);
  EXPECT_EQ(Steps(), 0u);
  EXPECT_EQ(doc->GetCurrentFrame()->m_selection.GetBitsPerPixel(), 24);

  RecordingMessageSink sink;
  doc->GetCurrentFrame()->m_image = SolidImage(10, 10, 200, 10, 10);
  f.Command(ID_COUNT_COLORS);
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().second, "This image has 1 unique colors.");

  doc->GetCurrentFrame()->m_selection = picture;
  const CRasterImage image = doc->GetCurrentFrame()->m_image;
  ASSERT_TRUE(f.IsEnabled(ID_SHARPEN));
  f.Command(ID_SHARPEN);
  EXPECT_EQ(UndoLabel(), "Sharpen");
  EXPECT_TRUE(SameColors(doc->GetCurrentFrame()->m_selection, ApplyPresetFilter(picture, 1)));
  EXPECT_TRUE(SameColors(doc->GetCurrentFrame()->m_image, image));
}

}  // namespace

namespace {

// The Bitmap dialog's preview shows the converted source; dragging the
// threshold thumb only moves the number, releasing it remakes the preview.
TEST(BitmapOptions, PreviewFollowsTheSliderWhenReleased) {
  ScopedMemoryProfile profile;
  WriteProfileInt("Bitmap Option", "Dither", 0);
  WriteProfileInt("Bitmap Option", "Threshold", 128);
  const CRasterImage picture = testing_support::MakeTestPicture(60, 40, 2);
  std::string shot;
  if (const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR")) shot = std::string(out) + "/bitmap-options.png";
  CModalDialogHook hook([&](wxDialog& d) {
    auto* preview = dynamic_cast<CImagePreviewCtrl*>(d.FindWindow(IDC_BITMAP_PREVIEW));
    auto* slider = dynamic_cast<wxSlider*>(d.FindWindow(IDC_BITMAP_THRESHOLD_SLIDER));
    EXPECT_TRUE(preview && slider);
    if (!preview || !slider) return wxID_CANCEL;
    const wxImage first = RenderToImage(*preview);
    slider->SetValue(20);
    wxScrollEvent track(wxEVT_SCROLL_THUMBTRACK, IDC_BITMAP_THRESHOLD_SLIDER, 20);
    track.SetEventObject(slider);
    slider->GetEventHandler()->ProcessEvent(track);
    EXPECT_EQ(d.FindWindow(IDC_BITMAP_LEVEL)->GetLabel(), "20");
    const wxImage dragged = RenderToImage(*preview);
    EXPECT_EQ(std::memcmp(first.GetData(), dragged.GetData(), first.GetWidth() * first.GetHeight() * 3), 0);
    wxScrollEvent changed(wxEVT_SCROLL_CHANGED, IDC_BITMAP_THRESHOLD_SLIDER, 20);
    changed.SetEventObject(slider);
    slider->GetEventHandler()->ProcessEvent(changed);
    const wxImage released = RenderToImage(*preview);
    EXPECT_NE(std::memcmp(first.GetData(), released.GetData(), first.GetWidth() * first.GetHeight() * 3), 0);
    if (!shot.empty()) {
      testing_support::PumpUntil([&] { return d.IsShownOnScreen(); });
      testing_support::PumpFor(300);
      const wxRect r = d.GetScreenRect();
      std::system(("import -window root -crop " + std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                   std::to_string(r.x) + "+" + std::to_string(r.y) + " '" + shot + "'")
                      .c_str());
    }
    return wxID_OK;
  });
  BITMAP_OPTIONS_VALUES values;
  ASSERT_TRUE(GetBitmapOptions(&picture, values, true));
  EXPECT_EQ(values.mode, 0);
  EXPECT_EQ(values.threshold, 20);
}

}  // namespace

namespace {

// Saving under a name without the extension asks about the final name; No
// shows the dialog again and the old file stays.
TEST(PaletteFileDialog, AsksBeforeReplacingTheFinalName) {
  ScopedMemoryProfile profile;
  TempDir dir;
  RGBQUAD old[3] = {{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}};
  const std::string existing = (dir.path() / "old.pal").string();
  ASSERT_TRUE(SavePaletteFile(old, 3, existing));
  auto typeName = [&](wxDialog& d) {
    auto& chooser = dynamic_cast<wxFileDialog&>(d);
    const std::string typed = (dir.path() / "old").string();
    chooser.SetPath(typed);
    // The chooser changes folders in the background, and may complete the
    // name to the existing file's: either way the final name is old.pal.
    EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == typed || chooser.GetPath() == typed + ".pal"; }, 10000))
        << chooser.GetPath();
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    ok.SetEventObject(&d);
    d.GetEventHandler()->ProcessEvent(ok);
  };
  DialogScript script;
  script.Run(typeName);
  script.Answer(wxID_NO);
  script.Answer(wxID_CANCEL);  // shown again
  RGBQUAD fresh[2] = {{9, 9, 9, 0}, {8, 8, 8, 0}};
  EXPECT_FALSE(SavePaletteFileWithDialog(fresh, 2));
  ASSERT_EQ(script.messages().size(), 1u);
  EXPECT_EQ(script.messages()[0], "old.pal already exists.\nDo you want to replace it?");
  int count = 0;
  RGBQUAD back[256];
  ASSERT_TRUE(LoadPaletteFile(&count, back, existing));
  EXPECT_EQ(count, 3);
  // Yes replaces it.
  script.Run(typeName);
  script.Answer(wxID_YES);
  EXPECT_TRUE(SavePaletteFileWithDialog(fresh, 2));
  ASSERT_TRUE(LoadPaletteFile(&count, back, existing));
  EXPECT_EQ(count, 2);
}

}  // namespace
