// The document's file commands: Close, Save, Save As, Save a Copy As, and
// the saving they share. The command table is in editor/DocCommands.cpp.

#include <wx/filename.h>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "editor/DocumentInternals.h"
#include "formats/ImageFile.h"
#include "platform/RecentFileList.h"
#include "shell/ImageFileDialog.h"

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

bool CPictoravellDoc::AskSavePath(std::string& path, const std::string& title) {
  if (Prompts().savePath) return Prompts().savePath(path);
  const wxFileName current(GetFilename());
  const std::string name = current.GetName().empty() ? std::string("untitled") : current.GetName().utf8_string();
  // The image file dialog adds the chosen format's extension and asks about
  // replacing the file under its final name.
  std::vector<std::string> paths;
  if (!RunImageFileDialog(paths, false, std::string(), GetImageFormat(current.GetFullName().utf8_string()), title,
                          false, name) ||
      paths.empty())
    return false;
  path = paths.front();
  return true;
}

bool CPictoravellDoc::SaveAs() {
  std::string path;
  if (!AskSavePath(path, "Save As") || path.empty()) return false;
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
  if (AskSavePath(path, "Save a Copy As") && !path.empty()) SaveCopyAs(path);
}
