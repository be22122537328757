// Reading and writing YUV4MPEG2 streams: what is accepted, what is refused
// with which message, and that a written stream reads back the same.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "cli/cli_errors.h"
#include "cli/input_stream.h"
#include "cli/output_stream.h"
#include "cli/y4m_reader.h"
#include "cli/y4m_writer.h"
#include "tests/cli/y4m_samples.h"

namespace {

using brisen_cli::InputStream;
using brisen_cli::IoError;
using brisen_cli::PlanarFrame;
using brisen_cli::Y4mReader;
using cli_test::make_y4m;

// The bytes behind a pipe, fed by a thread so any size fits.
class PipeInput {
 public:
  explicit PipeInput(std::string bytes) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    read_fd_ = fds[0];
    writer_ = std::thread([fd = fds[1], bytes = std::move(bytes)] {
      std::size_t done = 0;
      while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
      }
      ::close(fd);
    });
  }
  ~PipeInput() {
    ::close(read_fd_);
    writer_.join();
  }
  InputStream stream() const { return InputStream(read_fd_, "pipe", false); }

 private:
  int read_fd_;
  std::thread writer_;
};

// A regular file holding `bytes`, open for reading.
class FileInput {
 public:
  explicit FileInput(const std::string& bytes) {
    cli_test::write_file(dir_ / "in.y4m", bytes);
  }
  InputStream stream() const { return InputStream::open(dir_ / "in.y4m"); }

 private:
  cli_test::ScratchDir dir_;
};

std::string read_error(const std::string& bytes) {
  FileInput file(bytes);
  InputStream in = file.stream();
  try {
    Y4mReader reader(in);
    PlanarFrame frame;
    while (reader.read_frame(frame)) {
    }
  } catch (const IoError& e) {
    return e.what();
  }
  return "";
}

TEST(Y4mReader, ReadsHeaderTagsAndFrames) {
  const std::string bytes = make_y4m(8, 4, 3, " F30000:1001 It A128:117 C422 XYSCSS=422 XCOLORRANGE=LIMITED");
  FileInput file(bytes);
  InputStream in = file.stream();
  Y4mReader reader(in);
  const auto& h = reader.header();
  EXPECT_EQ(h.width, 8);
  EXPECT_EQ(h.height, 4);
  EXPECT_EQ(h.frame_rate, "30000:1001");
  EXPECT_EQ(h.interlacing, "t");
  EXPECT_EQ(h.aspect, "128:117");
  EXPECT_EQ(h.extensions, (std::vector<std::string>{"YSCSS=422", "COLORRANGE=LIMITED"}));
  PlanarFrame frame;
  for (int f = 0; f < 3; ++f) {
    ASSERT_TRUE(reader.read_frame(frame));
    EXPECT_EQ(std::string(frame.data.begin(), frame.data.end()), cli_test::frame_payload(8, 4, f));
  }
  EXPECT_FALSE(reader.read_frame(frame));
  EXPECT_EQ(reader.next_frame(), 3);
}

TEST(Y4mReader, AcceptsFrameParametersAndUnknownTags) {
  const std::string payload = cli_test::frame_payload(4, 2, 0);
  const std::string bytes = "YUV4MPEG2 W4 H2 C422 Zfuture\nFRAME Ixyz XFOO=1\n" + payload;
  FileInput file(bytes);
  InputStream in = file.stream();
  Y4mReader reader(in);
  PlanarFrame frame;
  ASSERT_TRUE(reader.read_frame(frame));
  EXPECT_EQ(std::string(frame.data.begin(), frame.data.end()), payload);
  EXPECT_FALSE(reader.read_frame(frame));
}

struct BadStream {
  const char* what;
  std::string bytes;
  std::vector<std::string> message_parts;
};

TEST(Y4mReader, RefusesBadStreamsNamingWhatAndWhere) {
  const std::string frame = "FRAME\n" + cli_test::frame_payload(4, 2, 0);
  const std::string head = "YUV4MPEG2 W4 H2 F25:1 C422\n";
  const std::vector<BadStream> cases = {
      {"empty", "", {"empty input"}},
      {"not y4m", "RIFF....WAVEfmt \n", {"not a YUV4MPEG2 stream"}},
      {"signature glued to junk", "YUV4MPEG2X W4 H2 C422\n", {"not a YUV4MPEG2 stream"}},
      {"header never ends", "YUV4MPEG2 W4 H2 C422", {"ends inside its header"}},
      {"endless header", "YUV4MPEG2 " + std::string(5000, 'X') + "\n", {"longer than"}},
      {"no width", "YUV4MPEG2 H2 C422\n", {"no width"}},
      {"no height", "YUV4MPEG2 W4 C422\n", {"no height"}},
      {"width not a number", "YUV4MPEG2 W4x H2 C422\n", {"bad width '4x'"}},
      {"zero height", "YUV4MPEG2 W4 H0 C422\n", {"bad height '0'"}},
      {"absurd width", "YUV4MPEG2 W99999999999 H2 C422\n", {"width 99999999999", "largest supported"}},
      {"absurd height", "YUV4MPEG2 W4 H16385 C422\n", {"height 16385"}},
      {"bad rate", "YUV4MPEG2 W4 H2 F25 C422\n", {"bad frame rate '25'"}},
      {"rate over zero", "YUV4MPEG2 W4 H2 F25:0 C422\n", {"bad frame rate"}},
      {"bad aspect", "YUV4MPEG2 W4 H2 A1:x C422\n", {"bad pixel aspect ratio"}},
      {"bad interlacing", "YUV4MPEG2 W4 H2 Iq C422\n", {"bad interlacing 'q'"}},
      {"4:2:0 by default", "YUV4MPEG2 W4 H2\n", {"no colour space", "4:2:0", "-pix_fmt yuv422p"}},
      {"4:2:0", "YUV4MPEG2 W4 H2 C420jpeg\n", {"4:2:0 (C420jpeg)", "ffmpeg", "-pix_fmt yuv422p"}},
      {"4:4:4", "YUV4MPEG2 W4 H2 C444\n", {"4:4:4", "-pix_fmt yuv422p"}},
      {"mono", "YUV4MPEG2 W4 H2 Cmono\n", {"greyscale", "-pix_fmt yuv422p"}},
      {"10-bit", "YUV4MPEG2 W4 H2 C422p10\n", {"more than 8 bits", "-pix_fmt yuv422p"}},
      {"odd width", "YUV4MPEG2 W5 H2 C422\n", {"width 5 is odd", "YUY2"}},
      {"no frame marker", head + frame + "FRAMES\n", {"frame 1", "expected a FRAME header"}},
      {"garbage frame", head + "garbage\n", {"frame 0", "expected a FRAME header"}},
      {"frame line never ends", head + frame + "FRAME", {"frame 1", "inside its FRAME header"}},
      {"truncated payload", head + frame + frame + "FRAME\nabc", {"frame 2", "truncated (3 of 16 bytes)"}},
  };
  for (const BadStream& c : cases) {
    const std::string message = read_error(c.bytes);
    ASSERT_FALSE(message.empty()) << c.what;
    EXPECT_TRUE(message.starts_with("in.y4m") || message.find("/in.y4m") != std::string::npos)
        << c.what << ": " << message;
    for (const std::string& part : c.message_parts)
      EXPECT_NE(message.find(part), std::string::npos) << c.what << ": " << message;
  }
}

TEST(Y4mReader, IndexCountsFramesWithoutReadingThemAndFindsTruncation) {
  FileInput file(make_y4m(6, 4, 5));
  InputStream in = file.stream();
  Y4mReader reader(in);
  const std::vector<std::int64_t> offsets = reader.index_frames();
  ASSERT_EQ(offsets.size(), 5u);
  EXPECT_EQ(offsets[1] - offsets[0], 6 + 6 * 4 * 2);
  // Reading goes on from the first frame; seeking reaches any frame.
  PlanarFrame frame;
  ASSERT_TRUE(reader.read_frame(frame));
  EXPECT_EQ(std::string(frame.data.begin(), frame.data.end()), cli_test::frame_payload(6, 4, 0));
  reader.seek_to_frame(3, offsets[3]);
  ASSERT_TRUE(reader.read_frame(frame));
  EXPECT_EQ(std::string(frame.data.begin(), frame.data.end()), cli_test::frame_payload(6, 4, 3));
  EXPECT_EQ(reader.next_frame(), 4);

  std::string cut = make_y4m(6, 4, 5);
  cut.resize(cut.size() - 1);
  FileInput truncated(cut);
  InputStream in2 = truncated.stream();
  Y4mReader reader2(in2);
  try {
    reader2.index_frames();
    FAIL() << "a truncated last frame was indexed";
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find("frame 4: truncated (47 of 48 bytes)"), std::string::npos) << e.what();
  }
}

TEST(Y4mReader, PipeAndFileReadTheSameFrames) {
  const std::string bytes = make_y4m(64, 40, 7);  // larger than the read buffer
  PipeInput pipe(bytes);
  InputStream from_pipe = pipe.stream();
  FileInput file(bytes);
  InputStream from_file = file.stream();
  EXPECT_FALSE(from_pipe.seekable());
  EXPECT_TRUE(from_file.seekable());
  Y4mReader a(from_pipe);
  Y4mReader b(from_file);
  PlanarFrame fa;
  PlanarFrame fb;
  int frames = 0;
  while (a.read_frame(fa)) {
    ASSERT_TRUE(b.read_frame(fb));
    EXPECT_EQ(fa.data, fb.data);
    ++frames;
  }
  EXPECT_FALSE(b.read_frame(fb));
  EXPECT_EQ(frames, 7);
}

TEST(Y4mWriter, WrittenStreamReadsBackWithTheSameTagsAndFrames) {
  const std::string original = make_y4m(10, 6, 3, " F24000:1001 Ib A16:15 C422 XYSCSS=422 XCOLORRANGE=LIMITED");
  FileInput file(original);
  InputStream in = file.stream();
  Y4mReader reader(in);
  cli_test::ScratchDir dir;
  {
    cli_test::write_file(dir / "out.y4m", "");
    int fd = ::open((dir / "out.y4m").c_str(), O_WRONLY | O_TRUNC);
    brisen_cli::OutputStream out(fd, "out.y4m");
    brisen_cli::Y4mWriter writer(out, reader.header());
    PlanarFrame frame;
    while (reader.read_frame(frame)) writer.write_frame(frame);
    out.flush();
    ::close(fd);
  }
  EXPECT_EQ(cli_test::read_file(dir / "out.y4m"), original);
}

TEST(Y4mWriter, FrameParametersAreNotCarriedOver) {
  const std::string payload = cli_test::frame_payload(4, 2, 1);
  FileInput file("YUV4MPEG2 W4 H2 C422\nFRAME Ixyz\n" + payload);
  InputStream in = file.stream();
  Y4mReader reader(in);
  cli_test::ScratchDir dir;
  int fd = ::open((dir / "out.y4m").c_str(), O_WRONLY | O_CREAT, 0644);
  {
    brisen_cli::OutputStream out(fd, "out.y4m");
    brisen_cli::Y4mWriter writer(out, reader.header());
    PlanarFrame frame;
    ASSERT_TRUE(reader.read_frame(frame));
    writer.write_frame(frame);
    out.flush();
  }
  ::close(fd);
  EXPECT_EQ(cli_test::read_file(dir / "out.y4m"), "YUV4MPEG2 W4 H2 C422\nFRAME\n" + payload);
}

TEST(OutputStream, WriteErrorNamesTheStream) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  ::signal(SIGPIPE, SIG_IGN);
  brisen_cli::OutputStream out(fds[1], "standard output");
  try {
    out.write("FRAME\n");
    out.flush();
    FAIL() << "writing to a pipe nobody reads succeeded";
  } catch (const IoError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write standard output: Broken pipe");
  }
  ::close(fds[1]);
}

}  // namespace
