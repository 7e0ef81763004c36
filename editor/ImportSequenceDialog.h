#pragma once
// The "Import Sequence of Files" dialog: the file list of CFileListDlg
// (shell/FileListDialog.h), the delay and disposal given to files of one
// image, and the loop count of a new animation. OK reads every listed file
// in list order into one frame array (editor/model/SequenceImport.h) while
// the dialog's controls are disabled; a file that cannot be read ends the
// dialog as cancelled. A file may be listed twice.

#include <cstdint>
#include <vector>

#include "imaging/AnimFrame.h"
#include "shell/FileListDialog.h"

class wxChoice;
class wxRadioButton;
class wxTextCtrl;

enum IMPORT_SEQUENCE_DIALOG_ID {
  IDD_IMPORT_SEQUENCE = 172,
  IDC_SEQUENCE_DELAY = 1079,
  IDC_SEQUENCE_DISPOSAL = 1080,
  IDC_SEQUENCE_LOOP_NUMBER = 1081,
  IDC_SEQUENCE_LOOP_NONE = 1082,
  IDC_SEQUENCE_LOOP_FOREVER = 1083,
  IDC_SEQUENCE_LOOP_TIMES = 1085,
};

// The loop count of "Forever".
inline constexpr uint16_t kLoopForever = 65535;

class CImportSequenceDlg : public CFileListDlg {
 public:
  // loopWanted: the caller asks for a loop count (else its controls are off).
  CImportSequenceDlg(wxWindow* parent, bool loopWanted);

  // The base's, plus OK only with entries.
  void UpdateControls() override;
  // At the end, with no test for a path listed already.
  void AddFile(const std::string& path) override;
  // The base's, plus the loop controls, delay, disposal, OK and Cancel.
  void EnableControls(bool enable) override;

  // After OK: the frames read (taken by the caller) and the loop count
  // (0 none, 65535 forever, else the number).
  std::vector<CAnimFrame>& GetFrames() { return m_frames; }
  uint16_t GetLoopCount() const;
  int GetDelay() const { return m_nDelay; }
  int GetDisposal() const { return m_nDisposal; }

 private:
  void OnOK(wxCommandEvent& event);
  void OnLoopKind(int kind);
  // Reads the controls; a refused value is named in a message box, takes
  // the focus and gives false.
  bool ReadValues();
  bool ImportFiles();

  std::vector<CAnimFrame> m_frames;
  bool m_bLoopWanted;
  int m_nDelay = 0;
  int m_nDisposal = 0;
  int m_nLoopNumber = 0;
  int m_nLoopKind = 1;  // 0 none, 1 forever, 2 the number of times
  wxTextCtrl* m_delay = nullptr;
  wxChoice* m_disposal = nullptr;
  wxTextCtrl* m_loopNumber = nullptr;
  wxRadioButton* m_loopNone = nullptr;
  wxRadioButton* m_loopForever = nullptr;
  wxRadioButton* m_loopTimes = nullptr;
  wxWindow* m_ok = nullptr;
  wxWindow* m_cancel = nullptr;
};

// Runs the dialog. OK gives the frames (in list order) and, when loopCount
// is not null, the loop count; Cancel or a failed import gives false.
bool RunImportSequenceDialog(wxWindow* parent, std::vector<CAnimFrame>& frames, uint16_t* loopCount);
