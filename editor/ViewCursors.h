#pragma once
// The editing view's cursors: one per mouse tool over the image (the
// rectangle's cross, the magic wand, the move arrows, the open and the
// closed hand of free scrolling, the zoom-in and zoom-out magnifiers) and
// the two pictures that alternate while a click is refused. Drawn for this
// program (stock cursors stand in for the cross and the move arrows).

#include <wx/cursor.h>

// Cursor numbers (0 is the arrow).
enum VIEW_CURSOR {
  VIEW_CURSOR_ARROW = 0,
  VIEW_CURSOR_FREE_SCROLL = 141,
  VIEW_CURSOR_RECT_SELECT = 156,
  VIEW_CURSOR_MAGIC_WAND = 157,
  VIEW_CURSOR_ZOOM_IN = 158,
  VIEW_CURSOR_SCROLLING = 159,
  VIEW_CURSOR_ZOOM_OUT = 160,
  VIEW_CURSOR_MOVE = 195,
  VIEW_CURSOR_REFUSED_EVEN = 207,
  VIEW_CURSOR_REFUSED_ODD = 208,
};

// The view's state as far as its cursor goes.
struct TOOL_CURSOR_STATE {
  int tool = -1;            // the main frame's current tool (ID_TOOL_...), or -1
  bool overImage = false;   // the pointer is over the image rectangle
  int blinkCount = 0;       // above 0 while a refused click blinks
  bool ctrlDown = false;    // Ctrl is held (the zoom tool zooms out)
  bool scrolling = false;   // a free-scroll drag is under way
};

// The cursor for the state: while a refused click blinks 207 (even count)
// or 208 (odd); else the tool's cursor over the image and the arrow
// elsewhere or for other tools.
int ChooseToolCursor(const TOOL_CURSOR_STATE& state);

// The cursor of a number (the arrow for unknown numbers); built once.
const wxCursor& GetViewCursor(int cursor);

// The picture of a drawn cursor (32 x 32 with alpha and its hot spot as the
// image's cursor options); an empty image for the stock ones.
wxImage DrawViewCursor(int cursor);
