#pragma once
// The link controls: CHyperlinkStatic, one underlined link text that opens
// its target in the browser and then shows as visited; CLinkEdit, a
// read-only wrapping text whose "www." and "http://" words are links opened
// by a click (the image view's comment caption). Both open links through
// OpenLinkInBrowser, never through a shell.

#include <string>
#include <vector>

#include "shell/LinkText.h"
#include "shell/PaintedWindow.h"

class CHyperlinkStatic : public CPaintedWindow {
 public:
  CHyperlinkStatic() = default;
  CHyperlinkStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  void SetTarget(const std::string& target) { m_target = target; }
  const std::string& GetTarget() const { return m_target; }
  bool IsVisited() const { return m_bVisited; }
  // Opens the target (a click does this); visited when the browser started.
  void Open();

  static wxColour LinkColour(bool visited) { return visited ? wxColour(128, 0, 128) : wxColour(0, 0, 255); }
  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 protected:
  wxSize DoGetBestClientSize() const override;

 private:
  wxFont LinkFont() const;
  std::string m_target;
  bool m_bVisited = false;
};

class CLinkEdit : public CPaintedWindow {
 public:
  CLinkEdit() = default;
  CLinkEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
            const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  void SetText(const std::string& text);
  const std::string& GetText() const { return m_text; }
  // The link under a client point ("" for none).
  std::string GetLinkAt(const wxPoint& point);
  // The height the text needs at a width.
  int GetTextHeight(int width);

  static wxColour LinkColour() { return wxColour(0, 0, 255); }
  void Render(wxDC& dc) override;

 private:
  void Relayout(int width);
  void OnMotion(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);

  std::string m_text;
  std::vector<LAYOUT_WORD> m_words;
  int m_layoutWidth = -1;
  int m_lineHeight = 1;
};
