#include "shell/PaletteFileDialog.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include "base/Profile.h"
#include "formats/PaletteFile.h"

namespace {

const char kSection[] = "Color Palette";

}  // namespace

std::string PaletteFileFilter(bool load) {
  std::string filter = "Windows Palette (*.PAL)|*.[pP][aA][lL]";
  if (load) filter += "|All Files (*.*)|*";
  return filter;
}

bool RunPaletteFileDialog(std::string& path, bool load, wxWindow* parent) {
  const char* key = load ? "Load Directory" : "Save Directory";
  const char* title = load ? "Load Palette" : "Save Palette";
  wxString name = "untitled";
  for (;;) {
    const wxString stored = wxString::FromUTF8(GetProfileString(kSection, key, ""));
    // A folder that no longer exists leaves the toolkit's choice.
    const wxString folder = !stored.empty() && wxFileName::DirExists(stored) ? stored : wxString();
    const long style = load ? wxFD_OPEN | wxFD_FILE_MUST_EXIST : wxFD_SAVE;
    wxFileDialog dialog(parent, title, folder, name, wxString::FromUTF8(PaletteFileFilter(load)), style);
    dialog.SetFilterIndex(0);
    if (dialog.ShowModal() != wxID_OK) return false;
    const wxString chosen = dialog.GetPath();
    if (chosen.empty()) return false;
    std::string result = chosen.utf8_string();
    WriteProfileString(kSection, key, wxFileName(chosen).GetPathWithSep().utf8_string());
    Profile().Flush();
    if (!load) {
      // The file gets the extension when its name lacks it; the replace
      // question is about that final name, and No shows the dialog again.
      if (!EndsWithNoCase(result, ".pal")) result += EndsWithNoCase(result, ".") ? "pal" : ".pal";
      const wxString final = wxString::FromUTF8(result);
      if (wxFileName::Exists(final)) {
        wxMessageDialog ask(parent, wxFileName(final).GetFullName() + " already exists.\nDo you want to replace it?",
                            title, wxYES_NO | wxNO_DEFAULT | wxICON_WARNING);
        if (ask.ShowModal() != wxID_YES) {
          name = wxFileName(chosen).GetFullName();
          continue;
        }
      }
    }
    path = result;
    return true;
  }
}

bool LoadPaletteFileWithDialog(int* count, RGBQUAD* entries, wxWindow* parent) {
  std::string path;
  if (!RunPaletteFileDialog(path, true, parent)) return false;
  return LoadPaletteFile(count, entries, path);
}

bool SavePaletteFileWithDialog(const RGBQUAD* entries, int count, wxWindow* parent) {
  std::string path;
  if (!RunPaletteFileDialog(path, false, parent)) return false;
  return SavePaletteFile(entries, count, path);
}
