#pragma once
// The Display Options dialog: border, shadow, what stands behind transparent
// pixels and the colour around images, with a live preview of a turning
// sample ball. RunDisplayOptionsDialog edits a record; the main frame's
// command takes the program's record, runs it and on OK stores the result
// (SetDisplayOptions) and repaints the views.

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/timer.h>

#include "imaging/DisplayOptions.h"
#include "shell/ColorBox.h"
#include "shell/PaintedWindow.h"

// Control ids of the dialog.
enum DISPLAY_OPTIONS_IDS {
  IDD_DISPLAY_OPTIONS = 252,
  IDC_BKCOLOR_BOX = 1133,
  IDC_CHECKER1_BOX = 1134,
  IDC_CHECKER2_BOX = 1135,
  IDC_SOLID_BOX = 1136,
  IDC_DISPLAY_PREVIEW = 1165,
  IDC_SHOW_BORDER = 1292,
  IDC_SHOW_SHADOW = 1293,
  IDC_USE_CHECKERBOARD = 1294,
  IDC_USE_SOLID = 1295,
  IDC_USE_WINDOW_COLOR = 1296,
  IDC_DISPLAY_DEFAULT = 1297,
};

// The preview: the sample ball over the transparency background of a record,
// with its border and shadow, turning 5 degrees every 200 ms while animated.
class CDisplayPreviewCtrl : public CPaintedWindow {
 public:
  CDisplayPreviewCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                      const wxSize& size = wxSize(160, 160));
  ~CDisplayPreviewCtrl() override;

  // Copies the record in and repaints.
  void SetOptions(const DISPLAY_OPTIONS& options);
  const DISPLAY_OPTIONS& GetOptions() const { return m_options; }
  void StartAnimation();
  void StopAnimation();
  bool IsAnimating() const { return m_bRunning != 0; }
  int GetAngle() const { return m_nAngle; }
  void SetAngle(int angle) { m_nAngle = ((angle % 360) + 360) % 360; }
  // One timer step: 5 degrees on, wrapped to 0..359, the ball repainted.
  void Step();
  // How often SetOptions asked for a repaint (tests).
  int GetRepaintRequests() const { return m_repaints; }

  // The s x s ball rectangle, s = min(width, height) * 3 / 4, centred.
  static wxRect BallRect(const wxSize& client);
  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  DISPLAY_OPTIONS m_options;
  int m_bRunning = 0;
  int m_nAngle = 0;
  int m_repaints = 0;
  wxTimer m_timer;
};

class CDisplayOptionsDlg : public wxDialog {
 public:
  CDisplayOptionsDlg(wxWindow* parent, const DISPLAY_OPTIONS& options);
  const DISPLAY_OPTIONS& GetValues() const { return m_options; }
  CDisplayPreviewCtrl* GetPreview() const { return m_preview; }

  // Picks a new colour for one of the four boxes through the colour chooser.
  void ChooseBoxColor(int boxId);

 private:
  void ShowValues();
  void OnCheck(wxCommandEvent& event);
  void OnRadio(wxCommandEvent& event);
  void OnDefault(wxCommandEvent& event);
  void OnOk(wxCommandEvent& event);
  RGBQUAD* ColorOfBox(int boxId);

  DISPLAY_OPTIONS m_options;
  CColorBox* m_boxes[4] = {};  // window background, solid, checker 2, checker 1
  CDisplayPreviewCtrl* m_preview = nullptr;
  wxCheckBox* m_border = nullptr;
  wxCheckBox* m_shadow = nullptr;
  wxRadioButton* m_radios[3] = {};
};

// Runs the dialog over `values`; on OK the edited record is copied back and
// true returned; Cancel leaves values as they were.
bool RunDisplayOptionsDialog(wxWindow* parent, DISPLAY_OPTIONS& values);
// The main frame's command: the program's record through the dialog, stored
// on OK. True on OK.
bool EditDisplayOptions(wxWindow* parent);
