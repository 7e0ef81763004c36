// The Edit Comments dialog and the personal signature, driven through the
// modal-dialog hook.

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <string>

#include "base/Profile.h"
#include "editor/EditCommentsDialog.h"
#include "editor/PictoravellDoc.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/editor/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"
#include "formats/PersonalSignature.h"
#include "shell/ModalDialog.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"

namespace {

using editor_testing::Control;
using editor_testing::ScopedStore;

wxTextCtrl* Edit(wxDialog& d) { return dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_COMMENT_TEXT)); }

TEST(EditCommentsDialog, ShowsLinesAndGivesBackCrLfOnOk) {
  std::string text = "first\r\nsecond";
  bool saw = false;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    saw = d.GetId() == IDD_EDIT_COMMENTS && d.GetTitle() == "Edit Comments" && Edit(d) &&
          d.FindWindow(IDC_COMMENT_PICTURE);
    if (!saw) return wxID_CANCEL;
    EXPECT_EQ(Edit(d)->GetValue(), "first\nsecond");
    Edit(d)->SetValue(wxString::FromUTF8("one\ntwo \xC3\xA9\nthree"));
    return wxID_OK;
  });
  ASSERT_TRUE(EditCommentText(nullptr, text));
  EXPECT_TRUE(saw);
  EXPECT_EQ(text, "one\r\ntwo \xC3\xA9\r\nthree");
}

TEST(EditCommentsDialog, CancelLeavesTheText) {
  std::string text = "keep";
  CModalDialogHook hook([&](wxDialog& d) -> int {
    Edit(d)->SetValue("changed");
    return wxID_CANCEL;
  });
  EXPECT_FALSE(EditCommentText(nullptr, text));
  EXPECT_EQ(text, "keep");
}

TEST(EditCommentsDialog, LengthLimitIs32768Characters) {
  struct Case {
    size_t length;
    bool accepted;
  };
  for (const Case c : {Case{32768, true}, Case{32769, false}}) {
    testing_support::DialogScript script;
    script.Run([](wxDialog&) {});  // the dialog itself, driven by the hook
    if (!c.accepted) script.Answer(wxID_OK);  // the refusal
    std::string text = "old";
    CModalDialogHook hook([&](wxDialog& d) -> int {
      Edit(d)->SetValue(wxString(c.length, 'x'));
      return wxID_OK;
    });
    EXPECT_EQ(EditCommentText(nullptr, text), c.accepted) << c.length;
    if (c.accepted) {
      EXPECT_EQ(text.size(), c.length);
      EXPECT_TRUE(script.messages().empty());
    } else {
      EXPECT_EQ(text, "old");
      ASSERT_EQ(script.messages().size(), 1u);
      EXPECT_EQ(script.messages()[0], "Please enter no more than 32768 characters.");
    }
  }
}

TEST(EditCommentsDialog, PersonalSignatureStartsFromTheDefaultAndIsStoredOnOk) {
  ScopedStore store;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    EXPECT_TRUE(Edit(d)->GetValue().StartsWith("Original file name: <Filename>\nCreated: <Date>, <Time>\n"));
    Edit(d)->SetValue("By me: <FILENAME>");
    return wxID_OK;
  });
  EditPersonalSignature(nullptr);
  EXPECT_EQ(GetProfileString("General", "Personal Comments", ""), "By me: <FILENAME>");
  EXPECT_EQ(ExpandSignature(GetPersonalSignature().c_str(), "a.gif"), "By me: a.gif");
}

TEST(EditCommentsDialog, PersonalSignatureCancelStoresNothing) {
  ScopedStore store;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    Edit(d)->SetValue("not this");
    return wxID_CANCEL;
  });
  EditPersonalSignature(nullptr);
  EXPECT_EQ(GetProfileString("General", "Personal Comments", "unset"), "unset");
}

// "Comments..." from the menu: OK marks the document modified even without a
// change and makes no undo step; Cancel leaves everything.
TEST(EditCommentsDialog, CommentsCommandMarksModifiedWithoutAStep) {
  editor_testing::DocumentWindowFixture f;
  testing_support::TempDir dir;
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / "c.bmp").string();
  request.m_nWidth = 4;
  request.m_nHeight = 4;
  request.m_frames.push_back(editor_testing::MakeFrame(editor_testing::SolidImage(4, 4, 1, 2, 3)));
  ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  CPictoravellDoc* doc = OpenImageDocument(request.m_strFileName);
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_COMMENTS));
  {
    CModalDialogHook hook([](wxDialog&) { return wxID_CANCEL; });
    f.Command(ID_EDIT_COMMENTS);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
  EXPECT_FALSE(doc->IsModified());
  {
    CModalDialogHook hook([](wxDialog&) { return wxID_OK; });  // no change
    f.Command(ID_EDIT_COMMENTS);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(doc->CanUndo());
  {
    CModalDialogHook hook([](wxDialog& d) {
      Edit(d)->SetValue("line one\nline two");
      return wxID_OK;
    });
    f.Command(ID_EDIT_COMMENTS);
  }
  EXPECT_EQ(doc->GetComment(), "line one\r\nline two");
  EXPECT_FALSE(doc->CanUndo());
}

}  // namespace
