#include "frameserver/signature.h"

#include <cstring>

#include "frameserver/errors.h"

namespace frameserver {

std::vector<Parameter> parse_signature(const std::string& signature) {
  std::vector<Parameter> params;
  size_t i = 0;
  while (i < signature.size()) {
    Parameter p{{}, 0};
    if (signature[i] == '[') {
      const size_t close = signature.find(']', i);
      if (close == std::string::npos) throw HostError("unclosed name in signature \"" + signature + "\"");
      p.name = signature.substr(i + 1, close - i - 1);
      i = close + 1;
    }
    if (i >= signature.size() || !std::strchr("cifbs.", signature[i])) {
      throw HostError("bad parameter type in signature \"" + signature + "\"");
    }
    p.type = signature[i++];
    params.push_back(p);
  }
  return params;
}

}  // namespace frameserver
