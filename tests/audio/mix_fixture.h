// What the mixing tests share: audio sources held in memory, clips over them
// in a Film list, the engine's stream gathered whole, and an independent
// float model of the mix written from the mixing rules alone (no engine
// code: no pipes, cursors or sample routines), block by block as the engine
// cuts the range.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "media/audio_data.h"
#include "media/progress_hooks.h"
#include "model/film.h"
#include "model/film_list.h"

// A source whose samples are bytes in memory, in any layout the engine reads.
class MemorySource : public AudioData {
 public:
  MemorySource(WORD tag, WORD channels, DWORD rate, WORD bits, WORD align, std::vector<BYTE> bytes,
               const char* name = "/memory/source.wav")
      : AudioData(name), bytes_(std::move(bytes)) {
    error = 0;
    referenceCount = 1;  // the test's own
    AllocateFormat(18);
    format->wFormatTag = tag;
    format->nChannels = channels;
    format->nSamplesPerSec = rate;
    format->wBitsPerSample = bits;
    format->nBlockAlign = align;
    format->nAvgBytesPerSec = align * rate;
    format->cbSize = 0;
    length = AudioLengthMs(static_cast<std::int64_t>(bytes_.size()), format->nAvgBytesPerSec);
    SetFormat();
  }
  LONG ReadBlock(SampleBlock* block, std::int64_t first, LONG count) override {
    blockReads.fetch_add(1);
    return AudioData::ReadBlock(block, first, count);
  }
  LONG ReadBytes(void* buffer, std::int64_t position, LONG count) override {
    const auto size = static_cast<std::int64_t>(bytes_.size());
    if (position < 0 || position >= size || count <= 0) return 0;
    const auto n = static_cast<LONG>(std::min<std::int64_t>(count, size - position));
    std::memcpy(buffer, bytes_.data() + position, static_cast<std::size_t>(n));
    return n;
  }
  const std::vector<BYTE>& bytes() const { return bytes_; }
  std::atomic<int> blockReads{0};

 private:
  std::vector<BYTE> bytes_;
};

// A signal on the 16-bit scale: a few sines with a seed of their own.
inline float TestSignal(std::int64_t i, int channel, int seed, float amplitude) {
  const double t = static_cast<double>(i);
  const double a = std::sin(t * (0.013 + 0.004 * seed) + channel) + 0.5 * std::sin(t * 0.171 * (seed + 1));
  return static_cast<float>(amplitude * a / 1.5);
}

// frames of TestSignal in a sample code's layout (1 8-bit, 2 16-bit, 4 24-bit
// packed, 7 float), little-endian as WAVE files hold it.
inline MemorySource* MakeSource(int code, WORD channels, DWORD rate, std::int64_t frames, int seed,
                                float amplitude = 6000.0f) {
  const WORD size = code == 1 ? 1 : code == 2 ? 2 : code == 4 ? 3 : 4;
  std::vector<BYTE> bytes(static_cast<std::size_t>(frames) * channels * size);
  BYTE* p = bytes.data();
  for (std::int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const float v = TestSignal(i, c, seed, amplitude);
      if (code == 1) {
        *p++ = static_cast<BYTE>(static_cast<int>(std::lround(v / 256.0f)) + 128);
      } else if (code == 2) {
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v)));
        *p++ = static_cast<BYTE>(s);
        *p++ = static_cast<BYTE>(s >> 8);
      } else if (code == 4) {
        const auto s = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 256.0f)));
        *p++ = static_cast<BYTE>(s);
        *p++ = static_cast<BYTE>(s >> 8);
        *p++ = static_cast<BYTE>(s >> 16);
      } else {
        const float f = v / 32768.0f;
        std::memcpy(p, &f, 4);
        p += 4;
      }
    }
  }
  const WORD tag = code == 7 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
  const WORD bits = code == 1 ? 8 : code == 2 ? 16 : code == 4 ? 24 : 32;
  return new MemorySource(tag, channels, rate, bits, static_cast<WORD>(channels * size), std::move(bytes));
}

// A clip of source on line at [start, end) ms from source time in, with flat
// envelopes at unity; the film takes a reference on the source.
inline Film* AddClip(FilmListHead& list, AudioData* source, int line, int32_t start, int32_t end,
                     int32_t in) {
  auto* film = new Film();
  film->audio = source->AddRef();
  film->audioLine = line;
  film->start = start;
  film->end = end;
  film->in = in;
  film->out = in + (end - start);
  film->sourceLength = source->length;
  film->volumePoints.SetTwoPoints(source->length, 512);
  film->balancePoints.SetTwoPoints(source->length, 0);
  Film::Link(film, list);
  return film;
}

inline MixSetup UnitySetup(int lines) {
  MixSetup setup;
  setup.masterGain = 512;
  setup.lineCount = lines;
  for (MixSetup::Line& l : setup.lines) l.gain = 512;
  return setup;
}

// Every block of a stream of [start, end) ms in code, and the stream's block
// frames; empty when the stream does not start.
// here: mixed on this thread, as the sound exports are; otherwise by the
// engine's threads.
inline std::vector<BYTE> StreamAll(AudioPlayer& engine, Film* films, const MixSetup& setup, LONG start,
                                   LONG end, int code, LONG* blockFrames = nullptr, bool here = false) {
  std::vector<BYTE> all;
  if (!engine.BeginMixStream(films, setup, start, end, code, here)) return all;
  if (blockFrames != nullptr) *blockFrames = engine.GetBlockFrames();
  for (;;) {
    BYTE* data = nullptr;
    LONG bytes = engine.GetMixBlock(&data, nullptr);
    if (bytes <= 0) break;
    all.insert(all.end(), data, data + bytes);
  }
  engine.EndMixStream();
  return all;
}

// ---------------------------------------------------------------- the model

struct MixModel {
  DWORD rate = 8000;
  int channels = 1;
  int code = 2;
  LONG blockFrames = 0;
  float inOutLength = 1.0f;  // ms; linear ramps

  static std::int64_t Frames(DWORD rate, std::int64_t ms) {
    return (static_cast<std::int64_t>(rate) * ms + 500) / 1000;
  }

  // The source's frames [q, q + n) as floats on the 16-bit scale, zeros past
  // its end.
  static std::vector<float> Decode(const MemorySource& s, std::int64_t q, LONG n) {
    const WAVEFORMATEX& f = *s.format;
    const int ch = f.nChannels;
    const int size = f.nBlockAlign / ch;
    std::vector<float> out(static_cast<std::size_t>(n) * ch, 0.0f);
    const std::int64_t frames = static_cast<std::int64_t>(s.bytes().size()) / f.nBlockAlign;
    for (LONG i = 0; i < n; ++i) {
      if (q + i < 0 || q + i >= frames) continue;
      const BYTE* p = s.bytes().data() + (q + i) * f.nBlockAlign;
      for (int c = 0; c < ch; ++c, p += size) {
        float v;
        if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
          std::memcpy(&v, p, 4);
          v *= 32768.0f;
        } else if (size == 1) {
          v = static_cast<float>((p[0] - 128) * 256);
        } else if (size == 2) {
          v = static_cast<float>(static_cast<std::int16_t>(p[0] | (p[1] << 8)));
        } else {
          const std::int32_t s24 = static_cast<std::int32_t>(
              (std::uint32_t{p[0]} << 8) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 24));
          v = static_cast<float>(s24) * (1.0f / 65536.0f);
        }
        out[static_cast<std::size_t>(i) * ch + c] = v;
      }
    }
    return out;
  }

  struct Point {
    float left, right;
    std::int64_t position;
  };

  // The clip's envelope points: gains from its volume points (and, stereo,
  // its balance, which the fixtures keep flat), at source frames.
  std::vector<Point> Envelope(const Film& film) const {
    std::vector<Point> points;
    for (int32_t k = 0; k < film.volumePoints.Count(); ++k) {
      const ProfilePoint& v = film.volumePoints[k];
      const float g = std::min(v.value / 512.0f * film.volume / 512.0f, 8.0f);
      const float b = std::clamp(film.balancePoints[0].value / 256.0f + film.balance / 256.0f, -1.0f, 1.0f);
      float left = g, right = g;
      if (channels == 2 && b != 0.0f) {
        left = std::min((1.0f - b) * g, 8.0f);
        right = std::min((1.0f + b) * g, 8.0f);
      }
      points.push_back({left, right, Frames(rate, v.time)});
    }
    return points;
  }

  // One output sample of the stream's code, little-endian.
  void Put(float v, std::vector<BYTE>& out) const {
    if (v != v) v = 0.0f;
    if (code == 1) {
      const float c = std::clamp(v, -32768.0f, 32767.0f);
      const std::int32_t t = static_cast<std::int32_t>(c);  // toward zero
      const std::int32_t floored = t >= 0 ? t / 256 : -((-t + 255) / 256);
      out.push_back(static_cast<BYTE>(std::clamp(floored, -128, 127) + 128));
    } else if (code == 2) {
      const float c = std::clamp(v, -32768.0f, 32767.0f);
      const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::nearbyint(c)));
      out.push_back(static_cast<BYTE>(s));
      out.push_back(static_cast<BYTE>(s >> 8));
    } else {
      const double scaled = std::clamp(static_cast<double>(v * 256.0f), -8388608.0, 8388607.0);
      const auto s = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
      out.push_back(static_cast<BYTE>(s));
      out.push_back(static_cast<BYTE>(s >> 8));
      out.push_back(static_cast<BYTE>(s >> 16));
    }
  }

  std::vector<BYTE> Mix(const FilmListHead& films, const MixSetup& setup, LONG startMs, LONG endMs) const {
    const std::int64_t start = Frames(rate, startMs);
    const std::int64_t end = Frames(rate, endMs);
    const LONG B = blockFrames;
    const int oc = channels;
    // Linear declick ramps.
    const LONG L = std::max<LONG>(static_cast<LONG>(rate * double(inOutLength) * 0.001), 5);
    std::vector<float> up(L), down(L);
    float step = 0.0f;
    for (LONG k = 0; k < L; ++k) {
      up[k] = step;
      down[L - 1 - k] = step;
      step = step + 1.0f / static_cast<float>(L);
    }
    const float M = setup.masterGain / 512.0f;
    const float P = setup.masterPan / 256.0f;

    std::vector<BYTE> out;
    for (std::int64_t m = start; m < end; m += B) {
      std::vector<float> sum(static_cast<std::size_t>(B) * oc, 0.0f);
      LONG sumHeld = 0;
      for (int line = 0; line < setup.lineCount; ++line) {
        if (setup.lines[line].gain == 0) continue;
        const float G = setup.lines[line].gain / 512.0f;
        const float p = setup.lines[line].pan / 256.0f;
        std::vector<float> block(static_cast<std::size_t>(B) * oc, 0.0f);
        std::int64_t d = 0;
        for (const Film* f = films.First(); f != nullptr; f = f->next) {
          if (f->audio == nullptr || f->audioLine != line) continue;
          const std::int64_t cs = Frames(rate, f->start), ce = Frames(rate, f->end);
          if (ce <= m || cs > m + B || cs > end) continue;
          const std::int64_t s = std::max(cs, m);
          LONG n = static_cast<LONG>(std::min({ce, m + B, end}) - s);
          std::int64_t q = (s - cs) + Frames(rate, f->in);
          const auto& src = *static_cast<const MemorySource*>(static_cast<const AudioData*>(f->audio));
          const int sc = src.format->nChannels;
          std::vector<float> raw = Decode(src, q, n);
          // Declick.
          const std::int64_t I = Frames(rate, f->in), O = Frames(rate, f->out);
          if (static_cast<float>(f->out - f->in) > 2.0f * inOutLength) {
            if (f->declickIn && q >= I && q < I + L) {
              const LONG k = static_cast<LONG>(std::min<std::int64_t>(L - (q - I), n));
              for (LONG j = 0; j < k; ++j)
                for (int c = 0; c < sc; ++c) raw[j * sc + c] *= up[q - I + j];
            }
            if (f->declickOut && O - L < q + n) {
              std::int64_t e = O - L - q, a = 0;
              if (e <= 0) {
                a = -e;
                e = 0;
              }
              const std::int64_t k = std::min<std::int64_t>(L - a, n - e);
              for (std::int64_t j = 0; j < k; ++j)
                for (int c = 0; c < sc; ++c) raw[(e + j) * sc + c] *= down[a + j];
            }
          }
          // Through the envelope, segment by segment.
          const std::vector<Point> pts = Envelope(*f);
          const LONG k = static_cast<LONG>(pts.size());
          LONG dd = static_cast<LONG>(s - m), r = 0, left = n;
          LONG i = 1;
          while (i < k - 1 && pts[i].position <= q) ++i;
          for (; i < k && left > 0; ++i) {
            const std::int64_t span = pts[i].position - q;
            if (span <= 0) continue;
            const LONG c = static_cast<LONG>(std::min<std::int64_t>(left, span));
            const Point& a = pts[i - 1];
            const Point& b = pts[i];
            if (a.position != b.position || (oc == 1 && a.left == b.left)) {
              const float width = static_cast<float>(b.position - a.position);
              const float from = static_cast<float>(q - a.position);
              const bool constL = a.left == b.left, constR = a.right == b.right;
              const float dl = constL ? 0.0f : (b.left - a.left) / width;
              const float dr = constR ? 0.0f : (b.right - a.right) / width;
              float gl = constL ? b.left : a.left + from * dl;
              float gr = constR ? b.right : a.right + from * dr;
              for (LONG j = 0; j < c; ++j) {
                const float* x = &raw[static_cast<std::size_t>(r + j) * sc];
                if (oc == 1) {
                  const float v = sc == 1 ? x[0] : (x[0] + x[1]) * 0.5f;
                  block[dd + j] = v * gl;
                } else {
                  block[2 * (dd + j)] = x[0] * gl;
                  block[2 * (dd + j) + 1] = (sc == 1 ? x[0] : x[1]) * gr;
                }
                if (!constL) gl += dl;
                if (!constR) gr += dr;
              }
            }
            dd += c;
            q += c;
            r += c;
            left -= c;
          }
          d = (s - m) + n;
          if (d == B) break;
        }
        const LONG held = static_cast<LONG>(d);
        for (LONG j = 0; j < held; ++j) {
          if (oc == 1) {
            sum[j] += block[j] * M * G;
          } else {
            sum[2 * j] += block[2 * j] * (1.0f - P) * M * (1.0f - p) * G;
            sum[2 * j + 1] += block[2 * j + 1] * (1.0f + P) * M * (1.0f + p) * G;
          }
        }
        sumHeld = std::max(sumHeld, held);
      }
      const LONG n = static_cast<LONG>(std::min<std::int64_t>(B, end - m));
      for (LONG j = 0; j < n; ++j) {
        for (int c = 0; c < oc; ++c) {
          if (sumHeld == 0) {
            // The format's silence.
            Put(0.0f, out);
          } else {
            Put(sum[static_cast<std::size_t>(j) * oc + c], out);
          }
        }
      }
    }
    return out;
  }
};

// ---------------------------------------------------------------- files and tools

inline std::vector<BYTE> FileBytes(const std::string& path) {
  std::vector<BYTE> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    BYTE buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

inline bool FileExists(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  return false;
}

// Runs a shell command; its standard output, and whether it exited with 0.
inline bool RunCommand(const std::string& command, std::vector<BYTE>* output = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  BYTE buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    if (output != nullptr) output->insert(output->end(), buffer, buffer + n);
  return pclose(pipe) == 0;
}

inline bool HaveTool(const char* tool) {
  return RunCommand(std::string("command -v ") + tool + " >/dev/null 2>&1");
}

inline std::string CommandText(const std::string& command) {
  std::vector<BYTE> out;
  RunCommand(command, &out);
  return std::string(out.begin(), out.end());
}

inline DWORD Le32At(const std::vector<BYTE>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (DWORD{b[at + 3]} << 24);
}

// The progress dialog, scripted: it notes what it was opened with and how
// far it got, and answers Cancel at a chosen step. Installed for its life.
class ScriptedProgress : public ProgressHooks, public ProgressDialog {
 public:
  ScriptedProgress() { previous_ = SetProgressHooks(this); }
  ~ScriptedProgress() override { SetProgressHooks(previous_); }
  ScriptedProgress(const ScriptedProgress&) = delete;
  ScriptedProgress& operator=(const ScriptedProgress&) = delete;

  ProgressDialog* OpenTermometer(const char* t, const char* x, LONG total, bool, HWND) override {
    title = t;
    text = x;
    steps = total;
    ++opens;
    return this;
  }
  void CloseTermometer(ProgressDialog** holder) override {
    if (*holder != nullptr) ++closes;
    *holder = nullptr;
  }
  bool SetProgress(LONG done) override {
    last = done;
    return cancelAt == 0 || done < cancelAt;
  }
  void Reset() {
    title.clear();
    text.clear();
    steps = -1;
    last = 0;
    cancelAt = 0;
    opens = closes = 0;
  }

  std::string title, text;
  LONG steps = -1, last = 0, cancelAt = 0;
  int opens = 0, closes = 0;

 private:
  ProgressHooks* previous_ = nullptr;
};
