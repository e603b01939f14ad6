// What lumtar-cli batch keeps from line to line stays bounded however many
// lines it reads.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch.h"
#include "cmd_chart.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

std::string Line(const std::string& settings) {
  return R"({"date":"1990-03-07","time":"08:05","settings":")" + settings + "\"}\n";
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

// A settings file named on every line, each a different one that is not
// there: each is warned of, and only the last few are remembered.
TEST(BatchBounds, SettingsWarningsRememberOnlyTheLatestFiles) {
  test::TempDir dir;
  ASSERT_TRUE(CreateDirectories(dir / "dat"));
  ASSERT_TRUE(SetProgramDir(dir.str()));
  const auto missing = [&](int i) { return (dir / ("none" + std::to_string(i) + ".ini")).string(); };
  std::string input;
  for (int i = 0; i < 200; ++i) input += Line(missing(i));
  // The latest file again: not warned of twice; the first, long forgotten:
  // warned of again.
  input += Line(missing(199)) + Line(missing(0));

  std::istringstream in(input);
  std::ostringstream out;
  testing::internal::CaptureStderr();
  cli::RunBatch(in, out);
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_EQ(cli::RememberedSettingsWarnings(), cli::kRememberedSettingsWarnings);
  EXPECT_EQ(Count(warnings, "not found; using the default settings\n"), 201);
  EXPECT_EQ(Count(warnings, missing(199) + " not found"), 1);
  EXPECT_EQ(Count(warnings, missing(0) + " not found"), 2);
  EXPECT_EQ(Count(out.str(), "\"pillars\""), 202);
}
