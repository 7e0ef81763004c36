#pragma once
// Pasting files into a folder (the browser's Paste): copies, or moves when
// the files were cut, without ever losing a file on the way.
//
// - A copy is written to a temporary file in the target folder and renamed
//   into place, so the target never exists half-written and a source is
//   never opened for writing.
// - A file pasted into its own folder is copied to a numbered name
//   ("name-1.ext", "name-2.ext", ...); moving a file onto itself does nothing.
// - A name that is already taken by another file is replaced only when the
//   ask callback says so; otherwise the file is skipped (or the paste ends).

#include <functional>
#include <string>
#include <vector>

#include "base/ResultCodes.h"

enum PASTE_ANSWER { PASTE_REPLACE = 0, PASTE_SKIP = 1, PASTE_CANCEL = 2 };

struct PASTE_RESULT {
  int nDone = 0;     // copied or moved (a move onto itself counts)
  int nSkipped = 0;  // the user kept the existing file
  int nFailed = 0;   // could not be read, written or renamed; folders
  bool bCancelled = false;
  std::vector<std::string> created;  // full paths written
};

// Asked for a target that exists and is another file; answers a PASTE_ANSWER.
using PASTE_ASK_REPLACE = std::function<int(const std::string& target)>;

// The first free "title-N.ext" in the folder (N from 1).
std::string MakeNumberedCopyPath(const std::string& folder, const std::string& name);

// Pastes the files into the folder. progress(done, total) after each file;
// cancel() before each file (true ends the paste).
PASTE_RESULT PasteFiles(const std::vector<std::string>& sources, const std::string& folder, bool move,
                        const PASTE_ASK_REPLACE& askReplace, PROGRESSPROC progress = nullptr,
                        CANCELPROC cancel = nullptr);
