#include "resources/ToolbarResources.h"

#include "resources/CommandIds.h"

namespace {

const TOOLBAR_BUTTON_RESOURCE kSeparator{};

// View and Edit (IDR_MAINFRAME).
const std::vector<TOOLBAR_BUTTON_RESOURCE> kMainToolbar = {
    {ID_FILE_PRINT_PREVIEW, "document-print-preview", TOOL_ART_NONE, "Print", "Preview and print the active image"},
    kSeparator,
    {ID_FILE_OPEN, "document-open", TOOL_ART_NONE, "Open", "Open an existing image"},
    {ID_FILE_SAVE, "document-save", TOOL_ART_NONE, "Save", "Save the active image"},
    kSeparator,
    {ID_EDIT_UNDO, "edit-undo", TOOL_ART_NONE, "Undo", "Undo the last action"},
    {ID_EDIT_REDO, "edit-redo", TOOL_ART_NONE, "Redo", "Redo the previously undone action"},
    kSeparator,
    {ID_EDIT_CUT, "edit-cut", TOOL_ART_NONE, "Cut", "Cut the selection and put it on the Clipboard"},
    {ID_EDIT_COPY, "edit-copy", TOOL_ART_NONE, "Copy", "Copy the selection and put it on the Clipboard"},
    {ID_EDIT_PASTE, "edit-paste", TOOL_ART_NONE, "Paste", "Insert Clipboard contents"},
    kSeparator,
    {ID_TOOL_RECT_SELECT, "", TOOL_ART_RECT_SELECT, "Rectangular Selection", "Select a rectangular area"},
    {ID_TOOL_MAGIC_WAND, "", TOOL_ART_MAGIC_WAND, "Magic Wand", "Select an area of similar colors"},
    {ID_TOOL_FREE_SCROLL, "", TOOL_ART_FREE_SCROLL, "Free Scroll", "Scroll the image with the mouse"},
    {ID_TOOL_ZOOM, "", TOOL_ART_ZOOM_TOOL, "Zoom", "Zoom in with the left button, out with the right"},
    {ID_TOOL_MOVE, "", TOOL_ART_MOVE, "Move", "Move the selection or the frame"},
    kSeparator,
    {ID_ZOOM_IN, "zoom-in", TOOL_ART_NONE, "Zoom In", "Zoom in"},
    {ID_ZOOM_OUT, "zoom-out", TOOL_ART_NONE, "Zoom Out", "Zoom out"},
    {ID_ORIGINAL_SIZE, "zoom-original", TOOL_ART_NONE, "Original Size", "Show the image at its original size"},
    {ID_BEST_FIT, "zoom-fit-best", TOOL_ART_NONE, "Best Fit", "Fit the image into the window"},
};

// Browse (IDR_BROWSE_TOOLBAR): index 0 Print, 10 Batch, 11 Email, 12 Publish,
// 13 Slide Show carry labels.
const std::vector<TOOLBAR_BUTTON_RESOURCE> kBrowseToolbar = {
    {ID_PRINT_CONTACT_SHEET, "document-print", TOOL_ART_NONE, "Print", "Print a contact sheet of the selected images"},
    kSeparator,
    {ID_GO_BACK, "go-previous", TOOL_ART_NONE, "Back", "Go back to the previous folder"},
    {ID_GO_FORWARD, "go-next", TOOL_ART_NONE, "Forward", "Go forward to the next folder"},
    {ID_BROWSE_REFRESH, "view-refresh", TOOL_ART_NONE, "Refresh", "Read the folder again"},
    {ID_BROWSE_STOP, "process-stop", TOOL_ART_NONE, "Stop", "Stop loading the folder"},
    kSeparator,
    {ID_ROTATE_270, "object-rotate-left", TOOL_ART_ROTATE_LEFT, "Rotate Left", "Turn the selected images left"},
    {ID_ROTATE_90, "object-rotate-right", TOOL_ART_ROTATE_RIGHT, "Rotate Right", "Turn the selected images right"},
    kSeparator,
    {ID_BATCH_PROCESS, "", TOOL_ART_BATCH, "Batch", "Convert the selected images"},
    {ID_SEND_EMAIL, "mail-send", TOOL_ART_NONE, "Email", "Send the selected images by e-mail"},
    {ID_PUBLISH_WEB, "", TOOL_ART_PUBLISH, "Publish", "Publish the selected images on a web site"},
    {ID_SLIDE_SHOW, "", TOOL_ART_SLIDE_SHOW, "Slide Show", "Show the images one after another"},
};

// Print preview and contact sheet (IDR_PREVIEW_TOOLBAR).
const std::vector<TOOLBAR_BUTTON_RESOURCE> kPreviewToolbar = {
    {ID_PREVIEW_CLOSE, "window-close", TOOL_ART_NONE, "Exit Print Preview", "Leave the print preview"},
    kSeparator,
    {ID_FILE_PRINT, "document-print", TOOL_ART_NONE, "Print", "Print the pages"},
    {ID_FILE_PRINT_SETUP, "document-page-setup", TOOL_ART_NONE, "Printer Settings", "Choose a printer and its options"},
};

const std::vector<TOOLBAR_BUTTON_RESOURCE> kNone;

}  // namespace

const std::vector<TOOLBAR_BUTTON_RESOURCE>& GetToolbarResource(int resource) {
  switch (resource) {
    case IDR_MAINFRAME: return kMainToolbar;
    case IDR_BROWSE_TOOLBAR: return kBrowseToolbar;
    case IDR_PREVIEW_TOOLBAR: return kPreviewToolbar;
    default: return kNone;
  }
}
