#pragma once
// The program's toolbars, painted by themselves. CFlatToolBar: flat buttons
// that get a raised frame while the mouse is over them (hot), a sunken one
// while pressed or checked, an optional label right of the image, etched
// separators, and separators an owner paints itself (the info bar's panes).
// Disabled and checked buttons show images derived from the button strip
// (MakeDisabledStrip, MakeCheckedStrip). Buttons send their command to the
// top-level frame as a menu command would, take their enabled and checked
// state from the frame's update handlers at idle time, show a tooltip and
// put their help text in the status bar while hot.
//
// CTrueColorToolBar takes full-colour button images (with transparency; the
// key colour RGB(192, 192, 192) counts as transparent) and a grey copy for
// disabled buttons (MakeGreyStrip). LoadToolBar fills it from a toolbar
// resource (resources/ToolbarResources.h) with the desktop theme's icons
// where it has them and the program's own art elsewhere.

#include <wx/image.h>

#include <string>
#include <vector>

#include "shell/PaintedWindow.h"

// --- the derived images (window-free) ---------------------------------------

// Disabled images: pixels with 6 green + 3 red + blue >= 1280 become the face
// colour, all others the shadow colour; then a face pixel whose upper-left
// neighbour (inside the same button image of width `imageWidth`) is shadow
// becomes highlight: dark strokes get a light edge below and to the right.
wxImage MakeDisabledStrip(const wxImage& strip, int imageWidth, const wxColour& shadow, const wxColour& face,
                          const wxColour& highlight);
// Checked images: face-coloured pixels at odd x + y become highlight (a
// checkerboard behind the image); everything else is kept.
wxImage MakeCheckedStrip(const wxImage& strip, const wxColour& face, const wxColour& highlight);
// Full-colour images: a copy with an alpha channel in which the key colour
// RGB(192, 192, 192) is transparent.
wxImage MakeColorStrip(const wxImage& strip);
// The grey copy: g = 255 * sqrt(luma / 255), luma = 0.299 R + 0.587 G + 0.114 B.
wxImage MakeGreyStrip(const wxImage& colorStrip);
// A strip with its transparency laid over a solid colour (RGB, no alpha).
wxImage FlattenStrip(const wxImage& strip, const wxColour& background);

// --- the toolbar -------------------------------------------------------------

struct FLAT_TOOL_ITEM {
  int id = 0;
  int image = -1;          // index into the strip; -1: none
  bool separator = false;
  int width = 0;           // separators (and owner panes): their width
  std::string text;        // the label right of the image
  std::string tooltip;
  std::string help;        // the status-bar text
  bool enabled = true;
  bool checked = false;
  wxRect rect;             // in client coordinates, set by the layout
};

// Image types for DrawButtonImage.
enum FLAT_IMAGE_TYPE { FLAT_IMAGE_NORMAL = 0, FLAT_IMAGE_DISABLED = 1, FLAT_IMAGE_CHECKED = 2, FLAT_IMAGE_HOT = 3 };

class CFlatToolBar : public CPaintedWindow {
 public:
  CFlatToolBar();
  // Worked with the mouse: the keyboard passes a toolbar by.
  bool AcceptsFocus() const override { return false; }
  ~CFlatToolBar() override;
  bool Create(wxWindow* parent, wxWindowID id);

  // The button images: a strip of images of imageWidth x imageHeight logical
  // pixels, drawn at `scale` device pixels per logical pixel (the strip holds
  // them at that size). Layout sizes scale with it.
  void SetImageStrip(const wxImage& strip, int imageWidth, int imageHeight, int scale = 1);
  int GetImageScale() const { return m_scale; }
  wxSize GetImageSize() const { return {m_imageWidth, m_imageHeight}; }

  // Buttons and separators, laid out left to right.
  void SetItems(std::vector<FLAT_TOOL_ITEM> items);
  int AddButton(int id, int image, const std::string& tooltip = {}, const std::string& help = {});
  int AddSeparator(int id = 0, int width = 3);
  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  const FLAT_TOOL_ITEM& GetItem(int index) const { return m_items[static_cast<std::size_t>(index)]; }
  int CommandToIndex(int id) const;
  wxRect GetItemRect(int index) const { return GetItem(index).rect; }
  void SetButtonText(int index, const std::string& text);
  std::string GetButtonText(int index) const;
  void SetSeparatorWidth(int index, int width);
  void EnableButton(int id, bool enable);
  void CheckButton(int id, bool check);
  // The item at a client point, or -1.
  int HitTest(const wxPoint& point) const;
  int GetHotItem() const { return m_hot; }
  int GetPressedItem() const { return m_pressed; }
  // Sets the hot item as the mouse would (tooltip and status help follow).
  void SetHotItem(int index);

  // The width of a text in the bar's font plus 6.
  int GetTextWidth(const std::string& text) const;
  // Asks the frame's update handlers for every button's state (the bar does
  // this at idle time); returns true when anything changed.
  bool UpdateButtonStates();
  // Drops the derived images (rebuilt at the next paint), as after a change
  // of the system colours.
  void DeleteDerivedBitmaps();
  // Lays the items out again (after changes of labels or widths).
  void Relayout();

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 protected:
  virtual void DrawButtonImage(wxDC& dc, int type, int sourceX, int sourceY, int x, int y, int width, int height);
  virtual void DrawSeparator(wxDC& dc, int index, int id, int image);
  virtual void DrawSeparatorText(wxDC& dc, int index, int id);
  virtual bool HasSeparatorText(int index, int id) const;
  virtual std::string GetSeparatorText(int index, int id) const;
  // Where a command goes: the top-level frame.
  virtual wxEvtHandler* GetCommandTarget() const;
  // Called after every layout (owners size their panes here).
  virtual void OnLayout() {}

  void BuildDerivedBitmaps();
  wxImage m_strip;        // as given
  wxImage m_flat;         // laid over the face colour
  wxImage m_disabled;
  wxImage m_checked;
  int m_imageWidth = 16, m_imageHeight = 15, m_scale = 1;
  std::vector<FLAT_TOOL_ITEM> m_items;

 private:
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnIdle(wxIdleEvent& event);
  void OnSize(wxSizeEvent& event);
  void RefreshItem(int index);
  void ShowHelp(int index);

  int m_hot = -1;
  int m_pressed = -1;
  bool m_pressedInside = false;
  bool m_helpShown = false;
};

class CTrueColorToolBar : public CFlatToolBar {
 public:
  // Full-colour button images; see MakeColorStrip and MakeGreyStrip.
  void SetColorImages(const wxImage& strip, int imageWidth, int imageHeight, int scale = 1);
  const wxImage& GetColorImages() const { return m_color; }
  const wxImage& GetGreyImages() const { return m_grey; }
  // Fills the bar from a toolbar resource: its buttons and their images at
  // the given size (device pixels = size * scale). False for an unknown resource.
  bool LoadToolBar(int resource, int imageSize = 24, int scale = 0);

 protected:
  void DrawButtonImage(wxDC& dc, int type, int sourceX, int sourceY, int x, int y, int width, int height) override;

 private:
  wxImage m_color, m_grey;
};

// The image of one button from the desktop's icon theme (`themeIcon`), or
// the program's own art (`art`, a TOOL_ART value) when the theme has none;
// size x size device pixels, with transparency.
wxImage MakeToolImage(const char* themeIcon, int art, int size);
// The program's own art alone.
wxImage DrawToolArt(int art, int size);
// Whether the last MakeToolImage took the icon from the theme (tests).
bool LastToolImageCameFromTheme();
