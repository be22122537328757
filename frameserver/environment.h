// The script environment that plug-ins see: a registry of script functions,
// errors raised as exceptions, the processor report, frames and block copies.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "frameserver/api_traits.h"
#include "frameserver/cpu_flags.h"
#include "frameserver/errors.h"
#include "frameserver/frames.h"
#include "frameserver/signature.h"

namespace frameserver {

template <class Api>
class Environment final : public Api::IScriptEnvironment {
 public:
  using AVSValue = typename Api::AVSValue;
  using NamedValue = std::pair<std::string, AVSValue>;

  explicit Environment(CpuReport report = CpuReport::Auto) : cpu_flags_(flags_for(report)) {}

  long GetCPUFlags() override { return cpu_flags_; }

  void AddFunction(const char* name, const char* params, typename Api::ApplyFunc apply,
                   void* user_data) override {
    ++add_function_calls_;
    functions_[lower(name)] = Function{name, params, apply, user_data};
  }

  [[noreturn]] void ThrowError(const char* message) override { throw ScriptError(message ? message : ""); }

  avs::PVideoFrame NewVideoFrame(const typename Api::VideoInfo& vi, int /*align*/) override {
    // Every frame is 64-byte aligned, which satisfies any alignment asked for.
    ClipFormat format = from_video_info<Api>(vi);
    return allocate_frame(row_size_of(format), vi.height);
  }

  void BitBlt(avs::BYTE* dstp, int dst_pitch, const avs::BYTE* srcp, int src_pitch, int row_size,
              int height) override {
    copy_rows(dstp, dst_pitch, srcp, src_pitch, row_size, height);
  }

  // Calls a registered function the way a script does: positional arguments
  // first, then named ones mapped onto the signature's positions. Arguments
  // not given stay undefined, so the function sees its own defaults.
  AVSValue invoke(const std::string& name, const std::vector<AVSValue>& positional,
                  const std::vector<NamedValue>& named = {}) {
    const auto found = functions_.find(lower(name));
    if (found == functions_.end()) throw ScriptError("there is no function named \"" + name + "\"");
    const Function& fn = found->second;
    const std::vector<Parameter> params = parse_signature(fn.params);
    if (positional.size() > params.size()) {
      throw ScriptError(fn.name + ": too many arguments (" + std::to_string(positional.size()) + ", at most " +
                        std::to_string(params.size()) + ")");
    }
    std::vector<AVSValue> args(params.size());
    for (size_t i = 0; i < positional.size(); ++i) {
      check_type(fn.name, params[i], positional[i]);
      args[i] = positional[i];
    }
    for (const auto& [arg_name, value] : named) {
      const auto p = std::find_if(params.begin(), params.end(),
                                  [&](const Parameter& q) { return !q.name.empty() && lower(q.name) == lower(arg_name); });
      if (p == params.end()) throw ScriptError(fn.name + " does not have a named argument \"" + arg_name + "\"");
      const size_t index = static_cast<size_t>(p - params.begin());
      if (args[index].Defined()) throw ScriptError(fn.name + ": argument \"" + arg_name + "\" given twice");
      check_type(fn.name, *p, value);
      args[index] = value;
    }
    for (size_t i = 0; i < params.size(); ++i) {
      if (params[i].name.empty() && !args[i].Defined()) {
        throw ScriptError(fn.name + ": argument " + std::to_string(i + 1) + " is missing");
      }
    }
    return fn.apply(AVSValue(args.data(), static_cast<int>(args.size())), fn.user_data, this);
  }

  int add_function_calls() const { return add_function_calls_; }
  bool has_function(const std::string& name) const { return functions_.count(lower(name)) != 0; }
  std::string signature_of(const std::string& name) const {
    const auto found = functions_.find(lower(name));
    return found == functions_.end() ? std::string() : found->second.params;
  }

 private:
  struct Function {
    std::string name;
    std::string params;
    typename Api::ApplyFunc apply;
    void* user_data;
  };

  static long flags_for(CpuReport report) {
    switch (report) {
      case CpuReport::IntegerSse: return avs::CPUF_INTEGER_SSE;
      case CpuReport::None: return 0;
      case CpuReport::Auto: break;
    }
    return detect_cpu_flags();
  }

  static std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
  }

  static void check_type(const std::string& fn, const Parameter& p, const AVSValue& v) {
    const bool ok = (p.type == 'c' && v.IsClip()) || (p.type == 'i' && v.IsInt()) ||
                    (p.type == 's' && v.IsString()) || p.type == '.';
    if (!ok) {
      const std::string what = p.name.empty() ? "an argument" : "argument \"" + p.name + "\"";
      throw ScriptError(fn + ": " + what + " has the wrong type");
    }
  }

  long cpu_flags_;
  int add_function_calls_ = 0;
  std::map<std::string, Function> functions_;
};

}  // namespace frameserver
