#include "model/text_format.h"

#include <cstdio>
#include <cstring>

std::int64_t FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::kSigned: return i_;
    case Kind::kUnsigned: return static_cast<std::int64_t>(u_);
    case Kind::kDouble: return static_cast<std::int64_t>(d_);
    case Kind::kPointer: return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(p_));
    default: return 0;
  }
}

std::uint64_t FormatArg::AsUnsigned() const { return static_cast<std::uint64_t>(AsSigned()); }

double FormatArg::AsDouble() const {
  switch (kind_) {
    case Kind::kDouble: return d_;
    case Kind::kSigned: return static_cast<double>(i_);
    case Kind::kUnsigned: return static_cast<double>(u_);
    default: return 0.0;
  }
}

const char* FormatArg::AsString() const { return kind_ == Kind::kString ? s_ : nullptr; }

const void* FormatArg::AsPointer() const {
  if (kind_ == Kind::kPointer) return p_;
  if (kind_ == Kind::kString) return s_;
  return nullptr;
}

namespace {

// Appends to a bounded output; everything past the limit is dropped.
class Output {
 public:
  explicit Output(std::size_t limit) : limit_(limit) {}
  void Append(const char* text, std::size_t n) {
    if (text_.size() >= limit_) return;
    text_.append(text, std::min(n, limit_ - text_.size()));
  }
  void Append(char c) { Append(&c, 1); }
  std::string Take() { return std::move(text_); }

 private:
  std::size_t limit_;
  std::string text_;
};

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }

}  // namespace

std::string FormatTextArgs(const char* format, const FormatArg* args, std::size_t count,
                           std::size_t max_length) {
  Output out(max_length);
  if (format == nullptr) return out.Take();
  std::size_t next = 0;
  auto take = [&]() -> FormatArg { return next < count ? args[next++] : FormatArg(); };

  for (const char* p = format; *p != '\0';) {
    if (*p != '%') {
      const char* run = p;
      while (*p != '\0' && *p != '%') ++p;
      out.Append(run, static_cast<std::size_t>(p - run));
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out.Append('%');
      ++p;
      continue;
    }
    // Rebuild the conversion with a length modifier of our choosing, so that
    // snprintf always receives exactly the type it reads.
    std::string spec = "%";
    while (IsFlag(*p)) spec += *p++;
    int width = -1;
    if (*p == '*') {
      width = static_cast<int>(take().AsSigned());
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') spec += *p++;
    }
    int precision = -1;
    bool has_precision = false;
    if (*p == '.') {
      has_precision = true;
      ++p;
      if (*p == '*') {
        precision = static_cast<int>(take().AsSigned());
        ++p;
      } else {
        precision = 0;
        while (*p >= '0' && *p <= '9') precision = std::min(precision * 10 + (*p++ - '0'), 4096);
      }
    }
    if (width >= 0) spec += std::to_string(std::min(width, 4096));
    if (has_precision && precision >= 0) spec += "." + std::to_string(precision);

    bool wide = false;  // 64-bit integer conversions
    if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      wide = true;
      p += 3;
    } else if (p[0] == 'l' && p[1] == 'l') {
      wide = true;
      p += 2;
    } else {
      while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'z' || *p == 'j' || *p == 't') {
        if (*p == 'z' || *p == 'j' || *p == 't') wide = true;
        ++p;
      }
    }
    const char conversion = *p;
    if (conversion == '\0') {  // a lone '%' at the end stays as it is
      out.Append(start, std::strlen(start));
      break;
    }
    ++p;

    char buffer[4200];
    int n = 0;
    switch (conversion) {
      case 'd':
      case 'i': {
        const FormatArg a = take();
        const long long v = wide ? static_cast<long long>(a.AsSigned())
                                 : static_cast<long long>(static_cast<std::int32_t>(a.AsSigned()));
        n = std::snprintf(buffer, sizeof buffer, (spec + "lld").c_str(), v);
        break;
      }
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        const FormatArg a = take();
        const unsigned long long v = wide ? static_cast<unsigned long long>(a.AsUnsigned())
                                          : static_cast<unsigned long long>(static_cast<std::uint32_t>(a.AsUnsigned()));
        n = std::snprintf(buffer, sizeof buffer, (spec + "ll" + conversion).c_str(), v);
        break;
      }
      case 'c': {
        const int v = static_cast<unsigned char>(take().AsSigned());
        n = std::snprintf(buffer, sizeof buffer, (spec + "c").c_str(), v);
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        const double v = take().AsDouble();
        n = std::snprintf(buffer, sizeof buffer, (spec + conversion).c_str(), v);
        break;
      }
      case 's': {
        const char* s = take().AsString();
        if (s == nullptr) s = "(null)";
        if (spec == "%") {  // plain %s: no width to honour, and no length limit but the output's
          out.Append(s, std::strlen(s));
          continue;
        }
        n = std::snprintf(buffer, sizeof buffer, (spec + "s").c_str(), s);
        break;
      }
      case 'p': {
        const void* v = take().AsPointer();
        n = std::snprintf(buffer, sizeof buffer, "%p", v);
        break;
      }
      default:  // unknown conversion: shown as written
        out.Append(start, static_cast<std::size_t>(p - start));
        continue;
    }
    if (n > 0) out.Append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
  }
  return out.Take();
}

std::size_t FormatTextToArgs(char* buffer, std::size_t size, const char* format, const FormatArg* args,
                             std::size_t count) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string text = FormatTextArgs(format, args, count, size - 1);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return text.size();
}
