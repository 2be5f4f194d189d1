#include "audio/denormals.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

#if defined(__SSE__) || defined(__x86_64__)
constexpr unsigned kFlushToZero = 0x8000;
constexpr unsigned kDenormalsAreZero = 0x0040;
constexpr unsigned kBoth = kFlushToZero | kDenormalsAreZero;

std::uint64_t Mode() {
  return _mm_getcsr();
}
void SetMode(std::uint64_t mode) {
  _mm_setcsr(static_cast<unsigned>(mode));
}
std::uint64_t Flushing(std::uint64_t mode) {
  return mode | kBoth;
}
bool IsFlushing(std::uint64_t mode) {
  return (mode & kBoth) == kBoth;
}
#elif defined(__aarch64__)
// One bit of the floating-point control register does both.
constexpr std::uint64_t kFlushToZero = std::uint64_t{1} << 24;

std::uint64_t Mode() {
  std::uint64_t fpcr;
  asm volatile("mrs %0, fpcr" : "=r"(fpcr));
  return fpcr;
}
void SetMode(std::uint64_t mode) {
  asm volatile("msr fpcr, %0" : : "r"(mode));
}
std::uint64_t Flushing(std::uint64_t mode) {
  return mode | kFlushToZero;
}
bool IsFlushing(std::uint64_t mode) {
  return (mode & kFlushToZero) != 0;
}
#else
std::uint64_t Mode() {
  return 0;
}
void SetMode(std::uint64_t) {}
std::uint64_t Flushing(std::uint64_t mode) {
  return mode;
}
bool IsFlushing(std::uint64_t) {
  return false;
}
#endif

}  // namespace

FlushDenormals::FlushDenormals() : saved_(Mode()) {
  // Nested on a thread that flushes already: the register stays as it is.
  if (!IsFlushing(saved_)) SetMode(Flushing(saved_));
}

FlushDenormals::~FlushDenormals() {
  SetMode(saved_);
}

bool FlushDenormals::Active() {
  return IsFlushing(Mode());
}
