// The library's one export: the entry point the host calls after loading it.
#include "host/api.h"
#include "host/create_filter.h"

#if BRISEN_HOST_API == 25
#define BRISEN_ENTRY_POINT AvisynthPluginInit2
#else
#define BRISEN_ENTRY_POINT AvisynthPluginInit
#endif

extern "C" __attribute__((visibility("default"))) const char* BRISEN_ENTRY_POINT(
    brisen::IScriptEnvironment* env) {
  env->AddFunction(brisen::kFunctionName, brisen::kSignature, brisen::create_filter, nullptr);
  return brisen::kDescription;
}
