#include "output/SharingCommands.h"

#include <wx/timer.h>

#include "base/MessageReport.h"
#include "output/EmailDialog.h"
#include "shell/ModalDialog.h"
#include "shell/ProgressDialog.h"

namespace {

void ReportResult(int published) {
  ReportMessage(published > 0 ? MESSAGE_INFO : MESSAGE_WARNING, PublishResultText(published));
}

// Watches one xdg-email run and deletes itself when it ends.
class CMailWatch : public wxTimer {
 public:
  CMailWatch() { Start(200); }
  CMailHandOff m_handOff;
  void Notify() override {
    int code = 0;
    if (!m_handOff.Poll(&code)) return;
    Stop();
    if (const std::string text = MailExitMessage(code); !text.empty()) ReportMessage(MESSAGE_ERROR, text);
    delete this;
  }
};

}  // namespace

bool GenerateHtmlAlbum(wxWindow* parent, const std::vector<std::string>& paths, const HTML_ALBUM_OPTIONS& options,
                       HTML_ALBUM_RESULT* out) {
  if (paths.empty()) return false;
  HTML_ALBUM_RESULT result;
  bool ok;
  {
    CProgressDialog progress(parent);
    progress.Start("Generating thumbnail images...");
    ok = RunHtmlAlbum(paths, options, result, [&](const std::string& m) { progress.SetMessage(m); },
                      CheckDialogAbort, ReportDialogProgress);
    progress.Stop();
  }
  if (ok) {
    ReportResult(result.nPublished);
    if (result.bIndexWritten) OpenWithDesktop(result.strIndexPath);
  }
  if (out) *out = result;
  return ok;
}

bool PublishPicturesToWeb(wxWindow* parent, const std::vector<std::string>& paths,
                          const WEB_PUBLISH_OPTIONS& options, WEB_PUBLISH_RESULT* out) {
  if (paths.empty()) return false;
  WEB_PUBLISH_RESULT result;
  {
    CProgressDialog progress(parent);
    progress.Start("");
    RunWebPublish(paths, options, result, [&](const std::string& m) { progress.SetMessage(m); }, CheckDialogAbort,
                  ReportDialogProgress);
    progress.Stop();
  }
  if (result.bCompleted) ReportResult(result.nPublished);
  if (out) *out = result;
  return result.bCompleted;
}

bool EmailPictures(wxWindow* parent, const std::vector<std::string>& paths, const SHARING_FILE_OPTIONS& options) {
  if (paths.empty()) return false;
  std::vector<std::string> files;
  bool cancelled = false;
  {
    CProgressDialog progress(parent);
    progress.Start("Preparing to email pictures...");
    files = PrepareEmailAttachments(paths, options, CheckDialogAbort, ReportDialogProgress, &cancelled);
    progress.Stop();
  }
  if (files.empty() || cancelled) return false;
  auto* watch = new CMailWatch;
  if (!watch->m_handOff.Start(files)) {
    delete watch;
    ReportMessage(MESSAGE_ERROR, kEmailLoadFailedText);
    return false;
  }
  return true;
}

bool SendEmailCommand(wxWindow* parent, const std::vector<std::string>& paths) {
  if (paths.empty()) return false;
  SHARING_FILE_OPTIONS options;
  {
    CEmailDialog dialog(parent);
    if (RunModalDialog(dialog) != wxID_OK) return false;
    options = dialog.GetOptions();
  }
  return EmailPictures(parent, paths, options);
}
