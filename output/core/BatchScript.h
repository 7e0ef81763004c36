#pragma once
// CBatchScript: a named, stored set of conversion settings, kept in the
// settings section "Batch Scripts\<name>" (one value per key), and the texts
// of its summary. Window-free; the wizard and the run windows use it.
//
// A script name becomes part of a settings path, so names that could reach
// another section are refused everywhere (IsValidBatchScriptName): empty
// names, names with '/' or '\', names starting with '.', control characters.

#include <string>
#include <utility>
#include <vector>

class CImageConverter;

extern const char* const kBatchScriptsSection;  // "Batch Scripts"

// Resize methods of a script.
enum BATCH_RESIZE_METHOD {
  BATCH_RESIZE_NONE = 0,
  BATCH_RESIZE_FIXED_WIDTH = 1,
  BATCH_RESIZE_FIXED_HEIGHT = 2,
  BATCH_RESIZE_SCALE = 3,
  BATCH_RESIZE_MAX_WIDTH = 4,
  BATCH_RESIZE_MAX_HEIGHT = 5,
};

bool IsValidBatchScriptName(const std::string& name);

// One row of a script's summary: option and value.
using SummaryRow = std::pair<std::string, std::string>;

class CBatchScript {
 public:
  CBatchScript() = default;
  CBatchScript(const CBatchScript&) = default;
  CBatchScript& operator=(const CBatchScript&) = default;
  virtual ~CBatchScript() = default;

  // Takes the name and reads every value stored under it, each with the
  // default of a new script. A refused name reads nothing (false).
  bool Load(const std::string& name);
  // Replaces the stored section with the 24 values. Nothing is written for
  // an empty or refused name (false).
  bool Save() const;
  // Copies the settings into a conversion job.
  void ApplyTo(CImageConverter& job) const;
  // The prefix with the serial in m_nDigits places ("%s%.*d"); empty without
  // a prefix.
  std::string FormatFileName(int serial) const;
  // The rows of the summary list, in order (sub-rows indented by four blanks).
  std::vector<SummaryRow> GetSummary() const;

  std::string m_strName;
  int m_nFormat = 0;
  int m_nCommentOption = 0;
  int m_nGifSubType = 1;
  bool m_bGifInterlace = false;
  bool m_bGifSingleImage = false;
  int m_nJpegQuality = 100;
  bool m_bJpegProgressive = false;
  int m_nColorMode = 0;
  bool m_bDither = true;
  int m_nColors = 256;
  int m_nPaletteOption = 3;
  std::string m_strPaletteFile;
  int m_nResizeMethod = 0;
  int m_nFixedWidth = 640;
  int m_nFixedHeight = 480;
  int m_nScale = 100;
  int m_nMaxWidth = 640;
  int m_nMaxHeight = 480;
  int m_nRotateOption = 0;
  std::string m_strFilePrefix;
  int m_nDigits = 1;
  int m_nDestination = 0;
  std::string m_strCommonFolder;
  bool m_bRecycleOriginal = false;

  friend bool operator==(const CBatchScript&, const CBatchScript&) = default;
};

// Deletes the section of a script; false (nothing deleted) for a refused name.
bool DeleteBatchScript(const std::string& name);
// The names of the stored scripts, in the settings' order.
std::vector<std::string> ListBatchScripts();

// The text of the result box after a run.
std::string FormatBatchResults(const std::string& scriptName, int processed, int completed, int failed);
extern const char* const kBatchResultsCaption;  // "Batch Processing Results"
