#include "output/HtmlAlbumDialog.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <charconv>

#include "output/SharingCommands.h"
#include "shell/ModalDialog.h"
#include "shell/ShellFunctions.h"

namespace {

// The whole text as an integer; false for anything else.
bool ParseInt(const wxString& text, int& value) {
  const std::string s = text.Strip(wxString::both).utf8_string();
  if (s.empty()) return false;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size();
}

}  // namespace

CHtmlAlbumDialog::CHtmlAlbumDialog(wxWindow* parent)
    : CEmailDialog(parent, kHtmlAlbumSection, "Generate HTML Album") {
  m_album.Read();
  auto* grid = new wxFlexGridSizer(3, 6, 6);
  grid->AddGrowableCol(1);
  auto add = [&](const char* label, wxWindow* field, wxWindow* extra = nullptr) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(field, 1, wxEXPAND);
    if (extra)
      grid->Add(extra);
    else
      grid->AddSpacer(0);
  };
  m_folder = new wxTextCtrl(this, IDC_ALBUM_FOLDER, wxString(), wxDefaultPosition, wxSize(240, -1));
  add("Directory:", m_folder, new wxButton(this, IDC_ALBUM_BROWSE, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT));
  m_index = new wxTextCtrl(this, IDC_ALBUM_INDEX);
  add("Index Page:", m_index);
  m_thumbnailSize = new wxTextCtrl(this, IDC_ALBUM_THUMBNAIL_SIZE);
  add("Thumbnail Size:", m_thumbnailSize);
  m_quality = new wxTextCtrl(this, IDC_ALBUM_QUALITY);
  add("JPEG Quality:", m_quality);
  // The album's fields go above the inherited file options and buttons.
  GetSizer()->Insert(0, grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); }, IDC_ALBUM_BROWSE);
}

bool CHtmlAlbumDialog::TransferDataToWindow() {
  m_folder->ChangeValue(wxString::FromUTF8(m_album.strFolder));
  m_index->ChangeValue(wxString::FromUTF8(m_album.strIndexFile));
  m_thumbnailSize->ChangeValue(wxString::Format("%d", m_album.nThumbnailSize));
  m_quality->ChangeValue(wxString::Format("%d", m_album.nJpegQuality));
  return CEmailDialog::TransferDataToWindow();
}

bool CHtmlAlbumDialog::TransferDataFromWindow() {
  HTML_ALBUM_OPTIONS album = m_album;
  auto refuse = [this](const wxString& message, wxWindow* field) {
    wxMessageBox(message, GetTitle(), wxOK | wxICON_EXCLAMATION, this);
    field->SetFocus();
    return false;
  };
  if (!ParseInt(m_thumbnailSize->GetValue(), album.nThumbnailSize) || album.nThumbnailSize < 1 ||
      album.nThumbnailSize > 200)
    return refuse("Please enter an integer between 1 and 200.", m_thumbnailSize);
  if (!ParseInt(m_quality->GetValue(), album.nJpegQuality) || album.nJpegQuality < 0 || album.nJpegQuality > 100)
    return refuse("Please enter an integer between 0 and 100.", m_quality);
  album.strFolder = m_folder->GetValue().Strip(wxString::both).utf8_string();
  album.strIndexFile = m_index->GetValue().Strip(wxString::both).utf8_string();
  // The folder and the index name are checked before anything is stored, so
  // refused values never reach the settings.
  album.file.strPrefix = m_prefix->GetValue().utf8_string();
  if (const std::string refusal = CheckHtmlAlbumOptions(album); !refusal.empty())
    return refuse(wxString::FromUTF8(refusal), refusal.rfind("Invalid file name", 0) == 0 ? static_cast<wxWindow*>(m_prefix)
                                                 : refusal.rfind("Invalid index", 0) == 0 ? static_cast<wxWindow*>(m_index)
                                                                                          : static_cast<wxWindow*>(m_folder));
  if (!CEmailDialog::TransferDataFromWindow()) return false;
  album.file = GetOptions();
  m_album = album;
  m_album.Write();
  return true;
}

void CHtmlAlbumDialog::OnBrowse() {
  std::string folder = m_folder->GetValue().utf8_string();
  if (BrowseForFolder(this, "HTML Output Directory", folder)) m_folder->ChangeValue(wxString::FromUTF8(folder));
}

bool GenerateHtmlAlbumCommand(wxWindow* parent, const std::vector<std::string>& paths) {
  if (paths.empty()) return false;
  HTML_ALBUM_OPTIONS options;
  {
    CHtmlAlbumDialog dialog(parent);
    if (RunModalDialog(dialog) != wxID_OK) return false;
    options = dialog.GetAlbumOptions();
  }
  return GenerateHtmlAlbum(parent, paths, options);
}
