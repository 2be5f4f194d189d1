#include "platform/gui/peer_wire.h"

#include <algorithm>

namespace {

class Writer {
 public:
  void U8(uint8_t v) { out.push_back(v); }
  void U16(uint16_t v) {
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Text(const std::string& s) {
    const std::size_t n = std::min(s.size(), kPeerMaxText);
    U16(static_cast<uint16_t>(n));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
  }
  std::vector<uint8_t> out;
};

class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) : p_(data), left_(size) {}
  bool U8(uint8_t& v) {
    uint64_t w;
    if (!Take(1, w)) return false;
    v = static_cast<uint8_t>(w);
    return true;
  }
  bool U16(uint16_t& v) {
    uint64_t w;
    if (!Take(2, w)) return false;
    v = static_cast<uint16_t>(w);
    return true;
  }
  bool U32(uint32_t& v) {
    uint64_t w;
    if (!Take(4, w)) return false;
    v = static_cast<uint32_t>(w);
    return true;
  }
  bool U64(uint64_t& v) { return Take(8, v); }
  bool Text(std::string& s) {
    uint16_t n;
    if (!U16(n) || n > kPeerMaxText || n > left_) return false;
    s.assign(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    left_ -= n;
    return true;
  }
  bool AtEnd() const { return left_ == 0; }

 private:
  bool Take(std::size_t n, uint64_t& v) {
    if (left_ < n) return false;
    v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p_[i]) << (8 * i);
    p_ += n;
    left_ -= n;
    return true;
  }
  const uint8_t* p_;
  std::size_t left_;
};

bool KnownKind(uint8_t k) {
  switch (static_cast<PeerKind>(k)) {
    case PeerKind::List:
    case PeerKind::Windows:
    case PeerKind::Send:
    case PeerKind::Post:
    case PeerKind::GetLong:
    case PeerKind::Text:
    case PeerKind::Result:
    case PeerKind::TextAnswer:
      return true;
  }
  return false;
}

}  // namespace

std::vector<uint8_t> EncodePeerMessage(const PeerMessage& m) {
  Writer w;
  w.U32(0);  // the length, filled in below
  w.U8(static_cast<uint8_t>(m.kind));
  w.U8(m.flags);
  w.U32(m.pid);
  w.U64(m.window);
  w.U32(m.msg);
  w.U64(m.wParam);
  w.U64(static_cast<uint64_t>(m.lParam));
  w.U32(static_cast<uint32_t>(m.index));
  w.U64(static_cast<uint64_t>(m.result));
  w.Text(m.text);
  const std::size_t count = std::min(m.windows.size(), kPeerMaxWindows);
  w.U16(static_cast<uint16_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    w.U64(m.windows[i].handle);
    w.Text(m.windows[i].className);
    w.Text(m.windows[i].text);
  }
  const uint32_t body = static_cast<uint32_t>(w.out.size() - 4);
  for (int i = 0; i < 4; ++i) w.out[static_cast<std::size_t>(i)] = static_cast<uint8_t>(body >> (8 * i));
  return std::move(w.out);
}

bool DecodePeerMessage(const uint8_t* data, std::size_t size, PeerMessage& m) {
  if (data == nullptr || size > kPeerMaxFrame) return false;
  Reader r(data, size);
  uint8_t kind;
  uint32_t index;
  uint64_t lParam, result;
  if (!r.U8(kind) || !KnownKind(kind)) return false;
  m = PeerMessage();
  m.kind = static_cast<PeerKind>(kind);
  if (!r.U8(m.flags) || !r.U32(m.pid) || !r.U64(m.window) || !r.U32(m.msg) || !r.U64(m.wParam) || !r.U64(lParam) ||
      !r.U32(index) || !r.U64(result) || !r.Text(m.text))
    return false;
  m.lParam = static_cast<int64_t>(lParam);
  m.index = static_cast<int32_t>(index);
  m.result = static_cast<int64_t>(result);
  uint16_t count;
  if (!r.U16(count) || count > kPeerMaxWindows) return false;
  m.windows.resize(count);
  for (PeerWindow& w : m.windows) {
    if (!r.U64(w.handle) || !r.Text(w.className) || !r.Text(w.text)) return false;
  }
  return r.AtEnd();
}
