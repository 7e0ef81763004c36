// Reading files into documents, the kinds of new documents, and saving.

#include <gtest/gtest.h>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "editor/PictoravellDoc.h"
#include "formats/ImageFile.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::RecordingMessageSink;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

TEST(DocumentLoad, CommentLineEndsBecomeCrLf) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"one\ntwo\r\nthree", "one\r\ntwo\r\nthree"},
      {"a\r\n", "a\r\n"},
      {"a\n\n", "a\r\n\r\n"},
      {"no end", "no end"},
      {"cr\ronly", "cr\ronly"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CPictoravellDoc::NormalizeLineEnds(c.in), c.out) << c.in;
}

// Files of every supported format written by ImageMagick open with the
// picture's size and pixels.
TEST(DocumentLoad, OpensEveryFormatWrittenByImageMagick) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const auto source = dir.path() / "source.ppm";
  ASSERT_EQ(RunCommand("convert -size 37x23 gradient:red-blue -depth 8 " + ShellQuote(source.string())), 0);
  const CRasterImage expected = testing_support::ReadPnm(source);
  struct Case {
    const char* name;
    const char* options;
    int tolerance;
  } cases[] = {{"p.bmp", "", 0},         {"p.gif", "", 40},        {"p.png", "", 0},
               {"p.jpg", "-quality 95", 24}, {"p.tif", "-compress none", 0}, {"p.tga", "-orient TopLeft", 0},
               {"p.pcx", "", 0},         {"p.pct", "", 0}};
  for (const auto& c : cases) {
    const auto path = (dir.path() / c.name).string();
    ASSERT_EQ(RunCommand("convert " + ShellQuote(source.string()) + " " + c.options + " " + ShellQuote(path)), 0)
        << c.name;
    CPictoravellDoc doc;
    ASSERT_TRUE(doc.LoadImageFile(path)) << c.name;
    int16_t w, h;
    doc.GetCanvasSize(w, h);
    EXPECT_EQ(w, 37) << c.name;
    EXPECT_EQ(h, 23) << c.name;
    ASSERT_EQ(doc.GetFrameCount(), 1) << c.name;
    EXPECT_EQ(testing_support::CompareRgb(testing_support::ToRgb(doc.GetFrames()[0].m_image), expected, c.tolerance),
              "")
        << c.name;
    EXPECT_FALSE(doc.GetThumbnail().IsEmpty()) << c.name;
  }
}

TEST(DocumentLoad, AFileTheReaderRejectsIsReportedAndLeavesTheDocument) {
  TempDir dir;
  const auto bad = dir.path() / "broken.bmp";
  testing_support::WriteFileBytes(bad, {'B', 'M', 1, 2, 3});
  CPictoravellDoc doc;
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(3, 3, 1, 2, 3))};
  doc.SetFrames(3, 3, frames, 0);
  RecordingMessageSink sink;
  ResetStatusStack();
  EXPECT_FALSE(doc.LoadImageFile(bad.string()));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(sink.messages[0].second.rfind("Failed to open broken.bmp: ", 0), 0u) << sink.messages[0].second;
  EXPECT_EQ(doc.GetFrameCount(), 1);  // as before
  EXPECT_EQ(GetStatusDepth(), 0);     // "Reading ..." popped again
}

TEST(DocumentLoad, CommentIsHeldWithCrLf) {
  TempDir dir;
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / "c.png").string();
  request.m_nWidth = 2;
  request.m_nHeight = 2;
  request.m_frames.push_back(MakeFrame(SolidImage(2, 2, 5, 5, 5)));
  request.m_strComment = "first\nsecond\r\nthird";
  ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  CPictoravellDoc doc;
  ASSERT_TRUE(doc.LoadImageFile(request.m_strFileName));
  EXPECT_EQ(doc.GetComment(), "first\r\nsecond\r\nthird");
}

// --- new documents -----------------------------------------------------------------

struct NewCase {
  int16_t width, height;
  int empty, paste;
};

std::unique_ptr<CPictoravellDoc> MakeNew(int kind, DOCUMENT_PROMPTS prompts) {
  ScopedPrompts scoped(std::move(prompts));
  const int saved = g_nNewDocumentKind;
  g_nNewDocumentKind = kind;
  auto doc = std::make_unique<CPictoravellDoc>();
  const bool made = doc->OnNewDocument();
  g_nNewDocumentKind = saved;
  if (!made) doc.reset();
  return doc;
}

DOCUMENT_PROMPTS NewImagePrompts(NewCase c, bool clipboard, CRasterImage clip = {}) {
  DOCUMENT_PROMPTS p;
  p.newImage = [c](NEW_IMAGE_VALUES& v) {
    v.width = c.width, v.height = c.height, v.empty = c.empty != 0, v.paste = c.paste != 0;
    return true;
  };
  p.clipboardAvailable = [clipboard] { return clipboard; };
  p.clipboardImage = [clip] { return clip; };
  return p;
}

TEST(NewDocument, BlankWhiteEmptyAndPasted) {
  RecordingMessageSink sink;
  {
    auto doc = MakeNew(NEWDOC_BLANK, NewImagePrompts({120, 80, 0, 0}, false));
    ASSERT_TRUE(doc);
    int16_t w, h;
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 80);
    const CRasterImage& image = doc->GetFrames()[0].m_image;
    ASSERT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(image.GetRow(79)[3 * 119], 255);
    EXPECT_TRUE(doc->IsModified());  // a new document counts as changed
    EXPECT_EQ(doc->GetThumbnail().GetWidth(), 32);
  }
  {
    auto doc = MakeNew(NEWDOC_BLANK, NewImagePrompts({50, 40, 1, 0}, false));
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->GetFrameCount(), 1);
    EXPECT_TRUE(doc->GetFrames()[0].IsEmpty());
    int16_t w, h;
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 40);
  }
  {
    // Pasting takes the clipboard image's size, whatever was typed.
    auto doc = MakeNew(NEWDOC_BLANK, NewImagePrompts({50, 40, 0, 1}, true, SolidImage(7, 9, 1, 2, 3)));
    ASSERT_TRUE(doc);
    int16_t w, h;
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
  }
  {
    auto doc = MakeNew(NEWDOC_BLANK, NewImagePrompts({50, 40, 0, 1}, true, CRasterImage()));
    EXPECT_FALSE(doc);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.back().second, "Failed to import image from the clipboard !");
  }
  DOCUMENT_PROMPTS cancel;
  cancel.newImage = [](NEW_IMAGE_VALUES&) { return false; };
  const size_t before = sink.messages.size();
  EXPECT_FALSE(MakeNew(NEWDOC_BLANK, cancel));
  EXPECT_EQ(sink.messages.size(), before);  // cancelling says nothing
}

TEST(NewDocument, FromClipboardAndUnknownKinds) {
  RecordingMessageSink sink;
  auto doc = MakeNew(NEWDOC_CLIPBOARD, NewImagePrompts({}, true, SolidImage(11, 5, 9, 9, 9)));
  ASSERT_TRUE(doc);
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 11);
  EXPECT_EQ(h, 5);
  // The clipboard emptied meanwhile: refused, not a document without frames.
  EXPECT_FALSE(MakeNew(NEWDOC_CLIPBOARD, NewImagePrompts({}, false)));
  EXPECT_EQ(sink.messages.back().second, "Failed to import image from the clipboard !");
  EXPECT_FALSE(MakeNew(7, {}));
  EXPECT_EQ(sink.messages.back().second, "Unknow document type");
}

TEST(NewDocument, FileSequenceFitsTheCanvasToTheFrames) {
  DOCUMENT_PROMPTS p;
  p.fileSequence = [](std::vector<CAnimFrame>& frames, uint16_t& loops) {
    frames = {MakeFrame(SolidImage(100, 50, 1, 1, 1), 0, 0), MakeFrame(SolidImage(100, 50, 2, 2, 2), 20, 30)};
    loops = 3;
    return true;
  };
  auto doc = MakeNew(NEWDOC_FILE_SEQUENCE, p);
  ASSERT_TRUE(doc);
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 80);
  EXPECT_EQ(doc->GetLoopCount(), 3);
  EXPECT_EQ(doc->GetFrameCount(), 2);
}

TEST(NewDocument, MultiburstCutsSixteenFrames) {
  TempDir dir;
  const auto good = (dir.path() / "burst.bmp").string();
  const auto odd = (dir.path() / "odd.bmp").string();
  for (const auto& [path, width] : {std::pair{good, 400}, std::pair{odd, 402}}) {
    CImageFileRequest request;
    request.m_strFileName = path;
    request.m_nWidth = static_cast<int16_t>(width);
    request.m_nHeight = 300;
    request.m_frames.push_back(MakeFrame(testing_support::MakeTestPicture(width, 300)));
    ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  }
  int asked = 0;
  bool answer = false;
  std::string file = good;
  DOCUMENT_PROMPTS p;
  p.multiburstFile = [&](std::string& path, int& rate) {
    path = file;
    rate = 1500;
    return true;
  };
  p.askYesNo = [&](const std::string& text) {
    ++asked;
    EXPECT_EQ(text.rfind("This file does not appear to be a valid multiburst image.", 0), 0u);
    return answer;
  };
  auto doc = MakeNew(NEWDOC_MULTIBURST, p);
  ASSERT_TRUE(doc);
  ASSERT_EQ(doc->GetFrameCount(), 16);
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 75);
  const CRasterImage whole = testing_support::MakeTestPicture(400, 300);
  for (int i = 0; i < 16; ++i) {
    const CAnimFrame& f = doc->GetFrames()[static_cast<size_t>(i)];
    EXPECT_EQ(f.m_nDelay, 6);
    EXPECT_EQ(f.m_image.GetWidth(), 100);
    // Row-major: frame 4 r + c starts at (100 c, 75 r).
    const int r = i / 4, c = i % 4;
    EXPECT_EQ(f.m_image.GetRow(0)[0], whole.GetRow(75 * r)[3 * 100 * c]) << i;
  }
  EXPECT_EQ(asked, 0);

  file = odd;
  EXPECT_FALSE(MakeNew(NEWDOC_MULTIBURST, p));  // No
  answer = true;
  auto regular = MakeNew(NEWDOC_MULTIBURST, p);  // Yes: opened as it is
  ASSERT_TRUE(regular);
  EXPECT_EQ(regular->GetFrameCount(), 1);
  EXPECT_EQ(asked, 2);
}

// --- saving ----------------------------------------------------------------------

TEST(DocumentSave, SaveSaveAsAndSaveACopyAsRoundTrip) {
  TempDir dir;
  const auto first = (dir.path() / "first.bmp").string();
  const auto second = (dir.path() / "second.bmp").string();
  const auto copy = (dir.path() / "copy.bmp").string();
  std::string next;
  DOCUMENT_PROMPTS p;
  p.savePath = [&](std::string& path) {
    path = next;
    return true;
  };
  ScopedPrompts scoped(p);

  CPictoravellDoc doc;
  const CRasterImage picture = testing_support::MakeTestPicture(33, 17);
  std::vector<CAnimFrame> frames{MakeFrame(picture)};
  doc.SetFrames(33, 17, frames, 0);
  doc.Modify(true);
  next = first;
  ASSERT_TRUE(doc.SaveAs());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.GetFilename().utf8_string(), first);

  doc.PushUndo("Edit");
  doc.GetCurrentFrame()->m_image.GetWritableBits()[0] ^= 0xFF;
  doc.Modify(true);
  next = copy;
  ASSERT_TRUE(doc.SaveCopyAs(copy));
  EXPECT_TRUE(doc.IsModified());  // a copy leaves the flag alone
  EXPECT_EQ(doc.GetFilename().utf8_string(), first);
  ASSERT_TRUE(doc.Save());
  EXPECT_FALSE(doc.IsModified());
  next = second;
  ASSERT_TRUE(doc.SaveAs());

  for (const auto& path : {first, second, copy}) {
    CPictoravellDoc back;
    ASSERT_TRUE(back.LoadImageFile(path)) << path;
    EXPECT_EQ(testing_support::CompareRgb(back.GetFrames()[0].m_image, doc.GetFrames()[0].m_image), "") << path;
  }
  // A failed save changes nothing and says why.
  RecordingMessageSink sink;
  doc.Modify(true);
  EXPECT_FALSE(doc.OnSaveDocument(wxString::FromUTF8((dir.path() / "no" / "such.bmp").string())));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetFilename().utf8_string(), second);
}

}  // namespace

namespace {

TEST(DocumentSave, AnAnimatedGifKeepsItsFramesThroughSaveAs) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const auto gif = (dir.path() / "anim.gif").string();
  ASSERT_EQ(RunCommand("convert -dispose None -size 30x20 xc:white -size 10x10 -page +0+0 xc:red -dispose "
                       "Background -page +10+5 xc:lime -loop 3 -delay 20 " +
                       ShellQuote(gif)),
            0);
  CPictoravellDoc doc;
  ASSERT_TRUE(doc.LoadImageFile(gif));
  ASSERT_EQ(doc.GetFrameCount(), 3);
  const auto copy = (dir.path() / "copy.gif").string();
  DOCUMENT_PROMPTS p;
  p.savePath = [&](std::string& path) {
    path = copy;
    return true;
  };
  ScopedPrompts scoped(p);
  ASSERT_TRUE(doc.SaveAs());
  CPictoravellDoc back;
  ASSERT_TRUE(back.LoadImageFile(copy));
  ASSERT_EQ(back.GetFrameCount(), 3);
  EXPECT_EQ(back.GetLoopCount(), doc.GetLoopCount());
  for (int i = 0; i < 3; ++i) {
    const CAnimFrame& a = doc.GetFrames()[static_cast<size_t>(i)];
    const CAnimFrame& b = back.GetFrames()[static_cast<size_t>(i)];
    EXPECT_EQ(b.m_nLeft, a.m_nLeft) << i;
    EXPECT_EQ(b.m_nTop, a.m_nTop) << i;
    EXPECT_EQ(b.GetDisposal(), a.GetDisposal()) << i;
    EXPECT_EQ(b.m_nDelay, a.m_nDelay) << i;
    EXPECT_EQ(testing_support::CompareRgb(testing_support::ToRgb(b.m_image), testing_support::ToRgb(a.m_image)), "")
        << i;
  }
}

}  // namespace
