#include "shell/FileListDialog.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dc.h>
#include <wx/filename.h>
#include <wx/mimetype.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <memory>

#include "formats/ImageFormats.h"
#include "shell/ImageFileDialog.h"
#include "shell/UiTheme.h"

namespace {

constexpr int kIconSide = 16;  // the small icon

}  // namespace

// --- the list ----------------------------------------------------------------

CFileListBox::CFileListBox(wxWindow* parent, int id)
    : wxVListBox(parent, id, wxDefaultPosition, wxSize(420, 180), wxLB_MULTIPLE | wxBORDER_THEME) {
  SetBackgroundColour(ThemeColour(wxSYS_COLOUR_WINDOW));
  SetItemCount(0);
}

int CFileListBox::RowHeight(const wxWindow& window) {
  return std::max(kIconSide + 2, window.GetCharHeight() + 2);
}

void CFileListBox::Append(const std::string& path) {
  m_paths.push_back(path);
  SetItemCount(m_paths.size());
  Refresh();
}

void CFileListBox::RemoveAt(size_t index) {
  if (index >= m_paths.size()) return;
  // The selection marks of the rows below move up with their rows.
  std::vector<bool> selected(m_paths.size());
  for (size_t i = 0; i < m_paths.size(); ++i) selected[i] = IsSelected(i);
  m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(index));
  selected.erase(selected.begin() + static_cast<std::ptrdiff_t>(index));
  SetItemCount(m_paths.size());
  DeselectAll();
  for (size_t i = 0; i < selected.size(); ++i)
    if (selected[i]) Select(i, true);
  Refresh();
}

void CFileListBox::ClearPaths() {
  m_paths.clear();
  Clear();
  Refresh();
}

int CFileListBox::GetFirstSelectedRow() const {
  for (size_t i = 0; i < m_paths.size(); ++i)
    if (IsSelected(i)) return static_cast<int>(i);
  return -1;
}

wxCoord CFileListBox::OnMeasureItem(size_t) const { return RowHeight(*this); }

const wxBitmap& CFileListBox::IconFor(const std::string& path) const {
  const std::string ext = wxFileName(wxString::FromUTF8(path)).GetExt().Lower().utf8_string();
  auto found = m_icons.find(ext);
  if (found != m_icons.end()) return found->second;
  wxBitmap icon;
  // The desktop's icon of the file type, through its MIME type.
  if (!ext.empty() && wxTheMimeTypesManager) {
    std::unique_ptr<wxFileType> type(wxTheMimeTypesManager->GetFileTypeFromExtension(wxString::FromUTF8(ext)));
    wxString mime;
    if (type && type->GetMimeType(&mime) && !mime.empty()) {
      wxString name = mime;
      name.Replace("/", "-");
      icon = wxArtProvider::GetBitmap(name, wxART_OTHER, wxSize(kIconSide, kIconSide));
      if (!icon.IsOk()) icon = wxArtProvider::GetBitmap("image-x-generic", wxART_OTHER, wxSize(kIconSide, kIconSide));
    }
  }
  if (!icon.IsOk()) icon = wxArtProvider::GetBitmap(wxART_NORMAL_FILE, wxART_OTHER, wxSize(kIconSide, kIconSide));
  return m_icons.emplace(ext, icon).first->second;
}

void CFileListBox::OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const {
  wxRect r = rect;
  r.height += 1;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ThemeColour(IsSelected(n) ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_WINDOW)));
  dc.DrawRectangle(r);
}

void CFileListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
  if (n >= m_paths.size()) return;
  const wxBitmap& icon = IconFor(m_paths[n]);
  if (icon.IsOk()) dc.DrawBitmap(icon, rect.x + 2, rect.y + 1, true);
  const wxColour old = dc.GetTextForeground();
  dc.SetFont(GetFont());
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(ThemeColour(IsSelected(n) ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT));
  dc.DrawText(wxString::FromUTF8(m_paths[n]), rect.x + kIconSide + 6, rect.y + 1);
  dc.SetTextForeground(old);
}

// --- the dialog ---------------------------------------------------------------

CFileListDlg::CFileListDlg(wxWindow* parent, int id, const wxString& title)
    : wxDialog(parent, id, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {}

wxSizer* CFileListDlg::CreateListArea() {
  m_list = new CFileListBox(this, IDC_FILE_LIST);
  m_add = new wxButton(this, IDC_FILE_LIST_ADD, "Add...");
  m_remove = new wxButton(this, IDC_FILE_LIST_REMOVE, "Remove");
  m_removeAll = new wxButton(this, IDC_FILE_LIST_REMOVE_ALL, "Remove All");
  m_count = new wxStaticText(this, IDC_FILE_LIST_COUNT, "0 files selected");
  auto* buttons = new wxBoxSizer(wxVERTICAL);
  buttons->Add(m_add, 0, wxEXPAND | wxBOTTOM, 6);
  buttons->Add(m_remove, 0, wxEXPAND | wxBOTTOM, 6);
  buttons->Add(m_removeAll, 0, wxEXPAND);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(m_list, 1, wxEXPAND | wxRIGHT, 8);
  row->Add(buttons, 0);
  auto* area = new wxBoxSizer(wxVERTICAL);
  area->Add(row, 1, wxEXPAND);
  area->Add(m_count, 0, wxTOP, 6);
  m_add->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddFiles(); });
  m_remove->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemove(); });
  m_removeAll->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemoveAll(); });
  m_list->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { m_remove->Enable(m_list->GetSelectedRowCount() > 0); });
  return area;
}

void CFileListDlg::UpdateControls() {
  const int count = static_cast<int>(GetFiles().size());
  m_count->SetLabel(wxString::Format("%d files selected", count));
  m_removeAll->Enable(count > 0);
  m_remove->Enable(m_list->GetSelectedRowCount() > 0);
}

bool CFileListDlg::HasFile(const std::string& path) const {
  const auto& paths = GetFiles();
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

void CFileListDlg::AddFile(const std::string& path) {
  if (!HasFile(path)) m_list->Append(path);
  UpdateControls();
}

void CFileListDlg::EnableControls(bool enable) {
  m_list->Enable(enable);
  m_add->Enable(enable);
  if (enable) {
    UpdateControls();
  } else {
    m_remove->Enable(false);
    m_removeAll->Enable(false);
  }
}

void CFileListDlg::OnAddFiles() {
  CImageFileDialog dialog(true, "Add Files", IMAGE_FORMAT_UNKNOWN, std::string(), true, this);
  if (dialog.DoModal() != wxID_OK) return;
  for (const std::string& path : dialog.GetResultPaths()) AddFile(path);
}

void CFileListDlg::OnRemove() {
  // Each time the first selected entry, until none is selected.
  for (int row = m_list->GetFirstSelectedRow(); row >= 0; row = m_list->GetFirstSelectedRow())
    m_list->RemoveAt(static_cast<size_t>(row));
  UpdateControls();
}

void CFileListDlg::OnRemoveAll() {
  m_list->ClearPaths();
  UpdateControls();
}
