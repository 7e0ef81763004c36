#pragma once
// The file commands of browse mode without windows: renaming the selected
// files to a numbered series, sending them to the Trash, the facts shown by
// the properties of several files, and the wallpaper's fitted size. The
// questions (read-only files) reach the user through a callback the view
// installs; tests answer them directly.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browser/core/BrowserItemList.h"

// Answers to "this file is read-only" questions.
enum READ_ONLY_ANSWER { ANSWER_YES = 0, ANSWER_NO = 1, ANSWER_CANCEL = 2, ANSWER_YES_TO_ALL = 3 };

// Asked for a read-only file: its name, the new name (empty for a delete),
// and whether Yes To All is offered.
using CONFIRM_READ_ONLY = std::function<READ_ONLY_ANSWER(const std::string& name, const std::string& newName,
                                                         bool offerYesToAll)>;

// A name the user typed for a file, prefix or title: false when it is empty,
// "." or "..", or holds '/' or a control character (NUL included).
bool IsValidTypedName(const std::string& name);

// The new names of a series: base, then (only for more than one file) the
// counter from 1 with at least `digits` digits ("%s%.*d"), then each old
// name's extension (from its last '.' on).
std::vector<std::string> MakeSeriesNames(const std::vector<std::string>& oldNames, const std::string& base,
                                         int digits);

// Renames the selected items in list order (see MakeSeriesNames). A name
// that does not change is skipped without a question; a read-only file asks
// (No skips it, Cancel ends the walk, Yes To All stops asking). Never
// replaces an existing file: that rename fails, is reported and the item
// keeps its name. Returns the number renamed; false in *refused when the
// base name was refused (nothing is touched then).
int RenameSelectedItems(CBrowserItemList& items, const std::string& base, int digits,
                        const CONFIRM_READ_ONLY& confirm, bool* refused = nullptr);

// Sends the selected items to the Trash in list order; read-only files ask
// as for a rename. A file the Trash does not take is reported ("Cannot
// delete %s. This file may be on a read-only media.") and the walk goes on.
// Nothing is ever deleted for good. Returns the number sent to the Trash.
int DeleteSelectedItems(const CBrowserItemList& items, const CONFIRM_READ_ONLY& confirm);

// Three-state attribute values of several files.
enum TRI_STATE { TRI_NONE = 0, TRI_ALL = 1, TRI_SOME = 2 };

struct MULTI_FILE_FACTS {
  int nFiles = 0;
  uint64_t nTotalSize = 0;  // from the files on disk, in 64 bits
  int nReadOnly = TRI_NONE;
  int nHidden = TRI_NONE;
  int nArchive = TRI_NONE;
};

// The facts of the selected items.
MULTI_FILE_FACTS GetMultiFileFacts(const CBrowserItemList& items);

// Applies the dialog's three values to every selected item: TRI_SOME keeps
// each file's own value. Returns false when any change failed.
bool ApplyMultiFileAttributes(CBrowserItemList& items, int readOnly, int hidden, int archive);

// The wallpaper's size for a picture on a screen: the picture fitted to the
// screen, never enlarged (3000x2000 on 1024x768 gives 1024x682).
void FitWallpaperSize(int32_t& width, int32_t& height, int32_t screenWidth, int32_t screenHeight);

// Reads the item's first frame, fits it to the screen and writes it as a
// BMP to the path (mode 1: replace). True when the file was written.
bool SaveWallpaperFile(const CBrowserItem& item, int32_t screenWidth, int32_t screenHeight,
                       const std::string& path);
