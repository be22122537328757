// A plug-in library opened with dlopen. It must outlive every object the
// plug-in made, since their code lives in it.
#pragma once

#include <string>

namespace frameserver {

class PluginLibrary {
 public:
  // Throws HostError with the loader's reason when the library cannot be opened.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The exported symbol of that name, or null.
  void* symbol(const char* name) const;
  // 25 for a library exporting AvisynthPluginInit2, 20 for AvisynthPluginInit;
  // throws HostError for one that exports neither.
  int interface_version() const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  void* handle_;
};

}  // namespace frameserver
