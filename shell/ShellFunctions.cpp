#include "shell/ShellFunctions.h"

#include <wx/artprov.h>
#include <wx/dirdlg.h>

#include <memory>

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
