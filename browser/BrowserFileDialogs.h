#pragma once
// The modal dialogs of browse mode's file commands: File Properties (one
// file, stepping through the list), Multiple File Properties, Rename Files,
// and the question before a read-only file is deleted or renamed. Each runs
// through RunModalDialog; the controls carry the ids below.

#include <wx/checkbox.h>
#include <wx/dialog.h>

#include <cstdint>
#include <string>

#include "browser/core/FileCommands.h"

class CImageBrowserView;

enum BROWSER_FILE_DIALOG_IDS {
  IDC_EXAMPLE_TEXT = 1303,
  IDC_DIGITS_COMBO = 1304,
  IDC_NAME_EDIT = 1305,
  IDC_READ_ONLY_CHECK = 1306,
  IDC_ARCHIVED_CHECK = 1307,
  IDC_HIDDEN_CHECK = 1308,
  IDC_FILE_COUNT_TEXT = 1066,
  IDC_TOTAL_SIZE_TEXT = 1316,
  IDC_CONFIRM_YES = 1320,
  IDC_CONFIRM_YES_TO_ALL = 1321,
  IDC_CONFIRM_NO = 1322,
  IDC_CONFIRM_MESSAGE = 1324,
  IDC_PROPERTY_LIST = 1335,
  IDC_PREVIOUS_FILE = 1336,
  IDC_NEXT_FILE = 1337,
  IDC_APPLY = 1338,
  IDC_PREVIEW = 1165,
};

// "Rename Files": the base name starts as the first file's name without its
// extension; the digits come from "Browse Mode Options" / "Number of
// digits" (2; 1..10) and go back there on OK. False on Cancel.
bool RunRenameFilesDialog(wxWindow* parent, const std::string& firstName, int count, std::string& base,
                          int& digits);
// The example line of the dialog: "%s%.*d.jpg" with serial 1.
std::string MakeRenameExample(const std::string& base, int digits);

// "Confirm File Delete": the read-only question (newPath empty: a delete).
READ_ONLY_ANSWER ConfirmReadOnlyFile(wxWindow* parent, const std::string& path, const std::string& newPath,
                                     bool offerYesToAll);

// "Multiple File Properties": the three states (0 off, 1 on, 2 mixed) come
// back on OK. A mixed box offers only on and off to the user.
bool RunMultiFilePropertiesDialog(wxWindow* parent, int files, uint64_t totalSize, int& readOnly, int& hidden,
                                  int& archive);
// "%llu K on disk (%llu bytes)".
std::string FormatDiskSize(uint64_t bytes);

// "File Properties" of the first selected item of the view (the first item
// when none is selected), with "<<" and ">>" stepping through the list.
bool RunFilePropertiesDialog(wxWindow* parent, CImageBrowserView& view);

// The "Color Mode" text of a depth (gray tells 8-bit gray from indexed).
std::string ColorModeText(int depth, bool gray);
