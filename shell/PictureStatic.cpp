#include "shell/PictureStatic.h"

#include "shell/DeviceDrawing.h"

CPictureStatic::CPictureStatic(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, pos, size);
}

bool CPictureStatic::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  return CPaintedWindow::Create(parent, id, pos, size, 0, "picture");
}

void CPictureStatic::Render(wxDC& dc) {
  if (!m_image || m_image->IsEmpty()) return;
  const wxSize s = GetRenderSize();
  const Rect client{0, 0, s.x, s.y};
  DrawImage(dc, client, client, m_image->GetHeight(), *m_image,
            Rect{0, 0, m_image->GetWidth(), m_image->GetHeight()});
}
