#pragma once
// The table of image file formats: for each format its extensions (every
// common spelling, matched without case), its entry in the file dialogs'
// filter and its reader, writer, info and frame-count entry points. The file
// front end (ImageFile), the document template, the file dialogs, the
// browser and the converter read it; nothing else lists extensions or
// switches over formats.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/CodecJob.h"
#include "formats/SaveOptions.h"

enum IMAGE_FORMAT {
  IMAGE_FORMAT_UNKNOWN = 0,
  IMAGE_FORMAT_BMP = 1,   // .bmp .dib
  IMAGE_FORMAT_GIF = 2,   // .gif
  IMAGE_FORMAT_PICT = 3,  // .pct .pict
  IMAGE_FORMAT_PCX = 4,   // .pcx
  IMAGE_FORMAT_TIFF = 5,  // .tif .tiff
  IMAGE_FORMAT_JPEG = 6,  // .jpg .jpeg .jpe .jfif
  IMAGE_FORMAT_PNG = 7,   // .png
  IMAGE_FORMAT_TGA = 8,   // .tga
  IMAGE_FORMAT_PCD = 9,   // .pcd: recognised, no codec
};
constexpr int kImageFormatCount = 9;  // codes 1..9

// What a writer entry needs beyond the job: the frames to write (GIF writes
// several into one file) and the option records (null: ask the host).
struct FORMAT_WRITE_OPTIONS {
  int firstFrame = 0;
  int frameCount = 1;
  const GIF_SAVE_OPTIONS* gif = nullptr;
  const JPEG_SAVE_OPTIONS* jpeg = nullptr;
};

struct IMAGE_FORMAT_INFO {
  IMAGE_FORMAT format;
  const char* name;  // "JPEG": the filter's label and the format's short name
  // Extensions without the dot, lower case; the first is the one the program
  // appends to names it makes.
  std::span<const char* const> extensions;
  // Frames read into CCodecJob::m_pFrames (counted first), not m_image.
  bool multiFrame;
  // Flattened frames keep transparent pixels (else they get the background).
  bool keepsTransparency;
  // Reads the file at the job's stream: one image into m_image, or `count`
  // frames into m_pFrames for multi-frame formats. Null: no reader.
  int (*read)(CCodecJob& job, int count);
  // Writes the job's m_image (or its frames for GIF). Null: no writer.
  int (*write)(CCodecJob& job, const FORMAT_WRITE_OPTIONS& options);
  // Header information. Null: none.
  bool (*info)(CBufferedFile& stream, CImageFileInfo& info);
  // Images in the file for multi-frame formats; null: one.
  int (*countFrames)(CBufferedFile& stream);
};

// Every format, in the order the file dialogs list them (BMP, GIF, PCX,
// PICT, TIFF, JPEG, PNG, TGA), then those without a dialog entry (PCD).
std::span<const IMAGE_FORMAT_INFO> ImageFormats();
// The entry of a format code; null for IMAGE_FORMAT_UNKNOWN or a code out of range.
const IMAGE_FORMAT_INFO* FindImageFormat(int format);
// The format whose extensions hold `ext` (no dot, any case); UNKNOWN otherwise.
IMAGE_FORMAT ImageFormatFromExtension(const std::string& ext);

// The formats a file dialog offers, in its order: filter index k (1-based,
// after "All image files") is DialogFormats()[k - 1].
std::vector<IMAGE_FORMAT> DialogFormats();
// "*.bmp;*.dib;*.gif;..." : every extension of the dialog's formats.
std::string ImageFilePatterns();
// The whole filter of the image file dialogs: "All image files|<patterns>|"
// then "BMP (*.bmp)|*.bmp;*.dib|" ... for each dialog format, then "All files|*".
std::string ImageFileFilter();
