#pragma once
// Command ids of menus, accelerators and toolbars (kept clear of the stock
// ids wxWidgets reserves, 4999 to 5999), and the ids of the resources that
// the mode tables name.

// Menu and accelerator resources.
constexpr int IDR_MAINFRAME = 128;        // View and Edit without documents; also its accelerators
constexpr int IDR_DOCUMENT = 129;         // View and Edit with documents
constexpr int IDR_PREVIEW = 236;          // print preview and contact sheet
constexpr int IDR_BROWSE = 256;           // browse mode
constexpr int IDR_BROWSE_ACCEL = 269;     // browse mode accelerators
constexpr int IDR_EFFECT = 318;           // effect mode menu
constexpr int IDR_EFFECT_ACCEL = 319;     // effect mode accelerators
constexpr int IDR_BROWSE_TOOLBAR = 259;   // mode tab bar toolbars
constexpr int IDR_PREVIEW_TOOLBAR = 238;
constexpr int IDR_HOME_CONTEXT = 268;     // the editing view's context menu
constexpr int IDR_ORGANIZE_CONTEXT = 264; // the browse view's context menu

// Commands keep their numbers where wx allows them; wx ids stay below 32767,
// so the program's commands from 32767 on move down by 10000 (22767 to
// 23999) and the standard commands from 57000 on by 30000 (27000 to 29999).
constexpr int CommandId(int number) {
  return number >= 57000 ? number - 30000 : number >= 32767 ? number - 10000 : number;
}
// The number of a command id, as settings keep it.
constexpr int CommandNumber(int id) {
  return id >= 27000 && id < 30000 ? id + 30000 : id >= 22767 && id < 24000 ? id + 10000 : id;
}

constexpr int ID_MODE_TAB_BAR = 128;

// Application commands.
constexpr int ID_FILE_NEW = CommandId(57600);
constexpr int ID_FILE_OPEN = CommandId(57601);
constexpr int ID_FILE_CLOSE = CommandId(57602);
constexpr int ID_FILE_SAVE = CommandId(57603);
constexpr int ID_FILE_SAVE_AS = CommandId(57604);
constexpr int ID_FILE_SAVE_COPY_AS = CommandId(57611);
constexpr int ID_FILE_PRINT_SETUP = CommandId(57606);
constexpr int ID_FILE_PRINT = CommandId(57607);
constexpr int ID_FILE_PRINT_PREVIEW = CommandId(57609);
constexpr int ID_FILE_MRU_FIRST = CommandId(57616);
constexpr int ID_FILE_MRU_LAST = CommandId(57625);
constexpr int ID_EDIT_COPY = CommandId(57634);
constexpr int ID_EDIT_CUT = CommandId(57635);
constexpr int ID_EDIT_PASTE = CommandId(57637);
constexpr int ID_EDIT_UNDO = CommandId(57643);
constexpr int ID_EDIT_REDO = CommandId(57644);
constexpr int ID_APP_ABOUT = CommandId(57664);
constexpr int ID_APP_EXIT = CommandId(57665);
constexpr int ID_HELP_FINDER = CommandId(57667);
constexpr int ID_PREVIEW_CLOSE = CommandId(58112);
constexpr int ID_VIEW_TOOLBAR = CommandId(59392);
constexpr int ID_VIEW_STATUS_BAR = CommandId(59393);

constexpr int ID_ZOOM_IN = CommandId(32771);
constexpr int ID_ZOOM_OUT = CommandId(32772);
constexpr int ID_OPTIONS_JPEG = CommandId(32775);
constexpr int ID_OPTIONS_GIF = CommandId(32776);
constexpr int ID_RESIZE_IMAGE = CommandId(32779);
constexpr int ID_TOOL_RECT_SELECT = CommandId(32802);
constexpr int ID_TOOL_ZOOM = CommandId(32806);
constexpr int ID_TOOL_MAGIC_WAND = CommandId(32807);
constexpr int ID_TOOL_FREE_SCROLL = CommandId(32808);
constexpr int ID_SELECT_ALL = CommandId(32809);
constexpr int ID_SELECT_NONE = CommandId(32810);
constexpr int ID_SELECT_INVERSE = CommandId(32811);
constexpr int ID_SELECTION_OPTION = CommandId(32812);
constexpr int ID_CROP = CommandId(32813);
constexpr int ID_CROP_SPECIAL = CommandId(33024);
constexpr int ID_STOP = CommandId(32795);
constexpr int ID_PLAY = CommandId(32819);
constexpr int ID_STEP_FORWARD = CommandId(32820);
constexpr int ID_STEP_BACKWARD = CommandId(32821);
// The document's frame commands and the undo history's purge.
constexpr int ID_EXPAND_FRAMES = CommandId(32860);
constexpr int ID_OPTIMIZE_FRAMES = CommandId(32891);
constexpr int ID_REMOVE_FRAMES = CommandId(32897);
constexpr int ID_CREATE_DUPLICATES = CommandId(32898);
constexpr int ID_NEW_FRAME = CommandId(32899);
constexpr int ID_INSERT_FILE = CommandId(32900);
constexpr int ID_LOOP_COUNT = CommandId(32908);
constexpr int ID_PURGE_UNDO = CommandId(33022);
constexpr int ID_FILE_SEQUENCE = CommandId(32829);
constexpr int ID_CLOSE_ALL = CommandId(32831);
constexpr int ID_DEFINE_PATTERN = CommandId(32832);
constexpr int ID_INVERT_COLORS = CommandId(32834);
constexpr int ID_FILL_COLOR = CommandId(32835);
constexpr int ID_FILL_PATTERN = CommandId(32837);
constexpr int ID_CONVERT_TO_BITMAP = CommandId(32823);
constexpr int ID_CONVERT_TO_GRAYSCALE = CommandId(32824);
constexpr int ID_CONVERT_TO_INDEXED = CommandId(32825);
constexpr int ID_CONVERT_TO_FULL_COLOR = CommandId(32827);
constexpr int ID_REMOVE_UNUSED_COLORS = CommandId(32855);
constexpr int ID_SHARPEN = CommandId(32865);
constexpr int ID_SHARPEN_MORE = CommandId(32866);
constexpr int ID_COUNT_COLORS = CommandId(32874);
constexpr int ID_SAVE_PALETTE = CommandId(32890);
constexpr int ID_EDIT_PALETTE = CommandId(32903);
constexpr int ID_TOGGLE_SELECTION_EDGES = CommandId(32841);
constexpr int ID_CANVAS_SIZE = CommandId(32842);
constexpr int ID_TOOL_MOVE = CommandId(32845);
constexpr int ID_BRIGHTNESS_CONTRAST = CommandId(32863);
constexpr int ID_ADJUST_TRANSPARENCY = CommandId(32864);
constexpr int ID_BLUR = CommandId(32867);
constexpr int ID_EMBOSS = CommandId(32869);
constexpr int ID_SEPIA = CommandId(33026);
constexpr int ID_REMOVE_RED_EYE = CommandId(33027);
constexpr int ID_CURRENT_FRAME_ONLY = CommandId(32861);
constexpr int ID_GENERAL_SETTINGS = CommandId(32889);
constexpr int ID_ADD_TEXT = CommandId(32901);
constexpr int ID_DROP_SHADOW = CommandId(32902);
constexpr int ID_DISCARD_PATTERN = CommandId(32904);
constexpr int ID_EMPTY_CLIPBOARD = CommandId(32906);
constexpr int ID_PERSONAL_SIGNATURE = CommandId(32926);
constexpr int ID_EDIT_COMMENTS = CommandId(32927);
constexpr int ID_DISPLAY_OPTIONS = CommandId(32949);
constexpr int ID_VIEW_EDIT_IMAGES = CommandId(32954);
constexpr int ID_BROWSE_REFRESH = CommandId(32955);
constexpr int ID_BROWSE_SELECT_ALL = CommandId(32956);
constexpr int ID_BROWSE_SELECT_NONE = CommandId(32957);
constexpr int ID_BROWSE_INVERT_SELECTION = CommandId(32958);
constexpr int ID_BROWSE_DELETE = CommandId(32959);
constexpr int ID_BROWSE_RENAME = CommandId(32960);
constexpr int ID_SORT_NAME = CommandId(32961);
constexpr int ID_SORT_DATE = CommandId(32962);
constexpr int ID_SORT_TYPE = CommandId(32963);
constexpr int ID_SORT_SIZE = CommandId(32964);
constexpr int ID_SORT_REVERSE = CommandId(32966);
constexpr int ID_BROWSE_PROPERTIES = CommandId(32967);
constexpr int ID_BROWSE_STOP = CommandId(32968);
constexpr int ID_CLEAR_MESSAGE_PANE = CommandId(32969);
constexpr int ID_VIEW_MESSAGE_PANE = CommandId(32970);
constexpr int ID_BROWSE_RELOAD_ALL = CommandId(32973);
constexpr int ID_SLIDE_SHOW = CommandId(32976);
constexpr int ID_FULL_SCREEN = CommandId(32978);
constexpr int ID_CLEAR_HISTORY = CommandId(32980);
constexpr int ID_PURGE_CACHE = CommandId(32981);
constexpr int ID_BROWSE_RECURSIVE = CommandId(32982);
constexpr int ID_WALLPAPER_TILED = CommandId(32984);
constexpr int ID_WALLPAPER_CENTERED = CommandId(32985);
constexpr int ID_BROWSE_CAMERA = CommandId(32986);
constexpr int ID_FIT_CANVAS = CommandId(32987);
// The current frame's transforms and the selection's delete.
constexpr int ID_EDIT_DELETE = CommandId(32843);
constexpr int ID_FLIP_HORIZONTAL = CommandId(32846);
constexpr int ID_FLIP_VERTICAL = CommandId(32847);
constexpr int ID_IMAGE_ROTATE_90 = CommandId(32870);
constexpr int ID_IMAGE_ROTATE_180 = CommandId(32871);
constexpr int ID_IMAGE_ROTATE_270 = CommandId(32872);
constexpr int ID_IMAGE_ROTATE_ARBITRARY = CommandId(32875);
constexpr int ID_ORGANIZE_FAVORITES = CommandId(32988);
constexpr int ID_ADD_FAVORITE = CommandId(32989);
constexpr int ID_FAVORITE_MORE = CommandId(32990);
constexpr int ID_FAVORITE_FIRST = CommandId(32991);
constexpr int ID_FAVORITE_LAST = CommandId(33006);
constexpr int ID_DISPLAY_FILENAMES = CommandId(33007);
constexpr int ID_NEW_FROM_CLIPBOARD = CommandId(33008);
constexpr int ID_SEND_EMAIL = CommandId(33009);
constexpr int ID_BATCH_PROCESS = CommandId(33010);
constexpr int ID_FRAME_PROPERTIES = CommandId(33011);
constexpr int ID_OPEN_SELECTED = CommandId(33012);
constexpr int ID_BROWSE_PHOTOS = CommandId(33014);
constexpr int ID_PUBLISH_WEB = CommandId(33015);
constexpr int ID_PRINT_CONTACT_SHEET = CommandId(33016);
constexpr int ID_WEB_SITE = CommandId(33017);
constexpr int ID_ORIGINAL_SIZE = CommandId(33018);
constexpr int ID_BEST_FIT = CommandId(33019);
constexpr int ID_FILL_BACKGROUND = CommandId(33020);
constexpr int ID_DISPLAY_COMMENTS = CommandId(33021);
constexpr int ID_WEB_HELP = CommandId(33023);
constexpr int ID_MULTIBURST = CommandId(33025);
constexpr int ID_EXPORT_MNG = CommandId(33028);
constexpr int ID_ROTATE_90 = CommandId(33029);
constexpr int ID_ROTATE_180 = CommandId(33030);
constexpr int ID_ROTATE_270 = CommandId(33031);
constexpr int ID_HTML_ALBUM = CommandId(33032);
constexpr int ID_GO_BACK = 270;
constexpr int ID_GO_FORWARD = 271;
constexpr int ID_THUMB_SIZE_FIRST = 307;
constexpr int ID_THUMB_SIZE_LAST = 310;
constexpr int ID_FEATHER = 311;
