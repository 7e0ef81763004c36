#include "app/PictoravellApp.h"

#include <dlfcn.h>
#include <glib-object.h>
#include <unistd.h>
#include <wx/docview.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "base/StatusStack.h"
#include "app/OrganizeHooks.h"
#include "output/core/EmailPictures.h"
#include "browser/OrganizeBrowserView.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "output/PrintPreview.h"
#include "output/SlideShowWnd.h"
#include "platform/CommandLineSplitter.h"
#include "platform/RecentFileList.h"
#include "platform/WindowPlacement.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "shell/FileConfigProfileStore.h"
#include "shell/MainFrame.h"
#include "shell/MainStatusBar.h"
#include "shell/ShellFunctions.h"

namespace {

// Appends a line to the file named by $PICTORAVELL_OPEN_LOG, when set: a
// record of the documents opened and the command lines handled, for
// diagnosing start-up and hand-over.
void LogLine(const std::string& line) {
  const char* path = std::getenv("PICTORAVELL_OPEN_LOG");
  if (!path || !*path) return;
  std::ofstream out(path, std::ios::app);
  out << line << '\n';
}

}  // namespace

CPictoravellApp::CPictoravellApp() {
  BindCommands();
  Bind(wxEVT_IDLE, &CPictoravellApp::OnIdleClearReadout, this);
}

CPictoravellApp::~CPictoravellApp() {
  if (g_pRecentFileList == m_recentFiles.get()) g_pRecentFileList = nullptr;
}

bool CPictoravellApp::OnInit() {
  // A later instance has handed its command line over in main() already.
  if (!IsFirstInstance()) return false;
  // A failed toolkit assertion is logged and the program goes on.
  InstallLoggingAssertHandler();
  SetAppName("pictoravell");
  SetAppDisplayName(kProductName);
  SetVendorName(kCompanyName);
  InstallProfileStore(MakeFileConfigProfileStore());
  // Attachments handed to the mail client last time are not needed any more.
  ClearEmailTempFolder();
  m_pump.Install();
  m_fileHost = std::make_unique<CScopedDialogImageFileHost>();
  // F10 is one of the program's commands (Best Fit on Screen), not the key
  // that opens the menu bar.
  // The toolkit (GTK, under wx) is looked up where it is already loaded.
  using SettingsFunction = void* (*)();
  if (auto getSettings = reinterpret_cast<SettingsFunction>(dlsym(RTLD_DEFAULT, "gtk_settings_get_default")))
    if (void* settings = getSettings()) g_object_set(settings, "gtk-menu-bar-accel", "", nullptr);

  m_bAutoPlay = GetProfileInt("General", "Auto Play", m_bAutoPlay);
  const int recentCount = GetProfileInt("General", "MRU File List", 10);
  g_bDisplayComments = GetProfileInt("General", "Display Comments", 1);
  if (recentCount != 0) CreateRecentFileList(recentCount);

  m_docManager = new wxDocManager;
  RegisterImageDocumentTemplate(m_docManager);
  SetFullScreenPlayer(PlayAnimationFullScreen);
  CMainFrame::SetOpenFolderCallback([this](const std::string& folder) { DoFileOpen(folder); });
  CMainFrame::SetOpenFileCallback([this](const std::string& path) { return OpenDocumentFile(path); });
  InstallOrganizeHooks([this](const std::string& path) { return OpenDocumentFile(path); });
  COrganizeView::SetContentFactory([](wxWindow* parent) -> IBrowseContent* { return new COrganizeBrowserView(parent); });
  CPtPreviewView::SetContentFactory(
      [](wxWindow* parent, CMainFrame& frame) -> IPreviewContent* { return new CPrintPreviewWnd(parent, frame); });
  auto* frame = new CMainFrame(m_docManager);
  frame->SetTitle(kProductName);
  SetTopWindow(frame);

  WINDOWPLACEMENT placement;
  if (ReadWindowPlacement("Main Frame", "Placement", placement))
    frame->ApplyPlacement(placement);
  else
    frame->CentreOnFirstStart();
  frame->Show();

  // Each argument by itself; a file that cannot be opened ends the program.
  const int count = argc;
  for (int i = 1; i < count; ++i) {
    if (!RunCommandLineArgument(argv[i].utf8_string(), i == count - 1)) {
      frame->Destroy();
      return false;
    }
  }

  PublishInstanceWindow();
  LogLine("ready");
  WriteProfileInt("General", "Usage", GetProfileInt("General", "Usage", 0) + 1);

  if (const char* ms = std::getenv("PICTORAVELL_EXIT_AFTER_MS"); ms && std::atoi(ms) > 0) {
    m_exitTimer = std::make_unique<wxTimer>();
    m_exitTimer->Bind(wxEVT_TIMER, [](wxTimerEvent&) {
      if (g_pMainFrame) g_pMainFrame->Close(true);
    });
    m_exitTimer->StartOnce(std::atoi(ms));
  }
  return true;
}

int CPictoravellApp::OnExit() {
  m_exitTimer.reset();
  m_fileHost.reset();
  if (m_recentFiles) m_recentFiles->WriteList();
  if (g_pRecentFileList == m_recentFiles.get()) g_pRecentFileList = nullptr;
  m_recentFiles.reset();
  delete m_docManager;
  m_docManager = nullptr;
  Profile().Flush();
  InstallProfileStore(nullptr);
  return CSingleInstanceApp::OnExit();
}

void CPictoravellApp::CreateRecentFileList(int size) {
  m_recentFiles = std::make_unique<CRecentFileList>("Recent File List", "File%d", size, 30);
  m_recentFiles->ReadList();
  m_recentFiles->SetEmptyText(kRecentFileEmptyText);
  g_pRecentFileList = m_recentFiles.get();
}

void CPictoravellApp::ApplyGeneralSettings(int recentFileCount, int autoPlay) {
  recentFileCount = std::clamp(recentFileCount, 0, CRecentFileList::kMaxSize);
  m_bAutoPlay = autoPlay;
  WriteProfileInt("General", "MRU File List", recentFileCount);
  WriteProfileInt("General", "Auto Play", autoPlay);
  g_pRecentFileList = nullptr;
  if (!m_recentFiles) {
    if (recentFileCount != 0) CreateRecentFileList(recentFileCount);
  } else {
    m_recentFiles = ResizeRecentFileList(std::move(m_recentFiles), recentFileCount);
    g_pRecentFileList = m_recentFiles.get();
  }
}

bool CPictoravellApp::RunCommandLineArgument(const std::string& argument, bool last) {
  (void)last;
  if (argument.empty()) return true;
  // Flags select nothing this program does; they are skipped.
  if (argument[0] == '-') return true;
  return OpenDocumentFile(argument);
}

bool CPictoravellApp::OpenDocumentFile(const std::string& path) {
  std::error_code ec;
  std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
  if (ec) full = path;
  LogLine("open " + full);
  if (access(full.c_str(), R_OK) != 0) {
    ReportMessage(MESSAGE_ERROR, "Failed to open " + full + ": " + std::strerror(errno));
    LogLine("failed " + full);
    return false;
  }
  if (g_pMainFrame) g_pMainFrame->SetMode(MODE_VIEW_EDIT);
  if (!OpenImageDocument(full)) {
    LogLine("failed " + full);
    return false;
  }
  m_openedFiles.push_back(full);
  return true;
}

bool CPictoravellApp::NewDocument(NEW_DOCUMENT_KIND kind) { return NewImageDocument(kind) != nullptr; }

void CPictoravellApp::OnInstanceCommandLine(const std::string& commandLine) {
  LogLine("line " + commandLine);
  if (CMainFrame* frame = g_pMainFrame) {
    if (frame->IsIconized()) frame->Iconize(false);
    if (frame->IsMaximized()) frame->Maximize(false);
    frame->Show();
    frame->Raise();
    frame->SetMode(MODE_VIEW_EDIT);
  }
  CCommandLineSplitter split(commandLine);
  for (int i = 1; i < split.GetCount(); ++i) {
    if (!g_pMainFrame) break;
    if (!RunCommandLineArgument(split[i], i == split.GetCount() - 1)) break;
  }
}

void CPictoravellApp::DoFileOpen(const std::string& startFolder) {
  RunFileOpen(startFolder, [this](const std::string& path) { return OpenDocumentFile(path); });
}

void CPictoravellApp::UpdateAllDocumentViews(int hint) {
  if (!m_docManager) return;
  CViewUpdateHint hintObject(hint);
  for (auto* node = m_docManager->GetDocuments().GetFirst(); node; node = node->GetNext())
    if (auto* doc = static_cast<wxDocument*>(node->GetData())) doc->UpdateAllViews(nullptr, &hintObject);
}

void CPictoravellApp::OnIdleClearReadout(wxIdleEvent& event) {
  event.Skip();
  ClearStatusPixelInfoOutsideImageViews();
}
