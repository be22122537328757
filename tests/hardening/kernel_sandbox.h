// Runs one kernel, in every form this processor has, over a short clip in
// guarded buffers, the way the frame driver calls it, and compares each form
// with the reference byte for byte and map for map. Shared by the geometry
// sweep and the kernel fuzzer, so it reports problems as text, not through a
// test framework.
#pragma once

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kernels/filter_state.h"
#include "kernels/frame_sequence.h"
#include "kernels/kernel_table.h"
#include "kernels/kernel_workspace.h"
#include "tests/hardening/guarded_array.h"
#include "tests/support/hashed_bits.h"

namespace hardening {

enum class KernelKind { frame_isse, field_isse, frame_plain, field_plain };

inline const char* name_of(KernelKind kind) {
  switch (kind) {
    case KernelKind::frame_isse: return "clean_frame_isse";
    case KernelKind::field_isse: return "clean_field_isse";
    case KernelKind::frame_plain: return "clean_frame_plain";
    case KernelKind::field_plain: return "clean_field_plain";
  }
  return "?";
}

inline brisen::Kernel pick(const brisen::KernelTable& table, KernelKind kind) {
  switch (kind) {
    case KernelKind::frame_isse: return table.clean_frame_isse;
    case KernelKind::field_isse: return table.clean_field_isse;
    case KernelKind::frame_plain: return table.clean_frame_plain;
    case KernelKind::field_plain: return table.clean_field_plain;
  }
  return nullptr;
}

inline bool is_isse(KernelKind kind) { return kind == KernelKind::frame_isse || kind == KernelKind::field_isse; }

struct Settings {
  int32_t temp_precision = 20;
  int32_t motion_depth = 5;
  int32_t method = 0;
  int32_t spat_precision = 3;
  int32_t spat_depth = 5;
  int32_t threshold = 255;
};

struct Geometry {
  int32_t row_size;   // bytes, even
  int32_t height;     // lines
  int32_t pitch;      // of src, prev and next; >= row_size
  int32_t dst_pitch;  // >= row_size
};

// The clip the passes run over: frame n of it is frames[n], each pitch * height
// bytes; pass k cleans frame k + 1 with frames k and k + 2 around it.
struct Clip {
  Geometry geometry;
  std::vector<std::vector<uint8_t>> frames;
  int passes() const { return static_cast<int>(frames.size()) - 2; }
};

inline constexpr uint8_t frame_guard = 0xA5;
inline constexpr uint8_t dst_padding = 0xEE;
inline constexpr int32_t map_guard = 0x7EADBEEF;

// A block copy that only copies, and notes calls no host would accept.
class CheckedBlockCopy final : public brisen::BlockCopy {
 public:
  void operator()(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int32_t row_size,
                  int32_t height) const override {
    if (row_size < 0 || height < 0 || (height > 1 && (dst_pitch < row_size || src_pitch < row_size))) {
      std::ostringstream s;
      s << "block copy of " << row_size << " x " << height << " bytes, pitches " << dst_pitch << " and "
        << src_pitch << "; ";
      problems += s.str();
      return;
    }
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < row_size; ++x) dst[int64_t{y} * dst_pitch + x] = src[int64_t{y} * src_pitch + x];
    }
  }
  mutable std::string problems;
};

// What one form left behind after every pass.
struct FormResult {
  std::string isa;
  std::vector<std::vector<uint8_t>> outputs;  // visible dst bytes of each pass, line after line
  std::vector<std::vector<bool>> as_prefilled;  // bytes that still hold the prefill: maybe never written
  std::vector<std::vector<int32_t>> maps_a;   // both maps after each pass
  std::vector<std::vector<int32_t>> maps_b;
  std::vector<int32_t> map_write_is_a;
  std::vector<int32_t> field_parity;
  std::vector<int32_t> field_offset;
  std::string problems;  // stray writes, unwritten bytes, bad block copies
};

// One form of `kind` over every pass of `clip`, as the frame driver calls it.
// `prefill` is xored into src to give dst's starting bytes, so that a byte the
// form never writes differs between forms prefilled differently.
inline FormResult run_form(const std::string& name, brisen::Kernel kernel, KernelKind kind, const Clip& clip,
                           const Settings& s, uint8_t prefill) {
  const Geometry& g = clip.geometry;
  FormResult result;
  result.isa = name;

  const int64_t frame_bytes = int64_t{g.pitch} * g.height;
  const auto entries = static_cast<std::size_t>(frame_bytes / 2 > 0 ? frame_bytes / 2 : 1);
  GuardedArray<int32_t> map_a(entries, -1, map_guard);
  GuardedArray<int32_t> map_b(entries, 0x5A5A5A5A, map_guard);  // the filter leaves it unset

  brisen::FilterState state;
  state.temp_precision = s.temp_precision;
  state.motion_depth = s.motion_depth;
  state.method = s.method;
  state.spat_precision = s.spat_precision;
  state.spat_depth = s.spat_depth;
  state.threshold = s.threshold;
  state.use_isse = is_isse(kind);
  brisen::set_frame_geometry(state, g.pitch, g.row_size, g.height);
  state.map_a = map_a.data();
  state.map_b = map_b.data();
  state.map_write = state.map_a;
  state.map_read = state.map_b;
  const std::unique_ptr<brisen::KernelWorkspace> workspace = brisen::make_workspace(state);

  std::vector<std::unique_ptr<GuardedArray<uint8_t>>> frames;
  for (const std::vector<uint8_t>& bytes : clip.frames) {
    frames.push_back(std::make_unique<GuardedArray<uint8_t>>(bytes.size(), 0, frame_guard));
    std::copy(bytes.begin(), bytes.end(), frames.back()->data());
  }
  std::ostringstream problems;
  for (int k = 0; k < clip.passes(); ++k) {
    const int n = k + 1;
    const std::vector<uint8_t>& src = clip.frames[static_cast<std::size_t>(n)];
    GuardedArray<uint8_t> dst(static_cast<std::size_t>(g.dst_pitch) * g.height, dst_padding, frame_guard);
    for (int32_t y = 0; y < g.height; ++y) {
      for (int32_t x = 0; x < g.row_size; ++x)
        dst.data()[int64_t{y} * g.dst_pitch + x] = src[int64_t{y} * g.pitch + x] ^ prefill;
    }

    // The frame driver's sequence test, reset and tag.
    brisen::prepare_sequence(state, n);
    CheckedBlockCopy block_copy;
    const brisen::FrameSet set{frames[static_cast<std::size_t>(n)]->data(),
                               frames[static_cast<std::size_t>(n - 1)]->data(),
                               frames[static_cast<std::size_t>(n + 1)]->data(),
                               g.pitch,
                               dst.data(),
                               g.dst_pitch,
                               g.row_size,
                               g.height};
    kernel(state, set, block_copy, *workspace);
    state.map_write[0] = n;

    problems << block_copy.problems;
    if (!dst.guards_intact()) problems << "pass " << k << ": wrote outside dst; ";
    std::vector<uint8_t> visible;
    std::vector<bool> as_prefilled;
    for (int32_t y = 0; y < g.height; ++y) {
      const uint8_t* out = dst.data() + int64_t{y} * g.dst_pitch;
      const uint8_t* in = src.data() + int64_t{y} * g.pitch;
      for (int32_t x = 0; x < g.row_size; ++x) {
        visible.push_back(out[x]);
        as_prefilled.push_back(out[x] == (in[x] ^ prefill));
        if (x % 2 != 0 && out[x] != in[x]) problems << "pass " << k << ": chroma byte " << x << " of line " << y << " is not src's; ";
      }
      for (int32_t x = g.row_size; x < g.dst_pitch; ++x) {
        if (out[x] != dst_padding) problems << "pass " << k << ": wrote padding byte " << x << " of line " << y << "; ";
      }
    }
    result.as_prefilled.push_back(std::move(as_prefilled));
    result.outputs.push_back(std::move(visible));
    result.maps_a.emplace_back(map_a.data(), map_a.data() + entries);
    result.maps_b.emplace_back(map_b.data(), map_b.data() + entries);
    result.map_write_is_a.push_back(state.map_write == state.map_a);
    result.field_parity.push_back(state.field_parity);
    result.field_offset.push_back(state.field_offset);
  }
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (!frames[i]->guards_intact()) problems << "wrote outside input frame " << i << "; ";
    if (!std::equal(clip.frames[i].begin(), clip.frames[i].end(), frames[i]->data()))
      problems << "changed input frame " << i << "; ";
  }
  if (!map_a.guards_intact() || !map_b.guards_intact()) problems << "wrote outside a match map; ";
  result.problems = problems.str();
  constexpr std::size_t shown = 600;  // the first few problems say enough
  if (result.problems.size() > shown) result.problems = result.problems.substr(0, shown) + "...";
  return result;
}

// Where `form` first differs from `reference`; empty when it does not.
inline std::string first_difference(const FormResult& reference, const FormResult& form) {
  std::ostringstream s;
  for (std::size_t k = 0; k < reference.outputs.size(); ++k) {
    const auto& a = reference.outputs[k];
    const auto& b = form.outputs[k];
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
      if (a[i] != b[i]) {
        s << "pass " << k << ": output byte " << i << " is " << int{b[i]} << ", reference " << int{a[i]};
        if (form.as_prefilled[k][i]) s << " (never written by " << form.isa << "?)";
        if (reference.as_prefilled[k][i]) s << " (never written by the reference?)";
        return s.str();
      }
    }
    const auto compare_map = [&](const std::vector<int32_t>& x, const std::vector<int32_t>& y, const char* name) {
      for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] != y[i]) {
          s << "pass " << k << ": " << name << " entry " << i << " is " << y[i] << ", reference " << x[i];
          return false;
        }
      }
      return true;
    };
    if (!compare_map(reference.maps_a[k], form.maps_a[k], "map_a")) return s.str();
    if (!compare_map(reference.maps_b[k], form.maps_b[k], "map_b")) return s.str();
    if (reference.map_write_is_a[k] != form.map_write_is_a[k]) {
      s << "pass " << k << ": map roles differ";
      return s.str();
    }
    if (reference.field_parity[k] != form.field_parity[k] || reference.field_offset[k] != form.field_offset[k]) {
      s << "pass " << k << ": field selector " << form.field_parity[k] << "/" << form.field_offset[k]
        << ", reference " << reference.field_parity[k] << "/" << reference.field_offset[k];
      return s.str();
    }
  }
  return "";
}

struct Form {
  std::string name;
  brisen::Kernel kernel;
};

// Every form of `kind` this processor runs, the reference first.
inline std::vector<Form> supported_forms(KernelKind kind) {
  std::vector<Form> forms;
  for (brisen::InstructionSet isa : brisen::supported_instruction_sets())
    forms.push_back({brisen::name_of(isa), pick(brisen::kernel_table(isa), kind)});
  return forms;
}

// `forms` (the reference first) over `clip`: the problems each one shows and
// where another departs from the reference. Empty when all is well.
inline std::string check_forms(const std::vector<Form>& forms, KernelKind kind, const Clip& clip, const Settings& s) {
  static constexpr uint8_t prefills[] = {0xFF, 0x55, 0xAA, 0x33, 0xCC, 0x0F};
  std::string report;
  FormResult reference;
  for (std::size_t i = 0; i < forms.size(); ++i) {
    FormResult form = run_form(forms[i].name, forms[i].kernel, kind, clip, s, prefills[i % std::size(prefills)]);
    if (!form.problems.empty()) report += form.isa + ": " + form.problems + "\n";
    if (i == 0) {
      reference = std::move(form);
      continue;
    }
    const std::string diff = first_difference(reference, form);
    if (!diff.empty()) report += form.isa + " differs from the reference: " + diff + "\n";
  }
  return report;
}

inline std::string check_all_forms(KernelKind kind, const Clip& clip, const Settings& s) {
  return check_forms(supported_forms(kind), kind, clip, s);
}

using testing_support::hashed;

// `passes` + 2 frames of a low-contrast texture that drifts one sample right
// per frame, sprinkled with specks, so that samples are cleaned by both rules,
// matches are found and the match maps fill. Padding bytes are random too.
inline Clip drifting_clip(const Geometry& g, int passes, uint32_t seed) {
  Clip clip{g, {}};
  for (int f = 0; f < passes + 2; ++f) {
    std::vector<uint8_t> bytes(static_cast<std::size_t>(g.pitch) * g.height);
    for (int32_t y = 0; y < g.height; ++y) {
      for (int32_t x = 0; x < g.pitch; ++x) {
        const uint32_t h = hashed(seed, x - 2 * f, y);
        uint8_t v = static_cast<uint8_t>(h);
        if (x % 2 == 0 && x < g.row_size) {
          v = static_cast<uint8_t>(70 + h % 6 + ((x / 32 + y / 8) % 2) * 50);
          const uint32_t speck = hashed(seed + 7, f, int64_t{y} * g.pitch + x);
          if (speck % 23 == 0) v = speck & 0x100 ? 250 : 3;
        }
        bytes[static_cast<std::size_t>(y) * g.pitch + x] = v;
      }
    }
    clip.frames.push_back(std::move(bytes));
  }
  return clip;
}

// Settings and geometry, for messages.
inline std::string describe(KernelKind kind, const Geometry& g, const Settings& s) {
  std::ostringstream out;
  out << name_of(kind) << " row_size " << g.row_size << " height " << g.height << " pitch " << g.pitch
      << " dst_pitch " << g.dst_pitch << " temp_precision " << s.temp_precision << " motion_depth "
      << s.motion_depth << " method " << s.method << " spat_precision " << s.spat_precision << " spat_depth "
      << s.spat_depth << " threshold " << s.threshold;
  return out.str();
}

}  // namespace hardening
