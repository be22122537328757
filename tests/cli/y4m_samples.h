// Small YUV4MPEG2 clips made up for the tests, and file helpers.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli_test {

// Payload of frame `f` of a 4:2:2 clip: a gentle ramp with a checker of
// soft blocks, drifting one sample per frame, and from frame 1 on a few
// one-frame specks for the filter to clean (one of them on line 8, inside the
// border the integer-SSE kernels leave alone but the portable ones clean).
inline std::string frame_payload(int width, int height, int f) {
  std::string bytes(static_cast<std::size_t>(width) * height * 2, '\0');
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int sx = x + f;
      bytes[static_cast<std::size_t>(y) * width + x] =
          static_cast<char>(70 + (sx + 2 * y) / 3 + ((sx / 16 + y / 16) % 2) * 10);
    }
  const std::size_t chroma = static_cast<std::size_t>(width / 2) * height;
  for (std::size_t i = 0; i < chroma; ++i) {
    bytes[static_cast<std::size_t>(width) * height + i] = static_cast<char>(100 + i % 50);
    bytes[static_cast<std::size_t>(width) * height + chroma + i] = static_cast<char>(150 - i % 40);
  }
  if (f > 0) {
    const int specks[][2] = {{width / 2, height / 2}, {width / 3, height / 3 + 1}, {width / 2 + 5, 8}};
    for (const auto& s : specks)
      if (s[0] < width && s[1] < height) bytes[static_cast<std::size_t>(s[1]) * width + s[0]] = static_cast<char>(f % 2 ? 250 : 5);
  }
  return bytes;
}

inline std::string make_y4m(int width, int height, int frames,
                            const std::string& tags = " F25:1 Ip A1:1 C422 XYSCSS=422") {
  std::string out = "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + tags + "\n";
  for (int f = 0; f < frames; ++f) out += "FRAME\n" + frame_payload(width, height, f);
  return out;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Names in a directory, without . and ..
inline std::vector<std::string> list_dir(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  return names;
}

// A fresh directory for one test, removed with its files at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::string(::getenv("TMPDIR") ? ::getenv("TMPDIR") : "/tmp")) + "/brisen-cli-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
  }
  ~ScratchDir() {
    for (const std::string& name : list_dir(path_)) ::unlink((path_ + "/" + name).c_str());
    ::rmdir(path_.c_str());
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace cli_test
