// The document's file commands: Close, Save, Save As, Save a Copy As, and
// the saving they share. The command table is in editor/DocCommands.cpp.

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "editor/DocumentInternals.h"
#include "formats/ImageFile.h"
#include "platform/RecentFileList.h"

using namespace doc_detail;

// --- saving ----------------------------------------------------------------------

bool CPictoravellDoc::DoSaveDocument(const wxString& path) {
  CImageFileRequest request;
  request.m_strFileName = path.utf8_string();
  request.m_pfnProgress = ReportProgress;
  request.m_pfnCancel = CheckUserAbort;
  request.m_nWidth = m_nCanvasWidth;
  request.m_nHeight = m_nCanvasHeight;
  request.m_frames = m_frames;
  for (auto& frame : request.m_frames) frame.m_bBusy = 0;
  request.m_nLoopCount = static_cast<int16_t>(m_nLoopCount);
  request.m_strComment = m_strComment;
  PushStatusMessage("Writing " + FileTitle(request.m_strFileName) + "...");
  const int result = WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr);
  PopStatusMessage();
  if (result != IMAGEIO_OK) {
    if (const char* text = GetResultText(result); text && *text)
      ReportMessage(MESSAGE_ERROR, "Failed to save " + FileTitle(request.m_strFileName) + ": " + text);
    return false;
  }
  return true;
}

bool CPictoravellDoc::OnSaveDocument(const wxString& path) {
  if (!wxDocument::OnSaveDocument(path)) return false;
  // Every step now brings back a state that differs from the file.
  MarkHistoryModified();
  if (g_pRecentFileList) g_pRecentFileList->Add(path.utf8_string());
  return true;
}

std::string SavePathWithExtension(const std::string& path, int filterIndex) {
  // Filter 0 is "All image files"; the next ones name one format each.
  if (GetImageFormat(path) != IMAGE_FORMAT_UNKNOWN) return path;
  const std::vector<IMAGE_FORMAT> formats = DialogFormats();
  const int format = filterIndex >= 1 && filterIndex <= static_cast<int>(formats.size())
                         ? formats[static_cast<size_t>(filterIndex - 1)]
                         : IMAGE_FORMAT_BMP;
  std::string out = path;
  AppendImageExtension(format, out);
  return out;
}

bool CPictoravellDoc::AskSavePath(std::string& path) {
  if (Prompts().savePath) return Prompts().savePath(path);
  const wxFileName current(GetFilename());
  wxString folder = current.GetPath(), name = current.GetFullName();
  for (;;) {
    // The toolkit's own overwrite question would ask about the name as typed,
    // before the extension is added: the final name is checked here instead.
    wxFileDialog dialog(DialogParent(), "Save As", folder, name, ImageFilter(), wxFD_SAVE);
    if (dialog.ShowModal() != wxID_OK) return false;
    path = SavePathWithExtension(dialog.GetPath().utf8_string(), dialog.GetFilterIndex());
    if (!wxFileName::FileExists(wxString::FromUTF8(path)) ||
        AskYesNo(FileTitle(path) + " already exists.\nDo you want to replace it?"))
      return true;
    folder = dialog.GetDirectory();
    name = dialog.GetFilename();
  }
}

bool CPictoravellDoc::SaveAs() {
  std::string path;
  if (!AskSavePath(path) || path.empty()) return false;
  if (!OnSaveDocument(wxString::FromUTF8(path))) return false;
  SetTitle(wxFileName(wxString::FromUTF8(path)).GetFullName());
  SetFilename(wxString::FromUTF8(path), true);
  return true;
}

bool CPictoravellDoc::SaveCopyAs(const std::string& path) { return DoSaveDocument(wxString::FromUTF8(path)); }

// --- the commands --------------------------------------------------------------

void CPictoravellDoc::OnFileClose() {
  if (wxDocManager* manager = GetDocumentManager()) manager->CloseDocument(this);
}

void CPictoravellDoc::OnFileSave() { Save(); }

void CPictoravellDoc::OnFileSaveAs() { SaveAs(); }

void CPictoravellDoc::OnFileSaveCopyAs() {
  std::string path;
  if (AskSavePath(path) && !path.empty()) SaveCopyAs(path);
}
