#pragma once
// The five wizard pages that edit one batch script, in order: format (with
// the JPEG and GIF option panes), colour, resize (with a turning sample
// picture), file name, and script name with the summary. Every page writes
// into the script it is given; the caller saves the script when the wizard
// ends with Finish.
//
// The rules between pages live in small window-free functions
// (ColorModeRulesForFormat) so they can be checked without a display.

#include <wx/wizard.h>
#include <wx/wx.h>

#include "imaging/RasterImage.h"
#include "output/core/BatchScript.h"

class wxListCtrl;
class wxSpinButton;

// Control ids of the pages.
enum BatchPageControlId {
  IDC_FORMAT_COMBO = 1355,
  IDC_FORMAT_PLACEHOLDER = 1356,
  IDC_GIF89A = 1090,
  IDC_GIF87A = 1089,
  IDC_GIF_INTERLACE = 1016,
  IDC_GIF_SINGLE = 1091,
  IDC_NO_COMMENT = 1283,
  IDC_KEEP_COMMENT = 1284,
  IDC_SIGNATURE_COMMENT = 1285,
  IDC_EDIT_SIGNATURE = 1286,
  IDC_JPEG_SLIDER = 1006,
  IDC_JPEG_QUALITY = 1288,
  IDC_JPEG_SPIN = 1287,
  IDC_JPEG_PROGRESSIVE = 1008,
  IDC_MODE_KEEP = 1367,
  IDC_MODE_BITMAP = 1371,
  IDC_MODE_INDEXED = 1370,
  IDC_MODE_GRAY = 1369,
  IDC_MODE_RGB = 1368,
  IDC_PALETTE_TYPE = 1143,
  IDC_COLORS = 1145,
  IDC_DITHER = 1156,
  IDC_PALETTE_BROWSE = 1360,
  IDC_PALETTE_FILE = 1359,
  IDC_RESIZE_METHOD = 1357,
  IDC_ROTATION = 1358,
  IDC_RESIZE_TEXT = 1361,
  IDC_RESIZE_VALUE = 1362,
  IDC_SAMPLE_PREVIEW = 1165,
  IDC_FILE_TITLE = 1305,
  IDC_DIGITS = 1304,
  IDC_EXAMPLE = 1303,
  IDC_DESTINATION = 1364,
  IDC_COMMON_FOLDER = 1365,
  IDC_FOLDER_BROWSE = 1360,
  IDC_RECYCLE = 1366,
  IDC_SCRIPT_NAME = 1363,
  IDC_SUMMARY = 1335,
};

// What the colour page allows for a format: the mode it switches to (or the
// mode kept) and which of the five mode buttons are enabled.
struct ColorModeRules {
  int mode;
  bool enabled[5];
};
ColorModeRules ColorModeRulesForFormat(int format, int currentMode);

// The sample picture of the resize page (drawn by the program) and the turn
// of each rotation option (0, 90, 180, 270 degrees clockwise).
CRasterImage MakeBatchSamplePicture();
int RotationDegrees(int option);

// Fills a report-mode list with the summary columns "Option" and "Value".
void InitSummaryColumns(wxListCtrl* list);
// Replaces the rows by the script's summary.
void FillSummary(wxListCtrl* list, const CBatchScript& script);

// The GIF and JPEG option panes of the format page.
class CBatchGifOption : public wxPanel {
 public:
  CBatchGifOption(wxWindow* parent, CBatchScript* script);
  // Sets the controls from the script.
  void RefreshFromScript();
  void SetSubType(int subType);

 private:
  void SetCommentOption(int option);
  CBatchScript* m_pScript;
};

class CBatchJpegOption : public wxPanel {
 public:
  CBatchJpegOption(wxWindow* parent, CBatchScript* script);
  // Sets the controls from the script.
  void RefreshFromScript();

 private:
  void OnSlider();
  void OnEditChange();
  void SetCommentOption(int option);
  CBatchScript* m_pScript;
  wxSlider* m_slider;
  wxTextCtrl* m_edit;
  wxSpinButton* m_spin;
};

class CBatchFormatOption : public wxWizardPageSimple {
 public:
  CBatchFormatOption(wxWizard* parent, CBatchScript* script);
  void OnFormatChange();
  bool OnKillActive();

  wxChoice* m_format;
  CBatchJpegOption* m_jpeg;
  CBatchGifOption* m_gif;

 private:
  CBatchScript* m_pScript;
};

class CBatchColorOption : public wxWizardPageSimple {
 public:
  CBatchColorOption(wxWizard* parent, CBatchScript* script);
  void OnSetActive();
  void ChooseMode(int mode);
  void OnPaletteType();
  bool OnKillActive();

 private:
  wxRadioButton* ModeButton(int mode);
  CBatchScript* m_pScript;
  int m_nColors = 0;
  wxChoice* m_paletteType;
  wxTextCtrl* m_colors;
};

// Shows an image centred on the dialog background, without a frame.
class CSamplePreview : public wxWindow {
 public:
  CSamplePreview(wxWindow* parent, wxWindowID id, const wxSize& size);
  void SetImage(const CRasterImage& image);
  const CRasterImage& GetImage() const { return m_image; }

 private:
  void OnPaint(wxPaintEvent&);
  CRasterImage m_image;
  wxBitmap m_bitmap;
};

class CBatchResizeOption : public wxWizardPageSimple {
 public:
  CBatchResizeOption(wxWizard* parent, CBatchScript* script);
  void OnMethodChange();
  void OnRotationChange();
  bool OnKillActive();

  CSamplePreview* m_preview;

 private:
  CBatchScript* m_pScript;
  CRasterImage m_samples[4];  // unturned, then turned by 90, 180 and 270 degrees
  wxChoice* m_method;
  wxChoice* m_rotation;
  wxStaticText* m_explanation;
  wxTextCtrl* m_value;
};

class CBatchFileNameOption : public wxWizardPageSimple {
 public:
  CBatchFileNameOption(wxWizard* parent, CBatchScript* script);
  void OnNameChange();
  void OnDestinationChange();
  bool OnKillActive();

 private:
  CBatchScript* m_pScript;
  wxTextCtrl* m_title;
  wxChoice* m_digits;
  wxStaticText* m_example;
  wxChoice* m_destination;
  wxTextCtrl* m_folder;
  wxCheckBox* m_recycle;
};

class CBatchScriptName : public wxWizardPageSimple {
 public:
  CBatchScriptName(wxWizard* parent, CBatchScript* script);
  void OnSetActive();
  void UpdateButtons();
  bool OnKillActive();

  wxListCtrl* m_summary;

 private:
  CBatchScript* m_pScript;
  wxTextCtrl* m_name;
};

// The wizard over the five pages. RunModal returns true when it ended with
// Finish; the script then holds what the pages set.
class CBatchScriptWizard : public wxWizard {
 public:
  CBatchScriptWizard(wxWindow* parent, CBatchScript* script);
  bool RunModal();

  CBatchFormatOption* m_formatPage;
  CBatchColorOption* m_colorPage;
  CBatchResizeOption* m_resizePage;
  CBatchFileNameOption* m_fileNamePage;
  CBatchScriptName* m_namePage;

 private:
  void OnPageShown(wxWizardEvent& event);
  void OnPageChanging(wxWizardEvent& event);
};
