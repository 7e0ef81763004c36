#pragma once
// "General Settings": the size of the recent-file list (0 to 10), whether
// animations start playing when opened, and Clear, which empties the
// recent-file list at once (Cancel does not bring it back).

#include <wx/dialog.h>

class CRecentFileList;
class wxCheckBox;
class wxButton;
class wxTextCtrl;

class CGeneralSettingsDlg : public wxDialog {
 public:
  enum { IDC_RECENT_COUNT = 1190, IDC_CLEAR_RECENT = 1191, IDC_AUTO_PLAY = 1192 };
  // `list` may be null (no recent-file list).
  CGeneralSettingsDlg(wxWindow* parent, CRecentFileList* list, int recentCount, int autoPlay);
  bool TransferDataToWindow() override;
  // False, with the range message, for a count outside 0..10.
  bool TransferDataFromWindow() override;
  int GetRecentCount() const { return m_nRecentCount; }
  int GetAutoPlay() const { return m_nAutoPlay; }

 private:
  void OnClear();

  CRecentFileList* m_pList;
  int m_nRecentCount;
  int m_nAutoPlay;
  wxTextCtrl* m_count;
  wxButton* m_clear;
  wxCheckBox* m_autoPlay;
};

// Runs the dialog; on OK the count and the flag are handed back (true),
// Cancel changes neither (false).
bool RunGeneralSettingsDialog(wxWindow* parent, CRecentFileList* list, int& recentCount, int& autoPlay);
