// The frame server as the command line and the tests use it, whatever
// interface version the loaded plug-in speaks: load a plug-in, feed it a source
// clip, call one of its script functions and pull frames of the result.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frameserver/clip_format.h"
#include "frameserver/cpu_flags.h"
#include "frameserver/errors.h"
#include "frameserver/frame_source.h"
#include "host/interface/video_frame.h"

namespace frameserver {

// An integer argument of a script call; with no name it is positional.
struct IntArg {
  std::string name;
  int value;
};

class Session {
 public:
  virtual ~Session() = default;

  // Loads the plug-in at `path` with dlopen and calls its entry point:
  // AvisynthPluginInit2 (interface 2.5) or AvisynthPluginInit (2.0).
  // Throws HostError when the library cannot be loaded or has neither.
  static std::unique_ptr<Session> load_plugin(const std::string& path,
                                              CpuReport report = CpuReport::Auto);

  virtual int interface_version() const = 0;  // 25 or 20
  virtual const std::string& plugin_description() const = 0;

  // Calls `function(source, args...)` the way a script would; the clip it
  // returns becomes this session's output. Throws ScriptError with the
  // plug-in's message when it refuses.
  virtual void apply(const std::string& function, std::shared_ptr<FrameSource> source,
                     const ClipFormat& format, const std::vector<IntArg>& args) = 0;

  // Frame n of the output clip. Throws ScriptError or HostError.
  virtual avs::PVideoFrame output_frame(int n) = 0;
  virtual ClipFormat output_format() const = 0;

  // Drops the output clip (and with it the filter and its source).
  virtual void release_output() = 0;
};

}  // namespace frameserver
