// The command line: filter options reach the filter as given, everything else
// is checked here with a message that says what is wrong.
#include <gtest/gtest.h>

#include "cli/cli_errors.h"
#include "cli/options.h"

namespace {

using brisen_cli::Options;
using brisen_cli::parse_options;
using brisen_cli::UsageError;

Options parse(std::vector<std::string> args) {
  args.insert(args.begin(), "brisen");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return parse_options(static_cast<int>(argv.size()), argv.data());
}

std::string usage_error(std::vector<std::string> args) {
  try {
    parse(std::move(args));
  } catch (const UsageError& e) {
    return e.what();
  }
  return "";
}

std::vector<std::pair<std::string, int>> filter_args(const Options& o) {
  std::vector<std::pair<std::string, int>> out;
  for (const auto& a : o.filter_args) out.emplace_back(a.name, a.value);
  return out;
}

TEST(Options, FilterOptionsPassOnlyWhatWasGivenInSignatureOrder) {
  EXPECT_TRUE(parse({"in.y4m", "out.y4m"}).filter_args.empty());
  const Options o = parse({"--threshold", "-2147483648", "--motion-depth", "11", "--temp_precision=-3",
                           "--spat-depth", "+4", "--method", "2147483647", "--spat_precision", "010", "-",
                           "-"});
  EXPECT_EQ(filter_args(o), (std::vector<std::pair<std::string, int>>{{"temp_precision", -3},
                                                                       {"motion_depth", 11},
                                                                       {"method", 2147483647},
                                                                       {"spat_precision", 10},
                                                                       {"spat_depth", 4},
                                                                       {"threshold", -2147483648}}));
  EXPECT_EQ(o.input, "-");
  EXPECT_EQ(o.output, "-");
}

TEST(Options, ValuesThatAreNotWhole32BitNumbersAreRefused) {
  for (const char* bad : {"abc", "2147483648", "-2147483649", "1.5", "0x10", "", "5 ", "+-1", "99999999999999999999"})
    EXPECT_NE(usage_error({"--threshold", bad, "in", "out"}).find("not a whole number in 32-bit range"),
              std::string::npos)
        << "'" << bad << "'";
}

TEST(Options, KernelsFramesSnapshotPluginQuiet) {
  const Options o = parse({"--kernels", "portable", "--frames", "3:7", "--snapshot", "5", "s.png", "--plugin",
                           "/x/libbrisen.so", "-q", "in", "out"});
  EXPECT_EQ(o.cpu, frameserver::CpuReport::None);
  ASSERT_TRUE(o.frames);
  EXPECT_EQ(o.frames->first, 3);
  EXPECT_EQ(o.frames->last, 7);
  ASSERT_TRUE(o.snapshot);
  EXPECT_EQ(o.snapshot->frame, 5);
  EXPECT_EQ(o.snapshot->path, "s.png");
  EXPECT_EQ(o.plugin, "/x/libbrisen.so");
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(parse({"--kernels", "isse", "a", "b"}).cpu, frameserver::CpuReport::IntegerSse);
  EXPECT_EQ(parse({"a", "b"}).cpu, frameserver::CpuReport::Auto);
  EXPECT_FALSE(parse({"a", "b"}).frames);
  EXPECT_FALSE(parse({"--frames", "4:", "a", "b"}).frames->last);
}

TEST(Options, FrameRanges) {
  struct Case {
    const char* text;
    int first;
    std::optional<int> last;
  };
  for (const Case& c : {Case{"0:0", 0, 0}, Case{"2:9", 2, 9}, Case{"5:", 5, std::nullopt}}) {
    const brisen_cli::FrameRange r = brisen_cli::parse_frame_range(c.text);
    EXPECT_EQ(r.first, c.first) << c.text;
    EXPECT_EQ(r.last, c.last) << c.text;
  }
  for (const char* bad : {"5", ":5", "a:b", "-1:3", "3:-1", "1:2:3", "", "1-3"})
    EXPECT_THROW(brisen_cli::parse_frame_range(bad), UsageError) << bad;
  EXPECT_NE(usage_error({"--frames", "5:2", "a", "b"}).find("the first frame comes after the last"),
            std::string::npos);
}

TEST(Options, MistakesAreUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    const char* message_part;
  };
  const Case cases[] = {
      {{}, "expected INPUT and OUTPUT"},
      {{"in"}, "expected INPUT and OUTPUT"},
      {{"a", "b", "c"}, "c"},
      {{"--bogus", "a", "b"}, "--bogus"},
      {{"--kernels", "mmx", "a", "b"}, "mmx"},
      {{"--snapshot", "x", "s.png", "a", "b"}, "--snapshot x"},
      {{"--snapshot", "-1", "s.png", "a", "b"}, "--snapshot -1"},
      {{"a", "b", "--motion_depth"}, "motion_depth"},
      {{"demo", "--frames", "1:2"}, "default settings"},
      {{"demo", "--threshold", "3"}, "default settings"},
      {{"in", "demo"}, "demo takes no INPUT"},
  };
  for (const Case& c : cases) {
    const std::string message = usage_error(c.args);
    EXPECT_NE(message.find(c.message_part), std::string::npos)
        << testing::PrintToString(c.args) << " gave '" << message << "'";
  }
}

TEST(Options, HelpVersionAndDemo) {
  const Options help = parse({"--help"});
  EXPECT_EQ(help.command, Options::Command::ShowText);
  for (const char* part : {"INPUT", "OUTPUT", "--motion_depth", "--frames", "--snapshot", "--kernels", "demo"})
    EXPECT_NE(help.text.find(part), std::string::npos) << part;
  const Options version = parse({"--version"});
  EXPECT_EQ(version.command, Options::Command::ShowText);
  EXPECT_TRUE(version.text.starts_with("brisen ")) << version.text;

  const Options demo = parse({"demo"});
  EXPECT_EQ(demo.command, Options::Command::Demo);
  EXPECT_EQ(demo.demo_dir, "brisen-demo");
  const Options demo_dir = parse({"--kernels", "portable", "demo", "/tmp/d", "--plugin", "p.so"});
  EXPECT_EQ(demo_dir.demo_dir, "/tmp/d");
  EXPECT_EQ(demo_dir.plugin, "p.so");
  EXPECT_EQ(demo_dir.cpu, frameserver::CpuReport::None);
}

}  // namespace
