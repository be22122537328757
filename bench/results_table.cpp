#include "bench/results_table.h"

namespace brisen_bench {
namespace {

// Enough digits to compare rows from very slow to very fast.
std::string figure(double v) {
  char buf[32];
  const char* format = v >= 100 ? "%.0f" : v >= 10 ? "%.1f" : v >= 1 ? "%.2f" : "%.3f";
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

constexpr const char* kRowFormat = "%-18s %-8s %-9s %7s %9s %11s %9s %5s  %-15s %s\n";

}  // namespace

double ns_per_sample(const TableRow& row) {
  const double samples = static_cast<double>(row.samples_per_frame) * row.frames;
  return samples > 0 ? row.seconds * 1e9 / samples : 0;
}

void print_table_header(std::FILE* out) {
  std::fprintf(out, kRowFormat, "kernel", "settings", "isa", "frames", "fps", "ns/sample", "speed-up", "cpu",
               "identical", "");
}

void print_table_row(std::FILE* out, const TableRow& row) {
  const double ns = ns_per_sample(row);
  const std::string fps = row.seconds > 0 ? figure(row.frames / row.seconds) : "-";
  const std::string speedup = row.speedup ? figure(*row.speedup) + "x" : "-";
  const std::string cpu =
      row.seconds > 0 ? std::to_string(static_cast<int>(100 * row.cpu_seconds / row.seconds + 0.5)) + "%" : "-";
  std::fprintf(out, kRowFormat, row.kernel.c_str(), row.settings.c_str(), row.isa.c_str(),
               std::to_string(row.frames).c_str(), fps.c_str(), figure(ns).c_str(), speedup.c_str(), cpu.c_str(),
               row.identical.c_str(), row.note.c_str());
  std::fflush(out);
}

}  // namespace brisen_bench
