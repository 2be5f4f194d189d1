#include "platform/core/trace.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/threads.h"
#include "platform/core/time.h"

namespace {

struct ChannelName {
  TraceChannel channel;
  const char* name;
};

constexpr ChannelName kChannels[] = {
    {kTraceGui, "gui"},     {kTraceClasslib, "classlib"}, {kTraceAudio, "audio"},
    {kTraceVideo, "video"}, {kTraceTimeline, "timeline"},
};

const char* NameOf(TraceChannel channel) {
  for (const ChannelName& c : kChannels) {
    if (c.channel == channel) return c.name;
  }
  return "trace";
}

}  // namespace

namespace trace_detail {
std::atomic<unsigned> channels{ParseTraceChannels(std::getenv("KOBRIX_TRACE"))};
}  // namespace trace_detail

unsigned ParseTraceChannels(const char* text) {
  unsigned set = 0;
  if (text == nullptr) return set;
  while (*text != '\0') {
    const std::size_t n = std::strcspn(text, ", :");
    for (const ChannelName& c : kChannels) {
      if (n == std::strlen(c.name) && strncasecmp(text, c.name, n) == 0) set |= c.channel;
    }
    if (n == 3 && strncasecmp(text, "all", 3) == 0) {
      for (const ChannelName& c : kChannels) set |= c.channel;
    }
    text += n;
    if (*text != '\0') ++text;
  }
  return set;
}

unsigned SetTraceChannels(unsigned set) {
  return trace_detail::channels.exchange(set);
}

void TraceLine(TraceChannel channel, const char* format, ...) {
  char line[512];
  const int head = std::snprintf(line, sizeof line, "[%s] t%lu %lums ", NameOf(channel),
                                 static_cast<unsigned long>(GetCurrentThreadId()),
                                 static_cast<unsigned long>(timeGetTime()));
  std::size_t n = head > 0 ? static_cast<std::size_t>(head) : 0;
  va_list args;
  va_start(args, format);
  const int body = std::vsnprintf(line + n, sizeof line - n, format, args);
  va_end(args);
  if (body > 0) n = std::min(sizeof line - 2, n + static_cast<std::size_t>(body));
  line[n++] = '\n';
  // One write per line: lines of several threads never interleave.
  const ssize_t written = ::write(STDERR_FILENO, line, n);
  (void)written;
}
