// Mixing the audio lines: the reader thread reads each clip's piece of a
// block, the mixer thread turns the pieces of each line into one float block
// (declick ramps, the clip's effects, its envelope, the line's effects), and
// the consumer sums the line blocks with the line and master gains and pans,
// runs the master effects and writes the output format.
#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "audio/audio_player.h"
#include "audio/denormals.h"
#include "audio/effect_list.h"
#include "media/audio_data.h"
#include "model/film.h"
#include "model/levels.h"

namespace {

// The clip's source when the engine's blocks can hold its frames (at most
// two channels of at most four bytes); a clip without one is silent.
AudioData* SourceOf(const Film* film) {
  auto* source = film->audio != nullptr ? dynamic_cast<AudioData*>(film->audio) : nullptr;
  if (source == nullptr || source->format == nullptr) return nullptr;
  const WAVEFORMATEX& f = *source->format;
  if (f.nChannels < 1 || f.nChannels > 2 || f.nBlockAlign == 0 || f.nBlockAlign > 8) return nullptr;
  return source;
}

EffectList* ListOf(EffectChain* chain) {
  return chain != nullptr ? dynamic_cast<EffectList*>(chain) : nullptr;
}

// A clip of a line: the reader and the mixer pass over everything else.
bool OnLine(const Film* film, int line) {
  return film->audioLine == line && film->audio != nullptr;
}

// The clip's list as the time-line last gave it; called holding the mixing
// lock.
EffectList* CurrentList(MixClip& clip) {
  if (clip.film->effects != clip.chain) {
    clip.chain = clip.film->effects;
    clip.effects = ListOf(clip.chain);
  }
  return clip.effects;
}

// Both cursors of a line at its first clip, or, for a line that takes no
// part, past its last one.
void RewindCursors(TTrack& line, bool reader, bool mixer) {
  const std::size_t first = line.playing ? 0 : line.clips.size();
  if (reader) line.readAt = first;
  if (mixer) {
    line.mixAt = first;
    line.film = first < line.clips.size() ? line.clips[first].film : nullptr;
    line.points = 0;
  }
}

// The mixer's cursor on to the line's next clip, whose envelope is not built.
void NextMixClip(TTrack& line) {
  ++line.mixAt;
  line.film = line.mixAt < line.clips.size() ? line.clips[line.mixAt].film : nullptr;
  line.points = 0;
}

void DescribeFloat(SampleBlock* block, WORD channels, DWORD rate) {
  SampleBlockFormat& f = block->format;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = 32;
  f.nBlockAlign = static_cast<WORD>(channels * 4);
  f.nAvgBytesPerSec = f.nBlockAlign * rate;
}

// A float block of the output rate, silent over its whole capacity.
void ClearFloatBlock(SampleBlock* block, WORD channels) {
  DescribeFloat(block, channels, OutputFormat.nSamplesPerSec);
  std::memset(block->data, 0, static_cast<std::size_t>(block->capacity) * channels * 4);
}

// The raw block of one piece: n frames of the source at frame q, or, for a
// silent line or a clip without a readable source, n silent float frames
// that hold nothing.
void FillReadBlock(SampleBlock* block, AudioData* source, float gain, LONGLONG q, LONG n) {
  if (source == nullptr || source->format == nullptr || gain == 0.0f) {
    if (source != nullptr) {
      source->PrepareFloatBlock(block, n);
    } else {
      DescribeFloat(block, 1, OutputFormat.nSamplesPerSec);
      block->requested = n;
    }
    block->held = 0;
    return;
  }
  // A source that is not open reads nothing and leaves the block alone:
  // it must hold nothing then, not what it held before.
  block->requested = n;
  block->held = 0;
  block->format = BlockFormatOf(*source->format);
  source->ReadBlock(block, q, n);
}

// A line block as the mixer writes it: frames [0, filled) hold this block's
// mix, the rest still what the block held in its last use. Each frame is
// written once, sound or silence: clearing the whole block first would be a
// second pass over memory the consumer's processor holds.
struct LineOut {
  float* data;
  LONG channels;
  LONG filled = 0;

  // Silence from the last frame written up to frame to.
  void SilenceTo(LONG to) {
    if (to <= filled) return;
    std::memset(data + static_cast<std::size_t>(filled) * channels, 0,
                static_cast<std::size_t>(to - filled) * channels * 4);
    filled = to;
  }
  void Wrote(LONG to) { filled = std::max(filled, to); }
};

// Calls segment(a, b, q, c) for each envelope segment over the n frames from
// source frame q, in order, c frames of it from q on; returns the frames
// left past the last point.
template <typename Segment>
LONG WalkEnvelope(const SVolumeProfile* p, LONG k, LONGLONG q, LONG n, Segment segment) {
  LONG i = 1;
  while (i < k - 1 && p[i].position <= q) ++i;
  for (; i < k && n > 0; ++i) {
    const LONGLONG span = p[i].position - q;
    if (span <= 0) continue;
    const LONG c = static_cast<LONG>(std::min<LONGLONG>(n, span));
    segment(p[i - 1], p[i], q, c);
    q += c;
    n -= c;
  }
  return n;
}

// Whether the envelope holds its gains over the n frames from q: the copy
// then gives the same samples whatever pieces the frames are copied in.
bool FlatOver(const SVolumeProfile* p, LONG k, LONGLONG q, LONG n, bool stereo) {
  bool flat = true;
  WalkEnvelope(p, k, q, n, [&](const SVolumeProfile& a, const SVolumeProfile& b, LONGLONG, LONG) {
    if (a.position == b.position) return;  // a vertical step copies nothing
    if (a.left != b.left || (stereo && a.right != b.right)) flat = false;
  });
  return flat;
}

// Copies n frames of the float piece raw through the envelope points into
// out at frame d; q is the piece's frame in the source. A segment is copied
// only while its length is positive; what it does not copy (a step, past the
// last point) is silence.
void CopyThroughEnvelope(const SVolumeProfile* p, LONG k, const AudioData* source, const SampleBlock* raw,
                         LineOut& out, LONG d, LONGLONG q, LONG n, bool stereo) {
  LONG r = 0;
  const LONG past = WalkEnvelope(p, k, q, n, [&](const SVolumeProfile& a, const SVolumeProfile& b,
                                                 LONGLONG first, LONG c) {
    const bool step = a.position == b.position;  // a vertical step copies nothing
    bool wrote = false;
    if (!stereo) {
      if (b.left == a.left) {
        source->GainToMono(out.data, d, raw, r, c, b.left);
        wrote = true;
      } else if (!step) {
        const float slope = (b.left - a.left) / static_cast<float>(b.position - a.position);
        const float g = a.left + static_cast<float>(first - a.position) * slope;
        source->GainToMonoRamp(out.data, d, raw, r, c, g, slope);
        wrote = true;
      }
    } else if (!step) {
      const bool left = b.left == a.left;
      const bool right = b.right == a.right;
      const float width = static_cast<float>(b.position - a.position);
      const float from = static_cast<float>(first - a.position);
      if (left && right) {
        source->GainToStereo(out.data, d, raw, r, c, b.left, b.right);
      } else if (right) {
        const float dl = (b.left - a.left) / width;
        source->GainToStereoRampLeft(out.data, d, raw, r, c, a.left + from * dl, dl, b.right);
      } else if (left) {
        const float dr = (b.right - a.right) / width;
        source->GainToStereoRampRight(out.data, d, raw, r, c, b.left, a.right + from * dr, dr);
      } else {
        const float dl = (b.left - a.left) / width;
        const float dr = (b.right - a.right) / width;
        source->GainToStereoRamps(out.data, d, raw, r, c, a.left + from * dl, dl, a.right + from * dr, dr);
      }
      wrote = true;
    }
    if (wrote) {
      out.Wrote(d + c);
    } else {
      out.SilenceTo(d + c);
    }
    d += c;
    r += c;
  });
  out.SilenceTo(d + past);
}

// Whether the raw piece holds all its n frames as the source's routines
// convert them, in frames of at most two channels of four bytes.
bool ReadWhole(const AudioData* source, const SampleBlock* raw, LONG n) {
  if (source == nullptr || source->ToFloat == nullptr || source->format == nullptr) return false;
  const SampleBlockFormat& f = raw->format;
  return n > 0 && raw->held == n && f.nBlockAlign == source->format->nBlockAlign &&
         f.nChannels == source->format->nChannels && f.nChannels <= 2 && f.nBlockAlign <= 8;
}

// The same copy of a raw piece the envelope holds flat over, converted a
// chunk at a time on the stack: the float piece never goes back to the read
// block, which the reader's processor writes next, nor is read from there.
void CopyConverted(const SVolumeProfile* p, LONG k, AudioData* source, const SampleBlock* raw, LineOut& out,
                   LONG d, LONGLONG q, LONG n, bool stereo) {
  constexpr LONG kChunkFrames = 256;
  alignas(64) BYTE floats[kChunkFrames * 8];  // the raw frames, then two float channels
  const std::size_t align = raw->format.nBlockAlign;
  const auto* bytes = static_cast<const BYTE*>(raw->data);
  for (LONG r = 0; r < n; r += kChunkFrames) {
    const LONG c = std::min(kChunkFrames, n - r);
    SampleBlock chunk;
    chunk.data = floats;
    chunk.requested = chunk.held = chunk.capacity = c;
    chunk.format = raw->format;
    std::memcpy(floats, bytes + r * align, c * align);
    source->ToFloat(&chunk);
    CopyThroughEnvelope(p, k, source, &chunk, out, d + r, q + r, c, stereo);
  }
}

}  // namespace

// ---------------------------------------------------------------- setting up

Film* AudioPlayer::FirstFilmOfLine(Film* film, int line) const {
  for (; film != nullptr; film = film->next)
    if (OnLine(film, line)) return film;
  return nullptr;
}

void AudioPlayer::CollectLineClips() {
  for (int t = 0; t < 4; ++t) {
    std::vector<MixClip>& clips = tracks_[t].clips;
    clips.clear();
    for (Film* f = FirstFilmOfLine(films_, t); f != nullptr; f = FirstFilmOfLine(f->next, t))
      clips.push_back(MixClip{f, SourceOf(f), f->effects, ListOf(f->effects)});
  }
}

void AudioPlayer::SetLines(const MixSetup& setup, bool allLines) {
  trackCount_ = std::clamp<int>(setup.lineCount, 0, 4);
  for (int t = 0; t < 4; ++t) {
    TTrack& line = tracks_[t];
    const MixSetup::Line& l = setup.lines[t];
    line.playing = t < trackCount_ && (allLines || l.gain != 0);
    RewindCursors(line, true, true);
    if (!line.playing) {
      line.gain = 0.0f;
      line.pan = 0.0f;
      line.effects = nullptr;
      continue;
    }
    line.gain = GainFactor(l.gain);
    line.pan = PanFactor(l.pan);
    line.effects = ListOf(l.effects);
  }
  masterEffects_ = ListOf(setup.masterEffects);
  masterGain_ = GainFactor(setup.masterGain);
  masterPan_ = PanFactor(setup.masterPan);
}

int AudioPlayer::SetMixRange(Film* films, const MixSetup& setup, LONG start, LONG end, bool allLines,
                             bool loop) {
  films_ = films;
  loop_ = loop;
  allLines_ = allLines;
  CollectLineClips();
  SetLines(setup, allLines);
  const DWORD rate = OutputFormat.nSamplesPerSec;
  loopStart_ = readPos_ = mixPos_ = consumerPos_ = FramesAt(rate, start);
  readEnd_ = mixEnd_ = consumerEnd_ = FramesAt(rate, end);
  int playing = 0;
  for (int t = 0; t < trackCount_; ++t)
    if (tracks_[t].playing) ++playing;
  return playing;
}

void AudioPlayer::StartEffects(Film* films, const MixSetup& setup) {
  auto start = [this](EffectChain* chain) {
    if (EffectList* list = ListOf(chain)) {
      list->SetQuality(quality_);
      list->Reset();
    }
  };
  EnterCriticalSection(&mixLock_);
  for (Film* f = films; f != nullptr; f = f->next) start(f->effects);
  for (const MixSetup::Line& l : setup.lines) start(l.effects);
  start(setup.masterEffects);
  LeaveCriticalSection(&mixLock_);
}

void AudioPlayer::RewindReader() {
  for (int t = 0; t < trackCount_; ++t) RewindCursors(tracks_[t], true, false);
  readPos_ = loopStart_;
}

void AudioPlayer::RewindMixer() {
  for (int t = 0; t < trackCount_; ++t) RewindCursors(tracks_[t], false, true);
  mixPos_ = loopStart_;
  EnterCriticalSection(&mixLock_);
  for (Film* f = films_; f != nullptr; f = f->next)
    if (EffectList* list = ListOf(f->effects)) list->SetQuality(quality_);
  for (int t = 0; t < trackCount_; ++t)
    if (tracks_[t].effects != nullptr) tracks_[t].effects->SetQuality(quality_);
  LeaveCriticalSection(&mixLock_);
}

// ---------------------------------------------------------------- the reader

void AudioPlayer::ReaderLoop() {
  for (;;) {
    while (readPos_ < readEnd_) {
      for (int t = 0; t < trackCount_; ++t) {
        if (!ReadTrackBlock(t)) return;  // aborted
      }
      readPos_ += std::min<LONGLONG>(blockFrames_, readEnd_ - readPos_);
    }
    // An empty range has nothing to repeat.
    if (loop_ && readerRunning_ && loopStart_ < readEnd_) {
      RewindReader();
      continue;
    }
    readerRunning_ = false;
    return;
  }
}

bool AudioPlayer::ReadTrackBlock(int line) {
  TTrack& track = tracks_[line];
  const DWORD rate = OutputFormat.nSamplesPerSec;
  const LONGLONG p = readPos_;
  const LONGLONG blockEnd = p + blockFrames_;
  while (track.readAt < track.clips.size()) {
    const MixClip& clip = track.clips[track.readAt];
    const Film* film = clip.film;
    const LONGLONG start = FramesAt(rate, film->start);
    const LONGLONG end = FramesAt(rate, film->end);
    if (end <= p) {
      ++track.readAt;
      continue;
    }
    if (start > blockEnd || start > readEnd_) return true;  // a later block's
    const LONGLONG s = std::max(start, p);
    const LONG n = static_cast<LONG>(std::max<LONGLONG>(std::min({end, blockEnd, readEnd_}) - s, 0));
    TData* data = readPipe_->GetWriteBlock();
    if (data == nullptr) return false;
    FillReadBlock(data->block, clip.source, track.gain.load(), (s - start) + FramesAt(rate, film->in), n);
    readPipe_->PostWriteBlock();
    if ((s - p) + n == blockFrames_) return true;  // the clip goes on in the next block
    ++track.readAt;
  }
  return true;
}

// ---------------------------------------------------------------- the mixer

void AudioPlayer::MixerLoop() {
  const bool stereo = OutputFormat.nChannels == 2;
  for (;;) {
    while (mixPos_ < mixEnd_) {
      for (int t = 0; t < trackCount_; ++t) {
        TData* data = trackPipe_->GetWriteBlock();
        if (data == nullptr) return;
        SampleBlock* block = data->block;
        if (stereo) {
          MixTrackStereo(t, block);
        } else {
          MixTrackMono(t, block);
        }
        ApplyEffectList(tracks_[t].effects, block);
        trackPipe_->PostWriteBlock();
      }
      mixPos_ += std::min<LONGLONG>(blockFrames_, mixEnd_ - mixPos_);
    }
    if (loop_ && loopStart_ < mixEnd_ && TDataPipe::abort.load() == 0) {
      RewindMixer();
      continue;
    }
    return;
  }
}

bool AudioPlayer::MixTrackMono(int line, SampleBlock* block) {
  return MixTrack(line, block, false);
}

bool AudioPlayer::MixTrackStereo(int line, SampleBlock* block) {
  return MixTrack(line, block, true);
}

bool AudioPlayer::MixTrack(int line, SampleBlock* block, bool stereo) {
  const WORD channels = stereo ? 2 : 1;
  DescribeFloat(block, channels, OutputFormat.nSamplesPerSec);
  LineOut out{static_cast<float*>(block->data), channels};
  const LONG capacity = block->capacity;
  // Scrubbing and a stream mixed on its consumer's thread read each piece
  // here; otherwise the reader thread has read it into the pipe.
  SampleBlock* const readHere =
      state_.load() == kScrubbing ? scrubRead_->block : hereRead_ ? hereRead_->block : nullptr;
  if (TDataPipe::abort.load() != 0 && readHere == nullptr) {
    out.SilenceTo(capacity);
    return false;
  }
  TTrack& track = tracks_[line];
  const DWORD rate = OutputFormat.nSamplesPerSec;
  const LONGLONG m = mixPos_;
  const LONGLONG blockEnd = m + blockFrames_;
  const float gain = track.gain.load();
  block->requested = blockFrames_;
  block->held = 0;
  LONGLONG d = 0;
  bool took = false;
  while (track.mixAt < track.clips.size()) {
    MixClip& clip = track.clips[track.mixAt];
    Film* film = clip.film;
    const LONGLONG start = FramesAt(rate, film->start);
    const LONGLONG end = FramesAt(rate, film->end);
    if (end <= m) {
      NextMixClip(track);
      continue;
    }
    if (start > blockEnd || start > mixEnd_) break;
    const LONGLONG s = std::max(start, m);
    const LONG n = static_cast<LONG>(std::max<LONGLONG>(std::min({end, blockEnd, mixEnd_}) - s, 0));
    const LONGLONG q = (s - start) + FramesAt(rate, film->in);
    const LONG at = static_cast<LONG>(s - m);
    AudioData* source = clip.source;

    LONG points = 0;
    if (gain != 0.0f) {
      if (track.points == 0) {
        if (stereo) {
          track.BuildStereoProfile();
        } else {
          track.BuildMonoProfile();
        }
      }
      if (track.points > 0) points = std::min<LONG>(track.points, static_cast<LONG>(track.profile.size()));
    }
    const SVolumeProfile* profile = track.profile.data();
    // The common piece, with nothing to do between conversion and envelope,
    // goes straight from the read block into the line block.
    const bool plain = points > 0 && FlatOver(profile, points, q, n, stereo) && !MayDeclick(film, q, n) &&
                       !HasClipEffects(clip);

    TData* piece = nullptr;
    SampleBlock* raw = nullptr;
    SampleBlock ahead;
    if (readHere != nullptr) {
      raw = readHere;
      if (plain && state_.load() != kScrubbing &&
          ReadAheadPiece(line, source, q, n, std::min(end, mixEnd_) - s, &ahead)) {
        raw = &ahead;
      } else {
        FillReadBlock(raw, source, gain, q, n);
      }
    } else {
      piece = readPipe_->GetReadBlock();
      if (piece == nullptr) {
        out.SilenceTo(capacity);
        return false;
      }
      raw = piece->block;
    }
    took = true;
    out.SilenceTo(at);
    if (gain == 0.0f) track.points = 0;

    if (plain && ReadWhole(source, raw, n)) {
      CopyConverted(profile, points, source, raw, out, at, q, n, stereo);
    } else {
      if (source != nullptr && source->ToFloat != nullptr) {
        source->ToFloat(raw);
        // A file shorter than its clip delivers fewer frames: the rest of the
        // piece is silence, never what the block held before.
        const LONG held = std::clamp<LONG>(raw->held, 0, n);
        if (held < n) {
          const std::size_t rawChannels = raw->format.nChannels;
          std::memset(static_cast<float*>(raw->data) + held * rawChannels, 0, (n - held) * rawChannels * 4);
        }
        ApplyDeclick(film, source, raw, q, n);
        ApplyClipEffects(clip, raw);
      } else {
        raw->held = 0;
      }
      if (points > 0 && raw->held > 0 && source != nullptr)
        CopyThroughEnvelope(profile, points, source, raw, out, at, q, n, stereo);
    }
    out.SilenceTo(at + n);
    if (piece != nullptr) readPipe_->ReleaseReadBlock();

    // The piece's end whatever the envelope copied, so that the mixer takes
    // exactly the pieces the reader sent.
    d = at + n;
    if (d == blockFrames_) break;
    NextMixClip(track);
  }
  out.SilenceTo(capacity);
  block->held = static_cast<LONG>(d);
  if (gain == 0.0f) block->held = block->requested = 0;
  return took;
}

bool AudioPlayer::ReadAheadPiece(int line, AudioData* source, LONGLONG q, LONG n, LONGLONG want,
                                 SampleBlock* piece) {
  ReadAhead& ahead = readAhead_[line];
  if (!ahead.bytes || source == nullptr || source->format == nullptr || n <= 0) return false;
  const LONG align = source->format->nBlockAlign;
  if (align <= 0) return false;
  const LONG room = static_cast<LONG>(kReadAheadBytes / align);
  if (ahead.source != source || q < ahead.first || q + n > ahead.first + ahead.held) {
    if (n > room) return false;
    SampleBlock read;
    read.data = ahead.bytes.get();
    read.capacity = room;
    read.held = 0;
    read.format = BlockFormatOf(*source->format);
    source->ReadBlock(&read, q, static_cast<LONG>(std::clamp<LONGLONG>(want, n, room)));
    ahead.source = source;
    ahead.first = q;
    ahead.held = std::clamp<LONG>(read.held, 0, room);
    ahead.format = read.format;
  }
  const LONGLONG offset = q - ahead.first;
  piece->data = ahead.bytes.get() + offset * align;
  piece->requested = n;
  piece->held = static_cast<LONG>(std::min<LONGLONG>(n, ahead.held - offset));
  piece->capacity = piece->held;
  piece->format = ahead.format;
  return ReadWhole(source, piece, n);
}

// Ramps at all for the clip: declicking is on and the clip is longer than
// both ramps.
bool AudioPlayer::Declicks(const Film* film) const {
  if (rampLength_ <= 0 || !fadeIn_ || !fadeOut_) return false;
  return static_cast<float>(film->out - film->in) > 2.0f * InOutLength;
}

// Whether a ramp may fall on the n frames from source frame q; a piece clear
// of both needs no float copy of its own.
bool AudioPlayer::MayDeclick(const Film* film, LONGLONG q, LONG n) const {
  if (!Declicks(film)) return false;
  const DWORD rate = OutputFormat.nSamplesPerSec;
  return (film->declickIn && q < FramesAt(rate, film->in) + rampLength_) ||
         (film->declickOut && FramesAt(rate, film->out) - rampLength_ < q + n);
}

void AudioPlayer::ApplyDeclick(Film* film, AudioData* source, SampleBlock* raw, LONGLONG q, LONG n) {
  if (!Declicks(film)) return;
  const LONG ramp = rampLength_;
  const DWORD rate = OutputFormat.nSamplesPerSec;
  const LONGLONG in = FramesAt(rate, film->in);
  const LONGLONG out = FramesAt(rate, film->out);
  const LONGLONG held = raw->held;
  if (film->declickIn && q >= in && q < in + ramp && source->ApplyEnvelope != nullptr) {
    const LONGLONG offset = q - in;
    const LONGLONG k = std::min<LONGLONG>(ramp - offset, held);
    if (k > 0) source->ApplyEnvelope(fadeIn_.get(), raw, static_cast<LONG>(offset), static_cast<LONG>(k));
  }
  if (film->declickOut && out - ramp < q + n && source->ApplyEnvelopeAt != nullptr) {
    LONGLONG e = out - ramp - q;
    LONGLONG a = 0;
    if (e <= 0) {
      a = -e;
      e = 0;
    }
    const LONGLONG k = std::min<LONGLONG>(ramp - a, held - e);
    if (k > 0)
      source->ApplyEnvelopeAt(fadeOut_.get(), raw, static_cast<LONG>(e), static_cast<LONG>(a),
                              static_cast<LONG>(k));
  }
}

// The time-line may give a playing clip another list, holding the mixing
// lock; the clip's chain is compared under the same lock, so a list given
// back meanwhile is never run.
void AudioPlayer::ApplyClipEffects(MixClip& clip, SampleBlock* raw) {
  EnterCriticalSection(&mixLock_);
  if (EffectList* list = CurrentList(clip)) list->Process(raw);
  LeaveCriticalSection(&mixLock_);
}

bool AudioPlayer::HasClipEffects(MixClip& clip) {
  EnterCriticalSection(&mixLock_);
  const bool has = CurrentList(clip) != nullptr;
  LeaveCriticalSection(&mixLock_);
  return has;
}

bool AudioPlayer::ApplyEffectList(EffectList* list, SampleBlock* block) {
  if (list != nullptr) {
    EnterCriticalSection(&mixLock_);
    list->Process(block);
    LeaveCriticalSection(&mixLock_);
  }
  return block->held != 0;
}

// ---------------------------------------------------------------- the consumer

// The arithmetic is written out left to right, as the gains are defined, so
// that a mix can be checked sample by sample.
bool AudioPlayer::SumTrackMono(int line, SampleBlock* out, const SampleBlock* in) {
  const LONG frames = in->held;
  if (frames <= 0) return false;
  const float g = tracks_[line].gain.load();
  const float m = masterGain_.load();
  auto* o = static_cast<float*>(out->data);
  const auto* s = static_cast<const float*>(in->data);
  LONG i = 0;
#if defined(__SSE2__)
  const __m128 vm = _mm_set1_ps(m);
  const __m128 vg = _mm_set1_ps(g);
  for (; i + 4 <= frames; i += 4) {
    __m128 v = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(s + i), vm), vg);
    _mm_storeu_ps(o + i, _mm_add_ps(_mm_loadu_ps(o + i), v));
  }
#endif
  for (; i < frames; ++i) o[i] += s[i] * m * g;
  out->held = std::max(out->held, frames);
  return true;
}

bool AudioPlayer::SumTrackStereo(int line, SampleBlock* out, const SampleBlock* in) {
  const LONG frames = in->held;
  if (frames <= 0) return false;
  const float g = tracks_[line].gain.load();
  const float p = tracks_[line].pan.load();
  const float m = masterGain_.load();
  const float mp = masterPan_.load();
  const float leftMaster = 1.0f - mp;
  const float rightMaster = 1.0f + mp;
  const float leftLine = 1.0f - p;
  const float rightLine = 1.0f + p;
  auto* o = static_cast<float*>(out->data);
  const auto* s = static_cast<const float*>(in->data);
  LONG i = 0;
#if defined(__SSE2__)
  // Two frames at a time, each product in the same order as below.
  const __m128 master = _mm_setr_ps(leftMaster, rightMaster, leftMaster, rightMaster);
  const __m128 pans = _mm_setr_ps(leftLine, rightLine, leftLine, rightLine);
  const __m128 vm = _mm_set1_ps(m);
  const __m128 vg = _mm_set1_ps(g);
  for (; i + 2 <= frames; i += 2) {
    __m128 v = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(s + 2 * i), master), vm), pans), vg);
    _mm_storeu_ps(o + 2 * i, _mm_add_ps(_mm_loadu_ps(o + 2 * i), v));
  }
#endif
  for (; i < frames; ++i) {
    o[2 * i] += s[2 * i] * leftMaster * m * leftLine * g;
    o[2 * i + 1] += s[2 * i + 1] * rightMaster * m * rightLine * g;
  }
  out->held = std::max(out->held, frames);
  return true;
}

LONG AudioPlayer::FinishOutputBlock(void* destination) {
  // Exports and streams finish their blocks on the caller's thread.
  FlushDenormals flush;
  SampleBlock* out = mixBuffer_->block;
  ApplyEffectList(masterEffects_, out);
  if (out->held <= 0) {
    FillSilence(destination, blockBytes_);
  } else {
    writer_(destination, static_cast<const float*>(out->data), blockBytes_);
  }
  const LONG n = static_cast<LONG>(std::min<LONGLONG>(blockFrames_, consumerEnd_ - consumerPos_));
  consumerPos_ += n;
  return n;
}

LONG AudioPlayer::MixNextBlock(void* destination) {
  if (consumerPos_ >= consumerEnd_) return 0;
  if (hereLine_) return MixBlockHere(destination);
  SampleBlock* out = mixBuffer_->block;
  const WORD channels = OutputFormat.nChannels;
  ClearFloatBlock(out, channels);
  out->held = 0;
  out->requested = out->capacity;
  const bool stereo = channels == 2;
  for (int t = 0; t < trackCount_; ++t) {
    // Once the workers are stopped nobody fills the pipe: a wait would last.
    if (TDataPipe::abort.load() != 0) return 0;
    TData* data = trackPipe_->GetReadBlock();
    if (data == nullptr) return 0;
    if (stereo) {
      SumTrackStereo(t, out, data->block);
    } else {
      SumTrackMono(t, out, data->block);
    }
    trackPipe_->ReleaseReadBlock();
  }
  return FinishOutputBlock(destination);
}

// Every line mixed through line and summed, on this thread: the same steps
// as the mixer thread's and the consumer's, one line after the other.
LONG AudioPlayer::MixLinesHere(SampleBlock* line, void* destination) {
  SampleBlock* out = mixBuffer_->block;
  const WORD channels = OutputFormat.nChannels;
  const bool stereo = channels == 2;
  ClearFloatBlock(out, channels);
  out->held = 0;
  out->requested = out->capacity;
  for (int t = 0; t < trackCount_; ++t) {
    MixTrack(t, line, stereo);
    ApplyEffectList(tracks_[t].effects, line);
    if (stereo) {
      SumTrackStereo(t, out, line);
    } else {
      SumTrackMono(t, out, line);
    }
  }
  return FinishOutputBlock(destination);
}

// Nothing is handed between threads, and each block stays in this
// processor's cache from its reading to its sum.
LONG AudioPlayer::MixBlockHere(void* destination) {
  FlushDenormals flush;
  const LONG frames = MixLinesHere(hereLine_->block, destination);
  mixPos_ += std::min<LONGLONG>(blockFrames_, mixEnd_ - mixPos_);
  return frames;
}

LONG AudioPlayer::MixScrubBlock(void* destination, LONGLONG position, LONG frames) {
  // The first blocks mix on the caller's thread.
  FlushDenormals flush;
  readPos_ = mixPos_ = consumerPos_ = position;
  readEnd_ = mixEnd_ = consumerEnd_ = position + frames;
  if (scrubSetup_) SetLines(*scrubSetup_, false);
  if (consumerPos_ >= consumerEnd_ || !mixBuffer_ || !scrubLine_ || !scrubRead_) return 0;
  return MixLinesHere(scrubLine_->block, destination);
}
