// The libraries for both host interface versions are one filter: same frames,
// same messages, whichever a host loads.
#include <gtest/gtest.h>

#include <cstring>

#include "frameserver/session.h"
#include "tests/support/clip_builder.h"

namespace {

using frameserver::CpuReport;
using frameserver::IntArg;
using frameserver::Session;

uint8_t specks(int frame, int line, int byte) {
  const uint32_t h = static_cast<uint32_t>(frame * 31 + line * 1031 + byte * 7177) * 2246822519u;
  if (byte % 2) return static_cast<uint8_t>(h >> 24);
  return (h >> 9) % 53 == 0 ? static_cast<uint8_t>(h >> 24) : static_cast<uint8_t>(90 + (line * 3 + byte + frame) % 20);
}

std::vector<std::vector<uint8_t>> run(const char* plugin, CpuReport report, const std::vector<IntArg>& args,
                                      const std::vector<int>& order) {
  const auto clip = testing_support::make_clip(192, 80, 8, specks);
  auto session = Session::load_plugin(plugin, report);
  session->apply("Brisen", clip.source, clip.format, args);
  std::vector<std::vector<uint8_t>> frames;
  for (int n : order) {
    const avs::PVideoFrame f = session->output_frame(n);
    std::vector<uint8_t>& bytes = frames.emplace_back();
    for (int y = 0; y < f->GetHeight(); ++y) {
      bytes.insert(bytes.end(), f->GetReadPtr() + y * f->GetPitch(), f->GetReadPtr() + y * f->GetPitch() + f->GetRowSize());
    }
  }
  return frames;
}

TEST(InterfaceVersions, BothLibrariesGiveTheSameFrames) {
  const std::vector<int> order{1, 2, 3, 6, 5, 0, 7, 4, 5};
  for (CpuReport report : {CpuReport::IntegerSse, CpuReport::None}) {
    for (int method : {0, 1, 2, 3}) {
      const std::vector<IntArg> args{{"method", method}, {"motion_depth", 2}, {"spat_precision", 9}};
      EXPECT_EQ(run(BRISEN_PLUGIN_25, report, args, order), run(BRISEN_PLUGIN_20, report, args, order))
          << "method " << method << (report == CpuReport::None ? ", portable" : ", isse");
    }
  }
}

TEST(InterfaceVersions, BothLibrariesRaiseTheSameMessages) {
  const std::vector<std::vector<IntArg>> calls{
      {{"temp_precision", -1}, {"motion_depth", 11}}, {{"motion_depth", -1}}, {{"motion_depth", 11}},
      {{"spat_precision", -1}, {"spat_depth", -1}},   {{"spat_depth", -3}},
  };
  for (const auto& args : calls) {
    std::vector<std::string> messages;
    for (const char* plugin : {BRISEN_PLUGIN_25, BRISEN_PLUGIN_20}) {
      const auto clip = testing_support::make_clip(64, 48, 3, testing_support::flat);
      auto session = Session::load_plugin(plugin);
      try {
        session->apply("Brisen", clip.source, clip.format, args);
        messages.push_back("accepted");
      } catch (const frameserver::ScriptError& e) {
        messages.push_back(e.what());
      }
    }
    EXPECT_EQ(messages[0], messages[1]);
    EXPECT_NE(messages[0], "accepted");
  }
}

TEST(InterfaceVersions, EachLibraryIsDrivenThroughItsOwnEntryPoint) {
  EXPECT_EQ(Session::load_plugin(BRISEN_PLUGIN_25)->interface_version(), 25);
  EXPECT_EQ(Session::load_plugin(BRISEN_PLUGIN_20)->interface_version(), 20);
  EXPECT_EQ(Session::load_plugin(BRISEN_PLUGIN_20)->plugin_description(), "Brisen: slightly cleans movies");
  EXPECT_THROW(Session::load_plugin("/nonexistent/libbrisen.so"), frameserver::HostError);
  EXPECT_THROW(Session::load_plugin("libm.so.6"), frameserver::HostError);  // no entry point
}

}  // namespace
