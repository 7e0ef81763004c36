#include "shell/CtrlContainer.h"

Rect AnchoredRect(const CTRL_ANCHOR& a, const Rect& current, const Rect& k, const Rect& k0) {
  Rect r = current;
  const bool top = (a.flags & ANCHOR_TOP) != 0, bottom = (a.flags & ANCHOR_BOTTOM) != 0;
  if (top && bottom) {
    r.top = a.top + k.top - k0.top;
    r.bottom = a.bottom + k.bottom - k0.bottom;
  } else if (top) {
    r.top = k.top + a.top - k0.top;
    r.bottom = r.top + (a.bottom - a.top);
  } else if (bottom) {
    r.bottom = k.bottom + a.bottom - k0.bottom;
    r.top = r.bottom - (a.bottom - a.top);
  }
  const bool left = (a.flags & ANCHOR_LEFT) != 0, right = (a.flags & ANCHOR_RIGHT) != 0;
  if (left && right) {
    r.left = a.left + k.left - k0.left;
    r.right = a.right + k.right - k0.right;
  } else if (left) {
    r.left = k.left + a.left - k0.left;
    r.right = r.left + (a.right - a.left);
  } else if (right) {
    r.right = k.right + a.right - k0.right;
    r.left = r.right - (a.right - a.left);
  }
  return r;
}

CCtrlContainer::CCtrlContainer(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                               const wxSize& size, long style) {
  Create(parent, id, title, pos, size, style);
}

bool CCtrlContainer::Create(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                            const wxSize& size, long style) {
  if (!wxDialog::Create(parent, id, title, pos, size, style)) return false;
  Bind(wxEVT_INIT_DIALOG, &CCtrlContainer::OnInitDialogEvent, this);
  Bind(wxEVT_SIZE, &CCtrlContainer::OnSize, this);
  return true;
}

void CCtrlContainer::OnInitDialogEvent(wxInitDialogEvent& event) {
  event.Skip();  // data transfer and UI update of the base
  if (!m_initialised) {
    m_initialised = true;
    OnInitDialog();
  }
}

bool CCtrlContainer::OnInitDialog() {
  m_initialised = true;
  m_initialSize = GetSize();
  const wxSize client = GetClientSize();
  m_initialClient = Rect{0, 0, client.x, client.y};
  if (m_initialSize.x > 0 && m_initialSize.y > 0) SetMinSize(m_initialSize);
  return true;
}

bool CCtrlContainer::AddControl(int id, int flags) {
  wxWindow* control = FindWindow(id);
  if (!control || control == this) return false;
  const wxRect r = control->GetRect();  // client coordinates of its parent
  m_anchors.push_back(CTRL_ANCHOR{id, r.x, r.y, r.x + r.width, r.y + r.height, flags});
  return true;
}

void CCtrlContainer::RelayoutControls() {
  if (m_anchors.empty()) return;
  const wxSize size = GetClientSize();
  const Rect client{0, 0, size.x, size.y};
  for (const CTRL_ANCHOR& a : m_anchors) {
    wxWindow* control = FindWindow(a.id);
    if (!control) continue;  // gone since it was registered
    const wxRect now = control->GetRect();
    const Rect r = AnchoredRect(a, Rect{now.x, now.y, now.x + now.width, now.y + now.height}, client, m_initialClient);
    if (r.left != now.x || r.top != now.y || r.Width() != now.width || r.Height() != now.height)
      control->SetSize(r.left, r.top, r.Width(), r.Height());
  }
  Refresh();
}

void CCtrlContainer::OnSize(wxSizeEvent& event) {
  // With registered controls the layout is ours alone: the dialog's default
  // would stretch a lone child over the whole client area.
  if (m_anchors.empty()) event.Skip();
  RelayoutControls();
}
