#pragma once
// The menus and accelerator tables of the main frame's modes, kept as C++
// tables and built into wx objects on demand.

#include <wx/accel.h>
#include <wx/menu.h>

#include <vector>

// Builds a menu bar from a menu resource (IDR_MAINFRAME, IDR_DOCUMENT,
// IDR_BROWSE, IDR_PREVIEW, IDR_EFFECT); null for an unknown id. The caller
// owns it.
wxMenuBar* CreateMenuBarResource(int resourceId);
// The first pop-up of a menu resource, as a menu the caller owns.
wxMenu* CreatePopupMenuResource(int resourceId);
// The entries of an accelerator resource (IDR_MAINFRAME, IDR_BROWSE_ACCEL,
// IDR_EFFECT_ACCEL); empty for an unknown id.
std::vector<wxAcceleratorEntry> GetAcceleratorResource(int resourceId);
