#include "editor/model/SequenceImport.h"

#include <algorithm>
#include <exception>

#include "base/StatusStack.h"
#include "formats/ImageFile.h"

namespace {

// The file's name without its folder.
std::string FileTitleOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int ImportSequenceFiles(const std::vector<std::string>& paths, int delay, int disposal,
                        std::vector<CAnimFrame>& frames, CANCELPROC cancel, PROGRESSPROC progress,
                        const SEQUENCE_FILE_ACCESS& access) {
  frames.clear();
  const auto count = [&](const std::string& path) {
    return access.frameCount ? access.frameCount(path) : GetImageFileFrameCount(path);
  };
  std::vector<int> counts;
  int64_t sum = 0;
  for (const std::string& path : paths) {
    counts.push_back(count(path));
    sum += std::max(counts.back(), 0);
  }
  if (paths.empty() || sum == 0) return IMAGEIO_FAILED;

  // The array grows with what each reader really gives, whatever was counted.
  std::vector<CAnimFrame> all;
  all.reserve(static_cast<size_t>(std::min<int64_t>(sum, 65536)));
  const auto flags = static_cast<uint8_t>((std::clamp(disposal, 0, 7) << 2) & 0xFF);
  const auto frameDelay = static_cast<uint16_t>(std::clamp(delay, 0, 65535));
  for (size_t i = 0; i < paths.size(); ++i) {
    if (counts[i] <= 0) continue;
    CImageFileRequest request;
    request.m_strFileName = paths[i];
    request.m_pfnProgress = progress;
    request.m_pfnCancel = cancel;
    PushStatusMessage("Importing " + FileTitleOf(paths[i]));
    int result;
    try {
      result = access.read ? access.read(&request) : ReadImageFile(&request);
    } catch (const std::exception&) {
      result = IMAGEIO_NO_MEMORY;
    }
    PopStatusMessage();
    ReportResultError(result);
    if (result != IMAGEIO_OK) return result;
    const bool single = request.m_frames.size() == 1;
    for (CAnimFrame& read : request.m_frames) {
      CAnimFrame frame;
      frame.m_image = std::move(read.m_image);
      frame.m_nLeft = read.m_nLeft;
      frame.m_nTop = read.m_nTop;
      frame.m_selection = std::move(read.m_selection);
      frame.m_rcSelection = read.m_rcSelection;
      frame.m_nDelay = single ? frameDelay : read.m_nDelay;
      frame.m_nFlags = single ? flags : read.m_nFlags;
      all.push_back(std::move(frame));
    }
  }
  if (all.empty()) return IMAGEIO_FAILED;
  frames = std::move(all);
  return IMAGEIO_OK;
}
