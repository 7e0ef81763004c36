#pragma once
// CCtrlContainer: the base of resizable dialogs whose controls sit at fixed
// positions. The dialog's size when it is initialised is its minimum; every
// registered control keeps its distances to the edges it is anchored to while
// the dialog changes size (dragging, maximising, SetSize): anchored to both
// edges of a direction it stretches, to one it moves with that edge, to none
// it stays where it is.
//
// Use: build the controls, size the dialog, and register the controls in
// OnInitDialog (after calling the base's):
//
//   bool CMyDialog::OnInitDialog() {
//     CCtrlContainer::OnInitDialog();
//     AddControl(IDC_PREVIEW, ANCHOR_LEFT | ANCHOR_TOP | ANCHOR_RIGHT | ANCHOR_BOTTOM);
//     AddControl(wxID_OK, ANCHOR_RIGHT | ANCHOR_BOTTOM);
//     return true;
//   }
//
// OnInitDialog runs when the dialog is first shown (wxEVT_INIT_DIALOG), or
// when a caller runs InitDialog() itself.

#include <wx/dialog.h>

#include <vector>

#include "imaging/ImageTypes.h"

enum ANCHOR_FLAGS { ANCHOR_LEFT = 1, ANCHOR_RIGHT = 2, ANCHOR_TOP = 4, ANCHOR_BOTTOM = 8 };

// A registered control: its id, its rectangle in the dialog's client
// coordinates when it was registered, and its anchor flags.
struct CTRL_ANCHOR {
  int id = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  int flags = 0;
};

// Where a control goes for the client rectangle `client`, given the client
// rectangle `initial` it was registered under and its current rectangle
// `current` (kept in a direction without anchors). Window-free.
Rect AnchoredRect(const CTRL_ANCHOR& anchor, const Rect& current, const Rect& client, const Rect& initial);

class CCtrlContainer : public wxDialog {
 public:
  CCtrlContainer() = default;
  CCtrlContainer(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
  bool Create(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

  // Records the present window size as the minimum and the client rectangle
  // as the one anchors refer to. Subclasses call it first, then AddControl.
  virtual bool OnInitDialog();
  // Registers an existing child control (false for an id that names none).
  bool AddControl(int id, int flags);

  wxSize GetInitialSize() const { return m_initialSize; }
  const std::vector<CTRL_ANCHOR>& GetAnchors() const { return m_anchors; }
  // Moves every registered control for the present client rectangle.
  void RelayoutControls();

 private:
  void OnInitDialogEvent(wxInitDialogEvent& event);
  void OnSize(wxSizeEvent& event);

  std::vector<CTRL_ANCHOR> m_anchors;
  wxSize m_initialSize{0, 0};
  Rect m_initialClient;
  bool m_initialised = false;
};
