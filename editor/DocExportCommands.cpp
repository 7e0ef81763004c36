// Export of the document's frames: MNG... writes the animation (every frame's
// picture, delay and the loop count) as an MNG file.

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "editor/DocumentInternals.h"
#include "editor/PictoravellDoc.h"
#include "formats/MngWriter.h"
#include "resources/CommandIds.h"
#include "shell/ImageFileDialog.h"

using namespace doc_detail;

void CPictoravellDoc::OnExportMng() {
  std::string path;
  if (Prompts().mngPath) {
    if (!Prompts().mngPath(path)) return;
  } else if (!RunSaveFileDialog(path, "Export MNG", "Multiple-image Network Graphics (*.MNG)", "mng")) {
    return;
  }
  int16_t width = 0, height = 0;
  GetCanvasSize(width, height);
  PushStatusMessage("Writing " + FileTitle(path) + "...");
  const int result = WriteMngFile(path, GetFrames().data(), GetFrameCount(), width, height, GetLoopCount(),
                                  CheckUserAbort, ReportProgress);
  PopStatusMessage();
  if (const char* text = GetResultText(result); text && *text)
    ReportMessage(MESSAGE_ERROR, "Failed to save " + FileTitle(path) + ": " + text);
}
