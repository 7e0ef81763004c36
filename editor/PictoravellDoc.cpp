#include "editor/PictoravellDoc.h"

#include "shell/ImageClipboard.h"
#include "shell/TaskPanePages.h"

#include "editor/DocumentInternals.h"
#include "editor/ImportSequenceDialog.h"
#include "editor/NewImageDialog.h"
#include "editor/PictoravellView.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

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
#include "shell/EditorHost.h"
#include "shell/ImageFileDialog.h"

wxIMPLEMENT_DYNAMIC_CLASS(CPictoravellDoc, wxDocument);

int g_nNewDocumentKind = NEWDOC_BLANK;

namespace {

DOCUMENT_PROMPTS g_prompts;

}  // namespace

namespace doc_detail {

const DOCUMENT_PROMPTS& Prompts() { return g_prompts; }

// The parent of the document's dialogs: the main window, when there is one.
wxWindow* DialogParent() {
  IEditorHost* host = EditorHost();
  return host ? host->GetDialogParent() : nullptr;
}

std::string FileTitle(const std::string& path) {
  std::string title = wxFileName(wxString::FromUTF8(path)).GetFullName().utf8_string();
  if (title.size() > 260) title.resize(260);
  return title;
}

// The Import Sequence of Files dialog (or its prompt): the frames and, when
// asked for, the loop count.
bool ImportFileSequence(std::vector<CAnimFrame>& frames, uint16_t* loopCount) {
  if (g_prompts.fileSequence) {
    uint16_t loop = 0;
    if (!g_prompts.fileSequence(frames, loop)) return false;
    if (loopCount) *loopCount = loop;
    return true;
  }
  return RunImportSequenceDialog(DialogParent(), frames, loopCount);
}

bool AskYesNo(const std::string& text) {
  if (g_prompts.askYesNo) return g_prompts.askYesNo(text);
  return wxMessageBox(wxString::FromUTF8(text), "Pictoravell", wxYES_NO | wxICON_EXCLAMATION, DialogParent()) == wxYES;
}

}  // namespace doc_detail

using namespace doc_detail;

namespace {

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
  return ReadClipboardImage();
}

bool AskForMultiburstFile(std::string& path, int& rate) {
  if (g_prompts.multiburstFile) return g_prompts.multiburstFile(path, rate);
  return RunMultiburstFileDialog(path, rate);
}

}  // namespace

bool IsClipboardImageAvailable() {
  if (g_prompts.clipboardAvailable) return g_prompts.clipboardAvailable();
  return QueryClipboardImage();
}

DOCUMENT_PROMPTS SetDocumentPrompts(DOCUMENT_PROMPTS prompts) {
  std::swap(g_prompts, prompts);
  return prompts;
}

namespace {

// The New Image dialog, or the prompt that stands in for it, on the stored values.
bool AskNewImage(NEW_IMAGE_VALUES& values) {
  if (g_prompts.newImage) return g_prompts.newImage(values);
  values.width = GetProfileInt("New Image Info", "Width", values.width);
  values.height = GetProfileInt("New Image Info", "Height", values.height);
  values.empty = GetProfileInt("New Image Info", "Initially Empty", values.empty ? 1 : 0) != 0;
  values.paste = GetProfileInt("New Image Info", "Paste From Clipboard", values.paste ? 1 : 0) != 0;
  values.clipboardAvailable = IsClipboardImageAvailable();
  return RunNewImageDialog(DialogParent(), values);
}

}  // namespace

// --- the document ------------------------------------------------------------------

CPictoravellDoc::CPictoravellDoc() { BindCommands(); }

CPictoravellDoc::~CPictoravellDoc() {
  NotifyDocumentList(DOCUMENT_REMOVED);
  if (IEditorHost* host = EditorHost(); host && !host->IsClosingDown()) host->OnDocumentClose(this);
  FreeFrames();
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
  // A file cut short still opens, with what could be read; the user is told.
  if (request.m_bIncomplete)
    ReportMessage(MESSAGE_WARNING,
                  title + " is incomplete: the file ends before the picture does, so part of it is missing.");
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
  NotifyDocumentList(DOCUMENT_ADDED);
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
      NEW_IMAGE_VALUES values;
      if (!AskNewImage(values)) return false;
      auto width = static_cast<int16_t>(values.width), height = static_cast<int16_t>(values.height);
      CAnimFrame frame;
      if (values.paste && IsClipboardImageAvailable()) {
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
      } else if (!values.empty) {
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
      if (!ImportFileSequence(frames, &loopCount) || frames.empty()) return false;
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
  NotifyDocumentList(DOCUMENT_ADDED);
  UpdateViews(HINT_ERASE);
  return true;
}

bool CPictoravellDoc::OpenMultiburst() {
  std::string path;
  int rate = 1500;
  if (!AskForMultiburstFile(path, rate)) return false;
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

void CPictoravellDoc::NotifyDocumentList(DOCUMENT_CHANGE event) {
  // Every document the page was told of is removed from it exactly once.
  if (event == DOCUMENT_ADDED) {
    if (m_bListed) return;
    m_bListed = true;
  } else if (event == DOCUMENT_REMOVED) {
    if (!m_bListed) return;
    m_bListed = false;
  } else if (!m_bListed) {
    return;
  }
  if (IEditorHost* host = EditorHost(); host && !host->IsClosingDown()) host->NotifyDocumentChange(this, event);
}

bool CPictoravellDoc::Close() {
  // A playing view stops with its window.
  StopPlayingViews();
  // A command still working on a frame keeps the document open.
  if (IsAnyFrameBusy()) return false;
  if (m_bToolRunning) {
    // The running effect is settled first: kept as one step, or dropped.
    IEditorHost* host = EditorHost();
    if (!host || !host->AskKeepEffectChanges()) CancelEdit();
  }
  return wxDocument::Close();
}

bool CPictoravellDoc::OnCloseDocument() {
  if (IEditorHost* host = EditorHost()) host->OnDocumentClose(this);
  NotifyDocumentList(DOCUMENT_REMOVED);
  return wxDocument::OnCloseDocument();
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
  CDocumentsPage::SetBackgroundColorAccess([] { return CImageDocument::GetBackgroundColor(); },
                                           [](RGBQUAD colour) { CImageDocument::SetBackgroundColor(colour); });
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
        if (IEditorHost* host = EditorHost(); host && view->GetFrame()) host->ActivateDocumentWindow(view->GetFrame());
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

CPictoravellDoc* NewImageDocument(NEW_DOCUMENT_KIND kind) {
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
