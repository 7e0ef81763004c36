// Command tables: one row per command, the owner's shared check applied to
// the menus and to execution alike.

#include <gtest/gtest.h>
#include <wx/event.h>

#include "shell/CommandTable.h"

namespace {

class Owner : public wxEvtHandler {
 public:
  bool busy = false;
  bool effect = false;
  bool ruleHolds = true;
  int runs = 0;
  int checks = 0;

  bool CommandAllowed(unsigned needs) const {
    if ((needs & NEEDS_IDLE) && busy) return false;
    if ((needs & NEEDS_NO_EFFECT) && effect) return false;
    return true;
  }
  void Run() { ++runs; }
  bool Rule() const { return ruleHolds; }
  void Update(wxUpdateUIEvent& event) {
    ++checks;
    event.Check(true);
  }
};

constexpr int kPlain = 5001, kIdle = 5002, kRuled = 5003;

const COMMAND_ENTRY<Owner> kTable[] = {
    {kPlain, &Owner::Run},
    {kIdle, &Owner::Run, nullptr, NEEDS_IDLE | NEEDS_NO_EFFECT, "Rotate"},
    {kRuled, &Owner::Run, &Owner::Rule, NEEDS_NOTHING, nullptr, &Owner::Update},
};

bool Enabled(Owner& o, int id) {
  wxUpdateUIEvent event(id);
  o.ProcessEvent(event);
  return event.GetEnabled();
}

void Execute(Owner& o, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  o.ProcessEvent(event);
}

TEST(CommandTable, TheSharedCheckAndTheRuleGateMenusAndExecution) {
  Owner o;
  BindCommandTable<Owner>(o, o, kTable);
  const struct {
    bool busy, effect, rule;
    int id;
    bool enabled;
  } cases[] = {
      {false, false, true, kPlain, true},  {true, true, false, kPlain, true},  {false, false, true, kIdle, true},
      {true, false, true, kIdle, false},   {false, true, true, kIdle, false},  {false, false, true, kRuled, true},
      {false, false, false, kRuled, false}, {true, true, true, kRuled, true},
  };
  for (const auto& c : cases) {
    o.busy = c.busy, o.effect = c.effect, o.ruleHolds = c.rule;
    EXPECT_EQ(Enabled(o, c.id), c.enabled) << c.id << " " << c.busy << c.effect << c.rule;
    const int before = o.runs;
    Execute(o, c.id);
    EXPECT_EQ(o.runs - before, c.enabled ? 1 : 0) << c.id << " " << c.busy << c.effect << c.rule;
  }
  EXPECT_GT(o.checks, 0);  // the update hook ran
}

TEST(CommandTable, UnknownIdsPassOnAndTheUndoLabelComesFromTheTable) {
  Owner o;
  BindCommandTable<Owner>(o, o, kTable);
  wxUpdateUIEvent event(4999);
  EXPECT_FALSE(o.ProcessEvent(event));  // not handled here: the next handler sees it
  EXPECT_STREQ(UndoLabelOf<Owner>(kTable, kIdle), "Rotate");
  EXPECT_STREQ(UndoLabelOf<Owner>(kTable, kPlain), "");
  EXPECT_STREQ(UndoLabelOf<Owner>(kTable, 4999), "");
}

}  // namespace
