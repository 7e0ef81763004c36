#include "shell/PaletteFileDialog.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

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
  const wxString stored = wxString::FromUTF8(GetProfileString(kSection, key, ""));
  // A folder that no longer exists leaves the toolkit's choice.
  const wxString folder = !stored.empty() && wxFileName::DirExists(stored) ? stored : wxString();
  const long style = load ? wxFD_OPEN | wxFD_FILE_MUST_EXIST : wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
  wxFileDialog dialog(parent, load ? "Load Palette" : "Save Palette", folder, "untitled",
                      wxString::FromUTF8(PaletteFileFilter(load)), style);
  dialog.SetFilterIndex(0);
  if (dialog.ShowModal() != wxID_OK) return false;
  const wxString chosen = dialog.GetPath();
  if (chosen.empty()) return false;
  path = chosen.utf8_string();
  const wxString chosenFolder = wxFileName(chosen).GetPathWithSep();
  WriteProfileString(kSection, key, chosenFolder.utf8_string());
  Profile().Flush();
  return true;
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
