#pragma once
// The option panes of the task pane's Print page: one for a single
// picture, one for the frames of an animation, one for a contact sheet.
// They show the settings the preview reports (SetOptions, with the target
// detached so that filling the controls reports nothing) and pass every
// change the user makes to the target's setters.

#include <wx/panel.h>

class wxCheckBox;
class wxChoice;
class wxSlider;
class wxTextCtrl;
class wxCommandEvent;

// What the panes change: the preview's setters.
class IPrintSettingsTarget {
 public:
  virtual ~IPrintSettingsTarget() = default;
  virtual void SetPrintSize(int preset) = 0;
  virtual void SetCustomPrintSize(int width, int height) = 0;  // 1/100 inch
  virtual void SetCropOffset(int offset) = 0;
  virtual void SetAlignment(int horizontal, int vertical) = 0;
  virtual void SetCaptionOptions(bool printComments, int textSize) = 0;
  virtual void SetAllOnOnePage(bool flag) = 0;
  virtual void SetThumbnailSize(int index) = 0;
  virtual void SetPrintFileNames(bool print) = 0;
  virtual void SetPrintFolderNames(bool print) = 0;
  virtual void SetTextSize(int size) = 0;
  virtual void SetCropOptions(bool crop, int offset) = 0;
  virtual void SetRows(int rows) = 0;
  virtual void SetColumns(int columns) = 0;
};

// Control ids.
constexpr int IDC_PRINT_WIDTH = 1039;
constexpr int IDC_PRINT_HEIGHT = 1040;
constexpr int IDC_PRINT_FONT_SIZE = 1210;
constexpr int IDC_PRINT_SIZE = 1373;
constexpr int IDC_PRINT_CROP_OFFSET = 1375;
constexpr int IDC_PRINT_ALL_ON_ONE_PAGE = 1378;
constexpr int IDC_PRINT_ROWS = 1379;
constexpr int IDC_PRINT_COLUMNS = 1380;
constexpr int IDC_PRINT_THUMBNAIL_SIZE = 1389;
constexpr int IDC_PRINT_HALIGN = 1390;
constexpr int IDC_PRINT_VALIGN = 1391;
constexpr int IDC_PRINT_FIT = 1392;
constexpr int IDC_PRINT_COMMENTS = 1402;
constexpr int IDC_PRINT_FILE_NAMES = 1403;
constexpr int IDC_PRINT_FOLDER_PATHS = 1404;

class PrintPaneDialog : public wxPanel {
 public:
  explicit PrintPaneDialog(wxWindow* parent);
  void SetTarget(IPrintSettingsTarget* target) { m_target = target; }
  IPrintSettingsTarget* GetTarget() const { return m_target; }
  void SetAlignment(int horizontal, int vertical);

 protected:
  // Adds the two alignment rows to the sizer.
  void AddAlignment(wxSizer* sizer);
  void OnAlignmentChange(wxCommandEvent& event);

  IPrintSettingsTarget* m_target = nullptr;
  wxChoice* m_hAlign = nullptr;
  wxChoice* m_vAlign = nullptr;
};

// Detaches the pane's target while it lives (filling the controls).
class CDetachedTarget {
 public:
  explicit CDetachedTarget(PrintPaneDialog& pane) : m_pane(pane), m_target(pane.GetTarget()) { pane.SetTarget(nullptr); }
  ~CDetachedTarget() { m_pane.SetTarget(m_target); }

 private:
  PrintPaneDialog& m_pane;
  IPrintSettingsTarget* m_target;
};

class CSinglePrintDlg : public PrintPaneDialog {
 public:
  explicit CSinglePrintDlg(wxWindow* parent);
  void SetOptions(int preset, int customWidth, int customHeight, int horizontal, int vertical, bool crop, int offset,
                  bool printComments, int textSize);
  int GetCustomWidth() const { return m_customWidth; }
  int GetCustomHeight() const { return m_customHeight; }

 private:
  void OnSizeChange(wxCommandEvent& event);
  void OnFitChange(wxCommandEvent& event);
  void OnSlider(wxCommandEvent& event);
  void OnSizeText(wxCommandEvent& event);
  void OnComments(wxCommandEvent& event);

  wxChoice* m_size = nullptr;
  wxTextCtrl* m_width = nullptr;
  wxTextCtrl* m_height = nullptr;
  wxChoice* m_fit = nullptr;
  wxSlider* m_slider = nullptr;
  wxCheckBox* m_comments = nullptr;
  wxChoice* m_font = nullptr;
  bool m_inSize = false, m_inWidth = false, m_inHeight = false, m_inFit = false, m_inSlider = false;
  int m_customWidth = 0, m_customHeight = 0;
  bool m_crop = true;
  int m_offset = 50;
};

class CMultiPrintDlg : public PrintPaneDialog {
 public:
  explicit CMultiPrintDlg(wxWindow* parent);
  void SetOptions(bool allOnOnePage, int horizontal, int vertical, int rows, int columns);

 private:
  void OnAllOnOnePage(wxCommandEvent& event);
  void OnGridText(wxCommandEvent& event);

  bool m_allOnOnePage = true;
  wxCheckBox* m_all = nullptr;
  wxTextCtrl* m_rows = nullptr;
  wxTextCtrl* m_columns = nullptr;
  int m_typing = 0;
};

class CContactSheetDlg : public PrintPaneDialog {
 public:
  explicit CContactSheetDlg(wxWindow* parent);
  void SetOptions(int sizeIndex, int horizontal, int vertical, bool names, bool folders, int textSize);

 private:
  wxChoice* m_size = nullptr;
  wxCheckBox* m_names = nullptr;
  wxCheckBox* m_folders = nullptr;
  wxChoice* m_font = nullptr;
};
