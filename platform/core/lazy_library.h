// A shared library loaded when one of its functions is first called instead
// of when the program starts.
//
// FFmpeg's codec and container libraries bring about ninety more libraries
// with them; loading and binding those costs every start of the program (a
// command-line export, each test) over twenty milliseconds, though most runs
// never decode a picture. The program defines the few functions it calls
// itself (see KOBRIX_LAZY_FORWARD), each passing the call on to the library,
// which is loaded on the first of them.
#pragma once

#include <mutex>

class LazyLibrary {
 public:
  // soname: the library's file name as the dynamic loader looks it up
  // ("libavcodec.so.59").
  explicit LazyLibrary(const char* soname) : soname_(soname) {}
  LazyLibrary(const LazyLibrary&) = delete;
  LazyLibrary& operator=(const LazyLibrary&) = delete;

  // The address of the library's function name. A library or function that
  // cannot be had ends the program with a message, as the dynamic loader
  // does at start for a library the program is linked with: the program
  // was built against it and cannot go on without it.
  void* Entry(const char* name);

 private:
  const char* soname_;
  std::once_flag once_;
  void* handle_ = nullptr;
};

// Defines the function name (declared by the library's header), passing the
// call to library's own. params and args are parenthesised lists.
#define KOBRIX_LAZY_FORWARD(library, result, name, params, args)                              \
  result name params {                                                                        \
    static const auto real = reinterpret_cast<decltype(&name)>((library).Entry(#name));       \
    return real args;                                                                         \
  }
