// The brisen command end to end, as a user runs it: files and pipes, frame
// ranges, pictures, every refusal with its exit status and message, and no
// output left behind when it fails.
#include <gtest/gtest.h>

#include <png.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/cli/run_command.h"

extern char** environ;

namespace {

using cli_test::list_dir;
using cli_test::make_y4m;
using cli_test::read_file;
using cli_test::Result;
using cli_test::run_in;
using cli_test::ScratchDir;
using cli_test::y4m_frames;

constexpr int kW = 64;
constexpr int kH = 48;
constexpr int kFrames = 6;

class CommandTest : public testing::Test {
 protected:
  void SetUp() override { cli_test::write_file(dir_ / "in.y4m", make_y4m(kW, kH, kFrames)); }
  Result run(const std::string& command) { return run_in(dir_, command); }
  std::vector<std::string> input_frames() { return y4m_frames(read_file(dir_ / "in.y4m")); }

  ScratchDir dir_;
};

TEST_F(CommandTest, FileAndPipeGiveTheSameBytes) {
  // Long enough that a file skips to a late start by seeking.
  cli_test::write_file(dir_ / "in.y4m", make_y4m(kW, kH, 16));
  for (const std::string options :
       {"", "--frames 2:4 ", "--frames 3: ", "--frames 10:13 ", "--frames 12: ", "--kernels portable --method 1 "}) {
    SCOPED_TRACE(options);
    ASSERT_EQ(run("brisen " + options + "in.y4m file.y4m").status, 0);
    // With a range that ends early brisen stops reading, and cat may see a
    // closed pipe: only brisen's status counts.
    ASSERT_EQ(run("cat in.y4m | brisen " + options + "- - > pipe.y4m; exit ${PIPESTATUS[1]}").status, 0);
    ASSERT_EQ(run("brisen " + options + "- stdin.y4m < in.y4m").status, 0);
    const std::string file = read_file(dir_ / "file.y4m");
    EXPECT_TRUE(read_file(dir_ / "pipe.y4m") == file);
    EXPECT_TRUE(read_file(dir_ / "stdin.y4m") == file);
  }
}

TEST_F(CommandTest, CleansBetweenCopiedFirstAndLastFramesAndKeepsTheTags) {
  const Result r = run("brisen in.y4m out.y4m");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string header;
  const std::vector<std::string> out = y4m_frames(read_file(dir_ / "out.y4m"), &header);
  const std::vector<std::string> in = input_frames();
  EXPECT_EQ(header, "YUV4MPEG2 W64 H48 F25:1 Ip A1:1 C422 XYSCSS=422");
  ASSERT_EQ(out.size(), in.size());
  EXPECT_TRUE(out.front() == in.front());
  EXPECT_TRUE(out.back() == in.back());
  for (int n = 1; n < kFrames - 1; ++n) {
    EXPECT_TRUE(out[n] != in[n]) << "frame " << n << " has specks to clean";
    // Chroma is never touched.
    EXPECT_TRUE(out[n].substr(kW * kH) == in[n].substr(kW * kH)) << n;
  }
  // Standard error is no terminal: no progress, one summary line.
  EXPECT_TRUE(r.err.starts_with("brisen: 6 frames in ")) << r.err;
  EXPECT_NE(r.err.find("luma samples changed"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(list_dir(dir_.path()).size(), 2u);

  const Result quiet = run("brisen --quiet in.y4m quiet.y4m");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_TRUE(read_file(dir_ / "quiet.y4m") == read_file(dir_ / "out.y4m"));
}

TEST_F(CommandTest, FramesWritesTheRangeAndEndsWithTheClipsLastFrame) {
  ASSERT_EQ(run("brisen -q --frames 1:3 in.y4m a.y4m").status, 0);
  EXPECT_EQ(y4m_frames(read_file(dir_ / "a.y4m")).size(), 3u);
  ASSERT_EQ(run("brisen -q --frames 5:5 in.y4m b.y4m").status, 0);
  EXPECT_TRUE(y4m_frames(read_file(dir_ / "b.y4m")) == std::vector<std::string>{input_frames()[5]});
  ASSERT_EQ(run("brisen -q --frames 0:0 in.y4m c.y4m").status, 0);
  EXPECT_TRUE(y4m_frames(read_file(dir_ / "c.y4m")) == std::vector<std::string>{input_frames()[0]});
  // A range that starts at frame 1 cleans as the whole run does from there.
  ASSERT_EQ(run("brisen -q in.y4m all.y4m && brisen -q --frames 1: in.y4m tail.y4m").status, 0);
  const std::vector<std::string> all = y4m_frames(read_file(dir_ / "all.y4m"));
  EXPECT_TRUE(y4m_frames(read_file(dir_ / "tail.y4m")) == std::vector<std::string>(all.begin() + 1, all.end()));
}

TEST_F(CommandTest, KernelChoiceReachesTheFilter) {
  // The integer-SSE kernels leave 16 lines alone; the portable ones
  // motion_depth + 1, so only they clean the speck on line 8.
  ASSERT_EQ(run("brisen -q --kernels isse in.y4m isse.y4m && brisen -q --kernels portable in.y4m plain.y4m").status, 0);
  const std::size_t speck = 8 * kW + kW / 2 + 5;
  const std::vector<std::string> in = input_frames();
  const std::vector<std::string> isse = y4m_frames(read_file(dir_ / "isse.y4m"));
  const std::vector<std::string> plain = y4m_frames(read_file(dir_ / "plain.y4m"));
  ASSERT_EQ(isse.size(), in.size());
  ASSERT_EQ(plain.size(), in.size());
  EXPECT_EQ(isse[2][speck], in[2][speck]);
  EXPECT_NE(plain[2][speck], in[2][speck]);
}

TEST_F(CommandTest, PluginForTheOlderInterfaceCleansTheSame) {
  ASSERT_EQ(run("brisen -q in.y4m new.y4m").status, 0);
  const Result r = run_in(dir_, "brisen -q --plugin " + cli_test::quoted(BRISEN_PLUGIN_20) + " in.y4m old.y4m", true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(read_file(dir_ / "old.y4m") == read_file(dir_ / "new.y4m"));
}

TEST_F(CommandTest, AnyThirtyTwoBitValueReachesTheFilter) {
  const Result r = run(
      "brisen -q --temp_precision 2147483647 --motion_depth 0 --method -2147483648 --spat_precision 0 "
      "--spat_depth 2147483647 --threshold -2147483648 in.y4m out.y4m");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(y4m_frames(read_file(dir_ / "out.y4m")).size(), static_cast<std::size_t>(kFrames));
}

TEST_F(CommandTest, SnapshotIsAPngOfInputOutputAndChanges) {
  const Result r = run("brisen -q --snapshot 2 snap.png in.y4m out.y4m");
  ASSERT_EQ(r.status, 0) << r.err;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&png, (dir_ / "snap.png").c_str())) << png.message;
  EXPECT_EQ(png.width, 3u * kW);
  EXPECT_EQ(png.height, static_cast<unsigned>(kH));
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) << png.message;
  // The changes panel marks the speck cleaned in frame 2.
  int marked = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 2 * kW; x < 3 * kW; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * 3 * kW + x) * 3];
      marked += p[0] != p[1] || p[1] != p[2];
    }
  EXPECT_GT(marked, 0);
}

TEST_F(CommandTest, HelpAndVersion) {
  const Result help = run("brisen --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--motion_depth"), std::string::npos);
  EXPECT_NE(help.out.find("yuv4mpegpipe"), std::string::npos);
  const Result version = run("brisen --version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("brisen ")) << version.out;
}

TEST_F(CommandTest, TinyAndShortClipsComeThrough) {
  struct Case {
    int w, h, frames;
  };
  for (const Case& c : {Case{2, 1, 1}, Case{2, 2, 3}, Case{4, 40, 4}, Case{40, 4, 4}, Case{34, 34, 5}}) {
    for (const char* kernels : {"isse", "portable"}) {
      SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.frames << " " << kernels);
      cli_test::write_file(dir_ / "tiny.y4m", make_y4m(c.w, c.h, c.frames));
      const Result r = run(std::string("brisen -q --kernels ") + kernels + " tiny.y4m tiny-out.y4m");
      ASSERT_EQ(r.status, 0) << r.err;
      const std::vector<std::string> in = y4m_frames(read_file(dir_ / "tiny.y4m"));
      const std::vector<std::string> out = y4m_frames(read_file(dir_ / "tiny-out.y4m"));
      ASSERT_EQ(out.size(), in.size());
      EXPECT_TRUE(out.front() == in.front());
      EXPECT_TRUE(out.back() == in.back());
    }
  }
}

struct Failure {
  const char* what;
  std::string options;
  std::string input;        // bytes of in.y4m; empty: the regular clip
  bool through_pipe;
  int status;
  std::string message;      // exact standard error when `exact`, else a part of it
  bool exact = false;
};

std::vector<Failure> failures() {
  const std::string good = make_y4m(kW, kH, kFrames);
  std::string truncated = good.substr(0, good.size() - 100);
  const std::string count = "the input has 6 frames (0 to 5)";
  return {
      {"motion_depth too deep", "--motion_depth 11", "", false, 2, "Brisen: motion_depth must be <= 10\n", true},
      {"dashed spelling", "--motion-depth -1", "", true, 2, "Brisen: motion_depth must be >= 0\n", true},
      {"first failing check wins", "--temp_precision -1 --motion_depth 99", "", false, 2,
       "Brisen: temporal_precision must be >= 0\n", true},
      {"spat_precision", "--spat_precision -1", "", false, 2, "Brisen: spat_precision must be >= 0\n", true},
      {"spat_depth", "--spat-depth -1", "", false, 2, "Brisen: spat_depth must be >= 0\n", true},
      {"not a number", "--threshold 1e3", "", false, 2, "'1e3' is not a whole number in 32-bit range"},
      {"beyond 32 bits", "--method 4294967296", "", false, 2, "not a whole number in 32-bit range"},
      {"unknown option", "--strength 3", "", false, 2, "--strength"},
      {"bad kernels", "--kernels fast", "", false, 2, "fast"},
      {"range past the end", "--frames 2:6", "", false, 2, "--frames 2:6: " + count},
      {"range past the end of a pipe", "--frames 2:6", "", true, 2, "--frames 2:6: " + count},
      {"range starts past a pipe's end", "--frames 9:", "", true, 2, "--frames 9:: " + count},
      {"range backwards", "--frames 4:1", "", false, 2, "the first frame comes after the last"},
      {"range garbage", "--frames 1-3", "", false, 2, "expected A:B"},
      {"snapshot past the end", "--snapshot 6 s.png", "", false, 2, "--snapshot 6: " + count},
      {"snapshot past a pipe's end", "--snapshot 6 s.png", "", true, 2, "--snapshot 6: " + count},
      {"snapshot outside the range", "--frames 0:2 --snapshot 4 s.png", "", false, 2, "not among those written"},
      {"plug-in missing", "--plugin /nonexistent/libbrisen.so", "", false, 1, "cannot load plug-in"},
      {"not a plug-in", "--plugin /bin/sh", "", false, 1, "cannot load plug-in"},
      {"4:2:0", "", "YUV4MPEG2 W64 H48 F25:1 C420jpeg\nFRAME\n", false, 1,
       "in.y4m: the video is 4:2:0 (C420jpeg); brisen needs 8-bit 4:2:2 (C422); convert it with ffmpeg: ffmpeg -i "
       "INPUT -pix_fmt yuv422p -f yuv4mpegpipe - | brisen - OUTPUT"},
      {"10-bit through a pipe", "", "YUV4MPEG2 W64 H48 C422p10\n", true, 1,
       "standard input: the video is 4:2:2 with more than 8 bits (C422p10)"},
      {"odd width", "", "YUV4MPEG2 W63 H48 C422\n", false, 1, "the width 63 is odd"},
      {"absurd size", "", "YUV4MPEG2 W4000000000 H48 C422\n", false, 1, "width 4000000000 is beyond"},
      {"not video", "", "hello\n", true, 1, "not a YUV4MPEG2 stream"},
      {"no frames", "", "YUV4MPEG2 W64 H48 C422\n", false, 1, "the stream has no frames"},
      {"truncated file", "", truncated, false, 1, "in.y4m: frame 5: truncated (6044 of 6144 bytes)"},
      {"truncated pipe", "", truncated, true, 1, "standard input: frame 5: truncated (6044 of 6144 bytes)"},
      {"broken frame in a pipe", "", good.substr(0, good.size() - 6150) + "FRAMX\n" + good.substr(good.size() - 6144),
       true, 1, "standard input: frame 5: expected a FRAME header, found \"FRAMX\""},
  };
}

TEST_F(CommandTest, FailuresExitWithTheirStatusAndLeaveNoOutput) {
  for (const Failure& f : failures()) {
    for (const bool existing : {false, true}) {
      SCOPED_TRACE(testing::Message() << f.what << (existing ? ", over an existing file" : ""));
      cli_test::write_file(dir_ / "in.y4m", f.input.empty() ? make_y4m(kW, kH, kFrames) : f.input);
      if (existing) cli_test::write_file(dir_ / "out.y4m", "precious");
      const std::string command = f.through_pipe ? "cat in.y4m | brisen " + f.options + " - out.y4m; exit ${PIPESTATUS[1]}"
                                                 : "brisen " + f.options + " in.y4m out.y4m";
      const Result r = run_in(dir_, command, f.options.find("--plugin") != std::string::npos);
      EXPECT_EQ(r.status, f.status) << r.err;
      if (f.exact) {
        EXPECT_EQ(r.err, f.message);
      } else {
        EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
      }
      EXPECT_EQ(r.out, "");
      std::vector<std::string> left = list_dir(dir_.path());
      std::sort(left.begin(), left.end());
      if (existing) {
        EXPECT_EQ(left, (std::vector<std::string>{"in.y4m", "out.y4m"}));
        EXPECT_EQ(read_file(dir_ / "out.y4m"), "precious");
        ::unlink((dir_ / "out.y4m").c_str());
      } else {
        EXPECT_EQ(left, std::vector<std::string>{"in.y4m"});
      }
    }
  }
}

TEST_F(CommandTest, MissingInputAndUnwritableOutputAreIoErrors) {
  Result r = run("brisen missing.y4m out.y4m");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "brisen: cannot open missing.y4m: No such file or directory\n");
  r = run("brisen in.y4m no/such/dir/out.y4m");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot create a file beside no/such/dir/out.y4m"), std::string::npos) << r.err;
  r = run("brisen in.y4m .");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is a directory"), std::string::npos) << r.err;
  EXPECT_EQ(list_dir(dir_.path()), std::vector<std::string>{"in.y4m"});
}

TEST_F(CommandTest, ClosedOutputPipeFailsWithoutHanging) {
  cli_test::write_file(dir_ / "big.y4m", make_y4m(320, 240, 4));
  const Result r = run("brisen -q big.y4m - | head -c 1000 > /dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write standard output: Broken pipe"), std::string::npos) << r.err;
}

// Started with its standard input on a pipe that the test feeds, so it can be
// stopped in the middle of a run.
TEST_F(CommandTest, InterruptedRunLeavesNoFile) {
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string out = dir_ / "out.y4m";
    const char* argv[] = {cli_test::kBrisen.c_str(), "--plugin", cli_test::kPlugin.c_str(), "-", out.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    const std::string clip = make_y4m(kW, kH, 4);  // the stream goes on past these
    ASSERT_EQ(::write(fds[1], clip.data(), clip.size()), static_cast<ssize_t>(clip.size()));
    // Wait until the output has been started beside its target.
    bool started = false;
    for (int i = 0; i < 500 && !started; ++i) {
      started = list_dir(dir_.path()).size() > 1;
      if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(started);
    ::kill(pid, sig);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(fds[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(list_dir(dir_.path()), std::vector<std::string>{"in.y4m"});
  }
}

TEST(DemoCommand, WritesPictureAndClipsAndReportsTheCleaning) {
  ScratchDir dir;
  const Result r = run_in(dir, "brisen demo out");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* part : {"frames", "fps", "specks removed", "PSNR", "dusty", "cleaned"})
    EXPECT_NE(r.out.find(part), std::string::npos) << part << " in " << r.out;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&png, (dir / "out/before-after.png").c_str())) << png.message;
  EXPECT_EQ(png.width, 3u * 512);
  EXPECT_EQ(png.height, 288u);
  png_image_free(&png);
  const std::vector<std::string> dusty = y4m_frames(read_file(dir / "out/dusty.y4m"));
  const std::vector<std::string> cleaned = y4m_frames(read_file(dir / "out/cleaned.y4m"));
  EXPECT_EQ(dusty.size(), 40u);
  EXPECT_EQ(cleaned.size(), 40u);
  EXPECT_TRUE(dusty != cleaned);
  for (const char* name : {"before-after.png", "dusty.y4m", "cleaned.y4m"}) ::unlink((dir / "out/" + name).c_str());
  ::rmdir((dir / "out").c_str());
}

}  // namespace
