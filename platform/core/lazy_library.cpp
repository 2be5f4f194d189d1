#include "platform/core/lazy_library.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void CannotGoOn(const char* what, const char* why) {
  std::fprintf(stderr, "kobrix: %s: %s\n", what, why != nullptr ? why : "not found");
  // The same status the dynamic loader gives a program whose library is missing.
  std::_Exit(127);
}

}  // namespace

void* LazyLibrary::Entry(const char* name) {
  // dlopen and dlsym themselves, not LoadLibrary: a forwarder's first call
  // may come from a static object's destructor at exit, when LoadLibrary's
  // table of modules is already gone.
  std::call_once(once_, [this] {
    // Bound at once, so that a library lacking what it needs fails here and
    // not in the middle of a call.
    handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) CannotGoOn(soname_, dlerror());
  });
  // Looked up in this library only: the program's own definition of the
  // same name is the forwarder itself.
  void* entry = dlsym(handle_, name);
  if (entry == nullptr) CannotGoOn(name, dlerror());
  return entry;
}
