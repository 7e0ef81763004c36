#include "resources/MenuResources.h"

#include <string>

#include "resources/CommandIds.h"

namespace {

enum Kind { POPUP, END, ITEM, CHECK, SEP };

struct MenuDef {
  Kind kind;
  int id;
  const char* text;
  const char* help;
};

// Shared groups.
#define VIEW_BARS                                                                          \
  {CHECK, ID_VIEW_TOOLBAR, "Too&lbar", "Show or hide the toolbar"},                         \
      {CHECK, ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar"},            \
      {CHECK, ID_VIEW_MESSAGE_PANE, "Message Pane", "Show or hide the message pane"},       \
      {ITEM, ID_CLEAR_MESSAGE_PANE, "Clear Message Pane", "Remove all messages from the message pane"}

#define HELP_MENU                                                                      \
  {POPUP, 0, "&Help", nullptr}, {ITEM, ID_HELP_FINDER, "&Help Topics", "List Help topics"}, \
      {ITEM, ID_WEB_HELP, "Pictoravell Web Help", "Open the online help"},                   \
      {ITEM, ID_WEB_SITE, "Dorvex Software Web Site", "Visit the maker's web site"}, {SEP, 0, nullptr, nullptr}, \
      {ITEM, ID_APP_ABOUT, "&About Pictoravell...", "Display program information, version number and copyright"}, \
      {END, 0, nullptr, nullptr}

#define FAVORITES_ITEMS                                                                              \
  {ITEM, ID_FAVORITE_FIRST, "Favorite Folder", "Open a favourite folder"},                              \
      {ITEM, ID_FAVORITE_MORE, "More...", "Choose a folder"},                                            \
      {ITEM, ID_ORGANIZE_FAVORITES, "Organize Favorites...", "Edit the list of favourite folders"}

#define PREFERENCES_MENU                                                                              \
  {POPUP, 0, "&Preferences", nullptr},                                                                    \
      {ITEM, ID_GENERAL_SETTINGS, "General Settings...", "Change the general settings"},                  \
      {ITEM, ID_DISPLAY_OPTIONS, "Display Options...", "Change how images are displayed"},                \
      {POPUP, 0, "Export Options", nullptr}, {ITEM, ID_OPTIONS_JPEG, "JPEG...", "JPEG export options"},   \
      {ITEM, ID_OPTIONS_GIF, "GIF...", "GIF export options"}, {END, 0, nullptr, nullptr},                  \
      {ITEM, ID_PERSONAL_SIGNATURE, "Personal Signature...", "Edit the personal signature"},              \
      {ITEM, ID_FILE_PRINT_SETUP, "P&rinter Settings...", "Change the printer and printing options"},     \
      {END, 0, nullptr, nullptr}

#define FILE_NEW_OPEN                                                                                       \
  {ITEM, ID_FILE_NEW, "&New...\tCtrl+N", "Create a new image"},                                                \
      {ITEM, ID_NEW_FROM_CLIPBOARD, "New From Clipboard", "Create a new image from the clipboard"},             \
      {ITEM, ID_FILE_SEQUENCE, "File Sequence...", "Create an animation from a sequence of files"},            \
      {ITEM, ID_MULTIBURST, "Multiburst Image...", "Create an animation from a multiburst image"},             \
      {ITEM, ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing image"},                                        \
      {ITEM, ID_BROWSE_PHOTOS, "Browse Photos", "Browse the pictures of a folder (Ctrl+~)"}

#define TOOLS_MENU                                                                                  \
  {POPUP, 0, "&Tools", nullptr}, {CHECK, ID_TOOL_RECT_SELECT, "Rectangular Selection", "Select a rectangle"}, \
      {CHECK, ID_TOOL_MAGIC_WAND, "Magic Wand", "Select an area of similar colour"},                     \
      {CHECK, ID_TOOL_FREE_SCROLL, "Free Scroll", "Scroll the image with the mouse"},                    \
      {CHECK, ID_TOOL_ZOOM, "Zoom", "Zoom in and out with the mouse"},                                   \
      {CHECK, ID_TOOL_MOVE, "Move", "Move the selection or the image"}, {SEP, 0, nullptr, nullptr},       \
      {CHECK, ID_SELECTION_OPTION, "&Selection Option", "Show the selection options"}, {END, 0, nullptr, nullptr}

const MenuDef kMainFrameMenu[] = {
    {POPUP, 0, "&File", nullptr},
    FILE_NEW_OPEN,
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_FILE_MRU_FIRST, "Recent File", "Open this image"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_APP_EXIT, "E&xit\tCtrl+Q", "Quit the program"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&View", nullptr},
    VIEW_BARS,
    {SEP, 0, nullptr, nullptr},
    {CHECK, ID_DISPLAY_COMMENTS, "Display File Comments", "Show the file comment under the image"},
    {END, 0, nullptr, nullptr},
    TOOLS_MENU,
    {POPUP, 0, "F&avorites", nullptr},
    FAVORITES_ITEMS,
    {END, 0, nullptr, nullptr},
    PREFERENCES_MENU,
    HELP_MENU,
};

const MenuDef kDocumentMenu[] = {
    {POPUP, 0, "&File", nullptr},
    FILE_NEW_OPEN,
    {ITEM, ID_FILE_CLOSE, "&Close\tCtrl+W", "Close the image"},
    {ITEM, ID_CLOSE_ALL, "Close &All", "Close all images"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_FILE_SAVE, "&Save", "Save the image"},
    {ITEM, ID_FILE_SAVE_AS, "Save &As...", "Save the image under a new name"},
    {ITEM, ID_FILE_SAVE_COPY_AS, "Save a Copy As...", "Save a copy of the image under a new name"},
    {POPUP, 0, "Export", nullptr},
    {ITEM, ID_EXPORT_MNG, "MNG...", "Save the animation as an MNG file"},
    {END, 0, nullptr, nullptr},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_FILE_PRINT, "&Print...", "Print the image"},
    {ITEM, ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Show the printed page"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_FILE_MRU_FIRST, "Recent File", "Open this image"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_APP_EXIT, "E&xit\tCtrl+Q", "Quit the program"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&Edit", nullptr},
    {ITEM, ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last change"},
    {ITEM, ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the change undone last"},
    {ITEM, ID_PURGE_UNDO, "Purge Undo Buffer", "Release the memory of the undo history"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection to the clipboard"},
    {ITEM, ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection to the clipboard"},
    {ITEM, ID_EDIT_PASTE, "&Paste\tCtrl+V", "Paste the clipboard"},
    {ITEM, ID_EDIT_DELETE, "Delete\tDel", "Remove the selection"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_SELECT_ALL, "Select &All\tCtrl+A", "Select the whole image"},
    {ITEM, ID_SELECT_NONE, "Select &None\tCtrl+D", "Remove the selection"},
    {ITEM, ID_SELECT_INVERSE, "&Inverse Selection", "Select what is not selected"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_DISCARD_PATTERN, "Discard Pattern", "Forget the fill pattern"},
    {ITEM, ID_EMPTY_CLIPBOARD, "Empty Clipboard", "Remove the image from the clipboard"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_EDIT_COMMENTS, "Comments...", "Edit the file comment of the image"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&View", nullptr},
    {ITEM, ID_ZOOM_IN, "Zoom &In\tCtrl+=", "Enlarge the view (Ctrl+= or Ctrl+Num +)"},
    {ITEM, ID_ZOOM_OUT, "Zoom &Out\tCtrl+-", "Reduce the view (Ctrl+- or Ctrl+Num -)"},
    {ITEM, ID_ORIGINAL_SIZE, "Original Size\tF9", "Show the image at its original size"},
    {ITEM, ID_BEST_FIT, "Best Fit on Screen\tF10", "Fit the image into the window"},
    {ITEM, ID_FULL_SCREEN, "Full Screen\tF11", "Show the image on the whole screen"},
    {CHECK, ID_CURRENT_FRAME_ONLY, "Show Current Frame Only", "Show the current frame without the frames under it"},
    {SEP, 0, nullptr, nullptr},
    VIEW_BARS,
    {SEP, 0, nullptr, nullptr},
    {CHECK, ID_DISPLAY_COMMENTS, "Display File Comments", "Show the file comment under the image"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&Colors", nullptr},
    {POPUP, 0, "Mode", nullptr},
    {ITEM, ID_CONVERT_TO_BITMAP, "Bitmap... [1 bit]", "Convert the image to black and white"},
    {ITEM, ID_CONVERT_TO_INDEXED, "Indexed Color...", "Convert the image to a palette of colors"},
    {ITEM, ID_CONVERT_TO_GRAYSCALE, "Grayscale [8 bit]", "Convert the image to shades of gray"},
    {ITEM, ID_CONVERT_TO_FULL_COLOR, "RGB Full Color [24 bit]", "Convert the image to full color"},
    {END, 0, nullptr, nullptr},
    {ITEM, ID_INVERT_COLORS, "Invert Colors\tCtrl+I", "Make the negative of the image"},
    {ITEM, ID_SHARPEN, "Sharpen", "Sharpen the image"},
    {ITEM, ID_SHARPEN_MORE, "Sharpen More", "Sharpen the image more"},
    {ITEM, ID_BLUR, "Blur...", "Soften the selection or the image"},
    {ITEM, ID_EMBOSS, "Emboss...", "Make a relief of the selection or the image"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BRIGHTNESS_CONTRAST, "Brightness && Contrast...\tCtrl+K", "Change the brightness and the contrast"},
    {ITEM, ID_SEPIA, "Sepia...", "Colour the image in one tone"},
    {ITEM, ID_REMOVE_RED_EYE, "Remove Red Eye...", "Take the red out of the pupils of a photograph"},
    {ITEM, ID_ADJUST_TRANSPARENCY, "Adjust Transparency...", "Make the selection or the image more or less opaque"},
    {ITEM, ID_ADD_TEXT, "Add Text...\tCtrl+T", "Add a text to the image as a floating selection"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_COUNT_COLORS, "Count Colors", "Count the colors of the image"},
    {ITEM, ID_REMOVE_UNUSED_COLORS, "Remove Unused Colors", "Remove the palette colors no pixel uses"},
    {ITEM, ID_EDIT_PALETTE, "Edit Color Palette...", "Edit the colors of the palette"},
    {ITEM, ID_SAVE_PALETTE, "Save Color Palette...", "Save the palette to a palette file"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&Image", nullptr},
    {POPUP, 0, "Size", nullptr},
    {ITEM, ID_RESIZE_IMAGE, "Image...\tCtrl+R", "Change the size of the selection or the image"},
    {ITEM, ID_CANVAS_SIZE, "Canvas...\tCtrl+E", "Change the size of the canvas"},
    {END, 0, nullptr, nullptr},
    {ITEM, ID_CROP, "Cr&op\tCtrl+Del", "Keep only the selection"},
    {ITEM, ID_CROP_SPECIAL, "Crop Special...", "Crop the image to a rectangle you draw, with print formats"},
    {ITEM, ID_FIT_CANVAS, "Fit Canvas to Image\tShift+Ctrl+E", "Make the canvas as large as the frames"},
    {SEP, 0, nullptr, nullptr},
    {POPUP, 0, "Flip", nullptr},
    {ITEM, ID_FLIP_HORIZONTAL, "Horizontal\tF5", "Mirror the selection or the image left to right"},
    {ITEM, ID_FLIP_VERTICAL, "Vertical\tShift+F5", "Flip the selection or the image top to bottom"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "Rotate", nullptr},
    {ITEM, ID_IMAGE_ROTATE_90, "90 \xC2\xB0\tF6", "Turn the selection or the image clockwise"},
    {ITEM, ID_IMAGE_ROTATE_180, "180 \xC2\xB0\tF7", "Turn the selection or the image half round"},
    {ITEM, ID_IMAGE_ROTATE_270, "270 \xC2\xB0\tShift+F6", "Turn the selection or the image counter-clockwise"},
    {ITEM, ID_IMAGE_ROTATE_ARBITRARY, "Arbitrary...\tF8", "Turn the selection or the image by any angle"},
    {END, 0, nullptr, nullptr},
    {SEP, 0, nullptr, nullptr},
    {POPUP, 0, "Fill", nullptr},
    {ITEM, ID_FILL_COLOR, "Use Color...\tF3", "Fill the selection with a color"},
    {ITEM, ID_FILL_PATTERN, "Use Pattern\tShift+F3", "Fill the selection with the pattern"},
    {ITEM, ID_FILL_BACKGROUND, "Background\tCtrl+B", "Put a background of the fill color under the image"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_DEFINE_PATTERN, "Define Pattern", "Make the selection the fill pattern"},
    {END, 0, nullptr, nullptr},
    {ITEM, ID_FEATHER, "Feather...\tCtrl+F", "Soften the edges of the selection"},
    {ITEM, ID_DROP_SHADOW, "Drop Shadow...\tF4", "Put a soft shadow under the selection"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "A&nimation", nullptr},
    {ITEM, ID_STEP_FORWARD, "Step Forward\tCtrl+Right", "Show the next frame"},
    {ITEM, ID_STEP_BACKWARD, "Step Backward\tCtrl+Left", "Show the previous frame"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_NEW_FRAME, "New Frame", "Insert an empty frame after the current one"},
    {ITEM, ID_INSERT_FILE, "Insert File...", "Insert the frames of files after the current frame"},
    {ITEM, ID_CREATE_DUPLICATES, "Create Duplicates...", "Insert copies of the current frame after it"},
    {ITEM, ID_REMOVE_FRAMES, "Remove Frames", "Remove the selected frames"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_OPTIMIZE_FRAMES, "Optimize...", "Make the animation smaller"},
    {ITEM, ID_EXPAND_FRAMES, "Expand", "Make every frame the complete picture"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_LOOP_COUNT, "Change Loop Count...", "Change how often the animation plays"},
    {END, 0, nullptr, nullptr},
    TOOLS_MENU,
    {POPUP, 0, "F&avorites", nullptr},
    FAVORITES_ITEMS,
    {END, 0, nullptr, nullptr},
    PREFERENCES_MENU,
    HELP_MENU,
};

// The browse view's context menu ("Organize Context Menu").
const MenuDef kOrganizeContextMenu[] = {
    {POPUP, 0, "Organize Context Menu", nullptr},
    {ITEM, ID_BROWSE_SELECT_ALL, "Select All", "Select all pictures"},
    {ITEM, ID_BROWSE_SELECT_NONE, "Select None", "Select no picture"},
    {ITEM, ID_BROWSE_INVERT_SELECTION, "Invert Selection", "Select the pictures not selected"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_EDIT_CUT, "Cu&t", "Cut the selected files"},
    {ITEM, ID_EDIT_COPY, "&Copy", "Copy the selected files"},
    {ITEM, ID_EDIT_PASTE, "&Paste", "Paste files into the folder"},
    {ITEM, ID_BROWSE_DELETE, "Delete", "Send the selected files to the Trash"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_OPEN_SELECTED, "Open Selected Files", "Open the selected files"},
    {ITEM, ID_BATCH_PROCESS, "Batch Process...", "Convert the selected pictures"},
    {ITEM, ID_SEND_EMAIL, "Send E-mail...", "Send the selected pictures by e-mail"},
    {ITEM, ID_PUBLISH_WEB, "Publish to Web...", "Publish the selected pictures on a web server"},
    {ITEM, ID_HTML_ALBUM, "Generate HTML Album...", "Make an HTML album of the selected pictures"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_RENAME, "Rename...", "Give the selected files new names"},
    {ITEM, ID_BROWSE_PROPERTIES, "Properties...", "Show the properties of the selected files"},
    {END, 0, nullptr, nullptr},
};

const MenuDef kBrowseMenu[] = {
    {POPUP, 0, "&File", nullptr},
    {ITEM, ID_VIEW_EDIT_IMAGES, "View && Edit Images", "Return to viewing and editing images (Ctrl+~)"},
    {ITEM, ID_OPEN_SELECTED, "Open Selected Files", "Open the selected files"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_PRINT_CONTACT_SHEET, "Print Contact Sheet", "Print the selected pictures on one sheet"},
    {ITEM, ID_BATCH_PROCESS, "Batch Process...", "Convert the selected pictures"},
    {ITEM, ID_SEND_EMAIL, "Send E-mail...", "Send the selected pictures by e-mail"},
    {ITEM, ID_PUBLISH_WEB, "Publish to Web...", "Publish the selected pictures on a web server"},
    {ITEM, ID_HTML_ALBUM, "Generate HTML Album...", "Make an HTML album of the selected pictures"},
    {ITEM, ID_SLIDE_SHOW, "Slide Show...\tF11", "Show the pictures one after another"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_CAMERA, "Browse My Camera", "Browse the pictures of a camera card"},
    {ITEM, ID_WALLPAPER_TILED, "Set As Wallpaper (Tiled)", "Use the picture as tiled wallpaper"},
    {ITEM, ID_WALLPAPER_CENTERED, "Set As Wallpaper (Centered)", "Use the picture as centred wallpaper"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_PURGE_CACHE, "Purge Browser Cache", "Delete every thumbnail kept in the browser cache"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_APP_EXIT, "E&xit\tCtrl+Q", "Quit the program"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&Edit", nullptr},
    {ITEM, ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selected files"},
    {ITEM, ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selected files"},
    {ITEM, ID_EDIT_PASTE, "&Paste\tCtrl+V", "Paste files into the folder"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_SELECT_ALL, "Select All\tCtrl+A", "Select all pictures"},
    {ITEM, ID_BROWSE_SELECT_NONE, "Select None\tCtrl+D", "Select no picture"},
    {ITEM, ID_BROWSE_INVERT_SELECTION, "Invert Selection", "Select the pictures not selected"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_DELETE, "Delete", "Send the selected files to the Trash"},
    {ITEM, ID_BROWSE_RENAME, "Rename...", "Give the selected files new names"},
    {POPUP, 0, "Rotate Thumbnails By", nullptr},
    {ITEM, ID_ROTATE_90, "90 \xC2\xB0", "Rotate the selected thumbnails"},
    {ITEM, ID_ROTATE_180, "180 \xC2\xB0", "Rotate the selected thumbnails"},
    {ITEM, ID_ROTATE_270, "270 \xC2\xB0", "Rotate the selected thumbnails"},
    {END, 0, nullptr, nullptr},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_PROPERTIES, "Properties...", "Show the properties of the selected files"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&View", nullptr},
    {POPUP, 0, "Go To", nullptr},
    {ITEM, ID_GO_BACK, "Back\tAlt+Left", "Go to the previous folder"},
    {ITEM, ID_GO_FORWARD, "Forward\tAlt+Right", "Go to the next folder"},
    {END, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_STOP, "Stop", "Stop loading thumbnails"},
    {ITEM, ID_BROWSE_REFRESH, "Refresh\tF5", "Reload the changed thumbnails"},
    {ITEM, ID_BROWSE_RELOAD_ALL, "Reload All\tCtrl+F5", "Reload all thumbnails"},
    {SEP, 0, nullptr, nullptr},
    {POPUP, 0, "Arrange Thumbnails By", nullptr},
    {CHECK, ID_SORT_NAME, "Name", "Sort by name"},
    {CHECK, ID_SORT_TYPE, "Type", "Sort by type"},
    {CHECK, ID_SORT_SIZE, "Size", "Sort by size"},
    {CHECK, ID_SORT_DATE, "Date", "Sort by date"},
    {SEP, 0, nullptr, nullptr},
    {CHECK, ID_SORT_REVERSE, "Reverse Order", "Sort in descending order"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "Thumbnail Size", nullptr},
    {CHECK, ID_THUMB_SIZE_FIRST, "80 x 80", "Small thumbnails"},
    {CHECK, ID_THUMB_SIZE_FIRST + 1, "100 x 100", "Medium thumbnails"},
    {CHECK, ID_THUMB_SIZE_FIRST + 2, "120 x 120", "Large thumbnails"},
    {CHECK, ID_THUMB_SIZE_LAST, "160 x160", "Largest thumbnails"},
    {END, 0, nullptr, nullptr},
    {CHECK, ID_DISPLAY_FILENAMES, "Display Filenames", "Show the file names under the thumbnails"},
    {CHECK, ID_BROWSE_RECURSIVE, "Display Images in Subfolders", "Include the pictures of subfolders"},
    {SEP, 0, nullptr, nullptr},
    VIEW_BARS,
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_CLEAR_HISTORY, "Clear History", "Forget the folders visited"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "F&avorites", nullptr},
    {ITEM, ID_ADD_FAVORITE, "Add to Favorites", "Add the folder to the favourite folders"},
    FAVORITES_ITEMS,
    {END, 0, nullptr, nullptr},
    HELP_MENU,
};

const MenuDef kPreviewMenu[] = {
    {POPUP, 0, "&File", nullptr},
    {ITEM, ID_FILE_PRINT, "&Print...", "Print the page"},
    {ITEM, ID_FILE_PRINT_SETUP, "P&rinter Settings...", "Change the printer and printing options"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_PREVIEW_CLOSE, "Exit Print Pre&view", "Leave the print preview"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_APP_EXIT, "E&xit", "Quit the program"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&View", nullptr},
    VIEW_BARS,
    {END, 0, nullptr, nullptr},
    HELP_MENU,
};

const MenuDef kEffectMenu[] = {
    {POPUP, 0, "&File", nullptr},
    {ITEM, ID_FILE_CLOSE, "&Close\tCtrl+W", "Close the image"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_APP_EXIT, "E&xit\tCtrl+Q", "Quit the program"},
    {END, 0, nullptr, nullptr},
    {POPUP, 0, "&View", nullptr},
    {ITEM, ID_ZOOM_IN, "Zoom &In\tCtrl+=", "Enlarge the view (Ctrl+= or Ctrl+Num +)"},
    {ITEM, ID_ZOOM_OUT, "Zoom &Out\tCtrl+-", "Reduce the view (Ctrl+- or Ctrl+Num -)"},
    {ITEM, ID_ORIGINAL_SIZE, "Original Size\tF9", "Show the image at its original size"},
    {ITEM, ID_BEST_FIT, "Best Fit on Screen\tF10", "Fit the image into the window"},
    {ITEM, ID_FULL_SCREEN, "Full Screen\tF11", "Show the image on the whole screen"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_BROWSE_PHOTOS, "Browse Photos", "Browse the pictures of a folder (Ctrl+~)"},
    {SEP, 0, nullptr, nullptr},
    VIEW_BARS,
    {END, 0, nullptr, nullptr},
    HELP_MENU,
};

// "Home Context Menu": the editing view's pop-up menu.
const MenuDef kHomeContextMenu[] = {
    {POPUP, 0, "Home Context Menu", nullptr},
    {ITEM, ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection to the clipboard"},
    {ITEM, ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection to the clipboard"},
    {ITEM, ID_EDIT_PASTE, "&Paste\tCtrl+V", "Paste the clipboard"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last change"},
    {ITEM, ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the change undone last"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_SELECT_ALL, "Select &All\tCtrl+A", "Select the whole image"},
    {ITEM, ID_SELECT_NONE, "Select &None\tCtrl+D", "Remove the selection"},
    {ITEM, ID_SELECT_INVERSE, "&Inverse Selection", "Select what is not selected"},
    {SEP, 0, nullptr, nullptr},
    {ITEM, ID_TOGGLE_SELECTION_EDGES, "Hide Selection Edges\tCtrl+H", "Show or hide the selection outline"},
    {SEP, 0, nullptr, nullptr},
    {CHECK, ID_TOOL_MAGIC_WAND, "Magic Wand", "Select an area of similar colours"},
    {CHECK, ID_TOOL_RECT_SELECT, "Rectangular Selection", "Select a rectangle"},
    {CHECK, ID_TOOL_FREE_SCROLL, "Free Scroll", "Move the view with the mouse"},
    {CHECK, ID_TOOL_ZOOM, "Zoom", "Zoom in and out with the mouse"},
    {CHECK, ID_TOOL_MOVE, "Move", "Move the selection or the image"},
    {END, 0, nullptr, nullptr},
};

bool Lookup(int resourceId, const MenuDef*& items, std::size_t& count) {
  switch (resourceId) {
    case IDR_MAINFRAME: items = kMainFrameMenu; count = std::size(kMainFrameMenu); return true;
    case IDR_DOCUMENT: items = kDocumentMenu; count = std::size(kDocumentMenu); return true;
    case IDR_BROWSE: items = kBrowseMenu; count = std::size(kBrowseMenu); return true;
    case IDR_PREVIEW: items = kPreviewMenu; count = std::size(kPreviewMenu); return true;
    case IDR_EFFECT: items = kEffectMenu; count = std::size(kEffectMenu); return true;
    case IDR_HOME_CONTEXT: items = kHomeContextMenu; count = std::size(kHomeContextMenu); return true;
    case IDR_ORGANIZE_CONTEXT: items = kOrganizeContextMenu; count = std::size(kOrganizeContextMenu); return true;
    default: return false;
  }
}

// Fills menu from items[i] up to the matching END; returns the index after it.
std::size_t FillMenu(wxMenu* menu, const MenuDef* items, std::size_t count, std::size_t i) {
  while (i < count) {
    const MenuDef& d = items[i++];
    switch (d.kind) {
      case END: return i;
      case SEP: menu->AppendSeparator(); break;
      case ITEM: menu->Append(d.id, wxString::FromUTF8(d.text), d.help ? wxString::FromUTF8(d.help) : wxString()); break;
      case CHECK:
        menu->AppendCheckItem(d.id, wxString::FromUTF8(d.text), d.help ? wxString::FromUTF8(d.help) : wxString());
        break;
      case POPUP: {
        auto* sub = new wxMenu;
        i = FillMenu(sub, items, count, i);
        menu->AppendSubMenu(sub, wxString::FromUTF8(d.text));
        break;
      }
    }
  }
  return i;
}

}  // namespace

wxMenuBar* CreateMenuBarResource(int resourceId) {
  const MenuDef* items = nullptr;
  std::size_t count = 0;
  if (!Lookup(resourceId, items, count)) return nullptr;
  auto* bar = new wxMenuBar;
  std::size_t i = 0;
  while (i < count) {
    const MenuDef& d = items[i++];
    if (d.kind != POPUP) continue;
    auto* menu = new wxMenu;
    i = FillMenu(menu, items, count, i);
    bar->Append(menu, wxString::FromUTF8(d.text));
  }
  return bar;
}

wxMenu* CreatePopupMenuResource(int resourceId) {
  const MenuDef* items = nullptr;
  std::size_t count = 0;
  if (!Lookup(resourceId, items, count) || count == 0 || items[0].kind != POPUP) return nullptr;
  auto* menu = new wxMenu;
  FillMenu(menu, items, count, 1);
  return menu;
}

// Zooming from the main keyboard, beside the keypad's keys: Ctrl+= and Ctrl++
// (Shift+= on most layouts, '+' itself on others) zoom in, Ctrl+- zooms out.
#define ZOOM_KEYS_OF_LAPTOPS                                                              \
  {wxACCEL_CTRL, '=', ID_ZOOM_IN}, {wxACCEL_CTRL | wxACCEL_SHIFT, '=', ID_ZOOM_IN},       \
      {wxACCEL_CTRL, '+', ID_ZOOM_IN}, {wxACCEL_CTRL | wxACCEL_SHIFT, '+', ID_ZOOM_IN},   \
      {wxACCEL_CTRL, '-', ID_ZOOM_OUT}

std::vector<wxAcceleratorEntry> GetAcceleratorResource(int resourceId) {
  // Ctrl+` is the key left of 1 (the menus call it "Ctrl+~").
  switch (resourceId) {
    case IDR_MAINFRAME:
      return {
          {wxACCEL_CTRL, 'N', ID_FILE_NEW},
          {wxACCEL_CTRL, 'O', ID_FILE_OPEN},
          {wxACCEL_CTRL, 'W', ID_FILE_CLOSE},
          {wxACCEL_CTRL, 'Q', ID_APP_EXIT},
          {wxACCEL_CTRL, 'Z', ID_EDIT_UNDO},
          {wxACCEL_CTRL, 'Y', ID_EDIT_REDO},
          {wxACCEL_CTRL, 'X', ID_EDIT_CUT},
          {wxACCEL_CTRL, 'C', ID_EDIT_COPY},
          {wxACCEL_CTRL, 'V', ID_EDIT_PASTE},
          {wxACCEL_CTRL, 'A', ID_SELECT_ALL},
          {wxACCEL_CTRL, 'D', ID_SELECT_NONE},
          {wxACCEL_CTRL, 'H', ID_TOGGLE_SELECTION_EDGES},
          {wxACCEL_CTRL, 'R', ID_RESIZE_IMAGE},
          {wxACCEL_CTRL, WXK_DELETE, ID_CROP},
          {wxACCEL_CTRL, 'E', ID_CANVAS_SIZE},
          {wxACCEL_CTRL | wxACCEL_SHIFT, 'E', ID_FIT_CANVAS},
          {wxACCEL_NORMAL, WXK_F5, ID_FLIP_HORIZONTAL},
          {wxACCEL_SHIFT, WXK_F5, ID_FLIP_VERTICAL},
          {wxACCEL_NORMAL, WXK_F6, ID_IMAGE_ROTATE_90},
          {wxACCEL_NORMAL, WXK_F7, ID_IMAGE_ROTATE_180},
          {wxACCEL_SHIFT, WXK_F6, ID_IMAGE_ROTATE_270},
          {wxACCEL_NORMAL, WXK_F8, ID_IMAGE_ROTATE_ARBITRARY},
          {wxACCEL_CTRL, 'B', ID_FILL_BACKGROUND},
          {wxACCEL_NORMAL, WXK_F3, ID_FILL_COLOR},
          {wxACCEL_SHIFT, WXK_F3, ID_FILL_PATTERN},
          {wxACCEL_CTRL, 'F', ID_FEATHER},
          {wxACCEL_CTRL, 'I', ID_INVERT_COLORS},
          {wxACCEL_CTRL, 'K', ID_BRIGHTNESS_CONTRAST},
          {wxACCEL_CTRL, 'T', ID_ADD_TEXT},
          {wxACCEL_CTRL, WXK_RIGHT, ID_STEP_FORWARD},
          {wxACCEL_CTRL, WXK_LEFT, ID_STEP_BACKWARD},
          {wxACCEL_CTRL, WXK_UP, ID_PLAY},
          {wxACCEL_CTRL, WXK_NUMPAD_ADD, ID_ZOOM_IN},
          {wxACCEL_CTRL, WXK_NUMPAD_SUBTRACT, ID_ZOOM_OUT},
          ZOOM_KEYS_OF_LAPTOPS,
          {wxACCEL_NORMAL, WXK_F9, ID_ORIGINAL_SIZE},
          {wxACCEL_NORMAL, WXK_F10, ID_BEST_FIT},
          {wxACCEL_NORMAL, WXK_F11, ID_FULL_SCREEN},
          {wxACCEL_CTRL, '`', ID_BROWSE_PHOTOS},
      };
    case IDR_BROWSE_ACCEL:
      return {
          {wxACCEL_CTRL, 'Q', ID_APP_EXIT},
          {wxACCEL_CTRL, 'C', ID_EDIT_COPY},
          {wxACCEL_CTRL, 'X', ID_EDIT_CUT},
          {wxACCEL_CTRL, 'V', ID_EDIT_PASTE},
          {wxACCEL_CTRL, '`', ID_VIEW_EDIT_IMAGES},
          {wxACCEL_CTRL, 'A', ID_BROWSE_SELECT_ALL},
          {wxACCEL_CTRL, 'D', ID_BROWSE_SELECT_NONE},
          {wxACCEL_NORMAL, WXK_F5, ID_BROWSE_REFRESH},
          {wxACCEL_CTRL, WXK_F5, ID_BROWSE_RELOAD_ALL},
          {wxACCEL_NORMAL, WXK_F11, ID_SLIDE_SHOW},
          {wxACCEL_ALT, WXK_LEFT, ID_GO_BACK},
          {wxACCEL_ALT, WXK_RIGHT, ID_GO_FORWARD},
      };
    case IDR_EFFECT_ACCEL:
      return {
          {wxACCEL_CTRL, 'Q', ID_APP_EXIT},
          {wxACCEL_CTRL, WXK_NUMPAD_ADD, ID_ZOOM_IN},
          {wxACCEL_NORMAL, WXK_F10, ID_BEST_FIT},
          {wxACCEL_NORMAL, WXK_F11, ID_FULL_SCREEN},
          {wxACCEL_NORMAL, WXK_F9, ID_ORIGINAL_SIZE},
          {wxACCEL_CTRL, '`', ID_BROWSE_PHOTOS},
          {wxACCEL_CTRL, WXK_NUMPAD_SUBTRACT, ID_ZOOM_OUT},
          ZOOM_KEYS_OF_LAPTOPS,
          {wxACCEL_CTRL, 'W', ID_FILE_CLOSE},
      };
    default:
      return {};
  }
}
