#include "output/PrintPages.h"

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/paper.h>

#include <algorithm>
#include <functional>

#include "imaging/LayerStack.h"
#include "shell/DeviceDrawing.h"
#include "shell/ShellFunctions.h"
#include "shell/UiTheme.h"

namespace {

constexpr int kBandHeight = 64;

std::function<bool(wxWindow*, wxPrintout&)>& PrintRunner() {
  static std::function<bool(wxWindow*, wxPrintout&)> runner;
  return runner;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}


}  // namespace

int WhiteBackground(int, int, uint8_t* red, uint8_t* green, uint8_t* blue) {
  *red = *green = *blue = 255;
  return 255;
}

PRINT_DEVICE GetPaperDevice(int dpi) {
  const wxPrintData& data = GetProgramPrintData();
  wxSize mm = data.GetPaperSize();
  if (data.GetPaperId() != wxPAPER_NONE && wxThePrintPaperDatabase)
    if (const wxPrintPaperType* type = wxThePrintPaperDatabase->FindPaperType(data.GetPaperId()))
      mm = type->GetSize() / 10;  // tenths of a millimetre
  if (mm.x <= 0 || mm.y <= 0) mm = wxSize(210, 297);
  if (data.GetOrientation() == wxLANDSCAPE) std::swap(mm.x, mm.y);
  PRINT_DEVICE device;
  device.dpiX = device.dpiY = dpi;
  device.pageWidth = static_cast<int>(mm.x * dpi / 25.4 + 0.5);
  device.pageHeight = static_cast<int>(mm.y * dpi / 25.4 + 0.5);
  return device;
}

// --- CPrintPages -----------------------------------------------------------------

int CPrintPages::MakeCaptionFont(wxDC& dc, wxFont& font) const {
  const int points = CaptionPointSize(m_layout.GetTextSize());
  font = ThemeFont();
  font.SetPixelSize(wxSize(0, std::max(1, points * std::max(m_device.dpiY, 1) / 72)));
  dc.SetFont(font);
  return dc.GetCharHeight();
}

bool CPrintPages::Layout(wxDC& dc, const PRINT_DEVICE& device) {
  m_device = device;
  m_layout = CPrintLayout();
  m_layout.SetPageSize(device.pageWidth, device.pageHeight);
  m_layout.SetResolution(device.dpiX, device.dpiY);
  const PRINT_SOURCE& s = m_source;
  switch (s.kind) {
    case PRINT_KIND_SINGLE: {
      m_layout.SetImageSize(s.canvasWidth, s.canvasHeight);
      m_layout.SetSizePreset(s.settings.sizePreset);
      m_layout.SetCustomSize(s.settings.customWidth, s.settings.customHeight);
      m_layout.SetCropOptions(s.settings.crop != 0, s.settings.cropOffset);
      m_layout.SetTextSize(s.settings.commentSize);
      m_layout.SetCaption(s.settings.printComments && !s.comment.empty() ? s.comment.c_str() : nullptr);
      return m_layout.LayoutPicture();
    }
    case PRINT_KIND_MULTI:
      m_layout.SetImageSize(s.canvasWidth, s.canvasHeight);
      m_layout.SetItemCount(s.frames ? static_cast<int>(s.frames->size()) : 0);
      m_layout.SetAutoGrid(s.settings.allOnOnePage != 0);
      m_layout.SetRows(s.settings.rows);
      m_layout.SetColumns(s.settings.columns);
      return m_layout.LayoutFrames();
    case PRINT_KIND_CONTACT_SHEET: {
      const int32_t size = ContactSheetThumbnailSize(s.sheet.thumbnailSize);
      m_layout.SetItemCount(static_cast<int>(s.items.size()));
      m_layout.SetAutoGrid(size == 0);
      m_layout.SetThumbnailSize(size, size);
      m_layout.SetPrintFileNames(s.sheet.printNames != 0);
      m_layout.SetPrintFolderNames(s.sheet.printFolders != 0);
      m_layout.SetTextSize(s.sheet.textSize);
      wxFont font;
      m_textHeight = MakeCaptionFont(dc, font);
      return m_layout.LayoutContactSheet(m_textHeight);
    }
    default:
      return false;
  }
}

void CPrintPages::DrawPage(wxDC& dc, int page, bool preview) {
  if (page < 0 || page >= GetPageCount()) return;
  const PRINT_SOURCE& s = m_source;
  if (s.kind == PRINT_KIND_CONTACT_SHEET)
    m_layout.SetAlignment(s.sheet.horzAlign, s.sheet.vertAlign);
  else
    m_layout.SetAlignment(s.settings.horzAlign, s.settings.vertAlign);
  if (s.kind == PRINT_KIND_SINGLE) m_layout.SetCropOffset(s.settings.cropOffset);
  wxDCClipper clip(dc, wxRect(0, 0, m_device.pageWidth, m_device.pageHeight));
  dc.SetTextForeground(*wxBLACK);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  switch (s.kind) {
    case PRINT_KIND_SINGLE:
      DrawPicturePage(dc, page, preview);
      break;
    case PRINT_KIND_MULTI:
      DrawFramesPage(dc, page, preview);
      break;
    case PRINT_KIND_CONTACT_SHEET:
      DrawContactSheetPage(dc, page, preview);
      break;
  }
}

std::vector<wxString> CPrintPages::WrapCaption(wxDC& dc, const wxString& text, int width, int& cw,
                                               int& ch) const {
  std::vector<wxString> lines;
  wxString normalised = text;
  normalised.Replace("\r\n", "\n");
  for (const wxString& paragraph : wxSplit(normalised, '\n', '\0')) {
    wxString line;
    for (const wxString& word : wxSplit(paragraph, ' ', '\0')) {
      const wxString candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && dc.GetTextExtent(candidate).x > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
    }
    lines.push_back(line);
  }
  cw = 0;
  for (const wxString& line : lines) cw = std::max(cw, dc.GetTextExtent(line).x);
  cw = std::min(cw, std::max(width, 1));
  ch = static_cast<int>(lines.size()) * dc.GetCharHeight();
  return lines;
}

void CPrintPages::DrawPicturePage(wxDC& dc, int page, bool preview) {
  const PRINT_SOURCE& s = m_source;
  if (!s.frames || s.frames->empty()) return;
  int cw = 0, ch = 0;
  std::vector<wxString> lines;
  if (!m_layout.GetCaption().empty()) {
    wxFont font;
    MakeCaptionFont(dc, font);
    int32_t w = 0, h = 0;
    m_layout.GetPictureSize(w, h);
    lines = WrapCaption(dc, wxString::FromUTF8(m_layout.GetCaption()), w, cw, ch);
  }
  PRINT_PICTURE_PAGE geometry;
  if (!m_layout.GetPicturePage(page, cw, ch, geometry)) return;
  const int frame = std::clamp(s.currentFrame, 0, static_cast<int>(s.frames->size()) - 1);
  CLayerStack stack(geometry.source.Width(), geometry.source.Height());
  AddPrintComposition(stack, s.frames->data(), static_cast<int>(s.frames->size()), frame, -geometry.source.left,
                      -geometry.source.top);
  if (preview)
    DrawLayerStack(dc, geometry.picture, kBandHeight, stack, WhiteBackground);
  else
    DrawLayerStackStretched(dc, geometry.picture, kBandHeight, stack);
  if (!lines.empty()) {
    const int lineHeight = dc.GetCharHeight();
    for (size_t i = 0; i < lines.size(); ++i)
      dc.DrawText(lines[i], geometry.caption.left, geometry.caption.top + static_cast<int>(i) * lineHeight);
  }
}

void CPrintPages::DrawFramesPage(wxDC& dc, int page, bool preview) {
  const PRINT_SOURCE& s = m_source;
  if (!s.frames) return;
  const int count = static_cast<int>(s.frames->size());
  for (const PRINT_GRID_CELL& cell : m_layout.GetFramesPage(page)) {
    if (cell.item >= count || cell.picture.IsEmpty()) continue;
    CLayerStack stack(s.canvasWidth, s.canvasHeight);
    AddPrintComposition(stack, s.frames->data(), count, cell.item);
    if (preview)
      DrawLayerStack(dc, cell.picture, kBandHeight, stack, WhiteBackground);
    else
      DrawLayerStackStretched(dc, cell.picture, kBandHeight, stack);
  }
}

void CPrintPages::DrawContactSheetPage(wxDC& dc, int page, bool preview) {
  const PRINT_SOURCE& s = m_source;
  wxFont font;
  const int t = MakeCaptionFont(dc, font);
  const PRINT_CONTACT_PAGE geometry = m_layout.GetContactSheetPage(page, m_textHeight > 0 ? m_textHeight : t);
  std::vector<std::string> folders;
  for (const PRINT_GRID_CELL& cell : geometry.cells) {
    if (cell.item < 0 || cell.item >= static_cast<int>(s.items.size())) continue;
    const PRINT_SHEET_ITEM& item = s.items[static_cast<size_t>(cell.item)];
    const std::string folder = FolderOf(item.path);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    CRasterImage thumbnail = item.thumbnail;
    if (!preview && s.makeThumbnail) thumbnail = s.makeThumbnail(item.path, cell.picture.Width(), cell.picture.Height());
    if (!thumbnail.IsEmpty()) {
      const Rect target = FitCentred(thumbnail.GetWidth(), thumbnail.GetHeight(), cell.picture);
      if (!target.IsEmpty()) {
        CLayerStack stack(thumbnail.GetWidth(), thumbnail.GetHeight());
        stack.AddImage(thumbnail, 0, 0);
        if (preview)
          DrawLayerStack(dc, target, kBandHeight, stack, WhiteBackground);
        else
          DrawLayerStackStretched(dc, target, kBandHeight, stack);
      }
    }
    if (!cell.name.IsEmpty()) {
      dc.SetFont(font);
      const wxString name =
          wxControl::Ellipsize(wxString::FromUTF8(NameOf(item.path)), dc, wxELLIPSIZE_END, cell.name.Width());
      const int width = dc.GetTextExtent(name).x + 1;
      dc.DrawText(name, cell.name.left + (cell.name.Width() - width) / 2, cell.name.top);
    }
  }
  if (!geometry.folders.IsEmpty() && !folders.empty()) {
    std::string line;
    for (const std::string& folder : folders) line += (line.empty() ? "" : "; ") + folder;
    dc.SetFont(font);
    const wxString text =
        wxControl::Ellipsize(wxString::FromUTF8(line), dc, wxELLIPSIZE_MIDDLE, geometry.folders.Width());
    const int width = dc.GetTextExtent(text).x;
    const int align = s.sheet.horzAlign;
    const int x = align == 1 ? (geometry.folders.Width() - width) / 2 : align == 2 ? geometry.folders.Width() - width : 0;
    dc.DrawText(text, geometry.folders.left + x, geometry.folders.top);
  }
}

// --- the printout ----------------------------------------------------------------

CPictoravellPrintout::CPictoravellPrintout(const PRINT_SOURCE& source, const wxString& title)
    : wxPrintout(title), m_pages(source) {}

void CPictoravellPrintout::OnBeginPrinting() {
  PRINT_DEVICE device;
  GetPageSizePixels(&device.pageWidth, &device.pageHeight);
  GetPPIPrinter(&device.dpiX, &device.dpiY);
  if (wxDC* dc = GetDC()) {
    m_pages.Layout(*dc, device);
  } else {
    wxBitmap bitmap(1, 1);
    wxMemoryDC memory(bitmap);
    m_pages.Layout(memory, device);
  }
}

void CPictoravellPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
  if (m_pages.GetPageCount() == 0) OnBeginPrinting();
  *minPage = *pageFrom = 1;
  *maxPage = *pageTo = std::max(1, m_pages.GetPageCount());
}

bool CPictoravellPrintout::HasPage(int page) { return page >= 1 && page <= m_pages.GetPageCount(); }

bool CPictoravellPrintout::OnPrintPage(int page) {
  wxDC* dc = GetDC();
  if (!dc) return false;
  m_pages.DrawPage(*dc, page - 1, false);
  return true;
}

void SetPrintRunner(std::function<bool(wxWindow*, wxPrintout&)> runner) { PrintRunner() = std::move(runner); }

bool PrintWithDialog(wxWindow* parent, const PRINT_SOURCE& source, const wxString& title) {
  CPictoravellPrintout printout(source, title);
  if (PrintRunner()) return PrintRunner()(parent, printout);
  wxPrintDialogData data(GetProgramPrintData());
  wxPrinter printer(&data);
  const bool ok = printer.Print(parent, &printout, true);
  if (ok) GetProgramPrintData() = printer.GetPrintDialogData().GetPrintData();
  return ok;
}
