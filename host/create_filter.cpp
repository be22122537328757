#include "host/create_filter.h"

#include <new>

#include "host/brisen_filter.h"

namespace brisen {

AVSValue create_filter(AVSValue args, void* /*user_data*/, IScriptEnvironment* env) {
  const PClip child = args[0].AsClip();
  const int temp_precision = args[1].AsInt(20);
  const int motion_depth = args[2].AsInt(5);
  const int method = args[3].AsInt(0);
  const int spat_precision = args[4].AsInt(3);
  const int spat_depth = args[5].AsInt(5);
  const int threshold = args[6].AsInt(255);

  // The first message reads "temporal_precision" although the parameter is temp_precision;
  // scripts and their authors may rely on the text as it has always been.
  if (temp_precision < 0) env->ThrowError("Brisen: temporal_precision must be >= 0");
  if (motion_depth < 0) env->ThrowError("Brisen: motion_depth must be >= 0");
  if (motion_depth > 10) env->ThrowError("Brisen: motion_depth must be <= 10");
  if (spat_precision < 0) env->ThrowError("Brisen: spat_precision must be >= 0");
  if (spat_depth < 0) env->ThrowError("Brisen: spat_depth must be >= 0");
  if (!child || !child->GetVideoInfo().IsYUY2()) env->ThrowError("Brisen: Clip must be in YUY2 format");

  auto* filter = new (std::nothrow)
      BrisenFilter(child, temp_precision, motion_depth, method, spat_precision, spat_depth, threshold, env);
  if (!filter) env->ThrowError("Brisen: Could not allocate memory");
  return AVSValue(filter);
}

}  // namespace brisen
