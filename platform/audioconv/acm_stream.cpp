// Conversion streams of the built-in driver. Source units (frames, or IMA
// blocks) are decoded, mixed to the destination's channels and, when the
// rates differ, resampled through libsoxr at the quality sox itself uses by
// default; a stream decodes more only while the destination has room, so
// that what it and the resampler hold stays within the slack that
// acmStreamSize adds.
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
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

struct SoxrDelete {
  void operator()(soxr* s) const { soxr_delete(s); }
};
using Resampler = std::unique_ptr<soxr, SoxrDelete>;

// 20-bit precision with 95% of the lower Nyquist band kept, linear phase:
// what sox's rate effect does unless told otherwise.
Resampler MakeResampler(DWORD from, DWORD to, int channels) {
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
  soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_LINEAR_PHASE);
  quality.passband_end = 0.95;
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
  soxr_error_t error = nullptr;
  Resampler r(soxr_create(from, to, static_cast<unsigned>(channels), &error, &io, &quality, &runtime));
  if (error != nullptr) r.reset();
  return r;
}

// The most source frames a resampler between these rates holds before its
// output catches up, found by running silence through one; with a margin.
std::int64_t HeldByResampler(DWORD from, DWORD to) {
  Resampler r = MakeResampler(from, to, 1);
  if (!r) return 0;
  std::vector<double> in(64, 0.0), out(1 << 14);
  std::int64_t fed = 0, made = 0, firstOut = -1;
  double held = 0;
  for (int i = 0; i < 1 << 16; ++i) {
    std::size_t used = 0, got = 0;
    if (soxr_process(r.get(), in.data(), in.size(), &used, out.data(), out.size(), &got) != nullptr) break;
    fed += static_cast<std::int64_t>(used);
    made += static_cast<std::int64_t>(got);
    if (got > 0 && firstOut < 0) firstOut = fed;
    held = std::max(held, static_cast<double>(fed) - static_cast<double>(made) * from / to);
    if (firstOut >= 0 && fed > 2 * firstOut + 8192) break;
  }
  const auto frames = static_cast<std::int64_t>(std::ceil(held));
  return frames + frames / 4 + 64;
}

class Stream {
 public:
  Stream(const FormatInfo& source, const FormatInfo& destination) : src_(source), dst_(destination) {
    if (src_.rate != dst_.rate) {
      resampler_ = MakeResampler(src_.rate, dst_.rate, dst_.channels);
      held_ = HeldByResampler(src_.rate, dst_.rate);
    }
    Reset();
  }

  // False when the resampler could not be made.
  bool Usable() const { return src_.rate == dst_.rate || (resampler_ && held_ > 0); }

  const FormatInfo& source() const { return src_; }
  const FormatInfo& destination() const { return dst_; }
  std::vector<PreparedHeader>& prepared() { return prepared_; }

  // Frames a stream may hold back beyond what its input so far gives.
  std::int64_t Slack() const { return held_ + 2 + src_.framesPerUnit; }

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
      const std::int64_t frames = out > 0 ? out * inRate / outRate - (held_ + 2) : 0;
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
    flushing_ = false;
    input_.clear();
    head_ = 0;
    inFrames_ = 0;
    outFrames_ = 0;
    if (resampler_) soxr_clear(resampler_.get());
  }

  std::size_t Held() const { return (input_.size() - head_) / static_cast<std::size_t>(dst_.channels); }

  // Input frames still to decode before room more outputs can be made.
  std::int64_t FramesNeeded(std::size_t room) const {
    if (room == 0) return 0;
    const std::int64_t wanted = outFrames_ + static_cast<std::int64_t>(room);
    if (!resampler_) return wanted - inFrames_;
    const std::int64_t inRate = src_.rate, outRate = dst_.rate;
    return (wanted * inRate + outRate - 1) / outRate + held_ - inFrames_;
  }

  // The whole stream's output: every input frame, or ceil(frames * to / from)
  // of them at another rate.
  std::int64_t FramesInAll() const {
    if (!resampler_) return inFrames_;
    const std::int64_t inRate = src_.rate, outRate = dst_.rate;
    return (inFrames_ * outRate + inRate - 1) / inRate;
  }

  bool Drained() const { return outFrames_ >= FramesInAll(); }

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
    const std::size_t frameBytes = static_cast<std::size_t>(dst_.blockAlign);
    std::size_t made = 0;
    if (!resampler_) {
      made = std::min<std::size_t>(room, Held());
      acm::EncodeLinear(dst_, input_.data() + head_, made, destination + offset * frameBytes);
      outFrames_ += static_cast<std::int64_t>(made);
      Drop(made);
      return made;
    }
    out_.resize(std::min<std::size_t>(room, kDecodeChunk) * static_cast<std::size_t>(dc));
    while (made < room) {
      const std::size_t limit = std::min<std::size_t>(room - made, kDecodeChunk);
      std::size_t used = 0, got = 0;
      // At the end, once all it was given is in, the resampler gives out
      // what it holds.
      flushing_ = flushing_ || (draining && Held() == 0);
      // No input is told with a pointer: a null one would end the stream.
      static const double kNothing = 0.0;
      const double* in = Held() > 0 ? input_.data() + head_ : &kNothing;
      const soxr_error_t error =
          flushing_ ? soxr_process(resampler_.get(), nullptr, 0, nullptr, out_.data(), limit, &got)
                    : soxr_process(resampler_.get(), in, Held(), &used, out_.data(), limit, &got);
      if (error != nullptr) break;
      Drop(used);
      got = static_cast<std::size_t>(std::min<std::int64_t>(
          static_cast<std::int64_t>(got), std::max<std::int64_t>(0, FramesInAll() - outFrames_)));
      if (got == 0 && flushing_) {
        // The stream's length is the rates' exact share of the input.
        got = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(limit), FramesInAll() - outFrames_));
        std::fill(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(got * dc), 0.0);
      }
      if (got == 0) {
        if (used > 0) continue;
        break;
      }
      acm::EncodeLinear(dst_, out_.data(), got, destination + (offset + made) * frameBytes);
      outFrames_ += static_cast<std::int64_t>(got);
      made += got;
    }
    return made;
  }

  void Drop(std::size_t frames) {
    head_ += frames * static_cast<std::size_t>(dst_.channels);
    if (head_ > 65536 && head_ * 2 > input_.size()) {
      input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
  }

  FormatInfo src_, dst_;
  Resampler resampler_;    // only between different rates
  std::int64_t held_ = 0;  // source frames the resampler may hold
  bool flushing_ = false;  // the resampler was told the input ended
  bool ended_ = false;
  std::vector<double> input_;  // decoded frames, destination channels, from head_
  std::size_t head_ = 0;
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
  if (!created->Usable()) {
    delete created;
    return MMSYSERR_NOMEM;
  }
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
