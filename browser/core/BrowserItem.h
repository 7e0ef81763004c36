#pragma once
// CBrowserItem: one image file as the thumbnail browser knows it: the file's
// facts (folder, name, size, times, attributes), the image's facts (size,
// depth, comment, metadata), its thumbnail (every frame of the file, scaled
// down) and its display state (selected, cut, hover zoom, rotation).
//
// Window-free: the browser view, the cache file and the output features all
// use it, and its tests run without a display.
//
// Thumbnails are shared, immutable frame arrays (CThumbFrames). Copies of an
// item share the array; operations that change a thumbnail (fit, turn) build
// a new array and replace the item's pointer, so a list handed to another
// feature never sees its frames change or vanish underneath it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/CodecJob.h"
#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"

using CThumbFrames = std::shared_ptr<const std::vector<CAnimFrame>>;

// File times are FILETIME values: 100-nanosecond ticks since 1601-01-01 UTC.
using FILETIME64 = uint64_t;
FILETIME64 FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);

// What a directory search tells of one file (the stand-in for a search
// result positioned on a file).
struct FOUND_FILE {
  std::string strPath;      // full path
  uint64_t nSize = 0;
  FILETIME64 ftLastWrite = 0;
  FILETIME64 ftCreation = 0;  // birth time where the file system keeps it, else the last write
  bool bReadOnly = false;     // no write permission for the owner
  bool bHidden = false;       // the name starts with '.'
  bool bDirectory = false;
};

// Facts of the file or folder at the path, following symbolic links; false
// when it cannot be examined.
bool GetFoundFile(const std::string& path, FOUND_FILE& found);

// Fits a size into a box without ever enlarging it: a size within the box
// stays; otherwise the width limits when boxWidth * height < boxHeight *
// width (height = boxWidth * height / width), else the height limits.
// Integer division truncates.
void FitSizeInBox(int32_t& width, int32_t& height, int32_t boxWidth, int32_t boxHeight);

// Reduces an angle in degrees to 0..359 the way frames are turned: 90, 180
// or 270 for a right angle, 0 for anything else (360 included).
int ReduceRightAngle(int degrees);

class CBrowserItem {
 public:
  // Empty strings, every number and flag 0, no thumbnail, previous index -1.
  CBrowserItem() = default;
  // Filled from a directory search result: folder, name, low 32 bits of the
  // size, attributes and times; everything else as the default.
  explicit CBrowserItem(const FOUND_FILE& found);
  CBrowserItem(const CBrowserItem& other) { *this = other; }
  // Moves keep every field (reordering a list moves its items).
  CBrowserItem(CBrowserItem&&) noexcept = default;
  CBrowserItem& operator=(CBrowserItem&&) noexcept = default;
  // Copies every field except the two hover-zoom fields; the thumbnail is
  // shared.
  CBrowserItem& operator=(const CBrowserItem& other);
  virtual ~CBrowserItem() = default;

  // Sets the folder, appending '/' when the text does not end in one.
  void SetFolder(const std::string& folder);
  std::string GetFolder() const { return m_strFolder; }
  std::string GetFullPath() const { return m_strFolder + m_strName; }
  bool HasThumbnail() const { return m_pThumbFrames != nullptr; }

  // The thumbnail size wanted for a cell: the image size when it is unknown
  // (<= 0); the present thumbnail fitted into the cell when it reaches the
  // cell in one direction; the image fitted into the cell when it is larger
  // than the cell; else the image size itself.
  void GetThumbnailSize(int32_t cellWidth, int32_t cellHeight, int32_t& width, int32_t& height) const;
  // Brings the thumbnail to the wanted size: shrinks a larger one (drops it
  // when shrinking fails), drops a smaller one (to be made again), keeps one
  // of exactly the wanted size. Nothing without a thumbnail or image size.
  void FitThumbnail(int32_t cellWidth, int32_t cellHeight);
  // Turns the thumbnail by a relative angle; returns the angle turned, 0
  // when nothing turned. Without a thumbnail the reduced right angle is
  // answered (so a later thumbnail comes out turned). The image size and
  // m_nRotation are not changed.
  int RotateThumbnail(int degrees);
  // Turns the thumbnail to an absolute angle and adds the turn to
  // m_nRotation (a running sum, never reduced). True when it turned.
  bool SetRotation(int degrees);
  // Drops the thumbnail: size and pointer 0.
  void DropThumbnail();

  // Reads every frame of the file into out (turned by m_nRotation), with
  // "Reading <file title>" on the status stack meanwhile. Returns the
  // reader's result code; out owns the frames.
  int ReadFrames(CMultiFrameImage& out, PROGRESSPROC progress, CANCELPROC cancel) const;
  // Loads the file and keeps it, scaled down to the cell, as the thumbnail;
  // image size, frame count and comment come from the file. True when a
  // thumbnail remains. On failure the thumbnail, frame count and comment are
  // cleared. JPEG files are decoded at a reduced scale when the thumbnail is
  // smaller than the picture.
  bool MakeThumbnail(int32_t cellWidth, int32_t cellHeight, PROGRESSPROC progress, CANCELPROC cancel);
  // Header facts of a file new to the browser (size, depth, properties) and
  // its embedded thumbnail (a JPEG's EXIF picture) when that reaches the
  // wanted size. A file whose header cannot be read leaves the item as it is.
  void ReadFileInfo(int32_t cellWidth, int32_t cellHeight);
  // Changes the file's attributes on disk. Read-only is the owner's write
  // permission; hidden (a leading '.') and archive cannot be set here and
  // keep their values. True when nothing needed changing or the change
  // worked; a failed change is reported ("Failed to change attributes of %s").
  bool SetAttributes(bool readOnly, bool hidden, bool archive);
  // Renames the file on disk within its folder, never over an existing file.
  bool Rename(const std::string& newName);

  // Takes a thumbnail made elsewhere (DecodeThumbnail): image size, frame
  // count, comment and frames, then FitThumbnail. True when one remains.
  bool TakeThumbnail(struct THUMBNAIL_DATA&& data, int32_t cellWidth, int32_t cellHeight);

  std::string m_strFolder;  // always ends in '/'
  std::string m_strName;
  uint32_t m_nFileSize = 0;  // low 32 bits
  FILETIME64 m_ftLastWrite = 0;
  FILETIME64 m_ftCreation = 0;
  int32_t m_bReadOnly = 0;
  int32_t m_bHidden = 0;
  int32_t m_bArchive = 0;
  int32_t m_nWidth = 0;   // image in the file (turned by the rotation); 0 unknown
  int32_t m_nHeight = 0;
  std::string m_strComment;
  int32_t m_nFrames = 0;  // 1 after the header was read, the real count once the file was read
  CPropertyList m_properties;
  int32_t m_nThumbWidth = 0;  // thumbnail canvas; 0 means no thumbnail
  int32_t m_nThumbHeight = 0;
  CThumbFrames m_pThumbFrames;
  int32_t m_nShownFrame = 0;
  int32_t m_bSelected = 0;
  int32_t m_nZoomTarget = 0;
  int32_t m_nZoomStep = 0;
  int32_t m_bCut = 0;
  int32_t m_nPrevIndex = -1;
  int32_t m_nRotation = 0;  // running sum of the turns, in degrees
  int32_t m_nBitsPerPixel = 0;
};

// A thumbnail made away from any item, so that several can be made at once
// on other threads and handed to their items afterwards.
struct THUMBNAIL_DATA {
  int32_t nWidth = 0;  // image size, turned
  int32_t nHeight = 0;
  int32_t nFrames = 0;
  int32_t nThumbWidth = 0;
  int32_t nThumbHeight = 0;
  CThumbFrames frames;  // null when the file could not be read
  std::string strComment;
};
