#include "cli/demo_command.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/atomic_output.h"
#include "cli/cli_errors.h"
#include "cli/demo_clip.h"
#include "cli/output_stream.h"
#include "cli/plugin_path.h"
#include "cli/snapshot_png.h"
#include "cli/y4m_writer.h"
#include "cli/yuy2_convert.h"
#include "frameserver/errors.h"
#include "frameserver/frames.h"
#include "frameserver/memory_source.h"
#include "frameserver/session.h"

namespace brisen_cli {

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 288;
constexpr int kFrames = 40;
// The integer-SSE kernels leave a 16-sample border, the portable ones less.
constexpr int kMargin = 16;

std::vector<PlanarFrame> clean(frameserver::Session& session, const std::vector<PlanarFrame>& dusty,
                               double& seconds) {
  std::vector<avs::PVideoFrame> frames;
  for (const PlanarFrame& f : dusty) {
    avs::PVideoFrame frame = frameserver::allocate_frame(2 * f.width, f.height);
    planar_to_yuy2(f, frame->GetWritePtr(), frame->GetPitch());
    frames.push_back(std::move(frame));
  }
  frameserver::ClipFormat format;
  format.width = kWidth;
  format.height = kHeight;
  format.fps_numerator = 24;
  format.num_frames = static_cast<int>(dusty.size());
  session.apply("Brisen", std::make_shared<frameserver::MemorySource>(std::move(frames)), format, {});
  std::vector<PlanarFrame> cleaned;
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < format.num_frames; ++n) {
    const avs::PVideoFrame out = session.output_frame(n);
    PlanarFrame planar(kWidth, kHeight);
    yuy2_to_planar(out->GetReadPtr(), out->GetPitch(), planar);
    cleaned.push_back(std::move(planar));
  }
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  session.release_output();
  return cleaned;
}

void write_clip(const std::string& path, const std::vector<PlanarFrame>& frames) {
  AtomicOutput file(path);
  OutputStream out(file.fd(), file.name());
  Y4mHeader header;
  header.width = kWidth;
  header.height = kHeight;
  header.frame_rate = "24:1";
  header.interlacing = "p";
  header.aspect = "1:1";
  Y4mWriter writer(out, header);
  for (const PlanarFrame& f : frames) writer.write_frame(f);
  out.flush();
  file.commit();
}

void write_picture(const std::string& path, const PlanarFrame& dusty, const PlanarFrame& cleaned) {
  AtomicOutput file(path);
  OutputStream out(file.fd(), file.name());
  const std::vector<std::uint8_t> bytes = encode_png(compose_comparison(dusty, cleaned));
  out.write(bytes.data(), bytes.size());
  out.flush();
  file.commit();
}

}  // namespace

void run_demo(const Options& options) {
  const std::string path = options.plugin ? *options.plugin : default_plugin_path();
  std::unique_ptr<frameserver::Session> session;
  try {
    session = frameserver::Session::load_plugin(path, options.cpu);
  } catch (const frameserver::HostError& e) {
    throw IoError(e.what());
  }
  std::error_code ec;
  std::filesystem::create_directories(options.demo_dir, ec);
  if (ec) throw IoError("cannot create " + options.demo_dir + ": " + ec.message());

  const DemoClip clip = make_demo_clip(kWidth, kHeight, kFrames, kMargin, 1977);
  double seconds = 0;
  const std::vector<PlanarFrame> cleaned = clean(*session, clip.dusty, seconds);

  const std::string dir = options.demo_dir;
  const std::string picture = dir + "/before-after.png";
  const std::string dusty_clip = dir + "/dusty.y4m";
  const std::string cleaned_clip = dir + "/cleaned.y4m";
  const std::size_t middle = clip.dusty.size() / 2;
  write_picture(picture, clip.dusty[middle], cleaned[middle]);
  write_clip(dusty_clip, clip.dusty);
  write_clip(cleaned_clip, cleaned);

  const int removed = count_removed_specks(clip, cleaned);
  const int specks = static_cast<int>(clip.specks.size());
  std::printf("Brisen demo: %d frames of %dx%d film with light grain and %d dust specks\n", kFrames, kWidth,
              kHeight, specks);
  std::printf("cleaned with the default settings in %.2f s (%.1f fps)\n", seconds,
              seconds > 0 ? kFrames / seconds : 0.0);
  std::printf("specks removed: %d of %d (%.1f%%)\n", removed, specks, specks ? 100.0 * removed / specks : 0.0);
  std::printf("luma PSNR against the clean original: dusty %.2f dB, cleaned %.2f dB\n",
              luma_psnr(clip.original, clip.dusty), luma_psnr(clip.original, cleaned));
  std::printf("wrote %s (dusty, cleaned, changes: red darker, blue brighter), %s, %s\n", picture.c_str(),
              dusty_clip.c_str(), cleaned_clip.c_str());
}

}  // namespace brisen_cli
