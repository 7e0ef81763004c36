#pragma once
// The page of the document area shown while no document is open: a short
// welcome text with a bold heading, a bulleted list and blue underlined
// command links. A click on a link sends its command to the main frame, as
// the menu item would; the cursor is a hand over a link.

#include <wx/cursor.h>
#include <wx/font.h>

#include <string>

#include "shell/PaintedWindow.h"
#include "shell/WelcomeMarkup.h"

class CWelcomePage : public CPaintedWindow {
 public:
  explicit CWelcomePage(wxWindow* parent);

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override { return *wxWHITE; }

  // The layout at the current client size (made again when the size changed).
  const welcome::MarkupLayout& GetLayout();
  const std::string& GetMarkup() const { return m_markup; }
  const wxCursor& GetLinkCursor() const { return m_linkCursor; }
  // Runs the link at a client point, if any: true when a command was sent.
  bool ClickAt(const wxPoint& point);

 private:
  void OnMotion(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnSize(wxSizeEvent& event);

  wxCursor m_linkCursor;
  wxCursor m_arrowCursor;
  wxFont m_fonts[welcome::FONT_COUNT];
  std::string m_markup;
  welcome::MarkupLayout m_layout;
  wxSize m_layoutSize{-1, -1};
};
