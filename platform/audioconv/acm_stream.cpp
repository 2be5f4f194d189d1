// Conversion streams of the built-in driver. Source units (frames, or IMA
// blocks) are decoded, mixed to the destination's channels and, when the
// rates differ, resampled with a windowed-sinc filter; a stream keeps the
// decoded frames its filter still needs between calls and decodes more
// only while the destination has room, so what it holds stays within the
// slack that acmStreamSize adds.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <set>
#include <vector>

#include "platform/audioconv/acm.h"
#include "platform/audioconv/acm_driver.h"

using acm::FormatInfo;
using acm::Kind;

namespace {

struct PreparedHeader {
  ACMSTREAMHEADER* header;
  LPBYTE source;
  DWORD sourceLength;
  LPBYTE destination;
  DWORD destinationLength;
};

class Stream {
 public:
  Stream(const FormatInfo& source, const FormatInfo& destination) : src_(source), dst_(destination) {
    resample_ = src_.rate != dst_.rate;
    if (resample_) {
      // Cut at 97% of the lower Nyquist frequency.
      cutoff_ = 0.97 * std::min(1.0, static_cast<double>(dst_.rate) / src_.rate);
      half_ = static_cast<int>(std::ceil(acm::kKernelZeros / cutoff_));
    }
    Reset();
  }

  const FormatInfo& source() const { return src_; }
  const FormatInfo& destination() const { return dst_; }
  std::vector<PreparedHeader>& prepared() { return prepared_; }

  // Frames a stream may hold back beyond what its input so far gives.
  std::int64_t Slack() const { return 2 * static_cast<std::int64_t>(half_) + 2 + src_.framesPerUnit; }

  MMRESULT Size(DWORD input, DWORD* output, bool fromSource) const {
    const std::int64_t inRate = src_.rate, outRate = dst_.rate;
    std::int64_t result;
    if (fromSource) {
      if (input == 0) return ACMERR_NOTPOSSIBLE;
      const std::int64_t units = (static_cast<std::int64_t>(input) + src_.blockAlign - 1) / src_.blockAlign;
      const std::int64_t frames = units * src_.framesPerUnit + Slack();
      const std::int64_t out = (frames * outRate + inRate - 1) / inRate + 2;
      result = out * dst_.blockAlign;
    } else {
      const std::int64_t out = static_cast<std::int64_t>(input / static_cast<DWORD>(dst_.blockAlign)) - 2;
      // Room for the filter's reach; the end of the stream needs the
      // larger destination that the source size then gives.
      const std::int64_t frames =
          out > 0 ? out * inRate / outRate - (2 * static_cast<std::int64_t>(half_) + 2) : 0;
      const std::int64_t units = frames > 0 ? frames / src_.framesPerUnit : 0;
      if (units <= 0) return ACMERR_NOTPOSSIBLE;
      result = units * src_.blockAlign;
    }
    if (result > std::numeric_limits<DWORD>::max()) return ACMERR_NOTPOSSIBLE;
    *output = static_cast<DWORD>(result);
    return MMSYSERR_NOERROR;
  }

  void Convert(const BYTE* source, DWORD sourceLength, BYTE* destination, DWORD destinationLength,
               DWORD flags, DWORD* sourceUsed, DWORD* destinationUsed) {
    if ((flags & ACM_STREAMCONVERTF_START) || ended_) Reset();
    const std::size_t unit = static_cast<std::size_t>(src_.blockAlign);
    const std::size_t room = destinationLength / static_cast<std::size_t>(dst_.blockAlign);
    std::size_t used = 0, produced = 0;
    for (;;) {
      produced += EmitInto(destination, produced, room - produced, false);
      if (produced == room) break;
      const std::int64_t need = FramesNeeded(room - produced);
      const std::size_t units = (sourceLength - used) / unit;
      if (units == 0 || need <= 0) break;
      const std::size_t take = std::min<std::size_t>(
          units, static_cast<std::size_t>((need + src_.framesPerUnit - 1) / src_.framesPerUnit));
      for (std::size_t i = 0; i < take; i += kDecodeChunk) {
        const std::size_t n = std::min(kDecodeChunk, take - i);
        DecodeUnits(source + used, n * unit, n);
        used += n * unit;
      }
    }
    if ((flags & ACM_STREAMCONVERTF_END) && sourceLength - used < unit && produced < room) {
      // The rest of the source is less than one unit: what decodes of it
      // is the end of the stream.
      const std::size_t rest = sourceLength - used;
      if (rest > 0 && src_.kind == Kind::Ima) DecodePartialBlock(source + used, rest);
      used = sourceLength;
      produced += EmitInto(destination, produced, room - produced, true);
      if (Drained()) ended_ = true;
    }
    *sourceUsed = static_cast<DWORD>(used);
    *destinationUsed = static_cast<DWORD>(produced * static_cast<std::size_t>(dst_.blockAlign));
  }

 private:
  static constexpr std::size_t kDecodeChunk = 4096;

  void Reset() {
    ended_ = false;
    input_.clear();
    head_ = 0;
    base_ = 0;
    inFrames_ = 0;
    outFrames_ = 0;
  }

  std::size_t Held() const { return (input_.size() - head_) / static_cast<std::size_t>(dst_.channels); }

  // Input frames still to decode before room more outputs can be made.
  std::int64_t FramesNeeded(std::size_t room) const {
    if (room == 0) return 0;
    if (!resample_) return outFrames_ + static_cast<std::int64_t>(room) - inFrames_;
    const std::int64_t last = outFrames_ + static_cast<std::int64_t>(room) - 1;
    const std::int64_t index = last * src_.rate / dst_.rate;
    return index + half_ + 1 - inFrames_;
  }

  bool Drained() const {
    if (!resample_) return outFrames_ >= inFrames_;
    return outFrames_ * static_cast<std::int64_t>(src_.rate) >=
           inFrames_ * static_cast<std::int64_t>(dst_.rate);
  }

  void DecodeUnits(const BYTE* p, std::size_t bytes, std::size_t units) {
    const int sc = src_.channels;
    switch (src_.kind) {
      case Kind::Pcm:
      case Kind::Float:
        scratch_.resize(units * static_cast<std::size_t>(sc));
        acm::DecodeLinear(src_, p, units, scratch_.data());
        Append(scratch_.data(), units);
        break;
      case Kind::MuLaw:
      case Kind::ALaw: {
        const std::size_t n = units * static_cast<std::size_t>(sc);
        scratch_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
          scratch_[i] =
              (src_.kind == Kind::MuLaw ? acm::MuLawToLinear(p[i]) : acm::ALawToLinear(p[i])) / 32768.0;
        Append(scratch_.data(), units);
        break;
      }
      case Kind::Ima:
        for (std::size_t u = 0; u < units; ++u) DecodePartialBlock(p + u * src_.blockAlign, src_.blockAlign);
        break;
    }
  }

  void DecodePartialBlock(const BYTE* p, std::size_t bytes) {
    const int sc = src_.channels;
    block_.resize(static_cast<std::size_t>(src_.framesPerUnit) * sc);
    const int frames = acm::DecodeImaBlock(p, static_cast<int>(bytes), sc, src_.framesPerUnit, block_.data());
    scratch_.resize(static_cast<std::size_t>(frames) * sc);
    for (std::size_t i = 0; i < scratch_.size(); ++i) scratch_[i] = block_[i] / 32768.0;
    Append(scratch_.data(), static_cast<std::size_t>(frames));
  }

  // Mixes frames of the source's channels to the destination's and keeps them.
  void Append(const double* in, std::size_t frames) {
    const int sc = src_.channels, dc = dst_.channels;
    const std::size_t start = input_.size();
    input_.resize(start + frames * static_cast<std::size_t>(dc));
    double* out = input_.data() + start;
    for (std::size_t f = 0; f < frames; ++f) {
      const double* s = in + f * sc;
      double* d = out + f * dc;
      if (sc == dc) {
        std::copy(s, s + sc, d);
      } else if (dc == 1) {
        double sum = 0;
        for (int c = 0; c < sc; ++c) sum += s[c];
        d[0] = sum / sc;
      } else if (sc == 1) {
        std::fill(d, d + dc, s[0]);
      } else {
        for (int c = 0; c < dc; ++c) d[c] = c < sc ? s[c] : 0.0;
      }
    }
    inFrames_ += static_cast<std::int64_t>(frames);
  }

  // Writes up to room frames at frame offset of destination; returns them.
  std::size_t EmitInto(BYTE* destination, std::size_t offset, std::size_t room, bool draining) {
    if (room == 0) return 0;
    const int dc = dst_.channels;
    std::size_t made = 0;
    if (!resample_) {
      made = std::min<std::size_t>(room, Held());
      acm::EncodeLinear(dst_, input_.data() + head_, made,
                        destination + offset * static_cast<std::size_t>(dst_.blockAlign));
      outFrames_ += static_cast<std::int64_t>(made);
      Drop(made);
      return made;
    }
    out_.resize(std::min<std::size_t>(room, kDecodeChunk) * static_cast<std::size_t>(dc));
    const std::int64_t inRate = src_.rate, outRate = dst_.rate;
    while (made < room) {
      std::size_t batch = 0;
      const std::size_t limit = std::min<std::size_t>(room - made, kDecodeChunk);
      while (batch < limit) {
        const std::int64_t k = outFrames_;
        const std::int64_t position = k * inRate;
        const std::int64_t index = position / outRate;
        const double frac = static_cast<double>(position % outRate) / static_cast<double>(outRate);
        if (draining ? position >= inFrames_ * outRate : index + half_ >= inFrames_) break;
        double* o = out_.data() + batch * static_cast<std::size_t>(dc);
        std::fill(o, o + dc, 0.0);
        const std::int64_t first = std::max(index - half_ + 1, base_);
        const std::int64_t last = std::min(index + half_, inFrames_ - 1);
        for (std::int64_t j = first; j <= last; ++j) {
          const double w = cutoff_ * acm::Kernel(cutoff_ * (static_cast<double>(index - j) + frac));
          const double* s = input_.data() + head_ + static_cast<std::size_t>(j - base_) * dc;
          for (int c = 0; c < dc; ++c) o[c] += w * s[c];
        }
        ++outFrames_;
        ++batch;
      }
      if (batch == 0) break;
      acm::EncodeLinear(dst_, out_.data(), batch,
                        destination + (offset + made) * static_cast<std::size_t>(dst_.blockAlign));
      made += batch;
    }
    // Keep only what the next output's window reaches back to.
    const std::int64_t keepFrom = outFrames_ * inRate / outRate - half_ + 1;
    if (keepFrom > base_) Drop(static_cast<std::size_t>(std::min<std::int64_t>(keepFrom - base_, Held())));
    return made;
  }

  void Drop(std::size_t frames) {
    head_ += frames * static_cast<std::size_t>(dst_.channels);
    base_ += static_cast<std::int64_t>(frames);
    if (head_ > 65536 && head_ * 2 > input_.size()) {
      input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
  }

  FormatInfo src_, dst_;
  bool resample_ = false;
  double cutoff_ = 1.0;
  int half_ = 0;
  bool ended_ = false;
  std::vector<double> input_;  // held frames, destination channels, from head_
  std::size_t head_ = 0;
  std::int64_t base_ = 0;       // stream frame of input_[head_]
  std::int64_t inFrames_ = 0;   // frames decoded since the start
  std::int64_t outFrames_ = 0;  // frames made since the start
  std::vector<double> scratch_, out_;
  std::vector<std::int16_t> block_;
  std::vector<PreparedHeader> prepared_;
};

std::mutex g_streamsLock;
std::set<Stream*> g_streams;

Stream* Lookup(HACMSTREAM handle) {
  std::lock_guard<std::mutex> guard(g_streamsLock);
  Stream* s = reinterpret_cast<Stream*>(handle);
  return g_streams.count(s) != 0 ? s : nullptr;
}

PreparedHeader* FindPrepared(Stream* s, const ACMSTREAMHEADER* header) {
  for (PreparedHeader& p : s->prepared())
    if (p.header == header) return &p;
  return nullptr;
}

}  // namespace

MMRESULT acmStreamOpen(LPHACMSTREAM stream, HACMDRIVER, LPWAVEFORMATEX source, LPWAVEFORMATEX destination,
                       LPVOID filter, DWORD_PTR, DWORD_PTR, DWORD flags) {
  if (stream != nullptr) *stream = nullptr;
  if (source == nullptr || destination == nullptr || filter != nullptr) return MMSYSERR_INVALPARAM;
  if (flags & ~(ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_NONREALTIME)) return MMSYSERR_INVALFLAG;
  FormatInfo s, d;
  if (!acm::Describe(source, &s) || !acm::Describe(destination, &d) || !acm::ConvertsDirectly(s, d))
    return ACMERR_NOTPOSSIBLE;
  if (flags & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;
  if (stream == nullptr) return MMSYSERR_INVALPARAM;
  Stream* created = new (std::nothrow) Stream(s, d);
  if (created == nullptr) return MMSYSERR_NOMEM;
  {
    std::lock_guard<std::mutex> guard(g_streamsLock);
    g_streams.insert(created);
  }
  *stream = reinterpret_cast<HACMSTREAM>(created);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM handle, DWORD flags) {
  if (flags != 0) return MMSYSERR_INVALFLAG;
  std::lock_guard<std::mutex> guard(g_streamsLock);
  Stream* s = reinterpret_cast<Stream*>(handle);
  if (g_streams.count(s) == 0) return MMSYSERR_INVALHANDLE;
  if (!s->prepared().empty()) return ACMERR_BUSY;
  g_streams.erase(s);
  delete s;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM handle, DWORD input, LPDWORD output, DWORD flags) {
  Stream* s = Lookup(handle);
  if (s == nullptr) return MMSYSERR_INVALHANDLE;
  if (output == nullptr) return MMSYSERR_INVALPARAM;
  const DWORD query = flags & ACM_STREAMSIZEF_QUERYMASK;
  if ((flags & ~ACM_STREAMSIZEF_QUERYMASK) != 0 || query > ACM_STREAMSIZEF_DESTINATION)
    return MMSYSERR_INVALFLAG;
  *output = 0;
  return s->Size(input, output, query == ACM_STREAMSIZEF_SOURCE);
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM handle, LPACMSTREAMHEADER header, DWORD flags) {
  Stream* s = Lookup(handle);
  if (s == nullptr) return MMSYSERR_INVALHANDLE;
  if (flags != 0) return MMSYSERR_INVALFLAG;
  if (header == nullptr || header->cbStruct < sizeof(ACMSTREAMHEADER) || header->pbSrc == nullptr ||
      header->pbDst == nullptr || header->cbSrcLength == 0 || header->cbDstLength == 0)
    return MMSYSERR_INVALPARAM;
  if (FindPrepared(s, header) != nullptr) return MMSYSERR_NOERROR;
  s->prepared().push_back({header, header->pbSrc, header->cbSrcLength, header->pbDst, header->cbDstLength});
  header->fdwStatus =
      (header->fdwStatus | ACMSTREAMHEADER_STATUSF_PREPARED) & ~ACMSTREAMHEADER_STATUSF_INQUEUE;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM handle, LPACMSTREAMHEADER header, DWORD flags) {
  Stream* s = Lookup(handle);
  if (s == nullptr) return MMSYSERR_INVALHANDLE;
  if (flags != 0) return MMSYSERR_INVALFLAG;
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  auto& list = s->prepared();
  auto it =
      std::find_if(list.begin(), list.end(), [&](const PreparedHeader& p) { return p.header == header; });
  if (it == list.end()) return ACMERR_UNPREPARED;
  list.erase(it);
  header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM handle, LPACMSTREAMHEADER header, DWORD flags) {
  Stream* s = Lookup(handle);
  if (s == nullptr) return MMSYSERR_INVALHANDLE;
  if (flags & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END))
    return MMSYSERR_INVALFLAG;
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  const PreparedHeader* p = FindPrepared(s, header);
  if (p == nullptr || !(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
  // The buffers must be the prepared ones, the lengths no longer.
  if (header->pbSrc != p->source || header->pbDst != p->destination ||
      header->cbSrcLength > p->sourceLength || header->cbDstLength > p->destinationLength)
    return MMSYSERR_INVALPARAM;
  header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
  s->Convert(header->pbSrc, header->cbSrcLength, header->pbDst, header->cbDstLength, flags,
             &header->cbSrcLengthUsed, &header->cbDstLengthUsed);
  header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
  return MMSYSERR_NOERROR;
}
