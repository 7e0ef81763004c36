#include "base/ResultCodes.h"

#include "base/MessageReport.h"

const char* GetResultText(int code) {
  switch (code) {
    case IMAGEIO_NO_MEMORY: return "Not enough memory !";
    case IMAGEIO_BAD_FORMAT: return "File format is not supported !";
    case IMAGEIO_BAD_COMPRESSION: return "Compression method is not supported !";
    case IMAGEIO_CORRUPT: return "File either is corrupted or contains invalid data !";
    case IMAGEIO_FILE_EXISTS: return "File already exists !";
    case IMAGEIO_BAD_COLOR_MODE: return "Color mode is not supported for this operation !";
    case IMAGEIO_INTERNAL_ERROR: return "Application internal error !";
    case IMAGEIO_UNKNOWN_ERROR: return "Unknown error !";
    default: return nullptr;
  }
}

void ReportResultError(int code) {
  if (const char* text = GetResultText(code)) ReportMessage(MESSAGE_ERROR, text);
}
