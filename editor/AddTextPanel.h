#pragma once
// The Add Text effect: a text in a chosen font, size, style, colour and
// alignment drawn as a new floating selection of the current frame. Each
// preview throws the previous text away and draws the text again from the
// panel's values into the frame's (emptied) selection slot; the selection
// keeps its top-left corner, so the text stays where the user dragged it.
// OK keeps the text, still floating, as the one undo step "Add Text".

#include <string>

#include "editor/EffectTool.h"
#include "shell/TextRendering.h"

class CColorBox;
class CFontComboBox;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;

// Control ids of the panel.
enum ADD_TEXT_CONTROL_ID {
  IDC_ADD_TEXT_COLOR = 1133,
  IDC_ADD_TEXT_FONT = 1208,
  IDC_ADD_TEXT_SIZE = 1210,
  IDC_ADD_TEXT_TEXT = 1212,
  IDC_ADD_TEXT_BOLD = 1213,
  IDC_ADD_TEXT_ITALIC = 1214,
  IDC_ADD_TEXT_STRIKEOUT = 1215,
  IDC_ADD_TEXT_UNDERLINE = 1216,
  IDC_ADD_TEXT_ALIGNMENT = 1390,
};

extern const char* const kAddTextSection;
extern const char* const kPaletteColorWarning;

class CAddTextTool : public CEffectTool {
 public:
  explicit CAddTextTool(CEditHost* host) : CEffectTool(host, false) {}
  std::string GetName() const override { return "Add Text"; }
  void UpdatePreview() override;
  bool MovesFloatingSelection() const override { return true; }

  std::string m_text;
  TEXT_STYLE m_style;  // smoothed is set from the frame's mode by each preview
  RGBQUAD m_color;     // black
};

class CAddTextDialog : public CEffectDialog {
 public:
  explicit CAddTextDialog(CEditHost* host);
  CAddTextTool* Tool() const { return static_cast<CAddTextTool*>(GetTool()); }

  wxTextCtrl* GetTextCtrl() const { return m_text; }
  wxTextCtrl* GetSizeCtrl() const { return m_size; }
  CFontComboBox* GetFontList() const { return m_fonts; }
  CColorBox* GetColorBox() const { return m_colorBox; }
  // The face name kept in the settings (not changed by a missing font).
  const std::string& GetFontName() const { return m_strFontName; }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;
  void LoadSettings() override;
  void SaveSettings() override;

 private:
  // The tool's style from the panel's font fields.
  void UpdateFont();
  void OnSizeChanged();
  void OnColorClicked();

  wxTextCtrl* m_text = nullptr;
  wxTextCtrl* m_size = nullptr;
  CFontComboBox* m_fonts = nullptr;
  CColorBox* m_colorBox = nullptr;
  wxChoice* m_alignment = nullptr;
  wxCheckBox* m_checks[4] = {};

  std::string m_strFontName;
  int m_nSize = 36;
  bool m_bBold = false, m_bItalic = false, m_bUnderline = false, m_bStrikeout = false;
};
