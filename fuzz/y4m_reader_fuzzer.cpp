// The YUV4MPEG2 reader on arbitrary bytes, as a regular file (indexed, then
// read) and as a stream read frame by frame: it must either read the stream or
// refuse it with IoError; anything else (a crash, another exception, a hang,
// memory far beyond what the bytes hold) is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/cli_errors.h"
#include "cli/input_stream.h"
#include "cli/y4m_reader.h"

namespace {

int file_with(const uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("y4m", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::write(fd, data + done, size - done);
    if (put <= 0) std::abort();
    done += static_cast<std::size_t>(put);
  }
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

// The header brisen writes for a stream it read must read back the same.
void check_header_round_trip(const brisen_cli::Y4mHeader& header) {
  const std::string line = header.to_line();
  const int fd = file_with(reinterpret_cast<const uint8_t*>(line.data()), line.size());
  brisen_cli::InputStream in(fd, "header", false);
  try {
    const brisen_cli::Y4mHeader back = brisen_cli::Y4mReader(in).header();
    if (back.width != header.width || back.height != header.height || back.frame_rate != header.frame_rate ||
        back.interlacing != header.interlacing || back.aspect != header.aspect ||
        back.extensions != header.extensions)
      std::abort();
  } catch (const brisen_cli::IoError&) {
    std::abort();
  }
  ::close(fd);
}

void read_all(brisen_cli::InputStream& in, bool index_first) {
  try {
    brisen_cli::Y4mReader reader(in);
    if (index_first) check_header_round_trip(reader.header());
    if (index_first) {
      const std::vector<std::int64_t> offsets = reader.index_frames();
      if (!offsets.empty()) reader.seek_to_frame(static_cast<int>(offsets.size() - 1), offsets.back());
    }
    brisen_cli::PlanarFrame frame;
    while (reader.read_frame(frame)) {
      if (frame.data.size() != brisen_cli::PlanarFrame::bytes_for(reader.header().width, reader.header().height))
        std::abort();
    }
  } catch (const brisen_cli::IoError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const int fd = file_with(data, size);
  {
    brisen_cli::InputStream in(fd, "fuzz", false);
    read_all(in, true);
  }
  ::lseek(fd, 0, SEEK_SET);
  {
    brisen_cli::InputStream in(fd, "fuzz", false);
    read_all(in, false);
  }
  ::close(fd);
  return 0;
}
