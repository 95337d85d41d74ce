#include "catalog/errors.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "support/recording_reporter.h"

namespace korvane {
namespace {

TEST(Errors, FormatsTheTableEntryWithItsValues) {
  test::RecordingReporter r;
  ReportError(kErrReadSector, 12, std::string("C:\\A.DSK"));
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0], "Can't read sector <12> from <C:\\A.DSK>");
  EXPECT_EQ(LastErrorCode(), kErrReadSector);

  ReportError(kErrDiskError, "x.dsk", 3, 400);
  EXPECT_EQ(r.errors[1], "Disk error, filename <x.dsk>\n, fileno <3>, sector <400>");
  EXPECT_EQ(LastErrorCode(), kErrDiskError);
}

TEST(Errors, CodesFrom57OnAreUnknownErrorsWithTheCodeAsNumber) {
  test::RecordingReporter r;
  ReportError(57);
  ReportError(60, "ignored");
  ReportError(-1);
  EXPECT_EQ(r.errors[0], "Unknown error <57>");
  EXPECT_EQ(r.errors[1], "Unknown error <60>");
  EXPECT_EQ(r.errors[2], "Unknown error <-1>");
  EXPECT_EQ(LastErrorCode(), -1);
}

TEST(Errors, SystemErrorAppendsTheSystemTextOnlyWhenNonZero) {
  test::RecordingReporter r;
  ReportSystemError(0, kErrReadDir, "/nowhere");
  ReportSystemError(ENOENT, kErrReadDir, "/nowhere");
  EXPECT_EQ(r.errors[0], "Can't read file or directory </nowhere>");
  EXPECT_EQ(r.errors[1], "Can't read file or directory </nowhere>\n\n" + SystemErrorText(ENOENT));
  EXPECT_EQ(r.errors[1].find('\n', r.errors[1].size() - 5), std::string::npos);
}

TEST(Errors, TextsAreCutAtTheirLimits) {
  test::RecordingReporter r;
  const std::string longName(5000, 'x');
  ReportError(kErrOpenRead, longName);
  ReportSystemError(EIO, kErrOpenRead, longName);
  EXPECT_EQ(r.errors[0].size(), kMaxErrorText);
  EXPECT_EQ(r.errors[1].size(), kMaxSystemErrorText);
}

TEST(Errors, QuestionIsAskedWithYesNoCancelAndRecordsItsCode) {
  test::RecordingReporter r;
  r.answers.push_back(Answer::Cancel);
  EXPECT_EQ(AskQuestion(kErrDskExists, "/a/b.dsk"), Answer::Cancel);
  ASSERT_EQ(r.questions.size(), 1u);
  EXPECT_EQ(r.questions[0].caption, "ERROR");
  EXPECT_EQ(r.questions[0].text, "DSK allready exist:\n</a/b.dsk>\nOverwrite?");
  EXPECT_EQ(LastErrorCode(), kErrDskExists);
}

TEST(Errors, WrongValuesForAFormatNeverThrow) {
  test::RecordingReporter r;
  ReportError(kErrReadSector, "not a number", 5);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_FALSE(r.errors[0].empty());
}

}  // namespace
}  // namespace korvane
