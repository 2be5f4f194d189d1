// What another instance may send over its socket, any bytes: frames are
// cut as the listener cuts them (a length, then the body) and decoded; what
// decodes must encode to the same bytes and decode to the same message.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gui/peer_wire.h"

namespace {

bool Same(const PeerMessage& a, const PeerMessage& b) {
  if (a.kind != b.kind || a.flags != b.flags || a.pid != b.pid || a.window != b.window || a.msg != b.msg ||
      a.wParam != b.wParam || a.lParam != b.lParam || a.index != b.index || a.result != b.result ||
      a.text != b.text || a.windows.size() != b.windows.size())
    return false;
  for (std::size_t i = 0; i < a.windows.size(); ++i) {
    if (a.windows[i].handle != b.windows[i].handle || a.windows[i].className != b.windows[i].className ||
        a.windows[i].text != b.windows[i].text)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::size_t at = 0;
  while (size - at >= 4) {
    const uint32_t length = data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
    at += 4;
    if (length == 0 || length > kPeerMaxFrame || length > size - at) break;
    PeerMessage message;
    if (DecodePeerMessage(data + at, length, message)) {
      const std::vector<uint8_t> again = EncodePeerMessage(message);
      if (again.size() != length + 4 || std::memcmp(again.data() + 4, data + at, length) != 0) std::abort();
      PeerMessage back;
      if (!DecodePeerMessage(again.data() + 4, again.size() - 4, back) || !Same(message, back)) std::abort();
    }
    at += length;
  }
  return 0;
}
