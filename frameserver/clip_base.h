// What every clip of the frame server answers alike: no audio, no field
// parity, no cache. The operations differ in signature between the interface
// versions, hence one base per version.
#pragma once

#include "frameserver/api_traits.h"

namespace frameserver {

template <class Api>
class ClipBase;

template <>
class ClipBase<Api25> : public avs25::IClip {
 public:
  bool GetParity(int) override { return false; }
  void GetAudio(void*, long long, long long, avs25::IScriptEnvironment*) override {}
  void SetCacheHints(int, int) override {}
};

template <>
class ClipBase<Api20> : public avs20::IClip {
 public:
  bool GetParity(int) override { return false; }
  void GetAudio(void*, int, int, avs20::IScriptEnvironment*) override {}
};

}  // namespace frameserver
