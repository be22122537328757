#include "bench/bench_options.h"

#include <algorithm>

#include <CLI/CLI.hpp>

namespace brisen_bench {
namespace {

constexpr int kGeneratedFrames = 60;

std::string joined(const std::vector<std::string>& names) {
  std::string s;
  for (const std::string& n : names) {
    if (!s.empty()) s += ',';
    s += n;
  }
  return s;
}

std::vector<std::string> split(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    names.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

template <typename T, typename Find>
std::vector<T> look_up(const std::vector<std::string>& names, const char* what, Find find) {
  std::vector<T> found;
  for (const std::string& n : names) {
    const auto item = find(n);
    if (!item) throw CLI::ValidationError(std::string("unknown ") + what + " '" + n + "'");
    found.push_back(*item);
  }
  return found;
}

}  // namespace

ParseOutcome parse_options(int argc, char** argv) {
  CLI::App app(
      "Times the cleaning kernels of Brisen, reference form against the fast form at every instruction set "
      "this processor has, and checks that they give the same bytes and match maps. One thread; only the "
      "kernel calls are timed. Without CLIP.y4m (8-bit 4:2:2) a generated 960x540 clip is used.",
      "brisen_bench");

  std::vector<std::string> kernel_names;
  for (const KernelCase& k : all_kernels()) kernel_names.push_back(k.name);
  std::vector<std::string> settings_names;
  for (const Settings& s : all_settings()) settings_names.push_back(s.name);
  std::vector<std::string> isa_names;
  for (brisen::InstructionSet isa : brisen::supported_instruction_sets()) {
    if (isa != brisen::InstructionSet::reference) isa_names.push_back(brisen::name_of(isa));
  }

  std::string clip;
  int frames = 0;
  int reference_frames = 3;
  double max_seconds = 30;
  bool quick = false;
  app.add_option("CLIP.y4m", clip, "Clip to clean (a file; frames are held in memory)");
  auto* frames_opt = app.add_option("--frames", frames,
                                    "Frames cleaned by each fast form (default: all the clip has, " +
                                        std::to_string(kGeneratedFrames) + " of the generated clip)")
                         ->check(CLI::PositiveNumber);
  auto* ref_opt = app.add_option("--reference-frames", reference_frames,
                                 "Frames cleaned by the reference form and compared; 0 skips it (default 3)")
                      ->check(CLI::NonNegativeNumber);
  app.add_option("--max-seconds", max_seconds,
                 "Stop a row after this much kernel time, once its compared frames are done; 0: no limit "
                 "(default 30)")
      ->check(CLI::NonNegativeNumber);
  // Each list is one comma-separated word, so the clip after it stays the clip.
  std::string isa_list = joined(isa_names);
  std::string kernel_list = joined(kernel_names);
  std::string settings_list = joined(settings_names);
  app.add_option("--isa", isa_list, "Instruction sets of the fast forms (default: " + isa_list + ")");
  app.add_option("--kernel", kernel_list, "Kernels (default: " + kernel_list + ")");
  app.add_option("--settings", settings_list,
                 "Settings: default (temp_precision 20, motion_depth 5, spat_precision 3, spat_depth 5, "
                 "threshold 255), md10 (motion_depth 10), sd15 (spat_depth 15) (default: all)");
  app.add_flag("--quick", quick, "Smoke run: a small generated clip and a few frames, for CI");

  ParseOutcome outcome;
  try {
    app.parse(argc, argv);
    BenchOptions o;
    if (!clip.empty()) o.clip = clip;
    if (quick) {
      o.generated_width = 128;
      o.generated_height = 64;
      o.frames = 3;
      o.reference_frames = 2;
    } else if (!o.clip) {
      o.frames = kGeneratedFrames;
    }
    if (frames_opt->count() > 0) o.frames = frames;
    if (ref_opt->count() > 0) o.reference_frames = reference_frames;
    o.max_seconds = max_seconds;
    o.kernels = look_up<KernelCase>(split(kernel_list), "kernel", find_kernel);
    o.settings = look_up<Settings>(split(settings_list), "settings", find_settings);
    const auto supported = brisen::supported_instruction_sets();
    for (brisen::InstructionSet isa : look_up<brisen::InstructionSet>(split(isa_list), "instruction set", find_instruction_set)) {
      if (isa == brisen::InstructionSet::reference) continue;  // always the baseline
      if (std::find(supported.begin(), supported.end(), isa) == supported.end()) {
        throw CLI::ValidationError(std::string("this processor does not run ") + brisen::name_of(isa));
      }
      o.isas.push_back(isa);
    }
    outcome.options = std::move(o);
  } catch (const CLI::ParseError& e) {
    // Help exits 0; every mistake of the caller exits 2.
    outcome.exit_code = app.exit(e) == 0 ? 0 : 2;
  }
  return outcome;
}

}  // namespace brisen_bench
