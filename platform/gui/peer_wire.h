// The messages running instances exchange over their sockets (peers.h).
// Each is a frame: a 32-bit little-endian length, then the body: a kind, a
// fixed head of numbers and, for some kinds, a text and a list of windows.
// Whatever a peer sends is checked before use: a frame that does not decode
// closes the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class PeerKind : uint8_t {
  List = 'L',     // the published windows (text: the class, empty for all)
  Windows = 'W',  // the answer to List
  Send = 'S',     // SendMessage; the sender waits and answers Text
  Post = 'P',     // PostMessage
  GetLong = 'G',  // GetWindowLong (index)
  Text = 'T',     // the text of a window of the one asked
  Result = 'R',   // the answer to Send, Post and GetLong
  TextAnswer = 'X',
};

// Flags of Send, Post and Result: the number is a window of the one who
// sent the frame.
constexpr uint8_t kPeerWParamIsWindow = 1;
constexpr uint8_t kPeerLParamIsWindow = 2;
constexpr uint8_t kPeerResultIsWindow = 4;
// Send: lParam is the frame's text; the receiver's window gets a pointer to
// its own copy. A number never stands for a pointer across processes.
constexpr uint8_t kPeerLParamIsText = 8;

struct PeerWindow {
  uint64_t handle = 0;
  std::string className;
  std::string text;
};

struct PeerMessage {
  PeerKind kind = PeerKind::Result;
  uint8_t flags = 0;
  uint32_t pid = 0;  // of the sender
  uint64_t window = 0;
  uint32_t msg = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
  int32_t index = 0;
  int64_t result = 0;
  std::string text;
  std::vector<PeerWindow> windows;
};

constexpr std::size_t kPeerMaxText = 1024;
constexpr std::size_t kPeerMaxWindows = 256;
constexpr std::size_t kPeerMaxFrame = 4 + 64 + (kPeerMaxText + 2) + 2 + kPeerMaxWindows * (8 + 2 * (kPeerMaxText + 2));

// The whole frame, length first. Texts longer than kPeerMaxText and windows
// past kPeerMaxWindows are cut.
std::vector<uint8_t> EncodePeerMessage(const PeerMessage& message);
// The body of a frame (what follows the length); false when it is not one.
bool DecodePeerMessage(const uint8_t* data, std::size_t size, PeerMessage& message);
