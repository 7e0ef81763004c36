#pragma once
// The Edit Color Palette dialog: a 16 x 16 grid of the palette's entries
// (CPaletteGridCtrl), the clicked entry shown with its numbers, its colour
// changed in the colour dialog through the colour box, and palette files
// loaded and saved. It follows the program's dialog pattern
// (shell/ModalDialog.h); window tests drive it through a CModalDialogHook.

#include <wx/window.h>

#include <functional>

#include "imaging/ImageTypes.h"
#include "shell/PaintedWindow.h"

enum EDIT_PALETTE_DIALOG_ID {
  IDD_EDIT_PALETTE = 221,
  IDC_EDIT_PALETTE_COLOR = 1133,
  IDC_EDIT_PALETTE_GRID = 1143,
  IDC_EDIT_PALETTE_RED = 1137,
  IDC_EDIT_PALETTE_GREEN = 1138,
  IDC_EDIT_PALETTE_BLUE = 1139,
  IDC_EDIT_PALETTE_LOAD = 1262,
  IDC_EDIT_PALETTE_SAVE = 1263,
  IDC_EDIT_PALETTE_INDEX = 1264,
};

// The cell of entry i in a grid of the given client size: 16 x 16 cells of
// (w / 16) x (h / 16) pixels, the remainders split as margins.
wxRect PaletteCellRect(int index, const wxSize& size);
// The entry whose cell holds the point strictly inside (not on the cell's
// first or last pixel row or column); -1 elsewhere.
int PaletteCellAt(const wxPoint& point, const wxSize& size);

class CPaletteGridCtrl : public CPaintedWindow {
 public:
  // red, green, blue, index
  using ClickCallback = std::function<void(int, int, int, int)>;

  CPaletteGridCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize);

  // The entries shown (not owned; null for none) and their number.
  void SetPalette(const RGBQUAD* palette, int count);
  void SetClickCallback(ClickCallback callback) { m_callback = std::move(callback); }
  int GetSelectedIndex() const { return m_nSelected; }
  // A click at a point of the client area, as the mouse gives it.
  void ClickAt(const wxPoint& point);

  void Render(wxDC& dc) override;

 private:
  const RGBQUAD* m_pPalette = nullptr;
  int m_nCount = 0;
  int m_nSelected = 0;
  ClickCallback m_callback;
};

// Runs the dialog on count entries (1..256). OK copies the edited entries
// back (at most count) and sets count to the number copied; Cancel changes
// nothing.
bool RunEditPaletteDialog(wxWindow* parent, RGBQUAD* entries, int& count);
