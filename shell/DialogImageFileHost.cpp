#include "shell/DialogImageFileHost.h"

#include <vector>

#include "formats/ImageFile.h"
#include "shell/ExportOptions.h"
#include "shell/ImageFileDialog.h"

bool CDialogImageFileHost::RunImageFileDialog(bool save, std::string& path) {
  std::vector<std::string> paths;
  if (!::RunImageFileDialog(paths, !save, std::string(), IMAGE_FORMAT_UNKNOWN, save ? "Save As" : "Open File", false) ||
      paths.empty())
    return false;
  path = paths.front();
  return true;
}

bool CDialogImageFileHost::GetGifSaveOptions(GIF_SAVE_OPTIONS& options) {
  return ::GetGifSaveOptions(&options, false);
}

bool CDialogImageFileHost::GetJpegSaveOptions(JPEG_SAVE_OPTIONS& options, const CRasterImage* preview) {
  return ::GetJpegSaveOptions(&options, preview, false);
}
