// Every item of every mode's menus is carried out by someone: a window's
// update handler sets its state, or it is one of the application's own
// commands (which the application enables). An item nobody handles would be
// shown greyed for ever: a leftover.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/menu.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/PictoravellApp.h"
#include "browser/OrganizeBrowserView.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/StandInViews.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PumpFor;

bool HasUpdateHandler(CMainFrame* frame, int id) {
  wxUpdateUIEvent event(id);
  event.SetEventObject(frame);
  frame->ProcessWindowEvent(event);
  return event.GetSetEnabled();
}

// The items of a menu and its submenus, each menu opened first (entries
// made on the fly, as the favourites, are made then).
void CollectItems(CMainFrame* frame, wxMenu* menu, const std::string& path,
                  std::vector<std::pair<int, std::string>>& items) {
  wxMenuEvent open(wxEVT_MENU_OPEN, 0, menu);
  open.SetEventObject(menu);
  frame->ProcessWindowEvent(open);
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSeparator()) continue;
    const std::string label = path + " > " + item->GetItemLabelText().utf8_string();
    if (wxMenu* sub = item->GetSubMenu())
      CollectItems(frame, sub, label, items);
    else
      items.emplace_back(item->GetId(), label);
  }
}

std::vector<std::string> Leftovers(CMainFrame* frame) {
  std::vector<std::pair<int, std::string>> items;
  wxMenuBar* bar = frame->GetMenuBar();
  for (size_t i = 0; i < bar->GetMenuCount(); ++i)
    CollectItems(frame, bar->GetMenu(i), bar->GetMenuLabelText(i).utf8_string(), items);
  std::vector<std::string> leftovers;
  for (const auto& [id, label] : items)
    if (!HasUpdateHandler(frame, id) && !IsApplicationCommand(id)) leftovers.push_back(label);
  return leftovers;
}

TEST(MenuAudit, EveryItemOfEveryModeIsCarriedOutBySomeone) {
  testing_support::TempDir cache;
  const std::string cacheFolder = cache.path().string();
  COrganizeView::SetContentFactory(
      [cacheFolder](wxWindow* parent) -> IBrowseContent* { return new COrganizeBrowserView(parent, cacheFolder); });
  struct Reset {
    ~Reset() { COrganizeView::SetContentFactory(nullptr); }
  } reset;
  editor_testing::DocumentWindowFixture f;
  testing_support::TempDir dir;
  auto* animation = OpenImageDocument(
      editor_testing::WriteBmp(dir, "animation.bmp", testing_support::MakeTestPicture(80, 60, 3)));
  ASSERT_NE(animation, nullptr);
  animation->SetFrames(4, 4, editor_testing::NumberedFrames(3), 0);
  auto* picture =
      OpenImageDocument(editor_testing::WriteBmp(dir, "picture.bmp", testing_support::MakeTestPicture(80, 60, 5)));
  ASSERT_NE(picture, nullptr);
  PumpFor(30);
  struct Case {
    const char* name;
    int mode;
    CPictoravellDoc* active;
  };
  const Case cases[] = {
      {"View and Edit, a picture", MODE_VIEW_EDIT, picture},
      {"View and Edit, an animation", MODE_VIEW_EDIT, animation},
      {"Browse", MODE_BROWSE, picture},
      {"Print Preview", MODE_PRINT_PREVIEW, picture},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
    f.frame->ActivateDocument(c.active);
    PumpFor(20);
    ASSERT_TRUE(f.frame->SetMode(c.mode));
    PumpFor(20);
    for (const std::string& label : Leftovers(f.frame)) ADD_FAILURE() << "nobody carries out " << label;
  }
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  ASSERT_TRUE(f.frame->EnterEffectMode("Sepia"));
  for (const std::string& label : Leftovers(f.frame)) ADD_FAILURE() << "effect mode: nobody carries out " << label;
  f.frame->LeaveEffectMode();
}

// The application's last rule greys a menu item nobody handled, but never
// the item that opens a submenu (its entries have their own rules).
TEST(MenuAudit, TheUnhandledRuleLeavesSubmenusAlone) {
  wxMenu menu;
  auto* sub = new wxMenu;
  sub->Append(ID_CONVERT_TO_GRAYSCALE, "Grayscale");
  wxMenuItem* opener = menu.AppendSubMenu(sub, "Mode");
  menu.Append(ID_FILE_PRINT, "Print");
  struct Row {
    int id;
    wxObject* source;
    bool handled, disabled;
  };
  wxButton* none = nullptr;
  const Row rows[] = {
      {opener->GetId(), &menu, false, false},
      {ID_FILE_PRINT, &menu, true, true},
      {ID_FILE_PRINT, none, false, false},  // not a menu's: left to its window
  };
  for (const Row& row : rows) {
    wxUpdateUIEvent event(row.id);
    event.SetEventObject(row.source);
    EXPECT_EQ(DisableUnhandledMenuItem(event), row.handled) << row.id;
    EXPECT_EQ(event.GetSetEnabled() && !event.GetEnabled(), row.disabled) << row.id;
  }
}

}  // namespace
