#pragma once
// Asks the user for a colour (the desktop's colour dialog, opened with its
// full choice of colours and the current one). Tests replace the dialog with
// a function.

#include <wx/window.h>

#include <functional>

#include "imaging/ImageTypes.h"

// True with the chosen colour in `colour`; false (colour unchanged) on Cancel.
bool ChooseColor(wxWindow* parent, RGBQUAD& colour);

using ColorChooserFunction = std::function<bool(wxWindow*, RGBQUAD&)>;
// Replaces the colour dialog while it lives.
class CColorChooserOverride {
 public:
  explicit CColorChooserOverride(ColorChooserFunction chooser);
  ~CColorChooserOverride();
  CColorChooserOverride(const CColorChooserOverride&) = delete;
  CColorChooserOverride& operator=(const CColorChooserOverride&) = delete;

 private:
  ColorChooserFunction m_previous;
};
