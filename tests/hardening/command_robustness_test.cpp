// The built command against input it must refuse and runs that end early: each
// ends with its exit status and a message that says what is wrong, allocates
// nothing a short stream cannot back, and leaves the output directory as it
// was (an existing output file untouched).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/cli/y4m_samples.h"
#include "tests/hardening/child_process.h"

namespace {

using cli_test::make_y4m;
using cli_test::ScratchDir;
using hardening::Child;
using hardening::ChildResult;

const std::string brisen = BRISEN_EXE;
const std::string plugin = BRISEN_PLUGIN;

// A run that refuses its input reads little of it; this bounds the peak
// memory of one (a sanitizer's own needs included).
constexpr long refusal_rss_limit_kb = 200 * 1024;

std::vector<std::string> sorted_listing(const ScratchDir& dir) {
  std::vector<std::string> names = cli_test::list_dir(dir.path());
  std::sort(names.begin(), names.end());
  return names;
}

struct Malformed {
  const char* what;
  std::string bytes;
  std::string message;  // a part of standard error, after the input's name
};

std::vector<Malformed> malformed_inputs() {
  const std::string good = make_y4m(64, 48, 3);
  return {
      {"bad signature", "YUV4MPEG3 W64 H48 C422\nFRAME\n", ": not a YUV4MPEG2 stream"},
      {"header cut short", "YUV4MPEG2 W64 H4", ": the stream ends inside its header"},
      {"no height", "YUV4MPEG2 W64 C422\n", ": the stream header has no height (H)"},
      {"zero width", "YUV4MPEG2 W0 H48 C422\n", ": bad width '0' in the stream header"},
      {"negative height", "YUV4MPEG2 W64 H-48 C422\n", ": bad height '-48' in the stream header"},
      {"absurd size", "YUV4MPEG2 W100000000 H100000000 C422\nFRAME\n",
       ": width 100000000 is beyond the largest supported (16384)"},
      {"4:4:4", "YUV4MPEG2 W64 H48 C444\n", ": the video is 4:4:4 (C444)"},
      {"12-bit", "YUV4MPEG2 W64 H48 C422p12\n", ": the video is 4:2:2 with more than 8 bits (C422p12)"},
      // The largest frames the reader accepts, 512 MiB each, from a stream that has 1000 bytes of one.
      {"largest size cut short", "YUV4MPEG2 W16384 H16384 C422\nFRAME\n" + std::string(1000, 'x'),
       ": frame 0: truncated (1000 of 536870912 bytes)"},
      {"malformed frame line", good.substr(0, good.size() - 6150) + "FRAME\tI\n" + std::string(6144, 'x'),
       ": frame 2: expected a FRAME header, found \"FRAME?I\""},
      {"frame line cut short", good + "FRAM", ": frame 3: expected a FRAME header, found \"FRAM\""},
      {"frame cut short", good.substr(0, good.size() - 1), ": frame 2: truncated (6143 of 6144 bytes)"},
      {"trailing bytes", good + "\n\n", ": frame 3: expected a FRAME header, found \"\""},
      {"trailing frame header", good + "FRAME\n", ": frame 3: truncated (0 of 6144 bytes)"},
  };
}

TEST(MalformedInput, IsRefusedWithItsReasonAndLeavesNothingBehind) {
  for (const Malformed& m : malformed_inputs()) {
    for (const bool pipe : {false, true}) {
      for (const bool existing : {false, true}) {
        SCOPED_TRACE(testing::Message() << m.what << (pipe ? ", through a pipe" : ", from a file")
                                        << (existing ? ", over an existing file" : ""));
        ScratchDir dir;
        cli_test::write_file(dir / "in.y4m", m.bytes);
        if (existing) cli_test::write_file(dir / "out.y4m", "precious");
        const std::vector<std::string> before = sorted_listing(dir);
        Child child({brisen, "--plugin", plugin, "-q", pipe ? "-" : dir / "in.y4m", dir / "out.y4m"},
                    pipe ? hardening::bytes_once(m.bytes) : nullptr);
        const ChildResult r = child.wait();
        EXPECT_EQ(r.exit_status, 1) << r.err;
        const std::string name = pipe ? "standard input" : dir / "in.y4m";
        EXPECT_EQ(r.err.rfind("brisen: " + name + m.message, 0), 0u) << r.err;
        EXPECT_EQ(r.out_bytes, 0u);
        EXPECT_EQ(sorted_listing(dir), before);
        if (existing) {
          EXPECT_EQ(cli_test::read_file(dir / "out.y4m"), "precious");
        }
        EXPECT_LT(r.max_rss_kb, refusal_rss_limit_kb);
      }
    }
  }
}

// 30 frames of 640 x 480 with the deepest search on the portable kernels: long
// enough that the signal arrives while frames are being cleaned.
TEST(Interruption, SigintWhileCleaningKeepsTheExistingFileAndRemovesTheTemporary) {
  ScratchDir dir;
  cli_test::write_file(dir / "in.y4m", make_y4m(640, 480, 30));
  cli_test::write_file(dir / "out.y4m", "precious");
  Child child({brisen, "--plugin", plugin, "-q", "--kernels", "portable", "--motion_depth", "10",
               dir / "in.y4m", dir / "out.y4m"},
              nullptr);
  bool started = false;
  for (int i = 0; i < 3000 && !started; ++i) {
    started = cli_test::list_dir(dir.path()).size() > 2;
    if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(started) << "the output was never started";
  child.signal(SIGINT);
  const ChildResult r = child.wait();
  EXPECT_EQ(r.signal, SIGINT) << "exit status " << r.exit_status << ": " << r.err;
  EXPECT_EQ(sorted_listing(dir), (std::vector<std::string>{"in.y4m", "out.y4m"}));
  EXPECT_EQ(cli_test::read_file(dir / "out.y4m"), "precious");
}

// Standard output closed before anything is written: the first write fails,
// and the snapshot already written beside its target is removed too.
TEST(Interruption, ClosedOutputPipeFailsAndLeavesNoSnapshot) {
  ScratchDir dir;
  cli_test::write_file(dir / "in.y4m", make_y4m(64, 48, 40));
  Child child({brisen, "--plugin", plugin, "-q", "--snapshot", "1", dir / "snap.png", dir / "in.y4m", "-"},
              nullptr, /*close_stdout=*/true);
  const ChildResult r = child.wait();
  EXPECT_EQ(r.exit_status, 1) << r.err;
  EXPECT_EQ(r.err, "brisen: cannot write standard output: Broken pipe\n");
  EXPECT_EQ(sorted_listing(dir), std::vector<std::string>{"in.y4m"});
}

}  // namespace
