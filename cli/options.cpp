#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cctype>
#include <charconv>

#include "cli/cli_errors.h"

#ifndef BRISEN_VERSION
#define BRISEN_VERSION "unknown"
#endif

namespace brisen_cli {

namespace {

const std::array<const char*, 6> kFilterParameters = {"temp_precision", "motion_depth", "method",
                                                      "spat_precision", "spat_depth", "threshold"};

const char* const kDescription =
    "Cleans dust and specks from 8-bit 4:2:2 YUV4MPEG2 video with the Brisen filter.\n"
    "INPUT and OUTPUT are .y4m files or - for standard input and output, e.g.\n"
    "  ffmpeg -i film.mkv -pix_fmt yuv422p -f yuv4mpegpipe - | brisen - clean.y4m\n"
    "Options not given leave the filter's defaults. 'brisen demo [DIR]' cleans a made-up\n"
    "dusty clip and writes pictures and clips to DIR (default ./brisen-demo); a file\n"
    "named demo is ./demo.";

std::string dashed(std::string name) {
  for (char& c : name)
    if (c == '_') c = '-';
  return name;
}

}  // namespace

std::optional<int> parse_int32(const std::string& text) {
  std::string_view digits = text;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  if (digits.empty() || !(std::isdigit(static_cast<unsigned char>(digits[0])) || digits[0] == '-'))
    return std::nullopt;
  int value = 0;
  const char* end = digits.data() + digits.size();
  auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  if (text.starts_with('+') && digits.starts_with('-')) return std::nullopt;
  return value;
}

FrameRange parse_frame_range(const std::string& text) {
  const std::string usage = "--frames " + text + ": expected A:B, the first and last frame to write (from 0), or A: for to the end";
  std::size_t colon = text.find(':');
  if (colon == std::string::npos) throw UsageError(usage);
  auto first = parse_int32(text.substr(0, colon));
  if (!first || *first < 0) throw UsageError(usage);
  FrameRange range{*first, std::nullopt};
  std::string tail = text.substr(colon + 1);
  if (!tail.empty()) {
    auto last = parse_int32(tail);
    if (!last || *last < 0) throw UsageError(usage);
    if (*last < *first)
      throw UsageError("--frames " + text + ": the first frame comes after the last");
    range.last = *last;
  }
  return range;
}

Options parse_options(int argc, const char* const* argv) {
  Options options;
  CLI::App app(kDescription, "brisen");
  app.set_version_flag("--version", std::string("brisen ") + BRISEN_VERSION);
  app.fallthrough();

  app.add_option("INPUT", options.input, "input video, or - for standard input");
  app.add_option("OUTPUT", options.output, "output video, or - for standard output");

  std::array<std::string, 6> filter_values;
  std::array<CLI::Option*, 6> filter_options{};
  const std::array<const char*, 6> help = {
      "temporal match bound (default 20)", "motion search radius, 0 to 10 (default 5)",
      "0 whole frames, 1 or 3 one field per frame, 2 the other field order (default 0)",
      "spatial match bound (default 3)",   "spatial search radius (default 5)",
      "largest change of a luma sample (default 255)"};
  for (std::size_t i = 0; i < kFilterParameters.size(); ++i) {
    const std::string name = kFilterParameters[i];
    std::string flags = "--" + name;
    if (dashed(name) != name) flags += ",--" + dashed(name);
    filter_options[i] = app.add_option(flags, filter_values[i], help[i])->type_name("N")->group("Filter");
  }

  std::string kernels = "auto";
  app.add_option("--kernels", kernels, "integer-SSE or portable kernels; auto asks the processor")
      ->type_name("auto|isse|portable");
  std::string frames;
  auto* frames_option =
      app.add_option("--frames", frames, "write only frames A to B (from 0, inclusive); A: to the end")
          ->type_name("A:B");
  std::vector<std::string> snapshot;
  auto* snapshot_option =
      app.add_option("--snapshot", snapshot, "also write a PNG of frame N: input, output, changes")
          ->expected(2)
          ->allow_extra_args(false)
          ->option_text("N FILE.png");
  std::string plugin;
  auto* plugin_option =
      app.add_option("--plugin", plugin, "the plug-in library (default: the one installed with brisen)")
          ->type_name("PATH");
  app.add_flag("-q,--quiet", options.quiet, "no progress and no summary, only errors");

  CLI::App* demo = app.add_subcommand("demo", "clean a made-up dusty clip and show the result");
  demo->add_option("DIR", options.demo_dir, "where to write the pictures and clips (default ./brisen-demo)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    options.command = Options::Command::ShowText;
    options.text = app.help();
    return options;
  } catch (const CLI::CallForAllHelp&) {
    options.command = Options::Command::ShowText;
    options.text = app.help("", CLI::AppFormatMode::All);
    return options;
  } catch (const CLI::CallForVersion&) {
    options.command = Options::Command::ShowText;
    options.text = app.version() + "\n";
    return options;
  } catch (const CLI::ParseError& e) {
    throw UsageError(e.what());
  }

  for (std::size_t i = 0; i < kFilterParameters.size(); ++i) {
    if (filter_options[i]->count() == 0) continue;
    auto value = parse_int32(filter_values[i]);
    if (!value)
      throw UsageError(std::string("--") + kFilterParameters[i] + ": '" + filter_values[i] +
                       "' is not a whole number in 32-bit range");
    options.filter_args.push_back(frameserver::IntArg{kFilterParameters[i], *value});
  }
  if (kernels != "auto" && kernels != "isse" && kernels != "portable")
    throw UsageError("--kernels " + kernels + ": expected auto, isse or portable");
  options.cpu = kernels == "isse"     ? frameserver::CpuReport::IntegerSse
                : kernels == "portable" ? frameserver::CpuReport::None
                                        : frameserver::CpuReport::Auto;
  if (plugin_option->count() > 0) options.plugin = plugin;

  if (demo->parsed()) {
    options.command = Options::Command::Demo;
    if (!options.input.empty())
      throw UsageError("demo takes no INPUT or OUTPUT (a file named demo is ./demo)");
    if (!options.filter_args.empty() || frames_option->count() > 0 || snapshot_option->count() > 0)
      throw UsageError("demo cleans with the default settings; only --plugin, --kernels and --quiet apply");
    return options;
  }

  if (options.input.empty() || options.output.empty())
    throw UsageError("expected INPUT and OUTPUT (use - for standard input or output)");
  if (frames_option->count() > 0) options.frames = parse_frame_range(frames);
  if (snapshot_option->count() > 0) {
    auto n = parse_int32(snapshot[0]);
    if (!n || *n < 0) throw UsageError("--snapshot " + snapshot[0] + ": expected a frame number (from 0)");
    if (snapshot[1].empty()) throw UsageError("--snapshot: expected a file name after the frame number");
    options.snapshot = SnapshotRequest{*n, snapshot[1]};
  }
  return options;
}

}  // namespace brisen_cli
