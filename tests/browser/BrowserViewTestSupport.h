#pragma once
// A browser view in a frame of its own over a private folder of generated
// pictures, for the window tests and the window benchmarks.

#include <unistd.h>
#include <wx/frame.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/StatusStack.h"
#include "browser/ImageBrowserView.h"
#include "browser/core/ThumbnailMaker.h"
#include "shell/EventPump.h"
#include "shell/UiTheme.h"
#include "tests/support/WxTestSupport.h"

namespace browser_testing {

namespace fs = std::filesystem;

// Runs an ImageMagick command line; true when it succeeded.
inline bool Magick(const std::string& arguments) {
  return std::system(("convert " + arguments + " 2>/dev/null").c_str()) == 0;
}

// Solid grey pictures "g<level>.jpg" of the given size.
inline void MakeGreyPictures(const fs::path& folder, int count, int width, int height) {
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const int level = 20 + (i * 200) / (count > 1 ? count - 1 : 1);
    char name[32];
    std::snprintf(name, sizeof name, "g%03d.jpg", level);
    Magick("-size " + std::to_string(width) + "x" + std::to_string(height) + " xc:'rgb(" + std::to_string(level) +
           "," + std::to_string(level) + "," + std::to_string(level) + ")' " + (folder / name).string());
  }
}

class ViewFixture {
 public:
  explicit ViewFixture(const std::string& name, wxSize size = wxSize(700, 500)) {
    ResetStatusStack();
    m_pump.Install();
    // Every test starts from the default "Browse Mode" settings.
    BROWSE_MODE_SETTINGS defaults;
    defaults.Write();
    root = fs::temp_directory_path() / ("browser-view-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(root);
    folder = root / "pictures";
    fs::create_directories(folder);
    frame = new wxFrame(nullptr, wxID_ANY, "Browser", wxPoint(0, 0), size);
    view = new CImageBrowserView(frame, (root / "cache").string());
    frame->Show();
    testing_support::PumpUntil([this] { return frame->IsShownOnScreen(); });
    frame->Raise();
    view->SetFocus();
  }
  ~ViewFixture() {
    CImageBrowserView::SetDragRunner(nullptr);
    SetThumbnailThreads(0);
    frame->Destroy();
    testing_support::PumpUntil([] {
      wxTheApp->ProcessIdle();
      return g_pBrowserView == nullptr;
    });
    ResetStatusStack();
    fs::remove_all(root);
  }
  // Browses the folder and waits until the reload has finished.
  bool Load(long ms = 20000) {
    const int before = view->GetReloadCount();
    view->BrowseFolder(folder.string() + "/");
    return testing_support::PumpUntil([&] { return view->GetReloadCount() > before; }, ms);
  }
  wxPoint ScreenPointOf(int index) const {
    const wxRect r = view->GetThumbnailClientRect(index);
    return view->ClientToScreen(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
  }

  CFixedUiTheme theme;
  fs::path root, folder;
  wxFrame* frame = nullptr;
  CImageBrowserView* view = nullptr;

 private:
  CEventPump m_pump;
};

}  // namespace browser_testing
