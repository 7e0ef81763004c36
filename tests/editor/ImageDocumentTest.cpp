// The document around the model: the modified flag is the wxWidgets
// document's and follows edits, undos and saves made through the document.

#include <gtest/gtest.h>

#include "editor/PictoravellDoc.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::TempDir;

// The modified flag after sequences of edits (e), undos (u), redos (r) and
// saves (s) written to a file, starting from a loaded document.
TEST(ImageDocument, ModifiedFlagFollowsEditsUndosSavesAndRedos) {
  struct Case {
    const char* steps;
    bool modified;
  } cases[] = {
      {"", false},     {"e", true},     {"eu", false},   {"eur", true},    {"es", false},
      {"esu", true},   {"esur", false}, {"eesuu", true}, {"eesuurr", false}, {"esusr", true},
  };
  for (const auto& c : cases) {
    TempDir dir;
    CPictoravellDoc doc;
    doc.SetFrames(4, 4, NumberedFrames(1), 0);
    doc.Modify(false);
    uint8_t value = 10;
    for (const char* p = c.steps; *p; ++p) {
      switch (*p) {
        case 'e':
          doc.PushUndo("Edit");
          doc.GetCurrentFrame()->m_image = SolidImage(4, 4, value++, 0, 0);
          doc.Modify(true);
          break;
        case 'u': doc.Undo(); break;
        case 'r': doc.Redo(); break;
        case 's': ASSERT_TRUE(doc.OnSaveDocument(wxString::FromUTF8((dir.path() / "saved.bmp").string()))); break;
      }
    }
    EXPECT_EQ(doc.IsModified(), c.modified) << c.steps;
    EXPECT_EQ(doc.IsModelModified(), c.modified) << c.steps;
  }
}

}  // namespace
