#pragma once
// CJpegOptionsDlg: the JPEG options dialog. Its preview is the image as it
// will look in the file: every change of quality, progressive mode, colour
// conversion or comment compresses the image into memory with the settings,
// decodes it again and shows it, with the compressed size in bytes and the
// time it takes at 28800 bps.
//
// An indexed image without colour conversion cannot be written as JPEG: the
// preview is then empty and "Change color mode!" blinks beside a warning sign.

#include <wx/dialog.h>
#include <wx/timer.h>

#include <string>

#include "imaging/RasterImage.h"
#include "shell/ExportOptions.h"

class wxCheckBox;
class wxRadioButton;
class wxButton;
class wxSlider;
class wxSpinButton;
class wxStaticBitmap;
class wxStaticText;
class wxTextCtrl;
class CImagePreviewCtrl;

class CJpegOptionsDlg : public wxDialog {
 public:
  CJpegOptionsDlg(wxWindow* parent, const JpegExportValues& values, const CRasterImage* image);
  ~CJpegOptionsDlg() override;
  const JpegExportValues& GetValues() const { return m_values; }

  // What the preview shows: the image decoded from the compressed bytes
  // (empty when nothing can be previewed) and the compressed size.
  const CRasterImage& GetPreviewImage() const { return m_preview; }
  int GetPreviewBytes() const { return m_nPreviewBytes; }
  bool IsBlinking() const { return m_blink.IsRunning(); }
  // Rebuilds the preview with the current settings (not re-entered).
  void BuildPreview();

  // The two texts under the preview for a compressed size.
  static std::string FileSizeText(int bytes);
  static std::string DownloadTimeText(int bytes);

 private:
  bool TransferDataFromWindow() override;
  bool NeedsColorConversion() const;
  void StartBlinking();
  void StopBlinking();
  void SetCommentOption(int option);
  void OnSlider(wxCommandEvent& event);
  void OnEdit(wxCommandEvent& event);
  void OnSpin(wxSpinEvent& event);
  void OnTimer(wxTimerEvent& event);

  JpegExportValues m_values;
  const CRasterImage* m_pImage;
  CRasterImage m_preview;
  int m_nPreviewBytes = 0;
  bool m_bBusy = false;
  bool m_bBlinkVisible = false;
  wxTimer m_blink;
  wxStaticBitmap* m_warningPicture;
  wxStaticText* m_warningText;
  CImagePreviewCtrl* m_previewPane;
  wxSlider* m_slider;
  wxTextCtrl* m_edit;
  wxSpinButton* m_spin;
  wxCheckBox* m_progressive;
  wxCheckBox* m_colorConversion;
  wxRadioButton* m_comment[3];
  wxButton* m_editSignature;
  wxCheckBox* m_useDefault;
  wxStaticText* m_fileSize;
  wxStaticText* m_downloadTime;
};
