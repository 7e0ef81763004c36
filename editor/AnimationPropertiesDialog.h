#pragma once
// The Animation Properties dialog: the delay ("x 1/100 second") and the
// disposal method given to the frames selected in the Animation page. Both
// fields start empty; only what was filled in is changed. It follows the
// program's dialog pattern (shell/ModalDialog.h): a values struct, named
// control ids, RunAnimationPropertiesDialog, and window tests drive it
// through a CModalDialogHook.

#include <wx/window.h>

#include <cstdint>
#include <string>

enum ANIMATION_PROPERTIES_DIALOG_ID {
  IDD_ANIMATION_PROPERTIES = 277,
  IDC_ANIMATION_DELAY = 1079,
  IDC_ANIMATION_DISPOSAL = 1080,
};

// The four disposal methods of the list, item i being method i.
extern const char* const kDisposalNames[4];

struct ANIMATION_PROPERTY_VALUES {
  // Out: ANIMATION_PROPERTY bits (ANIM_DELAY, ANIM_CONTROL) of what was
  // filled in; 0 when nothing was.
  int flags = 0;
  uint16_t delay = 0;   // hundredths of a second
  uint8_t packed = 0;   // the graphic-control byte: the disposal method in bits 2 to 4
};

// What the fields hold, read as OK reads them: the delay when the text is a
// number (digits only, around spaces), the disposal when an item (0..3) is
// chosen (-1: none). False with the refusal's text when the delay is a number
// above 65535.
bool ReadAnimationProperties(const std::string& delayText, int disposalItem, ANIMATION_PROPERTY_VALUES& values,
                             std::string& refusal);

// Runs the dialog. OK with valid fields copies them out and returns true
// (values.flags may be 0: nothing to change); a refused delay is named in a
// message box and the dialog stays; Cancel returns false.
bool RunAnimationPropertiesDialog(wxWindow* parent, ANIMATION_PROPERTY_VALUES& values);
