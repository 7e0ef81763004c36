#include "editor/PictoravellDoc.h"

#include "editor/PictoravellView.h"

#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include "base/ImageGeometry.h"
#include "base/MessageReport.h"
#include "base/Profile.h"
#include "base/StatusStack.h"
#include "formats/ImageFile.h"
#include "imaging/PixelRect.h"
#include "platform/RecentFileList.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "shell/ImageFileDialog.h"
#include "shell/MainFrame.h"

wxIMPLEMENT_DYNAMIC_CLASS(CPictoravellDoc, wxDocument);

int g_nNewDocumentKind = NEWDOC_BLANK;

namespace {

DOCUMENT_PROMPTS g_prompts;

std::string FileTitle(const std::string& path) {
  std::string title = wxFileName(wxString::FromUTF8(path)).GetFullName().utf8_string();
  if (title.size() > 260) title.resize(260);
  return title;
}

bool AskYesNo(const std::string& text) {
  if (g_prompts.askYesNo) return g_prompts.askYesNo(text);
  return wxMessageBox(wxString::FromUTF8(text), "Pictoravell", wxYES_NO | wxICON_EXCLAMATION, g_pMainFrame) == wxYES;
}

// The clipboard's image as a 24-bit image (with an alpha mask when it has one).
CRasterImage ImageFromWx(const wxImage& image) {
  CRasterImage out;
  if (!image.IsOk() || CheckImageGeometry(image.GetWidth(), image.GetHeight(), 24) != 0) return out;
  if (!out.Create(image.GetWidth(), image.GetHeight(), 24)) return out;
  const int w = image.GetWidth(), h = image.GetHeight();
  const unsigned char* data = image.GetData();
  uint8_t* bits = out.GetWritableBits();
  for (int y = 0; y < h; ++y) std::copy_n(data + int64_t{y} * w * 3, w * 3, bits + int64_t{y} * out.GetStride());
  if (image.HasAlpha() && out.CreateMask()) {
    uint8_t* mask = out.GetWritableMaskBits();
    for (int y = 0; y < h; ++y)
      std::copy_n(image.GetAlpha() + int64_t{y} * w, w, mask + int64_t{y} * out.GetMaskStride());
  }
  return out;
}

CRasterImage GetClipboardImage() {
  if (g_prompts.clipboardImage) return g_prompts.clipboardImage();
  CRasterImage image;
  if (!wxTheClipboard->Open()) return image;
  wxBitmapDataObject data;
  if (wxTheClipboard->GetData(data)) image = ImageFromWx(data.GetBitmap().ConvertToImage());
  wxTheClipboard->Close();
  return image;
}

// A file sequence: the files chosen, read in order, their frames one after
// another. The loop count is that of the first animated file.
bool ImportFileSequence(std::vector<CAnimFrame>& frames, uint16_t& loopCount) {
  if (g_prompts.fileSequence) return g_prompts.fileSequence(frames, loopCount);
  std::vector<std::string> paths;
  if (!RunImageFileDialog(paths, true, std::string(), IMAGE_FORMAT_UNKNOWN, "File Sequence", true)) return false;
  std::vector<CAnimFrame> all;
  loopCount = 0;
  for (const auto& path : paths) {
    CImageFileRequest request;
    request.m_strFileName = path;
    request.m_pfnProgress = ReportProgress;
    request.m_pfnCancel = CheckUserAbort;
    const int result = ReadImageFile(&request);
    if (result != IMAGEIO_OK || request.m_frames.empty()) {
      if (const char* text = GetResultText(result))
        ReportMessage(MESSAGE_ERROR, "Failed to open " + FileTitle(request.m_strFileName) + ": " + text);
      return false;
    }
    if (loopCount == 0 && request.m_frames.size() > 1) loopCount = static_cast<uint16_t>(request.m_nLoopCount);
    for (auto& frame : request.m_frames) all.push_back(std::move(frame));
  }
  if (all.empty()) return false;
  frames = std::move(all);
  return true;
}

bool RunMultiburstFileDialog(std::string& path, int& rate) {
  if (g_prompts.multiburstFile) return g_prompts.multiburstFile(path, rate);
  std::vector<std::string> paths;
  if (!RunImageFileDialog(paths, true, std::string(), IMAGE_FORMAT_UNKNOWN, "Multiburst Image", false) ||
      paths.empty())
    return false;
  path = paths.front();
  rate = 1500;
  return true;
}

// The New Image dialog (template 206).
class CNewImageDlg : public wxDialog {
 public:
  CNewImageDlg(wxWindow* parent, int width, int height, int empty, int paste, bool clipboard)
      : wxDialog(parent, 206, "New Image") {
    auto* grid = new wxFlexGridSizer(2, 6, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "Width:"), 0, wxALIGN_CENTER_VERTICAL);
    m_width = new wxTextCtrl(this, 1039, wxString::Format("%d", width));
    grid->Add(m_width);
    grid->Add(new wxStaticText(this, wxID_ANY, "Height:"), 0, wxALIGN_CENTER_VERTICAL);
    m_height = new wxTextCtrl(this, 1040, wxString::Format("%d", height));
    grid->Add(m_height);
    m_paste = new wxCheckBox(this, 1184, "Paste From Clipboard");
    m_empty = new wxCheckBox(this, 1185, "Empty initially");
    m_empty->SetValue(empty != 0);
    m_paste->SetValue(clipboard && paste != 0);
    m_paste->Enable(clipboard);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxALL, 10);
    column->Add(m_paste, 0, wxLEFT | wxRIGHT, 10);
    column->Add(m_empty, 0, wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    m_paste->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { UpdateControls(); });
    Bind(wxEVT_BUTTON, &CNewImageDlg::OnOK, this, wxID_OK);
    UpdateControls();
  }
  int m_nWidth = 0, m_nHeight = 0, m_bEmpty = 0, m_bPaste = 0;

 private:
  void UpdateControls() {
    const bool paste = m_paste->IsEnabled() && m_paste->GetValue();
    m_width->Enable(!paste);
    m_height->Enable(!paste);
    m_empty->Enable(!paste);
  }
  void OnOK(wxCommandEvent&) {
    const bool paste = m_paste->IsEnabled() && m_paste->GetValue();
    long width = 0, height = 0;
    // A canvas side is 1 to 32767 pixels.
    if (!paste) {
      if (!m_width->GetValue().ToLong(&width) || width < 1 || width > 32767) {
        wxMessageBox("Please enter an integer between 1 and 32767.", "New Image", wxOK | wxICON_EXCLAMATION, this);
        m_width->SetFocus();
        return;
      }
      if (!m_height->GetValue().ToLong(&height) || height < 1 || height > 32767) {
        wxMessageBox("Please enter an integer between 1 and 32767.", "New Image", wxOK | wxICON_EXCLAMATION, this);
        m_height->SetFocus();
        return;
      }
      m_nWidth = static_cast<int>(width);
      m_nHeight = static_cast<int>(height);
    }
    m_bEmpty = m_empty->GetValue() ? 1 : 0;
    m_bPaste = paste ? 1 : 0;
    if (!paste) {
      WriteProfileInt("New Image Info", "Width", m_nWidth);
      WriteProfileInt("New Image Info", "Height", m_nHeight);
      WriteProfileInt("New Image Info", "Initially Empty", m_bEmpty);
    }
    if (m_paste->IsEnabled()) WriteProfileInt("New Image Info", "Paste From Clipboard", m_bPaste);
    EndModal(wxID_OK);
  }

  wxTextCtrl* m_width;
  wxTextCtrl* m_height;
  wxCheckBox* m_paste;
  wxCheckBox* m_empty;
};

}  // namespace

bool IsClipboardImageAvailable() {
  if (g_prompts.clipboardAvailable) return g_prompts.clipboardAvailable();
  if (!wxTheClipboard->Open()) return false;
  // The toolkit's bitmap format is the one image format every desktop
  // program offers (image/png here); the Windows-only PNG format id is not
  // a format of this toolkit at all.
  const bool available = wxTheClipboard->IsSupported(wxDataFormat(wxDF_BITMAP));
  wxTheClipboard->Close();
  return available;
}

DOCUMENT_PROMPTS SetDocumentPrompts(DOCUMENT_PROMPTS prompts) {
  std::swap(g_prompts, prompts);
  return prompts;
}

bool RunNewImageDialog(int16_t& width, int16_t& height, int& empty, int& paste) {
  if (g_prompts.newImage) return g_prompts.newImage(width, height, empty, paste);
  const int w = GetProfileInt("New Image Info", "Width", width);
  const int h = GetProfileInt("New Image Info", "Height", height);
  const int e = GetProfileInt("New Image Info", "Initially Empty", empty);
  const int p = GetProfileInt("New Image Info", "Paste From Clipboard", paste);
  CNewImageDlg dialog(g_pMainFrame, w, h, e, p, IsClipboardImageAvailable());
  dialog.m_nWidth = w;
  dialog.m_nHeight = h;
  if (dialog.ShowModal() != wxID_OK) return false;
  width = static_cast<int16_t>(dialog.m_nWidth);
  height = static_cast<int16_t>(dialog.m_nHeight);
  empty = dialog.m_bEmpty;
  paste = dialog.m_bPaste;
  return true;
}

// --- the document ------------------------------------------------------------------

CPictoravellDoc::CPictoravellDoc() {
  Bind(wxEVT_MENU, &CPictoravellDoc::OnFileClose, this, ID_FILE_CLOSE);
  Bind(wxEVT_MENU, &CPictoravellDoc::OnFileSave, this, ID_FILE_SAVE);
  Bind(wxEVT_MENU, &CPictoravellDoc::OnFileSaveAs, this, ID_FILE_SAVE_AS);
  Bind(wxEVT_MENU, &CPictoravellDoc::OnFileSaveCopyAs, this, ID_FILE_SAVE_COPY_AS);
  Bind(wxEVT_MENU, &CPictoravellDoc::OnEditUndo, this, ID_EDIT_UNDO);
  Bind(wxEVT_MENU, &CPictoravellDoc::OnEditRedo, this, ID_EDIT_REDO);
  Bind(wxEVT_UPDATE_UI, &CPictoravellDoc::OnUpdateCommand, this);
}

CPictoravellDoc::~CPictoravellDoc() {
  NotifyDocumentList(2);
  if (g_pMainFrame && !g_pMainFrame->IsClosingDown()) g_pMainFrame->OnDocumentClose(this);
  FreeFrames();
}

void CPictoravellDoc::FreeFrames() {
  m_frames.clear();
  m_nCurrentFrame = 0;
}

void CPictoravellDoc::SetFrames(int16_t width, int16_t height, std::vector<CAnimFrame> frames, uint16_t loopCount) {
  FreeFrames();
  m_frames = std::move(frames);
  m_nCanvasWidth = width;
  m_nCanvasHeight = height;
  m_nLoopCount = loopCount;
  m_nCurrentFrame = 0;
}

std::string CPictoravellDoc::NormalizeLineEnds(const std::string& text) {
  std::string lf;
  lf.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') lf += '\r';
    lf += c;
  }
  std::string out;
  out.reserve(lf.size());
  for (size_t i = 0; i < lf.size(); ++i) {
    // CR CR LF (an existing pair given one more CR above) becomes CR LF.
    if (lf[i] == '\r' && i + 2 < lf.size() + 0 && lf[i + 1] == '\r' && lf[i + 2] == '\n') continue;
    out += lf[i];
  }
  return out;
}

bool CPictoravellDoc::LoadImageFile(const std::string& path) {
  CImageFileRequest request;
  request.m_strFileName = path;
  request.m_pfnProgress = ReportProgress;
  request.m_pfnCancel = CheckUserAbort;
  request.m_nXResolution = 72;
  request.m_nYResolution = 72;
  const std::string title = FileTitle(path);
  PushStatusMessage("Reading " + title + "...");
  int result;
  try {
    result = ReadImageFile(&request);
  } catch (const std::exception&) {
    result = 0;
    request.m_frames.clear();
  }
  PopStatusMessage();
  if (result != IMAGEIO_OK || request.m_frames.empty()) {
    if (const char* text = GetResultText(result); text && *text)
      ReportMessage(MESSAGE_ERROR, "Failed to open " + title + ": " + text);
    return false;
  }
  SetFrames(request.m_nWidth, request.m_nHeight, std::move(request.m_frames),
            static_cast<uint16_t>(request.m_nLoopCount));
  if (m_nCanvasWidth <= 0 || m_nCanvasHeight <= 0) FitCanvasToFrames();
  m_strComment = request.m_strComment.empty() ? std::string() : NormalizeLineEnds(request.m_strComment);
  UpdateThumbnail();
  return true;
}

bool CPictoravellDoc::DoOpenDocument(const wxString& path) {
  const std::string file = path.utf8_string();
  if (access(file.c_str(), R_OK) != 0) {
    ReportMessage(MESSAGE_ERROR, "Failed to open " + FileTitle(file) + ": " + std::strerror(errno));
    return false;
  }
  if (!LoadImageFile(file)) return false;
  Modify(false);
  return true;
}

bool CPictoravellDoc::OnOpenDocument(const wxString& path) {
  NotifyDocumentList(0);
  if (!wxDocument::OnOpenDocument(path)) return false;
  if (g_pRecentFileList) g_pRecentFileList->Add(path.utf8_string());
  UpdateViews(HINT_ERASE);
  return true;
}

bool CPictoravellDoc::OnNewDocument() {
  if (GetDocumentManager() && !wxDocument::OnNewDocument()) return false;
  static int s_nUntitled = 0;
  const wxString name = wxString::Format("untitled-%d", ++s_nUntitled);
  SetTitle(name);
  SetFilename(name, false);
  FreeFrames();
  switch (g_nNewDocumentKind) {
    case NEWDOC_BLANK: {
      int16_t width = 300, height = 300;
      int empty = 0, paste = 0;
      if (!RunNewImageDialog(width, height, empty, paste)) return false;
      CAnimFrame frame;
      if (paste && IsClipboardImageAvailable()) {
        frame.m_image = GetClipboardImage();
        if (frame.m_image.IsEmpty()) {
          ReportMessage(MESSAGE_ERROR, "Failed to import image from the clipboard !");
          return false;
        }
        width = static_cast<int16_t>(frame.m_image.GetWidth());
        height = static_cast<int16_t>(frame.m_image.GetHeight());
      } else if (width < 1 || height < 1) {
        ReportMessage(MESSAGE_ERROR, "Failed to create new image !");
        return false;
      } else if (!empty) {
        if (CheckImageGeometry(width, height, 24) != 0 || !frame.m_image.Create(width, height, 24)) {
          ReportMessage(MESSAGE_ERROR, "Failed to create new image !");
          return false;
        }
        uint8_t* bits = frame.m_image.GetWritableBits();
        std::fill_n(bits, int64_t{frame.m_image.GetStride()} * height, uint8_t{255});
      }
      std::vector<CAnimFrame> frames;
      frames.push_back(std::move(frame));
      SetFrames(width, height, std::move(frames), 0);
      break;
    }
    case NEWDOC_FILE_SEQUENCE: {
      std::vector<CAnimFrame> frames;
      uint16_t loopCount = 0;
      if (!ImportFileSequence(frames, loopCount) || frames.empty()) return false;
      SetFrames(0, 0, std::move(frames), loopCount);
      FitCanvasToFrames();
      break;
    }
    case NEWDOC_CLIPBOARD: {
      // The command is offered only while the clipboard holds an image; one
      // that went meanwhile gives no document without frames.
      if (!IsClipboardImageAvailable()) {
        ReportMessage(MESSAGE_ERROR, "Failed to import image from the clipboard !");
        return false;
      }
      CAnimFrame frame;
      frame.m_image = GetClipboardImage();
      if (frame.m_image.IsEmpty()) {
        ReportMessage(MESSAGE_ERROR, "Failed to import image from the clipboard !");
        return false;
      }
      const auto w = static_cast<int16_t>(frame.m_image.GetWidth());
      const auto h = static_cast<int16_t>(frame.m_image.GetHeight());
      std::vector<CAnimFrame> frames;
      frames.push_back(std::move(frame));
      SetFrames(w, h, std::move(frames), 0);
      break;
    }
    case NEWDOC_MULTIBURST:
      if (!OpenMultiburst()) return false;
      break;
    default:
      ReportMessage(MESSAGE_ERROR, "Unknow document type");
      return false;
  }
  Modify(true);
  UpdateThumbnail();
  NotifyDocumentList(0);
  UpdateViews(HINT_ERASE);
  return true;
}

bool CPictoravellDoc::OpenMultiburst() {
  std::string path;
  int rate = 1500;
  if (!RunMultiburstFileDialog(path, rate)) return false;
  if (!LoadImageFile(path)) return false;
  const CRasterImage image = m_frames[0].m_image;
  const int w = image.GetWidth(), h = image.GetHeight();
  if (w % 4 != 0 || h % 4 != 0 || GetFrameCount() > 1 || image.IsEmpty()) {
    return AskYesNo(
        "This file does not appear to be a valid multiburst image.\nDo you want to open it as a regular image?");
  }
  const int cw = w / 4, ch = h / 4;
  std::vector<CAnimFrame> frames;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      CAnimFrame frame;
      frame.m_image = CropImage(image, Rect{c * cw, r * ch, c * cw + cw, r * ch + ch});
      frame.m_nDelay = static_cast<uint16_t>(rate > 0 ? 10000 / rate : 0);
      frames.push_back(std::move(frame));
    }
  SetFrames(static_cast<int16_t>(cw), static_cast<int16_t>(ch), std::move(frames), m_nLoopCount);
  return true;
}

bool CPictoravellDoc::FitCanvasToFrames() {
  if (m_frames.empty()) return false;
  // A canvas side cannot pass 32767: frames reaching further are cut there.
  auto extent = [](const CAnimFrame& f, bool horizontal) {
    const int side = f.m_image.IsEmpty() ? 0 : horizontal ? f.m_image.GetWidth() : f.m_image.GetHeight();
    return static_cast<int16_t>(std::min((horizontal ? f.m_nLeft : f.m_nTop) + side, 32767));
  };
  int16_t width = extent(m_frames[0], true), height = extent(m_frames[0], false);
  for (size_t i = 1; i < m_frames.size(); ++i) {
    width = std::max(width, extent(m_frames[i], true));
    height = std::max(height, extent(m_frames[i], false));
  }
  const bool changed = width != m_nCanvasWidth || height != m_nCanvasHeight;
  m_nCanvasWidth = width;
  m_nCanvasHeight = height;
  return changed;
}

void CPictoravellDoc::NotifyDocumentList(int event) {
  // Every document the page was told of is removed from it exactly once.
  if (event == 0) {
    if (m_bListed) return;
    m_bListed = true;
  } else if (event == 2) {
    if (!m_bListed) return;
    m_bListed = false;
  }
  if (g_pMainFrame && !g_pMainFrame->IsClosingDown()) g_pMainFrame->NotifyDocumentChange(this, event);
}

bool CPictoravellDoc::Close() {
  // A command still working on a frame keeps the document open.
  if (IsAnyFrameBusy()) return false;
  if (m_bToolRunning) {
    // The running effect is settled first: kept as one step, or dropped.
    const std::string name = g_pMainFrame ? g_pMainFrame->GetEffectName() : std::string();
    if (AskYesNo(kKeepEffectChangesText))
      CommitEdit(name, nullptr, nullptr);
    else
      CancelEdit();
    if (g_pMainFrame) g_pMainFrame->LeaveEffectMode();
  }
  return wxDocument::Close();
}

bool CPictoravellDoc::OnCloseDocument() {
  if (g_pMainFrame) g_pMainFrame->OnDocumentClose(this);
  NotifyDocumentList(2);
  return wxDocument::OnCloseDocument();
}

// --- saving ----------------------------------------------------------------------

bool CPictoravellDoc::DoSaveDocument(const wxString& path) {
  CImageFileRequest request;
  request.m_strFileName = path.utf8_string();
  request.m_pfnProgress = ReportProgress;
  request.m_pfnCancel = CheckUserAbort;
  request.m_nWidth = m_nCanvasWidth;
  request.m_nHeight = m_nCanvasHeight;
  request.m_frames = m_frames;
  for (auto& frame : request.m_frames) frame.m_bBusy = 0;
  request.m_nLoopCount = static_cast<int16_t>(m_nLoopCount);
  request.m_strComment = m_strComment;
  PushStatusMessage("Writing " + FileTitle(request.m_strFileName) + "...");
  const int result = WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr);
  PopStatusMessage();
  if (result != IMAGEIO_OK) {
    if (const char* text = GetResultText(result); text && *text)
      ReportMessage(MESSAGE_ERROR, "Failed to save " + FileTitle(request.m_strFileName) + ": " + text);
    return false;
  }
  return true;
}

bool CPictoravellDoc::OnSaveDocument(const wxString& path) {
  if (!wxDocument::OnSaveDocument(path)) return false;
  // Every step now brings back a state that differs from the file.
  MarkHistoryModified();
  if (g_pRecentFileList) g_pRecentFileList->Add(path.utf8_string());
  return true;
}

bool CPictoravellDoc::AskSavePath(std::string& path, const std::string& title) {
  if (g_prompts.savePath) return g_prompts.savePath(path);
  const wxFileName current(GetFilename());
  const std::string name = current.GetName().empty() ? std::string("untitled") : current.GetName().utf8_string();
  // The image file dialog adds the chosen format's extension and asks about
  // replacing the file under its final name.
  std::vector<std::string> paths;
  if (!RunImageFileDialog(paths, false, std::string(), GetImageFormat(current.GetFullName().utf8_string()), title,
                          false, name) ||
      paths.empty())
    return false;
  path = paths.front();
  return true;
}

bool CPictoravellDoc::SaveAs() {
  std::string path;
  if (!AskSavePath(path, "Save As") || path.empty()) return false;
  if (!OnSaveDocument(wxString::FromUTF8(path))) return false;
  SetTitle(wxFileName(wxString::FromUTF8(path)).GetFullName());
  SetFilename(wxString::FromUTF8(path), true);
  return true;
}

bool CPictoravellDoc::SaveCopyAs(const std::string& path) { return DoSaveDocument(wxString::FromUTF8(path)); }

// --- commands --------------------------------------------------------------------

void CPictoravellDoc::OnFileClose(wxCommandEvent&) {
  if (IsAnyFrameBusy()) return;
  if (wxDocManager* manager = GetDocumentManager()) manager->CloseDocument(this);
}

void CPictoravellDoc::OnFileSave(wxCommandEvent&) {
  if (!IsAnyFrameBusy()) Save();
}

void CPictoravellDoc::OnFileSaveAs(wxCommandEvent&) {
  if (!IsAnyFrameBusy()) SaveAs();
}

void CPictoravellDoc::OnFileSaveCopyAs(wxCommandEvent&) {
  if (IsAnyFrameBusy()) return;
  std::string path;
  if (AskSavePath(path, "Save a Copy As") && !path.empty()) SaveCopyAs(path);
}

void CPictoravellDoc::OnEditUndo(wxCommandEvent&) {
  if (!IsAnyFrameBusy() && !m_bToolRunning) Undo();
}

void CPictoravellDoc::OnEditRedo(wxCommandEvent&) {
  if (!IsAnyFrameBusy() && !m_bToolRunning) Redo();
}

void CPictoravellDoc::OnUpdateCommand(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  const bool idle = !IsAnyFrameBusy();
  if (id == ID_FILE_CLOSE || id == ID_FILE_SAVE || id == ID_FILE_SAVE_AS || id == ID_FILE_SAVE_COPY_AS) {
    event.Enable(idle && !m_frames.empty());
  } else if (id == ID_EDIT_UNDO || id == ID_EDIT_REDO) {
    const bool undo = id == ID_EDIT_UNDO;
    const bool can = idle && !m_bToolRunning && (undo ? CanUndo() : CanRedo());
    std::string label;
    if (can) undo ? GetUndoLabel(label) : GetRedoLabel(label);
    const std::string name = undo ? "&Undo" : "&Redo";
    const std::string accel = undo ? "\tCtrl+Z" : "\tCtrl+Y";
    if (dynamic_cast<wxMenu*>(event.GetEventObject()))
      event.SetText(wxString::FromUTF8(name + (label.empty() ? "" : " " + label) + accel));
    event.Enable(can);
  } else {
    event.Skip();
  }
}

// --- opening and making documents ----------------------------------------------------

bool RunFileOpen(const std::string& startFolder, const std::function<bool(const std::string&)>& open) {
  std::vector<std::string> paths;
  if (g_prompts.openPaths) {
    if (!g_prompts.openPaths(startFolder, paths)) return false;
  } else if (!RunImageFileDialog(paths, true, startFolder, IMAGE_FORMAT_UNKNOWN, "Open File", true)) {
    return false;
  }
  for (const auto& path : paths) open(path);
  return true;
}

wxDocTemplate* RegisterImageDocumentTemplate(wxDocManager* manager) {
  return new wxDocTemplate(manager, "Raster image", wxString::FromUTF8(ImageFilePatterns()),
                           wxString(), "bmp", "Pictoravell.Document", "Pictoravell.View",
                           CLASSINFO(CPictoravellDoc), CLASSINFO(CPictoravellView));
}

namespace {

wxDocTemplate* ImageTemplate(wxDocManager* manager) {
  for (auto* node = manager->GetTemplates().GetFirst(); node; node = node->GetNext())
    if (auto* temp = static_cast<wxDocTemplate*>(node->GetData());
        temp && temp->GetDocClassInfo() == CLASSINFO(CPictoravellDoc))
      return temp;
  return nullptr;
}

}  // namespace

CPictoravellDoc* OpenImageDocument(const std::string& path) {
  wxDocManager* manager = wxDocManager::GetDocumentManager();
  wxDocTemplate* temp = manager ? ImageTemplate(manager) : nullptr;
  if (!temp) return nullptr;
  const wxString file = wxString::FromUTF8(path);
  for (auto* node = manager->GetDocuments().GetFirst(); node; node = node->GetNext()) {
    auto* doc = dynamic_cast<CPictoravellDoc*>(static_cast<wxObject*>(node->GetData()));
    if (doc && doc->GetFilename() == file && doc->GetDocumentSaved()) {
      if (wxView* view = doc->GetFirstView()) {
        if (g_pMainFrame && view->GetFrame()) g_pMainFrame->ActivateDocumentWindow(view->GetFrame());
        view->Activate(true);
      }
      return doc;
    }
  }
  wxDocument* created = temp->CreateDocument(file, wxDOC_SILENT);
  auto* doc = dynamic_cast<CPictoravellDoc*>(created);
  if (!doc) return nullptr;
  doc->SetDocumentName(temp->GetDocumentName());
  doc->SetDocumentTemplate(temp);
  if (!doc->OnOpenDocument(file)) {
    doc->Modify(false);
    doc->DeleteAllViews();  // the last view takes the document with it
    return nullptr;
  }
  return doc;
}

CPictoravellDoc* NewImageDocument(int kind) {
  wxDocManager* manager = wxDocManager::GetDocumentManager();
  wxDocTemplate* temp = manager ? ImageTemplate(manager) : nullptr;
  if (!temp) return nullptr;
  const int saved = g_nNewDocumentKind;
  g_nNewDocumentKind = kind;
  wxDocument* created = temp->CreateDocument(wxString(), wxDOC_NEW);
  auto* doc = dynamic_cast<CPictoravellDoc*>(created);
  if (doc) {
    doc->SetDocumentName(temp->GetDocumentName());
    doc->SetDocumentTemplate(temp);
    if (!doc->OnNewDocument()) {
      doc->Modify(false);
      doc->DeleteAllViews();
      doc = nullptr;
    }
  }
  g_nNewDocumentKind = saved;
  return doc;
}
