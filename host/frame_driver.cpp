#include "host/brisen_filter.h"

namespace brisen {

PVideoFrame BrisenFilter::GetFrame(int n, IScriptEnvironment* env) { return GenericVideoFilter::GetFrame(n, env); }

}  // namespace brisen
