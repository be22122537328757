#include "cli/y4m_reader.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "cli/cli_errors.h"

namespace brisen_cli {

namespace {

constexpr std::size_t kMaxLineLength = 4096;
constexpr std::string_view kSignature = "YUV4MPEG2";
// Frame numbers are 32-bit in the filter; a pipe is also given this many.
constexpr int kMaxFrames = 0x7fffffff - 1;

const char* const kConvertHint =
    "convert it with ffmpeg: ffmpeg -i INPUT -pix_fmt yuv422p -f yuv4mpegpipe - | brisen - OUTPUT";

bool parse_uint(std::string_view text, unsigned long long max, unsigned long long& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value <= max;
}

int parse_dimension(const std::string& name, char tag, std::string_view text) {
  unsigned long long value = 0;
  const char* what = tag == 'W' ? "width" : "height";
  if (!parse_uint(text, ~0ULL, value) || value == 0)
    throw IoError(name + ": bad " + what + " '" + std::string(text) + "' in the stream header");
  if (value > static_cast<unsigned long long>(kMaxDimension))
    throw IoError(name + ": " + what + " " + std::string(text) + " is beyond the largest supported (" +
                  std::to_string(kMaxDimension) + ")");
  return static_cast<int>(value);
}

void check_ratio(const std::string& name, const char* what, std::string_view text) {
  std::size_t colon = text.find(':');
  unsigned long long num = 0;
  unsigned long long den = 0;
  bool ok = colon != std::string_view::npos && parse_uint(text.substr(0, colon), 0xffffffffULL, num) &&
            parse_uint(text.substr(colon + 1), 0xffffffffULL, den) && (den != 0 || num == 0);
  if (!ok)
    throw IoError(name + ": bad " + what + " '" + std::string(text) +
                  "' in the stream header (expected two numbers such as 25:1)");
}

std::string describe_colour_space(const std::string& tag) {
  if (tag.starts_with("420")) return "4:2:0";
  if (tag.starts_with("444")) return "4:4:4";
  if (tag.starts_with("411")) return "4:1:1";
  if (tag == "mono" || tag.starts_with("mono")) return "greyscale";
  if (tag.starts_with("422")) return "4:2:2 with more than 8 bits";
  return "in an unknown colour space";
}

Y4mHeader parse_header(const std::string& name, const std::string& line) {
  Y4mHeader header;
  bool have_w = false;
  bool have_h = false;
  std::optional<std::string> colour;
  std::size_t pos = kSignature.size();
  while (pos < line.size()) {
    std::size_t end = line.find(' ', pos);
    if (end == std::string::npos) end = line.size();
    std::string_view token(line.data() + pos, end - pos);
    pos = end + 1;
    if (token.empty()) continue;
    char tag = token[0];
    std::string_view value = token.substr(1);
    switch (tag) {
      case 'W':
        header.width = parse_dimension(name, tag, value);
        have_w = true;
        break;
      case 'H':
        header.height = parse_dimension(name, tag, value);
        have_h = true;
        break;
      case 'F':
        check_ratio(name, "frame rate", value);
        header.frame_rate = std::string(value);
        break;
      case 'A':
        check_ratio(name, "pixel aspect ratio", value);
        header.aspect = std::string(value);
        break;
      case 'I':
        if (value.size() != 1 || std::string_view("ptbm?").find(value[0]) == std::string_view::npos)
          throw IoError(name + ": bad interlacing '" + std::string(value) +
                        "' in the stream header (expected one of p t b m ?)");
        header.interlacing = std::string(value);
        break;
      case 'C':
        colour = std::string(value);
        break;
      case 'X':
        header.extensions.emplace_back(value);
        break;
      default:
        break;  // tags this version does not know are ignored, as readers should
    }
  }
  if (!have_w) throw IoError(name + ": the stream header has no width (W)");
  if (!have_h) throw IoError(name + ": the stream header has no height (H)");
  if (!colour)
    throw IoError(name + ": the stream header has no colour space (C), which means 4:2:0 video; brisen "
                  "needs 8-bit 4:2:2 (C422); " + kConvertHint);
  if (*colour != "422")
    throw IoError(name + ": the video is " + describe_colour_space(*colour) + " (C" + *colour +
                  "); brisen needs 8-bit 4:2:2 (C422); " + kConvertHint);
  if (header.width % 2 != 0)
    throw IoError(name + ": the width " + std::to_string(header.width) +
                  " is odd; brisen works on YUY2, which pairs pixels, so the width must be even "
                  "(crop or scale it with ffmpeg, e.g. -vf crop=iw-1:ih)");
  return header;
}

}  // namespace

Y4mReader::Y4mReader(InputStream& in) : in_(in) {
  auto line = in_.read_line(kMaxLineLength);
  if (!line) throw IoError(in_.name() + ": empty input, expected a YUV4MPEG2 stream");
  if (!line->text.starts_with(kSignature) ||
      (line->text.size() > kSignature.size() && line->text[kSignature.size()] != ' '))
    throw IoError(in_.name() + ": not a YUV4MPEG2 stream (it does not start with \"YUV4MPEG2 \")");
  if (!line->terminated) {
    if (line->text.size() >= kMaxLineLength)
      throw IoError(in_.name() + ": the stream header is longer than " + std::to_string(kMaxLineLength) +
                    " bytes");
    throw IoError(in_.name() + ": the stream ends inside its header");
  }
  header_ = parse_header(in_.name(), line->text);
}

std::string Y4mReader::where() const { return in_.name() + ": frame " + std::to_string(next_frame_); }

bool Y4mReader::read_frame_line() {
  auto line = in_.read_line(kMaxLineLength);
  if (!line) return false;
  const std::string& text = line->text;
  bool marker = text.starts_with("FRAME") && (text.size() == 5 || text[5] == ' ');
  if (!marker) {
    std::string shown = text.substr(0, 16);
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    throw IoError(where() + ": expected a FRAME header, found \"" + shown + "\"");
  }
  if (!line->terminated) {
    if (text.size() >= kMaxLineLength)
      throw IoError(where() + ": the FRAME header is longer than " + std::to_string(kMaxLineLength) + " bytes");
    throw IoError(where() + ": truncated (the stream ends inside its FRAME header)");
  }
  return true;
}

bool Y4mReader::read_frame(PlanarFrame& frame) {
  if (!read_frame_line()) return false;
  const std::size_t want = frame_payload_bytes();
  std::size_t got = 0;
  if (frame.width == header_.width && frame.height == header_.height && frame.data.size() == want) {
    got = in_.read(frame.data.data(), want);
  } else {
    // The buffer grows only as the bytes arrive: a short stream whose header
    // claims huge frames must not cost the memory of one.
    frame = PlanarFrame();
    std::size_t chunk = std::min<std::size_t>(want, std::size_t{1} << 20);
    while (got < want) {
      frame.data.resize(got + chunk);
      const std::size_t n = in_.read(frame.data.data() + got, chunk);
      got += n;
      if (n < chunk) break;
      chunk = std::min(want - got, got);
    }
    if (got == want) {
      frame.width = header_.width;
      frame.height = header_.height;
    }
  }
  if (got != want)
    throw IoError(where() + ": truncated (" + std::to_string(got) + " of " + std::to_string(want) +
                  " bytes)");
  ++next_frame_;
  return true;
}

std::vector<std::int64_t> Y4mReader::index_frames() {
  const std::int64_t start = in_.position();
  const int first = next_frame_;
  const auto payload = static_cast<std::int64_t>(frame_payload_bytes());
  std::vector<std::int64_t> offsets;
  for (;;) {
    std::int64_t offset = in_.position();
    if (!read_frame_line()) break;
    std::int64_t available = in_.file_size() - in_.position();
    if (available < payload)
      throw IoError(where() + ": truncated (" + std::to_string(available) + " of " + std::to_string(payload) +
                    " bytes)");
    if (next_frame_ == kMaxFrames) throw IoError(in_.name() + ": more frames than brisen can number");
    offsets.push_back(offset);
    ++next_frame_;
    in_.seek(in_.position() + payload);
  }
  next_frame_ = first;
  in_.seek(start);
  return offsets;
}

void Y4mReader::seek_to_frame(int n, std::int64_t offset) {
  in_.seek(offset);
  next_frame_ = n;
}

}  // namespace brisen_cli
