#include "browser/OrganizeFavoritesDlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include <algorithm>

#include "shell/ModalDialog.h"

namespace {

class COrganizeFavoritesDlg : public wxDialog {
 public:
  COrganizeFavoritesDlg(wxWindow* parent, const std::vector<std::string>& folders,
                        const std::vector<FOLDER_TREE_ROOT>& roots)
      : wxDialog(parent, wxID_ANY, "Organize Favorites", wxDefaultPosition, wxSize(640, 420),
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
    m_tree = new CFolderTreeCtrl(this, IDC_FAVORITE_TREE, roots);
    m_tree->SetWindowStyleFlag(m_tree->GetWindowStyleFlag() | wxBORDER_SUNKEN);
    m_list = new wxListCtrl(this, IDC_FAVORITE_LIST, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxBORDER_SUNKEN);
    m_list->InsertColumn(0, "Folder Path");
    for (size_t i = 0; i < folders.size(); ++i) m_list->InsertItem(static_cast<long>(i), wxString::FromUTF8(folders[i]));
    m_list->SetColumnWidth(0, wxLIST_AUTOSIZE_USEHEADER);
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    for (auto [id, label] : {std::pair{IDC_FAVORITE_ADD, "Add"}, std::pair{IDC_FAVORITE_UP, "Move Up"},
                             std::pair{IDC_FAVORITE_DOWN, "Move Down"}, std::pair{IDC_FAVORITE_REMOVE, "Remove"}}) {
      buttons->Add(new wxButton(this, id, label), 0, wxEXPAND | wxBOTTOM, 4);
    }
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_OK, "Done"), 0, wxEXPAND);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_tree, 1, wxEXPAND | wxALL, 8);
    row->Add(m_list, 1, wxEXPAND | wxTOP | wxBOTTOM, 8);
    row->Add(buttons, 0, wxEXPAND | wxALL, 8);
    SetSizer(row);
    SetAffirmativeId(wxID_OK);

    m_tree->SetSelectCallback([this](const std::string& path) {
      // As the tree gives a folder: ending in '/'.
      m_selected = path == "/" ? path : path + "/";
      UpdateButtons();
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Add(); }, IDC_FAVORITE_ADD);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Move(-1); }, IDC_FAVORITE_UP);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Move(1); }, IDC_FAVORITE_DOWN);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Remove(); }, IDC_FAVORITE_REMOVE);
    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { UpdateButtons(); });
    m_list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { UpdateButtons(); });
    UpdateButtons();
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (long i = 0; i < m_list->GetItemCount(); ++i) rows.push_back(m_list->GetItemText(i).utf8_string());
    return rows;
  }

 private:
  std::vector<long> Selected() const {
    std::vector<long> rows;
    for (long i = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
         i = m_list->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
      rows.push_back(i);
    return rows;
  }

  void UpdateButtons() {
    const std::vector<long> selected = Selected();
    const long count = m_list->GetItemCount();
    FindWindow(IDC_FAVORITE_REMOVE)->Enable(!selected.empty());
    FindWindow(IDC_FAVORITE_UP)->Enable(selected.size() == 1 && selected[0] > 0);
    FindWindow(IDC_FAVORITE_DOWN)->Enable(selected.size() == 1 && selected[0] < count - 1);
    const std::vector<std::string> rows = Rows();
    FindWindow(IDC_FAVORITE_ADD)
        ->Enable(!m_selected.empty() && std::find(rows.begin(), rows.end(), m_selected) == rows.end());
  }

  void Add() {
    const std::vector<std::string> rows = Rows();
    if (m_selected.empty() || std::find(rows.begin(), rows.end(), m_selected) != rows.end()) return;
    m_list->InsertItem(m_list->GetItemCount(), wxString::FromUTF8(m_selected));
    m_list->SetColumnWidth(0, wxLIST_AUTOSIZE_USEHEADER);
    UpdateButtons();
  }

  void Remove() {
    std::vector<long> selected = Selected();
    std::sort(selected.rbegin(), selected.rend());
    for (long row : selected) m_list->DeleteItem(row);
    UpdateButtons();
  }

  void Move(int step) {
    const std::vector<long> selected = Selected();
    if (selected.size() != 1) return;
    const long from = selected[0], to = from + step;
    if (to < 0 || to >= m_list->GetItemCount()) return;
    const wxString a = m_list->GetItemText(from), b = m_list->GetItemText(to);
    m_list->SetItemText(from, b);
    m_list->SetItemText(to, a);
    m_list->SetItemState(from, 0, wxLIST_STATE_SELECTED);
    m_list->SetItemState(to, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    UpdateButtons();
  }

  CFolderTreeCtrl* m_tree = nullptr;
  wxListCtrl* m_list = nullptr;
  std::string m_selected;
};

}  // namespace

void RunOrganizeFavoritesDialog(wxWindow* parent, std::vector<std::string>& folders,
                                const std::vector<FOLDER_TREE_ROOT>& roots) {
  COrganizeFavoritesDlg dialog(parent, folders, roots);
  RunModalDialog(dialog);
  folders = dialog.Rows();
}
