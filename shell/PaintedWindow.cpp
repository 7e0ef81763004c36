#include "shell/PaintedWindow.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "shell/OffscreenPaintDC.h"

CPaintedWindow::CPaintedWindow(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                               const wxString& name) {
  Create(parent, id, pos, size, style, name);
}

bool CPaintedWindow::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                            const wxString& name) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxWindow::Create(parent, id, pos, size, style | wxFULL_REPAINT_ON_RESIZE, name)) return false;
  Bind(wxEVT_PAINT, &CPaintedWindow::OnPaint, this);
  return true;
}

void CPaintedWindow::OnPaint(wxPaintEvent&) {
  wxPaintDC paint(this);
  ++m_paints;
  paint.SetBackground(wxBrush(GetPaintBackground()));
  wxRect area = GetUpdateRegion().GetBox();
  if (area.IsEmpty()) area = wxRect(GetClientSize());
  area.Intersect(wxRect(GetClientSize()));
  if (area.IsEmpty()) return;
  COffscreenPaintDC dc(paint, &area);
  Render(dc.GetDC());
}

wxImage RenderToImage(const wxSize& size, const wxColour& background, const std::function<void(wxDC&)>& paint) {
  wxBitmap bitmap(std::max(1, size.x), std::max(1, size.y), 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(background));
    dc.Clear();
    paint(dc);
  }
  return bitmap.ConvertToImage();
}

wxImage RenderToImage(CPaintedWindow& window, wxSize size) {
  if (size == wxDefaultSize) size = window.GetRenderSize();
  return RenderToImage(size, window.GetPaintBackground(), [&window](wxDC& dc) { window.Render(dc); });
}
