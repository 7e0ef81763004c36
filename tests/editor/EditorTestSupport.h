#pragma once
// Helpers of the document and view tests: documents built from frames in
// memory, and a main frame with the image document template for tests that
// open document windows.

#include <wx/docview.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "imaging/AnimFrame.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace editor_testing {

// A 24-bit image of one colour.
inline CRasterImage SolidImage(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  CRasterImage image;
  image.Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
    for (int x = 0; x < width; ++x) {
      row[3 * x] = red;
      row[3 * x + 1] = green;
      row[3 * x + 2] = blue;
    }
  }
  return image;
}

inline CAnimFrame MakeFrame(const CRasterImage& image, int left = 0, int top = 0, int disposal = 0) {
  CAnimFrame frame;
  frame.m_image = image;
  frame.m_nLeft = static_cast<int16_t>(left);
  frame.m_nTop = static_cast<int16_t>(top);
  frame.m_nFlags = static_cast<uint8_t>(disposal << 2);
  frame.m_nDelay = 10;
  return frame;
}

// Frames 0..count-1, each a 4 x 4 image whose red value is the frame number.
inline std::vector<CAnimFrame> NumberedFrames(int count) {
  std::vector<CAnimFrame> frames;
  for (int i = 0; i < count; ++i) frames.push_back(MakeFrame(SolidImage(4, 4, static_cast<uint8_t>(i), 0, 0)));
  return frames;
}

inline int FrameNumber(const CAnimFrame& frame) { return frame.m_image.GetRow(0)[0]; }

// Installs scripted prompts for its lifetime.
class ScopedPrompts {
 public:
  explicit ScopedPrompts(DOCUMENT_PROMPTS prompts) : m_previous(SetDocumentPrompts(std::move(prompts))) {}
  ~ScopedPrompts() { SetDocumentPrompts(m_previous); }

 private:
  DOCUMENT_PROMPTS m_previous;
};

// A main frame whose document manager has the image document template.
class DocumentWindowFixture {
 public:
  DocumentWindowFixture() : manager(new wxDocManager) {
    RegisterImageDocumentTemplate(manager.get());
    ResetStatusStack();
    frame = new CMainFrame(manager.get());
    frame->SetSize(900, 700);
    frame->Show();
    testing_support::PumpUntil([this] { return frame->IsShownOnScreen(); });
  }
  ~DocumentWindowFixture() {
    // Documents go unasked.
    for (auto* node = manager->GetDocuments().GetFirst(); node; node = node->GetNext())
      static_cast<wxDocument*>(node->GetData())->Modify(false);
    manager->CloseDocuments(true);
    ResetStatusStack();
    shell_testing::DestroyFrame(frame);
  }
  CPictoravellView* ViewOf(CPictoravellDoc* doc) const {
    return doc ? dynamic_cast<CPictoravellView*>(doc->GetFirstView()) : nullptr;
  }
  // Sends a menu command the way the menu does (to the main frame).
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
  }
  // Whether the frame's routing enables a command.
  bool IsEnabled(int id) {
    wxUpdateUIEvent event(id);
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
    return event.GetSetEnabled() && event.GetEnabled();
  }

  std::unique_ptr<wxDocManager> manager;
  CMainFrame* frame = nullptr;
};

}  // namespace editor_testing
