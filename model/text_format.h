// Type-safe printf-style formatting. The program's texts keep their printf
// formats ("%ld", "%s", "%02d", "%.2f"), but every argument carries its type,
// so a wrong argument can never read the wrong bytes. "%d", "%ld", "%x" and
// friends take 32-bit values (as the formats were written for); "%lld" and
// "%I64d" take 64-bit ones. Only program constants are formats: texts from
// files or the user are always arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

class FormatArg {
 public:
  enum class Kind { kNone, kSigned, kUnsigned, kDouble, kString, kPointer };

  FormatArg() = default;
  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
  FormatArg(T v) : kind_(Kind::kSigned), i_(v) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_signed_v<T>, int> = 0>
  FormatArg(T v) : kind_(Kind::kUnsigned), u_(v) {}
  template <class T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
  FormatArg(T v) : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
  FormatArg(double v) : kind_(Kind::kDouble), d_(v) {}
  FormatArg(float v) : kind_(Kind::kDouble), d_(v) {}
  FormatArg(long double v) : kind_(Kind::kDouble), d_(static_cast<double>(v)) {}
  FormatArg(const char* s) : kind_(Kind::kString), s_(s) {}
  FormatArg(char* s) : kind_(Kind::kString), s_(s) {}
  FormatArg(const unsigned char* s) : kind_(Kind::kString), s_(reinterpret_cast<const char*>(s)) {}
  FormatArg(const std::string& s) : kind_(Kind::kString), s_(s.c_str()) {}
  FormatArg(const void* p) : kind_(Kind::kPointer), p_(p) {}
  FormatArg(std::nullptr_t) : kind_(Kind::kPointer), p_(nullptr) {}

  Kind kind() const { return kind_; }
  // The argument as the conversion wants it; mismatched kinds give 0 or "".
  std::int64_t AsSigned() const;
  std::uint64_t AsUnsigned() const;
  double AsDouble() const;
  const char* AsString() const;  // null stays null
  const void* AsPointer() const;

 private:
  Kind kind_ = Kind::kNone;
  union {
    std::int64_t i_;
    std::uint64_t u_ = 0;
    double d_;
    const char* s_;
    const void* p_;
  };
};

// Formats into a std::string, at most max_length characters (texts are cut,
// never overflowed).
std::string FormatTextArgs(const char* format, const FormatArg* args, std::size_t count,
                           std::size_t max_length = 65535);

// Formats into buffer of size bytes; always terminated when size > 0; returns
// the length written (the text is cut to size - 1 characters).
std::size_t FormatTextToArgs(char* buffer, std::size_t size, const char* format, const FormatArg* args,
                             std::size_t count);

template <class... Args>
std::string FormatText(const char* format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatTextArgs(format, nullptr, 0);
  } else {
    const FormatArg list[] = {FormatArg(args)...};
    return FormatTextArgs(format, list, sizeof...(Args));
  }
}

template <class... Args>
std::size_t FormatTextTo(char* buffer, std::size_t size, const char* format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatTextToArgs(buffer, size, format, nullptr, 0);
  } else {
    const FormatArg list[] = {FormatArg(args)...};
    return FormatTextToArgs(buffer, size, format, list, sizeof...(Args));
  }
}
