// The command reads, cleans and writes on three threads. Its frames must be
// those of the filter pulled in order on one thread, whatever the input and
// the range; a failure in the middle of a stream must read as it did when one
// thread did everything; and no failure may leave it waiting for input.
// Frames here are larger than the output's buffer, so each reaches standard
// output as soon as it is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "cli/planar_frame.h"
#include "cli/yuy2_convert.h"
#include "frameserver/frames.h"
#include "frameserver/memory_source.h"
#include "frameserver/session.h"
#include "tests/cli/run_command.h"
#include "tests/hardening/child_process.h"

namespace {

using cli_test::make_y4m;
using cli_test::read_file;
using cli_test::Result;
using cli_test::run_in;
using cli_test::ScratchDir;
using cli_test::y4m_frames;

constexpr int kW = 256;
constexpr int kH = 144;
constexpr int kFrames = 14;
constexpr std::size_t kPayload = static_cast<std::size_t>(kW) * kH * 2;
const std::string kFailingPlugin = FAILING_PLUGIN;

// Every frame of the test clip cleaned by the plug-in, asked for in order on
// this thread alone.
std::vector<std::string> cleaned_on_one_thread(const std::vector<frameserver::IntArg>& args,
                                               frameserver::CpuReport cpu) {
  std::vector<avs::PVideoFrame> frames;
  brisen_cli::PlanarFrame planar(kW, kH);
  for (int f = 0; f < kFrames; ++f) {
    const std::string payload = cli_test::frame_payload(kW, kH, f);
    std::memcpy(planar.data.data(), payload.data(), payload.size());
    avs::PVideoFrame frame = frameserver::allocate_frame(2 * kW, kH);
    brisen_cli::planar_to_yuy2(planar, frame->GetWritePtr(), frame->GetPitch());
    frames.push_back(frame);
  }
  frameserver::ClipFormat format;
  format.width = kW;
  format.height = kH;
  format.num_frames = kFrames;
  const std::unique_ptr<frameserver::Session> session = frameserver::Session::load_plugin(cli_test::kPlugin, cpu);
  session->apply("Brisen", std::make_shared<frameserver::MemorySource>(std::move(frames)), format, args);
  std::vector<std::string> cleaned;
  for (int n = 0; n < kFrames; ++n) {
    const avs::PVideoFrame out = session->output_frame(n);
    brisen_cli::yuy2_to_planar(out->GetReadPtr(), out->GetPitch(), planar);
    cleaned.emplace_back(planar.data.begin(), planar.data.end());
  }
  session->release_output();
  return cleaned;
}

class PipelineTest : public testing::Test {
 protected:
  void SetUp() override { cli_test::write_file(dir_ / "in.y4m", make_y4m(kW, kH, kFrames)); }

  ScratchDir dir_;
};

TEST_F(PipelineTest, FramesAreThoseOfTheFilterOnOneThreadForFilesPipesAndRanges) {
  const std::vector<std::string> plain = cleaned_on_one_thread({}, frameserver::CpuReport::Auto);
  const std::vector<std::string> fields =
      cleaned_on_one_thread({{"method", 1}}, frameserver::CpuReport::None);
  struct Case {
    std::string options;
    const std::vector<std::string>& expected;
    int first;
    int last;
  };
  const Case cases[] = {
      {"", plain, 0, kFrames - 1},
      {"--frames 3:9 ", plain, 3, 9},
      {"--frames 10: ", plain, 10, kFrames - 1},  // a file seeks there
      {"--frames 13:13 ", plain, 13, 13},
      {"--method 1 --kernels portable ", fields, 0, kFrames - 1},
  };
  // A file, a pipe of unknown length, and a file given as standard input.
  const std::string commands[] = {"brisen -q {}in.y4m out.y4m",
                                  "cat in.y4m | brisen -q {}- - > out.y4m; exit ${PIPESTATUS[1]}",
                                  "brisen -q {}- out.y4m < in.y4m"};
  for (const Case& c : cases) {
    for (std::string command : commands) {
      command.replace(command.find("{}"), 2, c.options);
      SCOPED_TRACE(command);
      const Result r = run_in(dir_, command);
      ASSERT_EQ(r.status, 0) << r.err;
      const std::vector<std::string> written = y4m_frames(read_file(dir_ / "out.y4m"));
      ASSERT_EQ(written.size(), static_cast<std::size_t>(c.last - c.first + 1));
      for (int n = c.first; n <= c.last; ++n)
        EXPECT_TRUE(written[static_cast<std::size_t>(n - c.first)] == c.expected[static_cast<std::size_t>(n)])
            << "frame " << n;
    }
  }
}

// Reading fails at frame 7 when the command would read it, after frames 0 to
// 5 were written; cleaning fails at frame 7 after frames 0 to 6 were.
TEST_F(PipelineTest, FailureMidStreamNamesItsFrameAndOnlyWhatCameBeforeIsWritten) {
  const std::string good = make_y4m(kW, kH, kFrames);
  const std::size_t frame7 = good.find('\n') + 1 + 7 * (6 + kPayload);
  std::string broken = good;
  broken.replace(frame7, 5, "FRAMX");
  struct Case {
    const char* what;
    std::string input;
    std::string plugin_options;  // empty: the real plug-in
    std::string message;
    std::size_t frames_before;
  };
  const Case cases[] = {
      {"truncated", good.substr(0, frame7 + 6 + 1000), "",
       "brisen: standard input: frame 7: truncated (1000 of 73728 bytes)\n", 6},
      {"broken frame header", broken, "",
       "brisen: standard input: frame 7: expected a FRAME header, found \"FRAMX\"\n", 6},
      {"filter fails", good, "--plugin " + cli_test::quoted(kFailingPlugin) + " --threshold 7",
       "brisen: FailsAtFrame: this frame cannot be cleaned\n", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cli_test::write_file(dir_ / "in.y4m", c.input);
    const bool own_plugin = !c.plugin_options.empty();
    const std::string brisen = "brisen -q " + c.plugin_options + " - ";

    const Result piped = run_in(dir_, "cat in.y4m | " + brisen + "- > piped.y4m; exit ${PIPESTATUS[1]}", own_plugin);
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, c.message);
    std::string header;
    const std::string out = read_file(dir_ / "piped.y4m");
    EXPECT_EQ(y4m_frames(out, &header).size(), c.frames_before);
    EXPECT_EQ(out.size(), header.size() + 1 + c.frames_before * (6 + kPayload));
    ::unlink((dir_ / "piped.y4m").c_str());

    cli_test::write_file(dir_ / "kept.y4m", "precious");
    const Result to_file = run_in(dir_, "cat in.y4m | " + brisen + "kept.y4m; exit ${PIPESTATUS[1]}", own_plugin);
    EXPECT_EQ(to_file.status, 1);
    EXPECT_EQ(to_file.err, c.message);
    EXPECT_EQ(read_file(dir_ / "kept.y4m"), "precious");
    std::vector<std::string> left = cli_test::list_dir(dir_.path());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"in.y4m", "kept.y4m"}));
  }
}

// The input sends a few frames and then only a byte now and then, for longer
// than any of these runs takes. A run that fails must end without waiting for
// more input: a closed output while the next frame is awaited, a filter that
// fails while frames are being read ahead.
TEST_F(PipelineTest, FailureEndsTheRunWhileTheInputStalls) {
  struct Case {
    const char* what;
    std::string plugin;
    std::vector<std::string> options;
    int frames_sent;
    bool close_output;
    std::string message;
  };
  const Case cases[] = {
      {"closed output", cli_test::kPlugin, {}, 2, true, "brisen: cannot write standard output: Broken pipe\n"},
      {"filter fails", kFailingPlugin, {"--threshold", "1"}, 3, false,
       "brisen: FailsAtFrame: this frame cannot be cleaned\n"},
  };
  const std::string clip = make_y4m(kW, kH, kFrames);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t sent = clip.find('\n') + 1 + static_cast<std::size_t>(c.frames_sent) * (6 + kPayload);
    std::atomic<bool> stalled_out{false};
    std::size_t trickled = 0;
    const auto give_up_at = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    hardening::InputFeed feed = [&]() -> std::string {
      if (trickled == 0) {
        trickled = sent;
        return clip.substr(0, sent);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (std::chrono::steady_clock::now() > give_up_at) {
        stalled_out = true;
        return "";
      }
      return clip.substr(trickled++, 1);
    };
    std::vector<std::string> args{cli_test::kBrisen, "--plugin", c.plugin, "-q"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"-", "-"});
    hardening::Child child(args, feed, c.close_output);
    const hardening::ChildResult r = child.wait();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, c.message);
    EXPECT_FALSE(stalled_out) << "the run waited for the input";
  }
}

}  // namespace
