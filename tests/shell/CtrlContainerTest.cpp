// The resizable dialog base: the anchor arithmetic as a table, then a real
// dialog resized, shrunk below its first size and maximised.

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "shell/CtrlContainer.h"
#include "tests/support/WxTestSupport.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

struct AnchorCase {
  const char* name;
  int flags;
  Rect expected;  // for the control (20, 30)-(120, 60) of a 300 x 200 client grown to 400 x 260
};

TEST(AnchoredRect, Table) {
  const Rect initial{0, 0, 300, 200}, client{0, 0, 400, 260}, control{20, 30, 120, 60};
  const AnchorCase cases[] = {
      {"left top: fixed", ANCHOR_LEFT | ANCHOR_TOP, Rect{20, 30, 120, 60}},
      {"all four: stretches", ANCHOR_LEFT | ANCHOR_TOP | ANCHOR_RIGHT | ANCHOR_BOTTOM, Rect{20, 30, 220, 120}},
      {"right only: width and right gap kept, top kept", ANCHOR_RIGHT, Rect{120, 30, 220, 60}},
      {"bottom only", ANCHOR_BOTTOM, Rect{20, 90, 120, 120}},
      {"right bottom", ANCHOR_RIGHT | ANCHOR_BOTTOM, Rect{120, 90, 220, 120}},
      {"left right: stretches across", ANCHOR_LEFT | ANCHOR_RIGHT, Rect{20, 30, 220, 60}},
      {"none: stays", 0, Rect{20, 30, 120, 60}},
  };
  for (const AnchorCase& c : cases) {
    const CTRL_ANCHOR a{1, control.left, control.top, control.right, control.bottom, c.flags};
    EXPECT_EQ(AnchoredRect(a, control, client, initial), c.expected) << c.name;
    // Back at the initial size every control is where it was registered.
    EXPECT_EQ(AnchoredRect(a, c.expected, initial, initial), control) << c.name;
  }
  // Shrinking works the same way (a step smaller than registered).
  const CTRL_ANCHOR all{1, 20, 30, 120, 60, ANCHOR_LEFT | ANCHOR_TOP | ANCHOR_RIGHT | ANCHOR_BOTTOM};
  EXPECT_EQ(AnchoredRect(all, control, Rect{0, 0, 290, 190}, initial), (Rect{20, 30, 110, 50}));
}

enum { ID_FIXED = 100, ID_STRETCH, ID_RIGHT, ID_CORNER };

class CTestContainer : public CCtrlContainer {
 public:
  explicit CTestContainer(wxWindow* parent) : CCtrlContainer(parent, wxID_ANY, "Resizable") {
    new wxStaticText(this, ID_FIXED, "Fixed", wxPoint(10, 10), wxSize(80, 20));
    new wxTextCtrl(this, ID_STRETCH, "", wxPoint(10, 40), wxSize(200, 100), wxTE_MULTILINE);
    new wxStaticText(this, ID_RIGHT, "Right", wxPoint(220, 10), wxSize(70, 20));
    new wxButton(this, ID_CORNER, "Corner", wxPoint(210, 150), wxSize(80, 30));
    SetClientSize(300, 190);
  }
  bool OnInitDialog() override {
    CCtrlContainer::OnInitDialog();
    AddControl(ID_FIXED, ANCHOR_LEFT | ANCHOR_TOP);
    AddControl(ID_STRETCH, ANCHOR_LEFT | ANCHOR_TOP | ANCHOR_RIGHT | ANCHOR_BOTTOM);
    AddControl(ID_RIGHT, ANCHOR_RIGHT);
    AddControl(ID_CORNER, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    EXPECT_FALSE(AddControl(4711, ANCHOR_LEFT));
    return true;
  }
};

void ExpectInPlace(CTestContainer* d) {
  const wxSize c = d->GetClientSize();
  const int dw = c.x - 300, dh = c.y - 190;
  EXPECT_EQ(d->FindWindow(ID_FIXED)->GetRect(), wxRect(10, 10, 80, 20)) << c.x << "x" << c.y;
  EXPECT_EQ(d->FindWindow(ID_STRETCH)->GetRect(), wxRect(10, 40, 200 + dw, 100 + dh)) << c.x << "x" << c.y;
  EXPECT_EQ(d->FindWindow(ID_RIGHT)->GetRect(), wxRect(220 + dw, 10, 70, 20)) << c.x << "x" << c.y;
  EXPECT_EQ(d->FindWindow(ID_CORNER)->GetRect(), wxRect(210 + dw, 150 + dh, 80, 30)) << c.x << "x" << c.y;
}

TEST(CtrlContainer, ControlsFollowEveryResizeAndTheFirstSizeIsTheMinimum) {
  auto* d = new CTestContainer(nullptr);
  d->Show();
  ASSERT_TRUE(PumpUntil([&] { return d->IsShownOnScreen() && d->GetAnchors().size() == 4; }));
  const wxSize initial = d->GetInitialSize();
  EXPECT_EQ(d->GetMinSize(), initial);
  ExpectInPlace(d);

  for (const wxSize grow : {wxSize(120, 80), wxSize(40, 10), wxSize(300, 200), wxSize(5, 0)}) {
    d->SetSize(initial + grow);
    PumpUntil([&] { return d->GetSize() == initial + grow; }, 2000);
    ExpectInPlace(d);
  }
  // Smaller than it opened: held at the first size.
  d->SetSize(initial - wxSize(100, 60));
  PumpFor(200);
  EXPECT_GE(d->GetSize().x, initial.x);
  EXPECT_GE(d->GetSize().y, initial.y);
  ExpectInPlace(d);

  d->Maximize();
  PumpUntil([&] { return d->GetSize().x > initial.x + 300; }, 3000);
  PumpFor(200);
  ExpectInPlace(d);
  d->Maximize(false);
  PumpFor(200);
  ExpectInPlace(d);

  // A registered control that has gone is skipped; the others still follow.
  d->FindWindow(ID_RIGHT)->Destroy();
  d->SetSize(initial + wxSize(60, 60));
  PumpUntil([&] { return d->GetSize() == initial + wxSize(60, 60); }, 2000);
  EXPECT_EQ(d->FindWindow(ID_CORNER)->GetRect(), wxRect(210 + d->GetClientSize().x - 300, 150 + d->GetClientSize().y - 190, 80, 30));
  d->Destroy();
  PumpFor(20);
}

}  // namespace
