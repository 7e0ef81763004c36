#include "shell/ShellFunctions.h"

#include <wx/artprov.h>
#include <wx/cmndata.h>
#include <wx/dirdlg.h>
#include <wx/printdlg.h>

#include <cstdio>
#include <memory>
#include <filesystem>
#include <system_error>
#include <wx/utils.h>

#include "base/MessageReport.h"

#include "resources/MenuResources.h"
#include "shell/MainFrame.h"

wxIcon GetRecycleBinIcon() { return wxArtProvider::GetIcon("user-trash", wxART_OTHER, wxSize(32, 32)); }

bool BrowseForFolder(wxWindow* owner, const std::string& title, std::string& folder) {
  std::string start = folder;
  while (start.size() > 1 && start.back() == '/') start.pop_back();
  wxDirDialog dialog(owner, wxString::FromUTF8(title), wxString::FromUTF8(start),
                     wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return false;
  const std::string chosen = dialog.GetPath().utf8_string();
  if (chosen.empty()) {
    folder.clear();
    return false;
  }
  folder = chosen;
  return true;
}

void UpdatePopupMenu(wxMenu* menu, wxWindow* target) {
  if (!menu || !target) return;
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSeparator()) continue;
    if (wxMenu* sub = item->GetSubMenu()) {
      UpdatePopupMenu(sub, target);
      continue;
    }
    wxUpdateUIEvent event(item->GetId());
    event.SetEventObject(menu);
    if (target->GetEventHandler()->ProcessEvent(event)) {
      if (event.GetSetEnabled()) item->Enable(event.GetEnabled());
      if (event.GetSetChecked() && item->IsCheckable()) item->Check(event.GetChecked());
      if (event.GetSetText()) item->SetItemLabel(event.GetText());
    } else {
      item->Enable(false);
    }
  }
}

void TrackPopupMenuResource(int resourceId, int x, int y) {
  if (!g_pMainFrame) return;
  std::unique_ptr<wxMenu> menu(CreatePopupMenuResource(resourceId));
  if (!menu) return;
  UpdatePopupMenu(menu.get(), g_pMainFrame);
  g_pMainFrame->PopupMenu(menu.get(), g_pMainFrame->ScreenToClient(wxPoint(x, y)));
}

std::string FormatAssertion(const std::string& file, int line, const std::string& function,
                            const std::string& condition, const std::string& message) {
  std::string text = "Toolkit assertion failed in " + (function.empty() ? std::string("?") : function) + "() (" +
                     file + ":" + std::to_string(line) + "): " + condition;
  if (!message.empty()) text += ": " + message;
  return text;
}

void InstallLoggingAssertHandler() {
  wxSetAssertHandler([](const wxString& file, int line, const wxString& function, const wxString& condition,
                        const wxString& message) {
    // An assertion raised while one is being reported is only printed.
    static bool s_reporting = false;
    const std::string text = FormatAssertion(file.utf8_string(), line, function.utf8_string(),
                                             condition.utf8_string(), message.utf8_string());
    std::fprintf(stderr, "pictoravell: %s\n", text.c_str());
    if (s_reporting) return;
    s_reporting = true;
    ReportMessage(MESSAGE_WARNING, text);
    s_reporting = false;
  });
}

namespace {

std::function<bool(const std::string&)>& OpenDocumentFunction() {
  static std::function<bool(const std::string&)> open;
  return open;
}

}  // namespace

void SetOpenDocumentFunction(std::function<bool(const std::string&)> open) { OpenDocumentFunction() = std::move(open); }

std::string GetReadmePath() {
  std::error_code ec;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  // Beside the program in a build; under share/doc once installed.
  for (const std::filesystem::path& readme :
       {program.parent_path() / "Readme.txt", program.parent_path().parent_path() / "share/doc/pictoravell/Readme.txt"})
    if (std::filesystem::is_regular_file(readme, ec)) return readme.lexically_normal().string();
  return {};
}

bool OpenReadme() {
  const std::string path = GetReadmePath();
  if (path.empty()) {
    ReportMessage(MESSAGE_ERROR, "The Readme file (Readme.txt) is not in the program's folder.");
    return false;
  }
  const bool opened = OpenDocumentFunction() ? OpenDocumentFunction()(path)
                                             : wxLaunchDefaultApplication(wxString::FromUTF8(path));
  if (!opened) ReportMessage(MESSAGE_ERROR, "Failed to open " + path + ".");
  return opened;
}

wxPrintData& GetProgramPrintData() {
  static wxPrintData data;
  return data;
}

bool RunPrinterSettings(wxWindow* parent) {
  wxPageSetupDialogData setup(GetProgramPrintData());
  wxPageSetupDialog dialog(parent, &setup);
  if (dialog.ShowModal() != wxID_OK) return false;
  GetProgramPrintData() = dialog.GetPageSetupDialogData().GetPrintData();
  return true;
}
