#include "shell/ImageFileDialog.h"

#include <wx/filedlg.h>
#include <wx/filedlgcustomize.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <memory>
#include <cctype>

#include "formats/ImageFile.h"
#include "formats/ImageFormats.h"
#include "base/Profile.h"
#include "shell/MainFrame.h"

namespace {

// The label of each format's filter.
const char* FilterLabel(IMAGE_FORMAT format) {
  switch (format) {
    case IMAGE_FORMAT_BMP: return "Windows Bitmap (*.BMP; *.DIB)";
    case IMAGE_FORMAT_GIF: return "CompuServe (*.GIF)";
    case IMAGE_FORMAT_PCX: return "PC Paintbrush (*.PCX)";
    case IMAGE_FORMAT_PICT: return "Macintosh PICT (*.PCT)";
    case IMAGE_FORMAT_TIFF: return "TIFF (*.TIF)";
    case IMAGE_FORMAT_JPEG: return "JPEG (*.JPG)";
    case IMAGE_FORMAT_PNG: return "Portable Network Graphics (*.PNG)";
    case IMAGE_FORMAT_TGA: return "Truevision Targa (*.TGA)";
    default: return FindImageFormat(format) ? FindImageFormat(format)->name : "";
  }
}

// The toolkit takes the first pattern of a save filter as the extension to
// put on the name when the user changes the filter, so each list starts with
// the plain lower-case pattern; the case-blind ones do the matching.
std::string Patterns(IMAGE_FORMAT format) {
  const IMAGE_FORMAT_INFO* info = FindImageFormat(format);
  if (!info || info->extensions.empty()) return std::string();
  std::string out = std::string("*.") + info->extensions.front();
  for (const char* ext : info->extensions) out += ";" + CaseBlindPattern(ext);
  return out;
}

std::string FormatList() {
  std::string out;
  for (const IMAGE_FORMAT format : DialogFormats()) out += std::string(FilterLabel(format)) + "|" + Patterns(format) + "|";
  return out;
}

// The remembered filter indexes, 1-based.
int g_nOpenFilterIndex = 1;
int g_nSaveFilterIndex = 1;

int SaveFilterCount() { return static_cast<int>(DialogFormats().size()); }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::string CaseBlindPattern(const std::string& extension) {
  std::string out = "*.";
  for (const char c : extension) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      out += '[';
      out += static_cast<char>(std::tolower(u));
      out += static_cast<char>(std::toupper(u));
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::string BuildOpenFilter() {
  std::string all;
  for (const IMAGE_FORMAT format : DialogFormats()) {
    std::string patterns = Patterns(format);
    patterns = patterns.substr(patterns.find(';') + 1);  // the case-blind ones
    all += (all.empty() ? "" : ";") + patterns;
  }
  return "All Supported Files|" + all + "|" + FormatList() + "All Files (*.*)|*";
}

std::string BuildSaveFilter() {
  std::string list = FormatList();
  list.pop_back();  // the toolkit wants no trailing separator
  return list;
}

int SaveFilterFormat(int filterIndex) {
  const std::vector<IMAGE_FORMAT> formats = DialogFormats();
  if (filterIndex < 1 || filterIndex > static_cast<int>(formats.size())) return IMAGE_FORMAT_UNKNOWN;
  return formats[static_cast<size_t>(filterIndex - 1)];
}

int SaveFilterIndexOfFormat(int format) {
  if (format == IMAGE_FORMAT_UNKNOWN) return 0;
  for (int i = 1; i <= SaveFilterCount(); ++i)
    if (SaveFilterFormat(i) == format) return i;
  return 0;
}

std::string ResultPathFor(const std::string& folder, const std::string& name, int filterIndex, int format) {
  std::string path = JoinPath(folder, name);
  if (name.empty() || GetImageFormat(name) != IMAGE_FORMAT_UNKNOWN) return path;
  int chosen = SaveFilterFormat(filterIndex);
  if (chosen == IMAGE_FORMAT_UNKNOWN) chosen = format;
  if (chosen != IMAGE_FORMAT_UNKNOWN) AppendImageExtension(chosen, path);
  return path;
}

// --- the dialog ----------------------------------------------------------------

CImageFileDialog::CImageFileDialog(bool open, const std::string& title, int format, const std::string& fileName,
                                   bool multiSelect, wxWindow* parent)
    : m_bOpen(open),
      m_strTitle(title),
      m_nFormat(format),
      m_strFileName(fileName),
      m_bMultiSelect(multiSelect),
      m_pParent(parent) {
  m_strFolder = GetProfileString("File Dialog", open ? "Open Path" : "Save Path", std::string());
  if (open) {
    m_nFilterIndex = g_nOpenFilterIndex;
  } else {
    m_nFilterIndex = g_nSaveFilterIndex;
    if (const int preset = SaveFilterIndexOfFormat(format)) m_nFilterIndex = preset;
  }
}

namespace {

// The capture-speed list below the chooser's own controls.
class CCaptureSpeedHook : public wxFileDialogCustomizeHook {
 public:
  explicit CCaptureSpeedHook(int& index) : m_index(index) {}
  void AddCustomControls(wxFileDialogCustomize& customizer) override {
    customizer.AddStaticText("Capture Speed: ");
    const wxString speeds[] = {"7.5 fps", "15 fps", "30 fps"};
    m_choice = customizer.AddChoice(std::size(speeds), speeds);
    m_choice->SetSelection(std::clamp(m_index, 0, 2));
  }
  void TransferDataFromCustomControls() override {
    if (m_choice && m_choice->GetSelection() >= 0) m_index = m_choice->GetSelection();
  }

 private:
  int& m_index;
  wxFileDialogChoice* m_choice = nullptr;
};

}  // namespace

int CImageFileDialog::DoModal() {
  long style = m_bOpen ? wxFD_OPEN | wxFD_FILE_MUST_EXIST : wxFD_SAVE;
  if (m_bOpen && m_bMultiSelect) style |= wxFD_MULTIPLE;
  const int count = m_bOpen ? SaveFilterCount() + 2 : SaveFilterCount();
  // A folder that no longer exists leaves the toolkit's choice.
  const wxString folder = wxFileName::DirExists(wxString::FromUTF8(m_strFolder)) ? wxString::FromUTF8(m_strFolder)
                                                                                 : wxString();
  wxFileDialog dialog(m_pParent, wxString::FromUTF8(m_strTitle), folder,
                      m_bOpen ? wxString() : wxString::FromUTF8(m_strFileName),
                      wxString::FromUTF8(m_bOpen ? BuildOpenFilter() : BuildSaveFilter()), style);
  dialog.SetFilterIndex(std::clamp(m_nFilterIndex, 1, count) - 1);
  std::unique_ptr<CCaptureSpeedHook> speed;
  if (m_pSpeedIndex) {
    speed = std::make_unique<CCaptureSpeedHook>(*m_pSpeedIndex);
    dialog.SetCustomizeHook(*speed);
  }
  const int result = dialog.ShowModal();

  m_nFilterIndex = dialog.GetFilterIndex() + 1;
  // The multiburst chooser keeps the open dialogs' filter as it was.
  if (!m_pSpeedIndex) (m_bOpen ? g_nOpenFilterIndex : g_nSaveFilterIndex) = m_nFilterIndex;
  if (result != wxID_OK) return result;

  m_paths.clear();
  if (m_bOpen) {
    wxArrayString paths;
    if (m_bMultiSelect)
      dialog.GetPaths(paths);
    else
      paths.Add(dialog.GetPath());
    for (const wxString& path : paths)
      if (!path.empty()) m_paths.push_back(path.utf8_string());
    m_strFolder = m_paths.empty() ? dialog.GetDirectory().utf8_string()
                                  : wxFileName(wxString::FromUTF8(m_paths.front())).GetPath().utf8_string();
  } else {
    const wxFileName chosen(dialog.GetPath());
    m_strFolder = chosen.GetPath().utf8_string();
    m_strFileName = chosen.GetFullName().utf8_string();
  }
  if (!m_strFolder.empty()) {
    WriteProfileString("File Dialog", m_bOpen ? "Open Path" : "Save Path", m_strFolder);
    Profile().Flush();
  }
  return wxID_OK;
}

std::vector<std::string> CImageFileDialog::GetResultPaths() const {
  if (m_bOpen) return m_paths;
  if (m_strFileName.empty()) return {};
  return {ResultPathFor(m_strFolder, m_strFileName, m_nFilterIndex, m_nFormat)};
}

int CImageFileDialog::GetRememberedOpenIndex() { return g_nOpenFilterIndex; }
int CImageFileDialog::GetRememberedSaveIndex() { return g_nSaveFilterIndex; }
void CImageFileDialog::ResetRememberedIndexes() { g_nOpenFilterIndex = g_nSaveFilterIndex = 1; }

bool RunImageFileDialog(std::vector<std::string>& paths, bool open, const std::string& startFolder, int format,
                        const std::string& title, bool multiSelect, const std::string& fileName) {
  wxWindow* parent = g_pMainFrame;
  std::string folder = startFolder;
  std::string name = fileName;
  for (;;) {
    CImageFileDialog dialog(open, title, format, name, multiSelect, parent);
    if (!folder.empty()) dialog.SetInitialFolder(folder);
    if (dialog.DoModal() != wxID_OK) return false;
    std::vector<std::string> chosen = dialog.GetResultPaths();
    if (chosen.empty()) return false;
    if (!open) {
      // The question is about the name the file will really have, after the
      // extension was added, and a No shows the dialog again.
      const wxString final = wxString::FromUTF8(chosen.front());
      if (wxFileName::Exists(final)) {
        wxMessageDialog ask(parent, wxFileName(final).GetFullName() + " already exists.\nDo you want to replace it?",
                            wxString::FromUTF8(title), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING);
        if (ask.ShowModal() != wxID_YES) {
          folder = dialog.GetFolder();
          name = dialog.GetFileName();
          continue;
        }
      }
    }
    paths = std::move(chosen);
    return true;
  }
}

bool RunMultiburstFileDialog(std::string& path, int& rate) {
  int index = std::clamp(GetProfileInt("Import\\Multiburst", "FPS", 0), 0, 2);
  CImageFileDialog dialog(true, "Import Multiburst Image", IMAGE_FORMAT_UNKNOWN, std::string(), false, g_pMainFrame);
  dialog.SetFilterIndex(7);  // the seventh filter: JPEG, what cameras write
  dialog.SetCaptureSpeedChoice(&index);
  if (dialog.DoModal() != wxID_OK) return false;
  const std::vector<std::string> chosen = dialog.GetResultPaths();
  if (chosen.empty()) return false;
  index = std::clamp(index, 0, 2);
  WriteProfileInt("Import\\Multiburst", "FPS", index);
  path = chosen.front();
  rate = kMultiburstFrameRates[index];
  return true;
}

bool RunSaveFileDialog(std::string& path, const std::string& title, const std::string& filterLabel,
                       const std::string& extension, const std::string& fileName) {
  std::string folder = GetProfileString("File Dialog", "Save Path", std::string());
  std::string name = fileName;
  const wxString filter = wxString::FromUTF8(filterLabel + "|*." + extension + ";" + CaseBlindPattern(extension));
  for (;;) {
    const wxString start =
        wxFileName::DirExists(wxString::FromUTF8(folder)) ? wxString::FromUTF8(folder) : wxString();
    wxFileDialog dialog(g_pMainFrame, wxString::FromUTF8(title), start, wxString::FromUTF8(name), filter, wxFD_SAVE);
    if (dialog.ShowModal() != wxID_OK) return false;
    const wxFileName chosen(dialog.GetPath());
    folder = chosen.GetPath().utf8_string();
    name = chosen.GetFullName().utf8_string();
    if (name.empty()) return false;
    std::string final = JoinPath(folder, name);
    if (wxFileName(wxString::FromUTF8(name)).GetExt().Lower() != wxString::FromUTF8(extension).Lower())
      final += "." + extension;
    if (!folder.empty()) {
      WriteProfileString("File Dialog", "Save Path", folder);
      Profile().Flush();
    }
    if (wxFileName::Exists(wxString::FromUTF8(final))) {
      wxMessageDialog ask(g_pMainFrame,
                          wxFileName(wxString::FromUTF8(final)).GetFullName() + " already exists.\nDo you want to replace it?",
                          wxString::FromUTF8(title), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING);
      if (ask.ShowModal() != wxID_YES) continue;
    }
    path = final;
    return true;
  }
}
