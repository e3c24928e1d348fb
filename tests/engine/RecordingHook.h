#pragma once
// The trace of the recording plug-in (hooks/recording_hook.c), read and
// cleared through the functions it exports; "(not loaded)" before any test
// loaded it.
#include <dlfcn.h>

#include <string>

namespace velmora::test {

inline std::string TakeRecordingHookTrace() {
  void *library = dlopen(VELMORA_RECORDING_HOOK, RTLD_NOW | RTLD_NOLOAD);
  if (!library) return "(not loaded)";
  auto trace = reinterpret_cast<const char *(*)()>(dlsym(library, "RecordingHookTrace"));
  std::string text = trace();
  reinterpret_cast<void (*)()>(dlsym(library, "RecordingHookClearTrace"))();
  dlclose(library);
  return text;
}

}  // namespace velmora::test
