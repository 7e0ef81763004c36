#include <gtest/gtest.h>

#include "base/ResultCodes.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(ResultCodes, TextsOfEveryCode) {
  struct Case { int code; const char* text; };
  const Case cases[] = {
      {-1, nullptr},
      {IMAGEIO_OK, nullptr},
      {IMAGEIO_FAILED, nullptr},
      {IMAGEIO_NO_MEMORY, "Not enough memory !"},
      {IMAGEIO_BAD_FORMAT, "File format is not supported !"},
      {IMAGEIO_BAD_COMPRESSION, "Compression method is not supported !"},
      {IMAGEIO_CORRUPT, "File either is corrupted or contains invalid data !"},
      {IMAGEIO_FILE_EXISTS, "File already exists !"},
      {IMAGEIO_BAD_COLOR_MODE, "Color mode is not supported for this operation !"},
      {IMAGEIO_CANCELLED, nullptr},
      {IMAGEIO_INTERNAL_ERROR, "Application internal error !"},
      {IMAGEIO_UNKNOWN_ERROR, "Unknown error !"},
      {11, nullptr},
  };
  for (const auto& c : cases) {
    const char* got = GetResultText(c.code);
    if (c.text)
      EXPECT_STREQ(got, c.text) << c.code;
    else
      EXPECT_EQ(got, nullptr) << c.code;
  }
}

TEST(ResultCodes, ReportingIsSilentForCodesWithoutText) {
  testing_support::RecordingMessageSink sink;
  for (int code : {int(IMAGEIO_OK), int(IMAGEIO_FAILED), int(IMAGEIO_CANCELLED), 42}) ReportResultError(code);
  EXPECT_TRUE(sink.messages.empty());
  ReportResultError(IMAGEIO_BAD_FORMAT);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(sink.messages[0].second, "File format is not supported !");
}

}  // namespace
