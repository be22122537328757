#include "cli/clean_command.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/atomic_output.h"
#include "cli/cli_errors.h"
#include "cli/input_stream.h"
#include "cli/luma_changes.h"
#include "cli/output_stream.h"
#include "cli/plugin_path.h"
#include "cli/progress.h"
#include "cli/snapshot_png.h"
#include "cli/y4m_frame_source.h"
#include "cli/y4m_read_ahead.h"
#include "cli/y4m_reader.h"
#include "cli/y4m_write_behind.h"
#include "cli/yuy2_convert.h"
#include "frameserver/errors.h"
#include "frameserver/session.h"

namespace brisen_cli {

namespace {

std::string count_text(int count) {
  return "the input has " + std::to_string(count) + (count == 1 ? " frame" : " frames") +
         (count > 0 ? " (0 to " + std::to_string(count - 1) + ")" : "");
}

std::string frames_text(const FrameRange& range) {
  return "--frames " + std::to_string(range.first) + ":" + (range.last ? std::to_string(*range.last) : "");
}

// The frame rate as the filter's clip describes it; it does not change the cleaning.
void frame_rate_of(const Y4mHeader& header, unsigned& num, unsigned& den) {
  num = 25;
  den = 1;
  if (!header.frame_rate) return;
  unsigned long n = 0;
  unsigned long d = 0;
  if (std::sscanf(header.frame_rate->c_str(), "%lu:%lu", &n, &d) == 2 && n > 0 && d > 0 && n <= UINT_MAX &&
      d <= UINT_MAX) {
    num = static_cast<unsigned>(n);
    den = static_cast<unsigned>(d);
  }
}

// Checks what can be checked before any frame is cleaned.
void check_request(const Options& options, const FrameRange& range, std::optional<int> count) {
  if (count && (range.first >= *count || (range.last && *range.last >= *count)))
    throw UsageError(frames_text(range) + ": " + count_text(*count));
  if (options.snapshot) {
    const int n = options.snapshot->frame;
    if (count && n >= *count) throw UsageError("--snapshot " + std::to_string(n) + ": " + count_text(*count));
    if (n < range.first || (range.last && n > *range.last))
      throw UsageError("--snapshot " + std::to_string(n) + ": that frame is not among those written (" +
                       frames_text(range) + ")");
  }
}

std::unique_ptr<frameserver::Session> load_session(const Options& options) {
  const std::string path = options.plugin ? *options.plugin : default_plugin_path();
  try {
    return frameserver::Session::load_plugin(path, options.cpu);
  } catch (const frameserver::HostError& e) {
    throw IoError(e.what());
  }
}

void write_snapshot(OutputStream& png, const avs::VideoFrame& in, const avs::VideoFrame& out, int width,
                    int height) {
  PlanarFrame before(width, height);
  PlanarFrame after(width, height);
  yuy2_to_planar(in.GetReadPtr(), in.GetPitch(), before);
  yuy2_to_planar(out.GetReadPtr(), out.GetPitch(), after);
  const std::vector<std::uint8_t> bytes = encode_png(compose_comparison(before, after));
  png.write(bytes.data(), bytes.size());
  png.flush();
}

// The frame's rows without padding: plain bytes, for another thread to write.
std::vector<std::uint8_t> packed_rows(const avs::VideoFrame& frame) {
  const int row_size = frame.GetRowSize();
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(row_size) * static_cast<std::size_t>(frame.GetHeight()));
  for (int y = 0; y < frame.GetHeight(); ++y) {
    const avs::BYTE* row = frame.GetReadPtr() + static_cast<std::ptrdiff_t>(y) * frame.GetPitch();
    bytes.insert(bytes.end(), row, row + row_size);
  }
  return bytes;
}

}  // namespace

void run_clean(const Options& options) {
  const FrameRange range = options.frames.value_or(FrameRange{});
  if (options.output == "-" && ::isatty(STDOUT_FILENO))
    throw UsageError("refusing to write video to a terminal; give an OUTPUT file or redirect standard output");

  std::unique_ptr<frameserver::Session> session = load_session(options);

  InputStream in = InputStream::open(options.input);
  Y4mReader reader(in);
  const Y4mHeader& header = reader.header();
  std::optional<std::vector<std::int64_t>> index;
  if (in.seekable()) index = reader.index_frames();
  // Reading, converting and writing run beside the filter; the filter, its
  // clips and frames stay on this thread.
  Y4mReadAhead frames_in(reader);
  auto source = std::make_shared<Y4mFrameSource>(frames_in, std::move(index));
  if (!source->has_frame(0)) throw IoError(in.name() + ": the stream has no frames");
  check_request(options, range, source->frame_count());

  frameserver::ClipFormat format;
  format.width = header.width;
  format.height = header.height;
  frame_rate_of(header, format.fps_numerator, format.fps_denominator);
  // Of a stream of unknown length the filter is told it never ends; the real
  // last frame is then passed through here, as the filter would have done.
  format.num_frames = source->frame_count().value_or(INT_MAX);
  format.pixel = frameserver::PixelFormat::YUY2;
  try {
    session->apply("Brisen", source, format, options.filter_args);
  } catch (const frameserver::ScriptError& e) {
    const std::string message = e.what();
    if (message.find("Could not allocate memory") != std::string::npos) throw IoError(message);
    throw FilterRefusal(message);
  }

  AtomicOutput output(options.output);
  OutputStream out(output.fd(), output.name());
  std::optional<AtomicOutput> png_output;
  std::optional<OutputStream> png;
  if (options.snapshot) {
    png_output.emplace(options.snapshot->path);
    png.emplace(png_output->fd(), png_output->name());
  }
  Y4mWriteBehind frames_out(out, header, [&frames_in](std::exception_ptr e) { frames_in.abandon(e); });

  std::optional<std::int64_t> total;
  if (range.last) total = *range.last - range.first + 1;
  else if (source->frame_count()) total = *source->frame_count() - range.first;
  Progress progress(!options.quiet && ::isatty(STDERR_FILENO), stderr);
  std::uint64_t changed = 0;
  std::int64_t written = 0;
  bool snapshot_taken = false;

  try {
    for (int n = range.first; !range.last || n <= *range.last; ++n) {
      if (!source->has_frame(n)) {
        if (n == range.first || range.last)
          throw UsageError(frames_text(range) + ": " + count_text(*source->frame_count()));
        break;
      }
      const bool last = !source->has_frame(n + 1);
      // Everything the filter will read is read here first, so stream errors
      // surface outside the plug-in.
      if (!last) source->frame(n + 1);
      const avs::PVideoFrame in_frame = source->frame(n);
      const avs::PVideoFrame out_frame = last ? in_frame : session->output_frame(n);
      if (out_frame->GetRowSize() != 2 * header.width || out_frame->GetHeight() != header.height)
        throw frameserver::HostError("the filter returned a frame of another size");
      frames_out.write(packed_rows(*out_frame.get()));
      changed += count_changed_luma(*in_frame.get(), *out_frame.get());
      if (options.snapshot && n == options.snapshot->frame) {
        write_snapshot(*png, *in_frame.get(), *out_frame.get(), header.width, header.height);
        snapshot_taken = true;
      }
      ++written;
      progress.update(written, total);
    }
  } catch (...) {
    // Frames queued before this failure were written before it when one
    // thread did everything; so they are now, and a failure among them wins.
    frames_out.finish();
    throw;
  }
  frames_out.finish();
  progress.finish();
  if (options.snapshot && !snapshot_taken)
    throw UsageError("--snapshot " + std::to_string(options.snapshot->frame) + ": " +
                     count_text(source->frame_count().value_or(0)));

  out.flush();
  if (png_output) png_output->commit();
  output.commit();
  session->release_output();

  if (!options.quiet) {
    const std::uint64_t samples = static_cast<std::uint64_t>(written) * header.width * header.height;
    std::fprintf(stderr, "brisen: %s\n",
                 format_summary(written, progress.elapsed_seconds(), changed, samples).c_str());
  }
}

}  // namespace brisen_cli
