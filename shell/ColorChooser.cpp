#include "shell/ColorChooser.h"

#include <wx/colordlg.h>

namespace {
ColorChooserFunction g_chooser;
}

bool ChooseColor(wxWindow* parent, RGBQUAD& colour) {
  if (g_chooser) return g_chooser(parent, colour);
  wxColourData data;
  data.SetChooseFull(true);
  data.SetColour(wxColour(colour.rgbRed, colour.rgbGreen, colour.rgbBlue));
  wxColourDialog dialog(parent, &data);
  if (dialog.ShowModal() != wxID_OK) return false;
  const wxColour c = dialog.GetColourData().GetColour();
  colour = MakeRGBQuad(c.Red(), c.Green(), c.Blue());
  return true;
}

CColorChooserOverride::CColorChooserOverride(ColorChooserFunction chooser) : m_previous(std::move(g_chooser)) {
  g_chooser = std::move(chooser);
}

CColorChooserOverride::~CColorChooserOverride() { g_chooser = std::move(m_previous); }
