#pragma once
// The image file front end: how the rest of the program reads and writes
// image files. A file is written in the format its extension names (any
// spelling the format table, formats/ImageFormats.h, lists) and read in the
// format its first bytes show (the extension decides only for formats
// without a signature and for bytes that show none); each call opens one
// stream, fills a CCodecJob and calls the format's entry in the table.
//
// Writing goes through CAtomicFileWriter: a temporary file in the target's
// own folder replaces the target in one rename only after the writer
// succeeded and the data reached the disk; on any failure the target is
// untouched and the temporary file is removed.

#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "formats/CodecJob.h"
#include "formats/ImageFormats.h"
#include "formats/SaveOptions.h"
#include "imaging/AnimFrame.h"

// What a caller fills to read or write an image file.
class CImageFileRequest {
 public:
  CImageFileRequest() = default;
  virtual ~CImageFileRequest() = default;

  // The path. Empty makes the call ask with the image file dialog and store
  // the chosen path here.
  std::string m_strFileName;
  PROGRESSPROC m_pfnProgress = nullptr;
  CANCELPROC m_pfnCancel = nullptr;
  int16_t m_nWidth = 0;   // canvas size
  int16_t m_nHeight = 0;
  // The frames: filled by a successful read (cleared by a failed one); the
  // frames to write. Owned by the request.
  std::vector<CAnimFrame> m_frames;
  int16_t m_nLoopCount = 0;  // 0 none, -1 endless
  std::string m_strComment;
  std::string m_strSignature;  // personal signature handed to writers
  int32_t m_nXResolution = 0;  // dots per inch
  int32_t m_nYResolution = 0;
  // Set by ReadImageFile when the file ended before its picture did: the
  // frames were read, but part of the picture is missing.
  bool m_bIncomplete = false;
  // Set by WriteImageFile to the name of the last file written.
  std::string m_strSavedName;

  int32_t GetFrameCount() const { return static_cast<int32_t>(m_frames.size()); }
};

// How WriteImageFile treats an existing target.
enum OVERWRITE_MODE {
  OVERWRITE_REFUSE = 0,  // IMAGEIO_FILE_EXISTS
  OVERWRITE_REPLACE = 1,
  OVERWRITE_RENUMBER = 2,  // photo.bmp becomes photo-1.bmp, photo-2.bmp ...
};

// Reads a whole file into request->m_frames. On IMAGEIO_OK the request holds
// the frames, canvas size, loop count, comment and resolution of the file.
int ReadImageFile(CImageFileRequest* request);

// Writes request->m_frames. Frames of formats other than GIF are flattened
// onto the canvas first; with more than one frame (and for GIF only when the
// options ask for single images) each frame k > 0 goes to a file of its own,
// named with k in four places before the extension ("photo   1.bmp").
// Null option records mean: ask through the host or take the stored ones.
int WriteImageFile(CImageFileRequest* request, int overwriteMode, const GIF_SAVE_OPTIONS* gifOptions,
                   const JPEG_SAVE_OPTIONS* jpegOptions);

// Size, depth and metadata from the file's header; true when understood.
bool ReadImageFileInfo(const std::string& path, CImageFileInfo* info);

// Images in the file: GIF frames counted, 1 for the other formats with a
// codec (a TIFF counts as 1 here), 0 for unknown formats and PCD.
int GetImageFileFrameCount(const std::string& path);

// True when the file can be opened for reading.
bool FileExists(const std::string& path);

// The format of a file name: the text after the last '.' (the whole name
// when it has none), compared without case with every format's extensions.
int GetImageFormat(const std::string& name);

// The format the first bytes of a file show. PNG, GIF, JPEG, TIFF and BMP
// are known by their signatures whatever the name says; PCX, PICT and TGA
// have none that is certain, so a name naming one of them is believed, and
// otherwise their headers are checked (TGA last). Bytes that show nothing
// give nameFormat.
int GetImageFormatFromSignature(const uint8_t* data, size_t size, int nameFormat);

// The format a file is read in: its signature, else its name's extension.
// A file that cannot be opened gives the extension's format.
int GetImageFileFormat(const std::string& path);

// Appends '.' (unless the name ends with one) and the format's first
// extension. Code 0, a code out of range or an empty name change nothing
// (false).
bool AppendImageExtension(int format, std::string& name);

// The canvas image of a frame to write to a format with one image per file:
// CAnimFrame::Flatten onto the canvas, or onto the frame's own extent when
// the request has no canvas size.
CRasterImage FlattenFrameForWrite(const CAnimFrame& frame, int width, int height, bool transparent,
                                  RGBQUAD background);
