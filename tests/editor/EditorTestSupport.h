#pragma once
// Helpers of the document and view tests: documents built from frames in
// memory, and a main frame with the image document template for tests that
// open document windows.

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/docview.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "editor/EffectTool.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "imaging/AnimFrame.h"
#include "tests/editor/model/ModelTestSupport.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace editor_testing {

// Writes a one-frame BMP of the image into the folder and gives its path.
inline std::string WriteBmp(const testing_support::TempDir& dir, const std::string& name, const CRasterImage& image) {
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / name).string();
  request.m_nWidth = static_cast<int16_t>(image.GetWidth());
  request.m_nHeight = static_cast<int16_t>(image.GetHeight());
  request.m_frames.push_back(MakeFrame(image));
  EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  return request.m_strFileName;
}

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

// The effect panel the last command started, once effect mode is on and
// the task pane has slid the page into place (its OK button stays put), or
// null.
template <class Panel>
Panel* WaitForEffectPanel(CMainFrame* frame) {
  testing_support::PumpUntil(
      [&] { return GetRunningEffectPanel() != nullptr && frame->GetMode() == MODE_EFFECT; }, 2000);
  auto* panel = dynamic_cast<Panel*>(GetRunningEffectPanel());
  if (!panel) return nullptr;
  wxRect last = panel->GetOkButton()->GetScreenRect();
  int still = 0;
  testing_support::PumpUntil(
      [&] {
        testing_support::PumpFor(40);
        const wxRect now = panel->GetOkButton()->GetScreenRect();
        still = now == last ? still + 1 : 0;
        last = now;
        return still >= 3;
      },
      3000);
  return panel;
}

// A settings store of its own in memory for the scope's lifetime.
class ScopedStore {
 public:
  ScopedStore() : m_store(InstallProfileStore(MakeMemoryProfileStore())) {}
  ~ScopedStore() { InstallProfileStore(std::move(m_store)); }

 private:
  std::unique_ptr<IProfileStore> m_store;
};

// A dialog's control by id, as its type (null when it is another).
template <class T>
T* Control(wxDialog& dialog, int id) {
  return dynamic_cast<T*>(dialog.FindWindow(id));
}

}  // namespace editor_testing
