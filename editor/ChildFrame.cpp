#include "editor/ChildFrame.h"

#include <wx/sizer.h>

#include "editor/PictoravellView.h"
#include "resources/CommandIds.h"
#include "shell/EditorHost.h"
#include "shell/ImageInfoBar.h"
#include "shell/RulerBar.h"

namespace {
// The ids of the bars (the first control-bar ids, moved into wx's range).
constexpr int kInfoBarId = CommandId(59392);
constexpr int kHorizontalRulerId = CommandId(59393);
constexpr int kVerticalRulerId = CommandId(59394);
}  // namespace

CChildFrame::CChildFrame(wxDocument* document, wxView* view, wxWindow* parent)
    : wxPanel(parent, wxID_ANY), wxDocChildFrameAnyBase(document, view, this) {
  m_infoBar = new CImageInfoBar;
  m_infoBar->Create(this, kInfoBarId);
  // A click on the bar brings this document to the front first.
  m_infoBar->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
    if (IEditorHost* host = EditorHost()) host->ActivateDocumentWindow(this);
    e.Skip();
  });
  m_hRuler = new CRulerBar;
  m_hRuler->Create(this, kHorizontalRulerId, false);
  m_vRuler = new CRulerBar;
  m_vRuler->Create(this, kVerticalRulerId, true);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(m_infoBar, 0, wxEXPAND);
  column->Add(m_hRuler, 0, wxEXPAND);
  m_viewRow = new wxBoxSizer(wxHORIZONTAL);
  m_viewRow->Add(m_vRuler, 0, wxEXPAND);
  column->Add(m_viewRow, 1, wxEXPAND);
  SetSizer(column);
  SetMinSize(wxSize(200, 56));
}

CChildFrame::~CChildFrame() {
  if (auto* view = dynamic_cast<CPictoravellView*>(GetView())) view->ForgetWindows();
  // Leave the document area (unless the whole main frame is going).
  if (IEditorHost* host = EditorHost(); host && !host->IsClosingDown()) host->RemoveDocumentWindow(this);
}

void CChildFrame::SetViewWindow(wxWindow* window) {
  m_viewWindow = window;
  m_viewRow->Add(window, 1, wxEXPAND);
  Layout();
}

std::string CChildFrame::FormatImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount) {
  return FormatInfoSize(width, height) + FormatInfoColorMode(colorMode) + FormatInfoZoom(zoom) + "   " +
         FormatFrameCounter(frame, frameCount);
}

std::string CChildFrame::GetImageInfoText() const {
  const CImageInfoBar& b = *m_infoBar;
  return FormatImageInfo(b.GetImageWidth(), b.GetImageHeight(), b.GetColorMode(), b.GetZoomValue(),
                         b.GetCurrentFrame(), b.GetFrameCount());
}

void CChildFrame::SetImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount) {
  m_infoBar->SetImageInfo(width, height, colorMode, zoom, frame, frameCount);
}

void CChildFrame::SetFrameCounter(int current, int count) { m_infoBar->SetFrameCounter(current, count); }

void CChildFrame::SetRulerRange(int left, int top, int width, int height, int zoom) {
  m_hRuler->SetPixelRange(left, width, zoom);
  m_vRuler->SetPixelRange(top, height, zoom);
}

void CChildFrame::SetRulerMarkers(int x, int y) {
  m_hRuler->SetMarker(x);
  m_vRuler->SetMarker(y);
}

void CChildFrame::GetRulerRange(int& left, int& top, int& width, int& height, int& zoom) const {
  left = m_hRuler->GetOffset();
  top = m_vRuler->GetOffset();
  width = m_hRuler->GetLength();
  height = m_vRuler->GetLength();
  zoom = m_hRuler->GetZoom();
}
