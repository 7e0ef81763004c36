#pragma once
// "Publish To Web": the file options of "Send E-mail" kept in "Web Publish
// Options", with the FTP server, directory, user, password (remembered only on
// request, scrambled), and the index page. Settings are written only once OK
// accepted them.

#include <string>
#include <vector>

#include "output/EmailDialog.h"
#include "output/core/WebPublish.h"

class wxCheckBox;

class CWebPublishDialog : public CEmailDialog {
 public:
  enum {
    IDC_WEB_SERVER = 1381,
    IDC_WEB_DIRECTORY = 1382,
    IDC_WEB_USER = 1333,
    IDC_WEB_PASSWORD = 1383,
    IDC_WEB_REMEMBER = 1384,
    IDC_WEB_GENERATE_INDEX = 1385,
    IDC_WEB_INDEX = 1386,
  };
  explicit CWebPublishDialog(wxWindow* parent);
  bool TransferDataToWindow() override;
  // False (with the refusal's message, nothing stored) for unusable values.
  bool TransferDataFromWindow() override;
  const WEB_PUBLISH_OPTIONS& GetPublishOptions() const { return m_publish; }

 private:
  WEB_PUBLISH_OPTIONS m_publish;
  wxTextCtrl* m_server;
  wxTextCtrl* m_directory;
  wxTextCtrl* m_user;
  wxTextCtrl* m_password;
  wxCheckBox* m_remember;
  wxCheckBox* m_generateIndex;
  wxTextCtrl* m_index;
};

// The "Publish to Web..." command over the selection: the dialog, then the
// upload. False when cancelled or the run did not reach its result.
bool PublishToWebCommand(wxWindow* parent, const std::vector<std::string>& paths);
