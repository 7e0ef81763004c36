#pragma once
// The buttons of the program's toolbars: for each toolbar resource the
// buttons in order (separators have the command 0), each with its command,
// the icon it shows and its tooltip and status-bar help. Icons name a
// desktop icon-theme icon for standard actions; the program's own art
// (TOOL_ART_...) stands in where no theme has one.

#include <string>
#include <vector>

// The program's own button art, drawn by the toolbar code.
enum TOOL_ART {
  TOOL_ART_NONE = 0,
  TOOL_ART_RECT_SELECT,
  TOOL_ART_MAGIC_WAND,
  TOOL_ART_FREE_SCROLL,
  TOOL_ART_ZOOM_TOOL,
  TOOL_ART_MOVE,
  TOOL_ART_FRAME_0,  // the frame counter's three phases
  TOOL_ART_FRAME_1,
  TOOL_ART_FRAME_2,
  TOOL_ART_SIZE,
  TOOL_ART_COLOR_MODE,
  TOOL_ART_ZOOM_LEVEL,
  TOOL_ART_BATCH,
  TOOL_ART_PUBLISH,
  TOOL_ART_SLIDE_SHOW,
  TOOL_ART_ROTATE_LEFT,
  TOOL_ART_ROTATE_RIGHT,
  TOOL_ART_PLAY,  // the Animation page's buttons
  TOOL_ART_STOP,
  TOOL_ART_STEP_BACKWARD,
  TOOL_ART_STEP_FORWARD,
  TOOL_ART_FRAME_PROPERTIES,
};

struct TOOLBAR_BUTTON_RESOURCE {
  int command = 0;                // 0: a separator
  const char* themeIcon = "";     // the icon-theme name ("" none)
  TOOL_ART art = TOOL_ART_NONE;   // our own art when the theme has no icon
  const char* tooltip = "";
  const char* help = "";          // the status-bar text while the mouse is over it
};

// The buttons of a toolbar resource (empty for an unknown one).
const std::vector<TOOLBAR_BUTTON_RESOURCE>& GetToolbarResource(int resource);
