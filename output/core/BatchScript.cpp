#include "output/core/BatchScript.h"

#include <algorithm>
#include <cstdio>

#include "base/Profile.h"
#include "output/core/ImageConverter.h"

const char* const kBatchScriptsSection = "Batch Scripts";
const char* const kBatchResultsCaption = "Batch Processing Results";

namespace {

std::string SectionOf(const std::string& name) { return std::string(kBatchScriptsSection) + "\\" + name; }

std::string Number(int value) { return std::to_string(value); }

std::string Printf(const char* format, int value) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

const char* YesNo(bool value) { return value ? "Yes" : "No"; }

}  // namespace

bool IsValidBatchScriptName(const std::string& name) {
  if (name.empty() || name.front() == '.') return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

bool CBatchScript::Load(const std::string& name) {
  const CBatchScript defaults;
  *this = defaults;
  m_strName = name;
  if (!IsValidBatchScriptName(name)) return false;
  const std::string section = SectionOf(name);
  auto readInt = [&](const char* key, int value) { return GetProfileInt(section, key, value); };
  auto readBool = [&](const char* key, bool value) { return GetProfileInt(section, key, value ? 1 : 0) != 0; };
  m_nFormat = readInt("Format Option", m_nFormat);
  m_nCommentOption = readInt("Comment Option", m_nCommentOption);
  m_nGifSubType = readInt("GIF Sub Type", m_nGifSubType);
  m_bGifInterlace = readBool("GIF Interlace Scanlines", m_bGifInterlace);
  m_bGifSingleImage = readBool("GIF Single Image", m_bGifSingleImage);
  m_nJpegQuality = readInt("JPEG Quality", m_nJpegQuality);
  m_bJpegProgressive = readBool("JPEG Progressive", m_bJpegProgressive);
  m_nColorMode = readInt("Color Mode", m_nColorMode);
  m_bDither = readBool("Use Dithering", m_bDither);
  m_nColors = readInt("Number Of Colors", m_nColors);
  m_nPaletteOption = readInt("Palette Option", m_nPaletteOption);
  m_strPaletteFile = GetProfileString(section, "Palette File Path", m_strPaletteFile);
  m_nResizeMethod = readInt("Resize Method", m_nResizeMethod);
  m_nFixedWidth = readInt("Fixed Width", m_nFixedWidth);
  m_nFixedHeight = readInt("Fixed Height", m_nFixedHeight);
  m_nScale = readInt("Scale", m_nScale);
  m_nMaxWidth = readInt("Max Width", m_nMaxWidth);
  m_nMaxHeight = readInt("Max Height", m_nMaxHeight);
  m_nRotateOption = readInt("Rotate Option", m_nRotateOption);
  m_strFilePrefix = GetProfileString(section, "File Name Prefix", m_strFilePrefix);
  m_nDigits = readInt("Number Of Digits", m_nDigits);
  m_nDestination = readInt("Destination Folder Option", m_nDestination);
  m_strCommonFolder = GetProfileString(section, "Common Folder Path", m_strCommonFolder);
  m_bRecycleOriginal = readBool("Recycle Original", m_bRecycleOriginal);
  return true;
}

bool CBatchScript::Save() const {
  if (!IsValidBatchScriptName(m_strName)) return false;
  const std::string section = SectionOf(m_strName);
  IProfileStore& store = Profile();
  store.DeleteSection(section);
  auto writeInt = [&](const char* key, int value) { store.WriteInt(section, key, value); };
  writeInt("Format Option", m_nFormat);
  writeInt("Comment Option", m_nCommentOption);
  writeInt("GIF Sub Type", m_nGifSubType);
  writeInt("GIF Interlace Scanlines", m_bGifInterlace);
  writeInt("GIF Single Image", m_bGifSingleImage);
  writeInt("JPEG Quality", m_nJpegQuality);
  writeInt("JPEG Progressive", m_bJpegProgressive);
  writeInt("Color Mode", m_nColorMode);
  writeInt("Use Dithering", m_bDither);
  writeInt("Number Of Colors", m_nColors);
  writeInt("Palette Option", m_nPaletteOption);
  store.WriteString(section, "Palette File Path", m_strPaletteFile);
  writeInt("Resize Method", m_nResizeMethod);
  writeInt("Fixed Width", m_nFixedWidth);
  writeInt("Fixed Height", m_nFixedHeight);
  writeInt("Scale", m_nScale);
  writeInt("Max Width", m_nMaxWidth);
  writeInt("Max Height", m_nMaxHeight);
  writeInt("Rotate Option", m_nRotateOption);
  store.WriteString(section, "File Name Prefix", m_strFilePrefix);
  writeInt("Number Of Digits", m_nDigits);
  writeInt("Destination Folder Option", m_nDestination);
  store.WriteString(section, "Common Folder Path", m_strCommonFolder);
  writeInt("Recycle Original", m_bRecycleOriginal);
  store.Flush();
  return true;
}

void CBatchScript::ApplyTo(CImageConverter& job) const {
  job.SetOutputFormat(m_nFormat);
  job.SetCommentOption(m_nCommentOption);
  if (m_nFormat == 7)
    job.SetJpegOptions(m_nJpegQuality, m_bJpegProgressive);
  else if (m_nFormat == 3)
    job.SetGifOptions(m_nGifSubType, m_bGifInterlace, m_bGifSingleImage);
  job.SetColorMode(m_nColorMode);
  job.SetDither(m_bDither);
  job.SetPalette(m_nPaletteOption, m_nColors, m_strPaletteFile.c_str());
  switch (m_nResizeMethod) {
    case BATCH_RESIZE_FIXED_WIDTH: job.SetFixedSize(m_nFixedWidth, -1); break;
    case BATCH_RESIZE_FIXED_HEIGHT: job.SetFixedSize(-1, m_nFixedHeight); break;
    case BATCH_RESIZE_SCALE: job.SetScale(m_nScale); break;
    case BATCH_RESIZE_MAX_WIDTH: job.SetMaxSize(m_nMaxWidth, -1); break;
    case BATCH_RESIZE_MAX_HEIGHT: job.SetMaxSize(-1, m_nMaxHeight); break;
    default: break;
  }
  job.SetRotation(m_nRotateOption);
  job.SetFileTitle(m_strFilePrefix.c_str(), m_nDigits);
  job.SetOutputFolder(m_nDestination ? m_strCommonFolder.c_str() : nullptr);
  job.SetRecycleSource(m_bRecycleOriginal);
}

std::string CBatchScript::FormatFileName(int serial) const {
  if (m_strFilePrefix.empty()) return {};
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*d", std::clamp(m_nDigits, 0, 32), serial);
  return m_strFilePrefix + buffer;
}

std::vector<SummaryRow> CBatchScript::GetSummary() const {
  std::vector<SummaryRow> rows;
  const bool gif = m_nFormat == 3, jpeg = m_nFormat == 7;
  rows.emplace_back("Format", m_nFormat >= 0 && m_nFormat < kOutputFormatCount ? kOutputFormatTexts[m_nFormat] : "");
  if (gif) {
    rows.emplace_back("    Sub-Type Version", m_nGifSubType ? "GIF89a" : "GIF87a");
    rows.emplace_back("    Interlace Scanlines", YesNo(m_bGifInterlace));
    rows.emplace_back("    Save As Single-Image GIF File", YesNo(m_bGifSingleImage));
  }
  if (jpeg) {
    rows.emplace_back("    JPEG Quality", Number(m_nJpegQuality));
    rows.emplace_back("    Progressive JPEG", YesNo(m_bJpegProgressive));
  }
  if (gif || jpeg)
    rows.emplace_back("    Comment", m_nCommentOption == 1   ? "Keep Original File Comments"
                                      : m_nCommentOption == 2 ? "Use Personal Signature"
                                                              : "No Comment");
  rows.emplace_back("Color Mode",
                    m_nColorMode >= 0 && m_nColorMode < kColorModeCount ? kColorModeTexts[m_nColorMode] : "");
  if (m_nColorMode == 2) {
    std::string palette;
    switch (m_nPaletteOption) {
      case 0: palette = "Windows 16 Color Palette"; break;
      case 1: palette = "Windows 256 Color Palette"; break;
      case 2: palette = "Web-Safe 216 Color Palette"; break;
      case 3: palette = Printf("Best Matched %d Color Palette", m_nColors); break;
      default: palette = m_strPaletteFile; break;
    }
    rows.emplace_back("    Palette", palette);
    rows.emplace_back("    Dithering", YesNo(m_bDither));
  }
  std::string resize = "No";
  switch (m_nResizeMethod) {
    case BATCH_RESIZE_FIXED_WIDTH: resize = Printf("Using Fixed Width (%d)", m_nFixedWidth); break;
    case BATCH_RESIZE_FIXED_HEIGHT: resize = Printf("Using Fixed Height (%d)", m_nFixedHeight); break;
    case BATCH_RESIZE_SCALE: resize = Printf("By %d%%", m_nScale); break;
    case BATCH_RESIZE_MAX_WIDTH: resize = Printf("Limiting Maximum Width (%d)", m_nMaxWidth); break;
    case BATCH_RESIZE_MAX_HEIGHT: resize = Printf("Limiting Maximum Height (%d)", m_nMaxHeight); break;
    default: break;
  }
  rows.emplace_back("Resize Image", resize);
  static const char* const kRotations[] = {"No", "90 Degrees Clockwise", "180 Degrees", "90 Degrees Counter-Clockwise"};
  rows.emplace_back("Rotate Image", m_nRotateOption >= 0 && m_nRotateOption < 4 ? kRotations[m_nRotateOption] : "No");
  rows.emplace_back("Output File Name", m_strFilePrefix.empty() ? "Original File Name" : FormatFileName(1));
  rows.emplace_back("Output Folder", m_nDestination ? m_strCommonFolder : "Original Folder");
  rows.emplace_back("Recycle Source Files", YesNo(m_bRecycleOriginal));
  return rows;
}

bool DeleteBatchScript(const std::string& name) {
  if (!IsValidBatchScriptName(name)) return false;
  const bool deleted = Profile().DeleteSection(SectionOf(name));
  Profile().Flush();
  return deleted;
}

std::vector<std::string> ListBatchScripts() { return Profile().GetSubsectionNames(kBatchScriptsSection); }

std::string FormatBatchResults(const std::string& scriptName, int processed, int completed, int failed) {
  char counts[200];
  std::snprintf(counts, sizeof counts, "%d file(s) processed\n%d file(s) completed\n%d file(s) failed", processed,
                completed, failed);
  return "Results of running batch script: " + scriptName + "\n\n" + counts;
}
