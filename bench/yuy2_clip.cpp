#include "bench/yuy2_clip.h"

#include <cstring>
#include <new>

#include "cli/input_stream.h"
#include "cli/y4m_reader.h"
#include "cli/yuy2_convert.h"

namespace brisen_bench {

FrameBuffer allocate_frame(int pitch, int height) {
  const std::size_t bytes = (static_cast<std::size_t>(pitch) * height + 63) / 64 * 64;
  auto* p = static_cast<std::uint8_t*>(std::aligned_alloc(64, bytes > 0 ? bytes : 64));
  if (p == nullptr) throw std::bad_alloc();
  std::memset(p, 0, bytes);
  return FrameBuffer(p);
}

int pitch_for(int width) { return (2 * width + 63) / 64 * 64; }

Yuy2Clip load_y4m_clip(const std::string& path, int max_frames) {
  brisen_cli::InputStream in = brisen_cli::InputStream::open(path);
  brisen_cli::Y4mReader reader(in);
  Yuy2Clip clip;
  clip.description = path;
  clip.width = reader.header().width;
  clip.height = reader.header().height;
  clip.pitch = pitch_for(clip.width);
  brisen_cli::PlanarFrame planar;
  while (static_cast<int>(clip.frames.size()) < max_frames && reader.read_frame(planar)) {
    FrameBuffer frame = allocate_frame(clip.pitch, clip.height);
    brisen_cli::planar_to_yuy2(planar, frame.get(), clip.pitch);
    clip.frames.push_back(std::move(frame));
  }
  return clip;
}

}  // namespace brisen_bench
