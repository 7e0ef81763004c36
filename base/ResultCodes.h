#pragma once
// Result codes of readers, writers, image algorithms and long jobs, and the
// two callbacks they all take.

enum ErrorCode {
  IMAGEIO_OK = 0,
  IMAGEIO_FAILED = 1,  // already reported to the user: callers stay silent
  IMAGEIO_NO_MEMORY = 2,
  IMAGEIO_BAD_FORMAT = 3,
  IMAGEIO_BAD_COMPRESSION = 4,
  IMAGEIO_CORRUPT = 5,
  IMAGEIO_FILE_EXISTS = 6,
  IMAGEIO_BAD_COLOR_MODE = 7,
  IMAGEIO_CANCELLED = 8,  // the user cancelled: no message
  IMAGEIO_INTERNAL_ERROR = 9,
  IMAGEIO_UNKNOWN_ERROR = 10,
};

// True when the running operation is to stop; it then ends with IMAGEIO_CANCELLED.
using CANCELPROC = bool (*)();
// Rows or frames done out of total of the current operation.
using PROGRESSPROC = void (*)(int done, int total);

// The message of a code, or null (success, already reported, cancelled,
// unknown codes).
const char* GetResultText(int code);

// Reports the code's message at error level; silent for codes without text.
void ReportResultError(int code);
