#pragma once
// The base of the program's custom-painted controls. A painted control draws
// itself in one member, Render(wxDC&), in client coordinates over a DC that
// starts filled with its paint background; the paint handler calls it through
// a COffscreenPaintDC, and tests call it through RenderToImage to inspect
// pixels without the window system. Its state lives in plain members that a
// test can set, so Render needs no event to have happened first.
//
// Controls that cannot derive from this class (owner-drawn combo boxes, for
// instance) expose the same kind of member for the part they paint and use
// the free RenderToImage with a lambda.

#include <wx/image.h>
#include <wx/window.h>

#include <functional>

class CPaintedWindow : public wxWindow {
 public:
  CPaintedWindow() = default;
  CPaintedWindow(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = "painted");
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = "painted");

  // Draws the whole client area (size GetRenderSize()) into dc. The DC may
  // clip to the part being repainted.
  virtual void Render(wxDC& dc) = 0;
  // The colour the paint buffer starts filled with; the window's background
  // colour unless a control says otherwise.
  virtual wxColour GetPaintBackground() const { return GetBackgroundColour(); }
  // The size Render covers: the client size.
  wxSize GetRenderSize() const { return GetClientSize(); }
  // How many paint events the window has handled (tests, benchmarks).
  int GetPaintCount() const { return m_paints; }

 protected:
  void OnPaint(wxPaintEvent& event);

 private:
  int m_paints = 0;
};

// Runs paint over a 24-bit bitmap of the size, first filled with
// background, and returns the pixels.
wxImage RenderToImage(const wxSize& size, const wxColour& background, const std::function<void(wxDC&)>& paint);
// A painted control's Render over its paint background at its client size
// (or the given size).
wxImage RenderToImage(CPaintedWindow& window, wxSize size = wxDefaultSize);
