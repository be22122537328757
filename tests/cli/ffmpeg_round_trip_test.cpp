// brisen between two ffmpeg processes, through real pipes, as users run it.
#include <gtest/gtest.h>

#include "tests/cli/run_command.h"

namespace {

using cli_test::read_file;
using cli_test::Result;
using cli_test::run_in;
using cli_test::ScratchDir;

class FfmpegTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v ffmpeg > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  }
  ScratchDir dir_;
};

const std::string kSource = "ffmpeg -v error -f lavfi -i testsrc=size=176x144:rate=25 -frames:v 8";

TEST_F(FfmpegTest, PipesInAndOutGiveWhatFilesGive) {
  const Result piped = run_in(dir_, kSource + " -pix_fmt yuv422p -f yuv4mpegpipe - | brisen -q - - | "
                                    "ffmpeg -v error -f yuv4mpegpipe -i - -f rawvideo -pix_fmt yuv422p piped.yuv");
  ASSERT_EQ(piped.status, 0) << piped.err;
  const std::string raw = read_file(dir_ / "piped.yuv");
  EXPECT_EQ(raw.size(), 8u * 176 * 144 * 2);

  const Result files = run_in(dir_, kSource + " -pix_fmt yuv422p in.y4m && brisen -q in.y4m out.y4m");
  ASSERT_EQ(files.status, 0) << files.err;
  std::string header;
  const std::vector<std::string> frames = cli_test::y4m_frames(read_file(dir_ / "out.y4m"), &header);
  std::string joined;
  for (const std::string& f : frames) joined += f;
  EXPECT_TRUE(raw == joined);
  // ffmpeg's tags come back as ffmpeg wrote them.
  EXPECT_EQ(header, read_file(dir_ / "in.y4m").substr(0, header.size()));
  std::string input;
  for (const std::string& f : cli_test::y4m_frames(read_file(dir_ / "in.y4m"))) input += f;
  EXPECT_TRUE(joined != input) << "testsrc has edges the filter touches";
}

TEST_F(FfmpegTest, OtherPixelFormatsAreRefusedWithAdviceThatWorks) {
  const Result refused = run_in(dir_, kSource + " -pix_fmt yuv420p -f yuv4mpegpipe - | brisen - out.y4m");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("4:2:0"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("-pix_fmt yuv422p -f yuv4mpegpipe"), std::string::npos) << refused.err;
  EXPECT_EQ(cli_test::list_dir(dir_.path()).size(), 0u);

  const Result advised = run_in(dir_, kSource + " -pix_fmt yuv420p in420.y4m && "
                                      "ffmpeg -v error -i in420.y4m -pix_fmt yuv422p -f yuv4mpegpipe - | brisen -q - out.y4m");
  EXPECT_EQ(advised.status, 0) << advised.err;
  EXPECT_EQ(cli_test::y4m_frames(read_file(dir_ / "out.y4m")).size(), 8u);
}

}  // namespace
