#include "shell/JpegOptionsDlg.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>

#include "formats/CodecJob.h"
#include "formats/JpegCodec.h"
#include "formats/MemStream.h"
#include "shell/DeviceDrawing.h"
#include "shell/GifExportDlg.h"
#include "shell/MainFrame.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"

using namespace export_ids;

std::string CJpegOptionsDlg::FileSizeText(int bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "File size: %d bytes", bytes);
  return text;
}

std::string CJpegOptionsDlg::DownloadTimeText(int bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%d sec at 28800 bps", static_cast<int>((int64_t{bytes} + 3599) / 3600));
  return text;
}

CJpegOptionsDlg::CJpegOptionsDlg(wxWindow* parent, const JpegExportValues& values, const CRasterImage* image)
    : wxDialog(parent, kJpegTemplate, "JPEG"), m_values(values), m_pImage(image), m_blink(this, kBlinkTimer) {
  const int gap = FromDIP(8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);

  // Left: the preview with its texts and the warning.
  auto* left = new wxBoxSizer(wxVERTICAL);
  m_previewPane = new CImagePreviewCtrl(this, kPreview, wxDefaultPosition, FromDIP(wxSize(260, 220)));
  m_previewPane->SetMode(PREVIEW_MODE_PAN);
  left->Add(m_previewPane, 1, wxEXPAND | wxBOTTOM, gap / 2);
  m_fileSize = new wxStaticText(this, kFileSize, "File size:");
  m_downloadTime = new wxStaticText(this, kDownloadTime, wxString());
  left->Add(m_fileSize, 0, wxEXPAND);
  left->Add(m_downloadTime, 0, wxEXPAND | wxBOTTOM, gap / 2);
  auto* warning = new wxBoxSizer(wxHORIZONTAL);
  m_warningPicture = new wxStaticBitmap(this, kWarningPicture, wxArtProvider::GetBitmap(wxART_WARNING, wxART_MESSAGE_BOX));
  m_warningText = new wxStaticText(this, kWarningText, "Change color mode!");
  warning->Add(m_warningPicture, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap / 2);
  warning->Add(m_warningText, 0, wxALIGN_CENTER_VERTICAL);
  left->Add(warning, 0, wxEXPAND);
  row->Add(left, 1, wxEXPAND | wxALL, gap);

  // Right: quality, options, comments.
  auto* right = new wxBoxSizer(wxVERTICAL);
  auto* quality = new wxStaticBoxSizer(wxVERTICAL, this, "Quality");
  wxWindow* qbox = quality->GetStaticBox();
  m_slider = new wxSlider(qbox, kQualitySlider, 0, 0, 100, wxDefaultPosition, FromDIP(wxSize(200, -1)),
                          wxSL_HORIZONTAL | wxSL_AUTOTICKS);
  m_slider->SetTickFreq(10);
  quality->Add(m_slider, 0, wxEXPAND | wxALL, gap / 2);
  auto* number = new wxBoxSizer(wxHORIZONTAL);
  m_edit = new wxTextCtrl(qbox, kQualityEdit, wxString(), wxDefaultPosition, FromDIP(wxSize(50, -1)));
  m_edit->SetMaxLength(3);
  m_spin = new wxSpinButton(qbox, kQualitySpin, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  m_spin->SetRange(0, 100);
  number->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL);
  number->Add(m_spin, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  number->Add(new wxStaticText(qbox, wxID_ANY, "(0 = smallest file, 100 = best quality)"), 0,
              wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
  quality->Add(number, 0, wxALL, gap / 2);
  right->Add(quality, 0, wxEXPAND | wxBOTTOM, gap);

  m_progressive = new wxCheckBox(this, kProgressive, "Progressive JPEG");
  m_colorConversion = new wxCheckBox(this, kColorConversion, "Automatic color conversion when saving color indexed images");
  right->Add(m_progressive, 0, wxBOTTOM, gap);
  right->Add(m_colorConversion, 0, wxBOTTOM, gap);

  auto* comments = new wxStaticBoxSizer(wxVERTICAL, this, "Comments");
  wxWindow* cbox = comments->GetStaticBox();
  m_comment[0] = new wxRadioButton(cbox, kNoComment, "No comment", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  m_comment[1] = new wxRadioButton(cbox, kKeepComments, "Keep original file comments");
  m_comment[2] = new wxRadioButton(cbox, kSignature, "Use personal signature");
  m_editSignature = new wxButton(cbox, kEditSignature, "Edit...");
  comments->Add(m_comment[0], 0, wxALL, gap / 2);
  comments->Add(m_comment[1], 0, wxALL, gap / 2);
  auto* signatureRow = new wxBoxSizer(wxHORIZONTAL);
  signatureRow->Add(m_comment[2], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  signatureRow->Add(m_editSignature, 0, wxALIGN_CENTER_VERTICAL);
  comments->Add(signatureRow, 0, wxALL, gap / 2);
  right->Add(comments, 0, wxEXPAND | wxBOTTOM, gap);

  m_useDefault = new wxCheckBox(this, kUseDefault, "Use these as defaults and do not ask me again");
  right->Add(m_useDefault, 0, wxBOTTOM, gap);
  right->AddStretchSpacer();
  right->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND);
  row->Add(right, 0, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, gap);
  SetSizerAndFit(row);

  // Initialisation from the values.
  m_values.nQuality = std::clamp(m_values.nQuality, 0, 100);
  m_slider->SetValue(m_values.nQuality);
  m_edit->ChangeValue(wxString::Format("%d", m_values.nQuality));
  m_spin->SetValue(m_values.nQuality);
  m_progressive->SetValue(m_values.bProgressive != 0);
  m_colorConversion->SetValue(m_values.bColorConversion != 0);
  m_useDefault->SetValue(m_values.bUseDefault != 0);
  SetCommentOption(m_values.nCommentOption);
  m_warningPicture->Hide();
  m_warningText->Hide();

  m_slider->Bind(wxEVT_SLIDER, &CJpegOptionsDlg::OnSlider, this);
  m_edit->Bind(wxEVT_TEXT, &CJpegOptionsDlg::OnEdit, this);
  m_spin->Bind(wxEVT_SPIN, &CJpegOptionsDlg::OnSpin, this);
  Bind(wxEVT_TIMER, &CJpegOptionsDlg::OnTimer, this, kBlinkTimer);
  m_progressive->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    m_values.bProgressive = m_progressive->GetValue() ? 1 : 0;
    BuildPreview();
  });
  m_colorConversion->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    m_values.bColorConversion = m_colorConversion->GetValue() ? 1 : 0;
    if (m_values.bColorConversion)
      StopBlinking();
    else if (NeedsColorConversion() && !m_blink.IsRunning())
      StartBlinking();
    BuildPreview();
  });
  for (int i = 0; i < 3; ++i)
    m_comment[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) {
      SetCommentOption(i);
      BuildPreview();  // the comment changes the size
    });
  m_editSignature->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    EditSignatureFromDialog(this);
    BuildPreview();
  });

  BuildPreview();
  if (NeedsColorConversion() && !m_values.bColorConversion) StartBlinking();
}

CJpegOptionsDlg::~CJpegOptionsDlg() { m_blink.Stop(); }

bool CJpegOptionsDlg::NeedsColorConversion() const {
  return m_pImage && !m_pImage->IsEmpty() && m_pImage->GetBitsPerPixel() != 24 && !m_pImage->IsGrayscale();
}

void CJpegOptionsDlg::StartBlinking() {
  m_bBlinkVisible = true;
  m_warningPicture->Show();
  m_warningText->Show();
  m_blink.Start(500);
}

void CJpegOptionsDlg::StopBlinking() {
  m_blink.Stop();
  m_bBlinkVisible = false;
  m_warningPicture->Hide();
  m_warningText->Hide();
}

void CJpegOptionsDlg::OnTimer(wxTimerEvent&) {
  m_bBlinkVisible = !m_bBlinkVisible;
  m_warningPicture->Show(m_bBlinkVisible);
  m_warningText->Show(m_bBlinkVisible);
}

void CJpegOptionsDlg::SetCommentOption(int option) {
  m_values.nCommentOption = option < 0 || option > 2 ? COMMENT_NONE : option;
  m_comment[m_values.nCommentOption]->SetValue(true);
  m_editSignature->Enable(m_values.nCommentOption == COMMENT_SIGNATURE);
}

void CJpegOptionsDlg::OnSlider(wxCommandEvent&) {
  const int position = m_slider->GetValue();
  long shown = -1;
  if (!m_edit->GetValue().ToLong(&shown) || shown != position) m_edit->ChangeValue(wxString::Format("%d", position));
  m_spin->SetValue(position);
  if (position != m_values.nQuality) {
    m_values.nQuality = position;
    BuildPreview();
  }
}

void CJpegOptionsDlg::OnSpin(wxSpinEvent& event) {
  // The spin button steps the number in the edit, which moves the slider.
  m_edit->SetValue(wxString::Format("%d", event.GetPosition()));
}

void CJpegOptionsDlg::OnEdit(wxCommandEvent&) {
  const wxString text = m_edit->GetValue();
  if (text.empty()) return;
  long number = -1;
  if (!text.ToLong(&number) || number < 0 || number > 100) {
    wxMessageDialog box(this, "Please enter a quality number between 0 and 100.", "Warning", wxOK | wxICON_WARNING);
    box.ShowModal();
    m_edit->SelectAll();
    return;
  }
  if (number != m_slider->GetValue()) {
    m_slider->SetValue(static_cast<int>(number));
    m_spin->SetValue(static_cast<int>(number));
    m_values.nQuality = static_cast<int>(number);
    BuildPreview();
  }
}

void CJpegOptionsDlg::BuildPreview() {
  if (m_bBusy) return;
  m_bBusy = true;
  if (!m_pImage || m_pImage->IsEmpty() || (NeedsColorConversion() && !m_values.bColorConversion)) {
    m_preview.Free();
    m_nPreviewBytes = 0;
    m_previewPane->SetImage(nullptr);
    m_previewPane->SetImageSize(0, 0);
    m_previewPane->Refresh();
    m_fileSize->SetLabel("File size:");
    m_downloadTime->SetLabel(wxString());
    m_bBusy = false;
    return;
  }
  int used;
  do {
    used = m_values.nQuality;
    JPEG_SAVE_OPTIONS options;
    options.nQuality = static_cast<int16_t>(used);
    options.nProgressive = static_cast<int16_t>(m_values.bProgressive);
    options.nColorConversion = static_cast<int16_t>(m_values.bColorConversion);
    options.nReserved = 0;
    options.nCommentOption = static_cast<int16_t>(m_values.nCommentOption);
    CMemStream stream;
    stream.SetMode(CBufferedFile::kWrite);
    CCodecJob job;
    job.m_pStream = &stream;
    job.m_image = *m_pImage;  // a job of its own: no file comment, no signature
    if (WriteJpeg(&job, &options) != IMAGEIO_OK) break;
    const int length = stream.GetLength();
    stream.SetMode(CBufferedFile::kRead);
    CCodecJob back;
    back.m_pStream = &stream;
    ReadJpeg(&back);
    // A preview that cannot be decoded leaves the previous one in place.
    if (back.m_image.IsEmpty()) continue;
    m_preview = back.m_image;
    m_nPreviewBytes = length;
    m_previewPane->SetImage(&m_preview);
    m_previewPane->SetImageSize(m_preview.GetWidth(), m_preview.GetHeight());
    m_previewPane->CenterImage();
    m_previewPane->Refresh();
    m_fileSize->SetLabel(wxString::FromUTF8(FileSizeText(length)));
    m_downloadTime->SetLabel(wxString::FromUTF8(DownloadTimeText(length)));
  } while (used != m_values.nQuality);
  m_bBusy = false;
}

bool CJpegOptionsDlg::TransferDataFromWindow() {
  m_values.nQuality = m_slider->GetValue();
  m_blink.Stop();
  m_values.bUseDefault = m_useDefault->GetValue() ? 1 : 0;
  return true;
}

bool RunJpegOptionsDialog(wxWindow* parent, JpegExportValues& values, const CRasterImage* image) {
  CJpegOptionsDlg dialog(parent ? parent : static_cast<wxWindow*>(g_pMainFrame), values, image);
  dialog.CentreOnParent();
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = dialog.GetValues();
  return true;
}
