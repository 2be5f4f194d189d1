// A trace of what the program does, for following the order of messages,
// commands and engine states across windows and threads. KOBRIX_TRACE names
// the channels to print ("gui,classlib,audio,video,timeline", any subset, or
// "all"); every traced event is one line on standard error. Off, which is
// the default, a trace point costs one load and one branch that is always
// predicted: its arguments are not even evaluated.
//
//   KOBRIX_TRACE(kTraceAudio, "state %d -> %d", before, after);
#pragma once

#include <atomic>

enum TraceChannel : unsigned {
  kTraceGui = 1u << 0,       // messages delivered to window procedures
  kTraceClasslib = 1u << 1,  // commands routed through response tables
  kTraceAudio = 1u << 2,     // the audio engine's state
  kTraceVideo = 1u << 3,     // the video player's state
  kTraceTimeline = 1u << 4,  // the time-line window's requests
};

namespace trace_detail {
extern std::atomic<unsigned> channels;
}  // namespace trace_detail

inline bool TraceOn(TraceChannel channel) {
  return __builtin_expect((trace_detail::channels.load(std::memory_order_relaxed) & channel) != 0, 0);
}

// Prints "[channel] thread ms text" and a line break, in one write, so
// that lines of several threads never mix.
[[gnu::cold, gnu::format(printf, 2, 3)]] void TraceLine(TraceChannel channel, const char* format, ...);

// The channels a KOBRIX_TRACE value names (separated by commas, spaces or
// colons; case does not count); unknown names are ignored.
unsigned ParseTraceChannels(const char* text);
// Turns channels on and the others off; returns the set before. The
// environment's set is taken when the program starts.
unsigned SetTraceChannels(unsigned channels);

#define KOBRIX_TRACE(channel, ...)                         \
  do {                                                     \
    if (TraceOn(channel)) TraceLine(channel, __VA_ARGS__); \
  } while (0)
