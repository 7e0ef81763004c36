#pragma once
// Frames brought into a document from several files: the reading behind the
// Import Sequence of Files dialog (editor/ImportSequenceDialog.h).

#include <functional>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"

class CImageFileRequest;

// How the import reaches the files; members left empty use the program's
// reader (GetImageFileFrameCount, ReadImageFile).
struct SEQUENCE_FILE_ACCESS {
  std::function<int(const std::string&)> frameCount;
  std::function<int(CImageFileRequest*)> read;
};

// Reads every file in list order into one frame array (files the front end
// counts 0 frames for are skipped without a message). A file that gave one
// frame takes `delay` (1/100 s) and the flags byte disposal << 2; the frames
// of a file with several keep their own delay and flags. Each file is read
// under the status text "Importing " + its title, with the callbacks. A file
// that cannot be read ends the import: its result code is reported
// (ReportResultError), `frames` is left empty and the code returned.
// IMAGEIO_FAILED as well when nothing at all was listed or counted.
int ImportSequenceFiles(const std::vector<std::string>& paths, int delay, int disposal,
                        std::vector<CAnimFrame>& frames, CANCELPROC cancel = nullptr,
                        PROGRESSPROC progress = nullptr, const SEQUENCE_FILE_ACCESS& access = {});
