#include "editor/EffectTool.h"

#include <wx/button.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "editor/ImageDocument.h"
#include "imaging/Effects.h"
#include "shell/EditorHost.h"

namespace {

// At most one effect runs in the program (effect mode is entered once).
CEffectDialog* g_pRunningPanel = nullptr;

}  // namespace

// --- the tool -------------------------------------------------------------------

CEffectTool::CEffectTool(CEditHost* host, bool useSelection) : m_pHost(host) {
  host->CopyEditImage(m_copy, useSelection);
  m_pLive = host->GetEditImage(useSelection);
}

void CEffectTool::Commit() {
  if (m_pHost) m_pHost->CommitEdit(GetName(), &m_copy, m_pLive);
}

void CEffectTool::Cancel() {
  if (m_pLive) *m_pLive = m_copy;
  if (m_pHost) m_pHost->CancelEdit();
}

void CEffectTool::SetLive(CRasterImage image) {
  if (!m_pLive) return;
  *m_pLive = image.IsEmpty() && !m_copy.IsEmpty() ? m_copy : std::move(image);
}

void CEffectTool::Refresh() {
  ++m_nPreviews;
  if (m_pHost) m_pHost->RefreshViews();
}

void CEffectTool::ApplyLookupTable(const uint8_t table[256]) {
  SetLive(::ApplyLookupTable(m_copy, table));
}

// --- the panel ------------------------------------------------------------------

CEffectDialog::CEffectDialog(std::unique_ptr<CEffectTool> tool) : m_tool(std::move(tool)) {}

CEffectDialog::~CEffectDialog() {
  if (g_pRunningPanel == this) g_pRunningPanel = nullptr;
}

bool CEffectDialog::Create(wxWindow* page) {
  if (!page || !m_tool || !wxPanel::Create(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL))
    return false;
  g_pRunningPanel = this;
  // The panel blends with the task pane.
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  LoadSettings();
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  BuildControls(sizer);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  m_ok = new wxButton(this, wxID_OK, "OK");
  m_cancel = new wxButton(this, wxID_CANCEL, "Cancel");
  buttons->Add(m_ok, 1, wxRIGHT, 6);
  buttons->Add(m_cancel, 1);
  sizer->Add(buttons, 0, wxEXPAND | wxALL, 8);
  SetSizer(sizer);
  const int width = std::max(page->GetClientSize().x - 2, sizer->GetMinSize().x);
  SetSize(width, sizer->GetMinSize().y);
  Layout();
  Bind(wxEVT_BUTTON, &CEffectDialog::OnButton, this);
  Bind(wxEVT_CHAR_HOOK, &CEffectDialog::OnCharHook, this);
  if (PreviewAtStart()) {
    m_bPreviewDue = true;
    RunPreview();
  }
  return true;
}

wxSlider* CEffectDialog::AddSlider(wxBoxSizer* sizer, wxWindowID id, int value, int minimum, int maximum,
                                   wxStaticText** label) {
  *label = new wxStaticText(this, wxID_ANY, wxEmptyString);
  sizer->Add(*label, 0, wxLEFT | wxRIGHT | wxTOP, 8);
  auto* slider = new wxSlider(this, id, value, minimum, maximum, wxDefaultPosition, wxSize(150, -1));
  sizer->Add(slider, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
  return slider;
}

void CEffectDialog::UpdatePreview() {
  m_bPreviewDue = true;
  if (m_bPreviewQueued) return;
  m_bPreviewQueued = true;
  CallAfter([this] {
    m_bPreviewQueued = false;
    RunPreview();
  });
}

void CEffectDialog::FlushPreview() { RunPreview(); }

void CEffectDialog::RunPreview() {
  if (!m_bPreviewDue || !m_tool || m_bFinishing) return;
  m_bPreviewDue = false;
  m_tool->UpdatePreview();
  OnPreviewDone();
}

void CEffectDialog::Apply() {
  FlushPreview();
  if (m_tool) m_tool->Apply();
}

void CEffectDialog::Finish(bool keep) {
  if (m_bFinishing || !m_tool) return;
  if (keep) FlushPreview();  // the result of the values shown
  m_bFinishing = true;
  if (keep) {
    SaveSettings();
    m_tool->Commit();
  } else {
    m_tool->Cancel();
  }
  // Ends effect mode; the page destroys this panel and the tool with it.
  if (IEditorHost* host = EditorHost())
    host->LeaveEffectMode();
  else
    Destroy();
}

void CEffectDialog::OnButton(wxCommandEvent& event) {
  const int id = event.GetId();
  if (id != wxID_OK && id != wxID_CANCEL) {
    event.Skip();
    return;
  }
  // Not inside the button's own handler: finishing destroys the button.
  CallAfter([this, id] { Finish(id == wxID_OK); });
}

void CEffectDialog::OnCharHook(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_ESCAPE) {
    CallAfter([this] { Finish(false); });
    return;
  }
  // Enter keeps the effect, except on a button and in a multi-line text box.
  wxWindow* focus = FindFocus();
  const auto* text = dynamic_cast<wxTextCtrl*>(focus);
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !dynamic_cast<wxButton*>(focus) &&
      !(text && text->IsMultiLine())) {
    CallAfter([this] { Finish(true); });
    return;
  }
  event.Skip();
}

CEffectDialog* GetRunningEffectPanel() { return g_pRunningPanel; }

// --- starting an effect ---------------------------------------------------------

bool StartEffect(CImageDocument& document, EDIT_TYPE type, const std::string& name,
                 const std::function<CEffectDialog*()>& makePanel) {
  IEditorHost* host = EditorHost();
  if (!host || g_pRunningPanel || !document.CanEdit()) return false;
  if (!document.BeginEdit(type)) return false;
  if (!document.StartEffectTool(name)) return false;  // the frame is put back
  CEffectDialog* panel = makePanel();
  if (!panel || !panel->Create(host->GetEffectPanelParent())) {
    delete panel;
    document.CancelEdit();
    host->LeaveEffectMode();
    return false;
  }
  host->ShowEffectPanel(panel);
  return true;
}
