// An object that outlives every static destructor: made on first use in
// static storage and never destroyed, so that a thread still ending while
// the program exits may use it, and a library carrying this layer leaves
// nothing behind on the heap when it is unloaded.
#pragma once

#include <new>

template <typename T>
class Lasting {
 public:
  Lasting() { new (storage_) T(); }
  T& operator*() { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};
