#pragma once
// Making thumbnails: one file at a time (DecodeThumbnail), or a whole run of
// files with the decoding spread over the machine's cores and the results
// handed over in the run's order (MakeThumbnailsInOrder).
//
// A thumbnail is every frame of the file, turned by the item's rotation and
// reduced to the size wanted for the cell (the picture fitted into the cell,
// never enlarged). JPEG files are decoded at a reduced scale (libjpeg's
// scaled inverse transform) so that a camera photograph costs a fraction of
// a full decode; other formats are read whole and shrunk.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browser/core/BrowserItem.h"
#include "base/ResultCodes.h"

// Makes the thumbnail of one file. Result code of the reader; on
// IMAGEIO_OK out holds the image size and the thumbnail (both turned by
// rotation), the frame count and the comment; out.frames is null when the
// frames could not be shrunk. Safe to call on any thread for JPEG files
// (CanMakeThumbnailOnWorker); other readers may report messages and stay on
// the user-interface thread.
int DecodeThumbnail(const std::string& path, int32_t rotation, int32_t cellWidth, int32_t cellHeight,
                    CANCELPROC cancel, PROGRESSPROC progress, THUMBNAIL_DATA& out);

// True for files whose thumbnail may be made on a worker thread.
bool CanMakeThumbnailOnWorker(const std::string& path);

// The number of worker threads thumbnail runs use: the machine's cores, or
// the value set here (0 restores the default; 1 makes every thumbnail on the
// calling thread).
void SetThumbnailThreads(int threads);
int GetThumbnailThreads();

struct THUMBNAIL_JOB {
  std::string strPath;
  int32_t nRotation = 0;
};

// Called on the calling thread, in job order, for each job made: its index,
// the result code and the thumbnail.
using THUMBNAIL_DELIVERY = std::function<void(size_t index, int result, THUMBNAIL_DATA&& data)>;

// Makes the thumbnails of the jobs. Before each job, in order, cancel is
// asked (on the calling thread); when it answers true the run ends at once:
// the workers are told to stop (their decoders notice within a row) and
// nothing more is delivered. Meanwhile worker threads decode JPEG files a
// bounded number of jobs ahead; other files are decoded on the calling
// thread when their turn comes, with "Reading <name>" on the status stack
// and progress reported through progress. While it waits for a worker the
// calling thread asks cancel about every 25 ms, so the window stays alive.
// Returns false when stopped.
bool MakeThumbnailsInOrder(const std::vector<THUMBNAIL_JOB>& jobs, int32_t cellWidth, int32_t cellHeight,
                           CANCELPROC cancel, PROGRESSPROC progress, const THUMBNAIL_DELIVERY& deliver);
