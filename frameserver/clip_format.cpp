#include "frameserver/clip_format.h"

namespace frameserver {

int row_size_of(const ClipFormat& format) {
  switch (format.pixel) {
    case PixelFormat::YUY2: return format.width * 2;
    case PixelFormat::BGR24: return format.width * 3;
    case PixelFormat::BGR32: return format.width * 4;
    case PixelFormat::YV12: return format.width;
  }
  return format.width;
}

}  // namespace frameserver
