#include <gtest/gtest.h>

#include "../support/failure_matchers.h"
#include "text/embedded_resource.h"

namespace morvexa {
namespace {

TEST(Failure, MessagesNameTheFileOrResource) {
  EXPECT_STREQ(Failure(FailureKind::StreamReadError).what(), "Stream read error");
  EXPECT_STREQ(Failure(FailureKind::BitmapNotValid).what(), "Bitmap image is not valid");
  EXPECT_STREQ(Failure(FailureKind::CannotOpenFile, "/tmp/a.bmp").what(), "Cannot open file /tmp/a.bmp");
  EXPECT_STREQ(Failure(FailureKind::CannotCreateFile, "/x/y.txt").what(), "Cannot create file /x/y.txt");
  EXPECT_STREQ(Failure(FailureKind::StreamWriteError).what(), "Stream write error");
  EXPECT_STREQ(Failure(FailureKind::ResourceNotFound, "chs16").what(), "Resource chs16 not found");
}

TEST(Failure, ReportAddsAFullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(FailureReportText("Stream read error"), "Stream read error.");
  EXPECT_EQ(FailureReportText("Already ended."), "Already ended.");
  EXPECT_EQ(FailureReportText("ends in a dash -"), "ends in a dash -");  // '-' is below '.'
  EXPECT_EQ(FailureReportText("Cannot open file /tmp/图"), "Cannot open file /tmp/图.");
  EXPECT_EQ(FailureReportText("ends in a slash/"), "ends in a slash/.");
  EXPECT_EQ(FailureReportText(""), "");
}

TEST(Failure, MissingResourceIsReportedByName) {
  EXPECT_FAILURE(FindResource("chs17"), "Resource chs17 not found");
  EXPECT_EQ(Failure(FailureKind::ResourceNotFound, "x").Kind(), FailureKind::ResourceNotFound);
  EXPECT_EQ(FindResource("chs16").size(), 261696u);
}

}  // namespace
}  // namespace morvexa
