// The table the benchmark prints: one row per kernel, settings and
// instruction set, written as soon as the row is timed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace brisen_bench {

struct TableRow {
  std::string kernel;
  std::string settings;
  std::string isa;
  int frames = 0;
  double seconds = 0;
  double cpu_seconds = 0;
  std::int64_t samples_per_frame = 0;  // luma samples
  std::optional<double> speedup;  // over the reference form
  std::string identical = "-";  // or "yes (3 frames)", "MISMATCH"
  std::string note;
};

void print_table_header(std::FILE* out);
void print_table_row(std::FILE* out, const TableRow& row);

double ns_per_sample(const TableRow& row);

}  // namespace brisen_bench
