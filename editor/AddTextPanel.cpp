#include "editor/AddTextPanel.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cctype>
#include <strings.h>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "shell/FontComboBox.h"

const char* const kAddTextSection = "Add Text Dialog";
const char* const kPaletteColorWarning =
    "The palette does not contain the selected color, the nearest color is used for the text instead.";

namespace {

const char* const kTextTooLarge = "The text is too large to be added to the image.";

// A size field's text: 0 not a number or 0, else the number (saturated
// above 200, which is all that matters of a larger one).
int ReadSize(const wxString& text) {
  if (text.empty() || text.length() > 9) return text.empty() ? 0 : 201;
  int value = 0;
  for (const wxUniChar c : text) {
    if (!c.IsAscii() || !std::isdigit(static_cast<unsigned char>(c.GetValue()))) return 0;
    value = value * 10 + static_cast<int>(c.GetValue() - '0');
  }
  return value;
}

}  // namespace

// --- the tool -------------------------------------------------------------------

void CAddTextTool::UpdatePreview() {
  CRasterImage* live = GetLive();
  if (!live) {
    Refresh();
    return;
  }
  TEXT_STYLE style = m_style;
  style.smoothed = IsTextSmoothed(m_copy);
  TEXT_COVERAGE coverage;
  const TEXT_RENDER_RESULT result = RenderTextCoverage(m_text, style, &coverage);
  if (result == TEXT_TOO_LARGE || result == TEXT_FAILED) {
    // The previous text stays.
    if (result == TEXT_TOO_LARGE) ReportMessage(MESSAGE_WARNING, kTextTooLarge);
    Refresh();
    return;
  }
  CRasterImage text;
  if (result == TEXT_RENDERED) {
    bool nearest = false;
    text = MakeTextImage(coverage, m_copy, m_color, &nearest);
    if (nearest) ReportMessage(MESSAGE_WARNING, kPaletteColorWarning);
  }
  *live = std::move(text);
  // The selection keeps its top-left corner and takes the text's size.
  if (Rect* rect = GetHost() ? GetHost()->GetEditSelectionRect() : nullptr) {
    rect->right = rect->left + live->GetWidth();
    rect->bottom = rect->top + live->GetHeight();
  }
  Refresh();
}

// --- the panel ------------------------------------------------------------------

CAddTextDialog::CAddTextDialog(CEditHost* host) : CEffectDialog(std::make_unique<CAddTextTool>(host)) {}

void CAddTextDialog::LoadSettings() {
  CAddTextTool* tool = Tool();
  tool->m_text = GetProfileString(kAddTextSection, "Text", "");
  m_bBold = GetProfileInt(kAddTextSection, "Bold", 0) != 0;
  m_bItalic = GetProfileInt(kAddTextSection, "Italic", 0) != 0;
  m_bUnderline = GetProfileInt(kAddTextSection, "Underline", 0) != 0;
  m_bStrikeout = GetProfileInt(kAddTextSection, "Strikeout", 0) != 0;
  m_strFontName = GetProfileString(kAddTextSection, "Font name", "");
  m_nSize = std::clamp(GetProfileInt(kAddTextSection, "Font size", 36), 1, 200);
  const auto color = static_cast<uint32_t>(GetProfileInt(kAddTextSection, "Color", 0));
  tool->m_color = MakeRGBQuad(static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
                              static_cast<uint8_t>((color >> 16) & 0xFF));
  const int alignment = GetProfileInt(kAddTextSection, "Alignment", 0);
  tool->m_style.alignment = alignment >= 0 && alignment <= 2 ? alignment : 0;
  UpdateFont();
}

void CAddTextDialog::SaveSettings() {
  const CAddTextTool* tool = Tool();
  WriteProfileString(kAddTextSection, "Text", tool->m_text);
  WriteProfileInt(kAddTextSection, "Bold", m_bBold ? 1 : 0);
  WriteProfileInt(kAddTextSection, "Italic", m_bItalic ? 1 : 0);
  WriteProfileInt(kAddTextSection, "Underline", m_bUnderline ? 1 : 0);
  WriteProfileInt(kAddTextSection, "Strikeout", m_bStrikeout ? 1 : 0);
  WriteProfileString(kAddTextSection, "Font name", m_strFontName);
  WriteProfileInt(kAddTextSection, "Font size", m_nSize);
  const RGBQUAD& c = tool->m_color;
  WriteProfileInt(kAddTextSection, "Color", c.rgbRed | (c.rgbGreen << 8) | (c.rgbBlue << 16));
  WriteProfileInt(kAddTextSection, "Alignment", tool->m_style.alignment);
}

void CAddTextDialog::UpdateFont() {
  TEXT_STYLE& style = Tool()->m_style;
  style.faceName = m_strFontName;
  style.pointSize = m_nSize;
  style.bold = m_bBold;
  style.italic = m_bItalic;
  style.underline = m_bUnderline;
  style.strikeout = m_bStrikeout;
}

void CAddTextDialog::BuildControls(wxBoxSizer* sizer) {
  CAddTextTool* tool = Tool();
  const auto label = [&](const char* text) {
    sizer->Add(new wxStaticText(this, wxID_ANY, text), 0, wxLEFT | wxRIGHT | wxTOP, 8);
  };

  label("Text:");
  m_text = new wxTextCtrl(this, IDC_ADD_TEXT_TEXT, wxString(), wxDefaultPosition, wxSize(160, 64),
                          wxTE_MULTILINE);
  sizer->Add(m_text, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  label("Font:");
  m_fonts = new CFontComboBox(this, IDC_ADD_TEXT_FONT, wxDefaultPosition, wxSize(160, -1));
  sizer->Add(m_fonts, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, wxID_ANY, "Size:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_size = new wxTextCtrl(this, IDC_ADD_TEXT_SIZE, wxString(), wxDefaultPosition, wxSize(56, -1));
  row->Add(m_size, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  row->Add(new wxStaticText(this, wxID_ANY, "Color:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_colorBox = new CColorBox(this, IDC_ADD_TEXT_COLOR, wxDefaultPosition, wxSize(40, 20));
  row->Add(m_colorBox, 0, wxALIGN_CENTER_VERTICAL);
  sizer->Add(row, 0, wxLEFT | wxRIGHT | wxTOP, 8);

  auto* checks = new wxGridSizer(2, 4, 8);
  const struct {
    int id;
    const char* text;
    bool value;
  } boxes[4] = {{IDC_ADD_TEXT_BOLD, "Bold", m_bBold},
                {IDC_ADD_TEXT_ITALIC, "Italic", m_bItalic},
                {IDC_ADD_TEXT_UNDERLINE, "Underline", m_bUnderline},
                {IDC_ADD_TEXT_STRIKEOUT, "Strikeout", m_bStrikeout}};
  for (int i = 0; i < 4; ++i) {
    m_checks[i] = new wxCheckBox(this, boxes[i].id, boxes[i].text);
    m_checks[i]->SetValue(boxes[i].value);
    checks->Add(m_checks[i]);
  }
  sizer->Add(checks, 0, wxLEFT | wxRIGHT | wxTOP, 8);

  label("Alignment:");
  const wxString alignments[] = {"Left", "Center", "Right"};
  m_alignment = new wxChoice(this, IDC_ADD_TEXT_ALIGNMENT, wxDefaultPosition, wxDefaultSize, 3, alignments);
  sizer->Add(m_alignment, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  // The values (written without change notifications: the first preview
  // follows the controls once they exist).
  m_colorBox->SetColor(tool->m_color);
  m_colorBox->SetClickCallback([this] { OnColorClicked(); });
  m_fonts->FillFontList();
  int selected = m_fonts->GetCount() > 0 ? 0 : wxNOT_FOUND;
  for (unsigned i = 0; i < m_fonts->GetCount(); ++i)
    if (strncasecmp(m_fonts->GetString(i).utf8_string().c_str(), m_strFontName.c_str(), m_strFontName.size()) == 0) {
      selected = static_cast<int>(i);
      break;
    }
  if (selected != wxNOT_FOUND) m_fonts->SetSelection(selected);  // the stored name stays as it is
  m_size->ChangeValue(wxString::Format("%d", m_nSize));
  m_text->ChangeValue(wxString::FromUTF8(tool->m_text));
  m_alignment->SetSelection(tool->m_style.alignment);

  m_text->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    Tool()->m_text = m_text->GetValue().utf8_string();
    UpdatePreview();
  });
  m_fonts->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) {
    const int index = m_fonts->GetSelection();
    if (index < 0 || index >= static_cast<int>(m_fonts->GetCount())) return;
    m_strFontName = m_fonts->GetString(static_cast<unsigned>(index)).utf8_string();
    UpdateFont();
    UpdatePreview();
  });
  m_size->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnSizeChanged(); });
  m_size->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    if (m_size->GetValue().empty()) m_size->SetValue("1");
    event.Skip();
  });
  for (wxCheckBox* box : m_checks)
    box->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
      m_bBold = m_checks[0]->GetValue();
      m_bItalic = m_checks[1]->GetValue();
      m_bUnderline = m_checks[2]->GetValue();
      m_bStrikeout = m_checks[3]->GetValue();
      UpdateFont();
      UpdatePreview();
    });
  m_alignment->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    const int index = m_alignment->GetSelection();
    Tool()->m_style.alignment = index >= 0 && index <= 2 ? index : 0;
    UpdatePreview();
  });

  // The text gets the focus with all of it selected, once the panel shows.
  CallAfter([this] {
    m_text->SetFocus();
    m_text->SelectAll();
  });
}

void CAddTextDialog::OnSizeChanged() {
  const wxString text = m_size->GetValue();
  if (text.empty()) return;
  const int value = ReadSize(text);
  if (value >= 1 && value <= 200) {
    m_nSize = value;
    UpdateFont();
    UpdatePreview();
    return;
  }
  // Out of range: the nearest end is written, and its own change applies it.
  m_size->SetValue(value > 200 ? "200" : "1");
  m_size->SelectAll();
  m_size->ShowPosition(0);
}

void CAddTextDialog::OnColorClicked() {
  RGBQUAD color = Tool()->m_color;
  if (!ChooseColor(this, color)) return;
  color.rgbReserved = 0;
  Tool()->m_color = color;
  m_colorBox->SetColor(color);
  UpdatePreview();
}
