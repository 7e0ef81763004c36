#pragma once
// One command table per command owner (the application, the main frame, a
// document, a view): for each command its id, its handler, its enable rule
// and the label of the undo step it records, bound once.
//
//   const COMMAND_ENTRY<CPictoravellDoc> kDocCommands[] = {
//       {ID_FILE_SAVE, &CPictoravellDoc::OnFileSave, nullptr, NEEDS_IDLE | NEEDS_FRAMES},
//       {ID_EDIT_UNDO, &CPictoravellDoc::OnEditUndo, &CPictoravellDoc::CanUndo, NEEDS_IDLE | NEEDS_NO_EFFECT,
//        nullptr, &CPictoravellDoc::OnUpdateUndoText},
//   };
//   BindCommandTable(*this, *this, kDocCommands);   // in the constructor
//
// A command runs, and its menu item and button are enabled, only when the
// owner's one check of the shared conditions (Owner::CommandAllowed, given
// the entry's NEEDS_ bits: no frame busy, no effect tool running, ...) and
// the entry's own rule both hold; handlers do not repeat them.

#include <wx/event.h>

#include <span>

// Conditions a command shares with others, checked by the owner's
// CommandAllowed(needs) in one place.
enum COMMAND_NEEDS : unsigned {
  NEEDS_NOTHING = 0,
  NEEDS_IDLE = 1,       // no frame of the document is busy with another command
  NEEDS_NO_EFFECT = 2,  // no effect tool is running on the document
  NEEDS_FRAMES = 4,     // the document has frames
  NEEDS_EDITABLE = NEEDS_IDLE | NEEDS_NO_EFFECT | NEEDS_FRAMES,
};

template <class Owner>
struct COMMAND_ENTRY {
  int id;
  void (Owner::*run)();
  // The command's own rule; null: enabled whenever the needs hold.
  bool (Owner::*enabled)() const = nullptr;
  unsigned needs = NEEDS_NOTHING;
  // The name of the undo step the command records (null: none). Handlers
  // read it with UndoLabelOf so the table stays the one place that names it.
  const char* undoLabel = nullptr;
  // Sets what else the menu shows (check mark, text); after Enable.
  void (Owner::*update)(wxUpdateUIEvent&) = nullptr;
};

template <class Owner>
bool IsCommandEnabled(const Owner& owner, const COMMAND_ENTRY<Owner>& entry) {
  return owner.CommandAllowed(entry.needs) && (!entry.enabled || (owner.*(entry.enabled))());
}

// Binds the menu and update events of every entry on `handler` (usually the
// owner itself) to the owner. The table must outlive the bindings (a
// namespace-scope array).
template <class Owner>
void BindCommandTable(wxEvtHandler& handler, Owner& owner, std::span<const COMMAND_ENTRY<Owner>> table) {
  for (const COMMAND_ENTRY<Owner>& entry : table) {
    const COMMAND_ENTRY<Owner>* e = &entry;
    Owner* o = &owner;
    handler.Bind(
        wxEVT_MENU,
        [o, e](wxCommandEvent&) {
          if (IsCommandEnabled(*o, *e)) (o->*(e->run))();
        },
        e->id);
    handler.Bind(
        wxEVT_UPDATE_UI,
        [o, e](wxUpdateUIEvent& event) {
          event.Enable(IsCommandEnabled(*o, *e));
          if (e->update) (o->*(e->update))(event);
        },
        e->id);
  }
}

// The undo label a table gives a command ("" when it names none).
template <class Owner>
const char* UndoLabelOf(std::span<const COMMAND_ENTRY<Owner>> table, int id) {
  for (const auto& entry : table)
    if (entry.id == id) return entry.undoLabel ? entry.undoLabel : "";
  return "";
}
