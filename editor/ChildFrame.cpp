#include "editor/ChildFrame.h"

#include <wx/sizer.h>

#include <cstdio>

#include "editor/PictoravellView.h"
#include "shell/EditorHost.h"

CChildFrame::CChildFrame(wxDocument* document, wxView* view, wxWindow* parent)
    : wxPanel(parent, wxID_ANY), wxDocChildFrameAnyBase(document, view, this) {
  m_info = new wxStaticText(this, wxID_ANY, " ");
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(m_info, 0, wxEXPAND | wxALL, 3);
  SetSizer(column);
}

CChildFrame::~CChildFrame() {
  if (auto* view = dynamic_cast<CPictoravellView*>(GetView())) view->ForgetWindows();
  // Leave the document area (unless the whole main frame is going).
  if (IEditorHost* host = EditorHost(); host && !host->IsClosingDown()) host->RemoveDocumentWindow(this);
}

void CChildFrame::SetViewWindow(wxWindow* window) {
  m_viewWindow = window;
  GetSizer()->Add(window, 1, wxEXPAND);
  Layout();
}

std::string CChildFrame::FormatImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount) {
  char text[128];
  std::snprintf(text, sizeof text, "W: %d  H: %d", width, height);
  std::string out = text;
  switch (colorMode) {
    case 0: out += ": Grayscale"; break;
    case 1: out += ": Bitmap"; break;
    case 4: out += ": 16 Index"; break;
    case 8: out += ": 256 Index"; break;
    case 24: out += ": Full Color"; break;
    default: break;
  }
  if (zoom > 1)
    std::snprintf(text, sizeof text, ": x%d", zoom);
  else if (zoom < -1)
    std::snprintf(text, sizeof text, ": x1/%d", -zoom);
  else
    std::snprintf(text, sizeof text, ": x1");
  out += text;
  std::snprintf(text, sizeof text, "   %d/%d", frame + 1, frameCount);
  out += text;
  return out;
}

void CChildFrame::SetImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount) {
  const std::string text = FormatImageInfo(width, height, colorMode, zoom, frame, frameCount);
  if (text == m_infoText) return;
  m_infoText = text;
  m_info->SetLabel(wxString::FromUTF8(text));
}

void CChildFrame::SetRulerRange(int left, int top, int width, int height, int zoom) {
  m_rulerLeft = left;
  m_rulerTop = top;
  m_rulerWidth = width;
  m_rulerHeight = height;
  m_rulerZoom = zoom;
}

void CChildFrame::SetRulerMarkers(int x, int y) {
  m_markerX = x;
  m_markerY = y;
}

void CChildFrame::GetRulerRange(int& left, int& top, int& width, int& height, int& zoom) const {
  left = m_rulerLeft;
  top = m_rulerTop;
  width = m_rulerWidth;
  height = m_rulerHeight;
  zoom = m_rulerZoom;
}
