#include <gtest/gtest.h>

#include <map>

#include "audio_fixtures.h"
#include "media/audio_readers.h"

namespace {

enum class Index { kNone, kRelative, kAbsolute };

struct AviStream {
  const char* type;  // "vids", "auds", "txts"
  Bytes strf;
};
struct AviChunk {
  std::string id;
  Bytes data;
  int rec = -1;  // chunks with the same number >= 0 share one "rec " list
};
struct AviSpec {
  std::vector<AviStream> streams;
  std::vector<AviChunk> chunks;
  Index index = Index::kRelative;
  bool indexFlag = true;
  std::size_t junkAtEndOfMovi = 0;  // a JUNK chunk closing "movi"
};

Bytes StreamHeader(const char* type) {
  ByteWriter w;
  w.Id(type)
      .Le32(0)
      .Le32(0)
      .Le32(0)
      .Le32(0)
      .Le32(1)
      .Le32(25)
      .Le32(0)
      .Le32(0)
      .Le32(0)
      .Le32(0xFFFFFFFF)
      .Le32(0);
  w.Zeros(8);
  return w.bytes;  // 56 bytes
}

Bytes AviFile(const AviSpec& spec) {
  ByteWriter avih;
  avih.Le32(40000).Le32(0).Le32(0).Le32(spec.indexFlag ? 0x10 : 0).Le32(1).Le32(0);
  avih.Le32(static_cast<std::uint32_t>(spec.streams.size())).Le32(0).Le32(16).Le32(16).Zeros(16);
  Bytes hdrlBody = Chunk("avih", avih.bytes);
  for (const AviStream& s : spec.streams) {
    const Bytes strl =
        List("LIST", "strl", Concat({Chunk("strh", StreamHeader(s.type)), Chunk("strf", s.strf)}));
    hdrlBody.insert(hdrlBody.end(), strl.begin(), strl.end());
  }
  const Bytes hdrl = List("LIST", "hdrl", hdrlBody);
  const std::size_t moviStart = 12 + hdrl.size();
  const std::size_t D = moviStart + 8;  // where "movi" is written

  // movi contents, remembering where each chunk's header lands.
  Bytes movi;
  std::vector<std::pair<std::string, std::size_t>> positions;  // id, file offset of the header
  std::vector<std::uint32_t> sizes;
  std::size_t i = 0;
  while (i < spec.chunks.size()) {
    if (spec.chunks[i].rec >= 0) {
      const int rec = spec.chunks[i].rec;
      Bytes body;
      const std::size_t listAt = D + 4 + movi.size();
      std::size_t at = listAt + 12;
      while (i < spec.chunks.size() && spec.chunks[i].rec == rec) {
        const Bytes c = Chunk(spec.chunks[i].id.c_str(), spec.chunks[i].data);
        positions.push_back({spec.chunks[i].id, at});
        sizes.push_back(static_cast<std::uint32_t>(spec.chunks[i].data.size()));
        at += c.size();
        body.insert(body.end(), c.begin(), c.end());
        ++i;
      }
      const Bytes list = List("LIST", "rec ", body);
      movi.insert(movi.end(), list.begin(), list.end());
    } else {
      const Bytes c = Chunk(spec.chunks[i].id.c_str(), spec.chunks[i].data);
      positions.push_back({spec.chunks[i].id, D + 4 + movi.size()});
      sizes.push_back(static_cast<std::uint32_t>(spec.chunks[i].data.size()));
      movi.insert(movi.end(), c.begin(), c.end());
      ++i;
    }
  }
  if (spec.junkAtEndOfMovi > 0) {
    const Bytes junk = Chunk("JUNK", Bytes(spec.junkAtEndOfMovi, 0));
    movi.insert(movi.end(), junk.begin(), junk.end());
  }
  Bytes body = Concat({hdrl, List("LIST", "movi", movi)});
  if (spec.index != Index::kNone) {
    ByteWriter idx;
    for (std::size_t k = 0; k < positions.size(); ++k) {
      const std::size_t offset =
          spec.index == Index::kRelative ? positions[k].second - D : positions[k].second;
      idx.Id(positions[k].first.c_str()).Le32(0x10).Le32(static_cast<std::uint32_t>(offset)).Le32(sizes[k]);
    }
    const Bytes idx1 = Chunk("idx1", idx.bytes);
    body.insert(body.end(), idx1.begin(), idx1.end());
  }
  return List("RIFF", "AVI ", body);
}

Bytes Pcm16Strf(std::uint16_t channels, std::uint32_t rate) {
  return FmtBody(1, channels, rate, 16, channels * 2);
}

// Audio chunks of 16-bit mono samples counting up from first.
Bytes Counting(int first, int count) {
  ByteWriter w;
  for (int i = 0; i < count; ++i) w.Le16(static_cast<std::uint16_t>(first + i));
  return w.bytes;
}

std::vector<float> CountingFloats(int count) {
  std::vector<float> v;
  for (int i = 0; i < count; ++i) v.push_back(static_cast<float>(i));
  return v;
}

// Video and audio interleaved: frame chunks of 100 bytes, audio chunks of
// 441 samples.
AviSpec Interleaved(Index index, int audioChunks = 6) {
  AviSpec spec;
  spec.streams = {{"vids", Bytes(40, 0)}, {"auds", Pcm16Strf(1, 8000)}};
  for (int k = 0; k < audioChunks; ++k) {
    spec.chunks.push_back({"00dc", Bytes(100, 0xAB)});
    spec.chunks.push_back({"01wb", Counting(441 * k, 441)});
  }
  spec.index = index;
  spec.indexFlag = index != Index::kNone;
  return spec;
}

struct IndexView {
  std::vector<std::pair<DWORD, DWORD>> entries;  // offset, length
  std::int64_t total;
};

IndexView ViewOf(const TReadAVIAudio& r) {
  IndexView v;
  for (LONG i = 0; i < r.indexCount; ++i)
    v.entries.push_back({r.index[i].dwChunkOffset, r.index[i].dwChunkLength});
  v.total = r.totalBytes;
  return v;
}

TEST(AviAudio, EveryIndexKindGivesTheSameChunks) {
  RecordingHooks hooks;
  TempFolder folder;
  const TReadAVIAudio reference(folder.Write("none.avi", AviFile(Interleaved(Index::kNone))).c_str());
  ASSERT_EQ(reference.error, 0);
  ASSERT_EQ(reference.indexCount, 6);
  EXPECT_EQ(reference.audioStream, 1);
  EXPECT_EQ(reference.audioChunkId, mmioFOURCC('0', '1', 'w', 'b'));
  EXPECT_EQ(reference.totalBytes, 6 * 882);
  const IndexView expected = ViewOf(reference);

  AviSpec ambiguous = Interleaved(Index::kAbsolute);
  ambiguous.junkAtEndOfMovi = 20000;  // absolute offsets read as relative still land in "movi"
  const std::map<std::string, AviSpec> kinds = {
      {"relative", Interleaved(Index::kRelative)},
      {"absolute", Interleaved(Index::kAbsolute)},
      {"ambiguous", ambiguous},
  };
  for (const auto& [name, spec] : kinds) {
    SCOPED_TRACE(name);
    TReadAVIAudio r(folder.Write(name + ".avi", AviFile(spec)).c_str());
    ASSERT_EQ(r.error, 0);
    const IndexView v = ViewOf(r);
    EXPECT_EQ(v.entries, expected.entries);
    EXPECT_EQ(v.total, expected.total);
  }
}

TEST(AviAudio, DecodesAcrossChunksAndRecLists) {
  RecordingHooks hooks;
  TempFolder folder;
  AviSpec rec = Interleaved(Index::kNone);
  for (std::size_t k = 0; k < rec.chunks.size(); ++k) rec.chunks[k].rec = static_cast<int>(k / 2);
  AviSpec relative = Interleaved(Index::kRelative);
  for (const auto& [name, spec] : std::map<std::string, AviSpec>{{"rec", rec}, {"relative", relative}}) {
    SCOPED_TRACE(name);
    AudioData* s = AudioData::OpenShared(folder.Write(name + ".avi", AviFile(spec)).c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->LengthInSamples(), 6u * 441);
    EXPECT_EQ(s->length, (6 * 882 * 1000 + 8000) / 16000);
    // Blocks of 1000 frames straddle the 441-frame chunks.
    EXPECT_EQ(DecodeAll(s, 1000), CountingFloats(6 * 441));
    // One read across two chunks: the end of the first, the start of the second.
    ASSERT_TRUE(s->BeginRead());
    BYTE bytes[8];
    EXPECT_EQ(s->ReadBytes(bytes, 2 * 441 - 4, 8), 8);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), 439);
    EXPECT_EQ(bytes[6] | (bytes[7] << 8), 442);
    EXPECT_EQ(s->ReadBytes(bytes, 6 * 882 - 2, 8), 2);  // no silence is added
    s->EndRead();
    s->Release();
  }
}

TEST(AviAudio, AudioChunkIdFollowsTheStreamNumber) {
  RecordingHooks hooks;
  TempFolder folder;
  EXPECT_EQ(TReadAVIAudio::AudioChunkIdOf(10), mmioFOURCC('0', 'A', 'w', 'b'));
  AviSpec spec;
  for (int i = 0; i < 10; ++i) spec.streams.push_back({"txts", Bytes(4, 0)});
  spec.streams.push_back({"auds", Pcm16Strf(1, 8000)});
  spec.chunks = {{"0Awb", Counting(0, 400)}, {"01wb", Counting(0, 400)}};
  spec.index = Index::kNone;
  spec.indexFlag = false;
  TReadAVIAudio r(folder.Write("ten.avi", AviFile(spec)).c_str());
  ASSERT_EQ(r.error, 0);
  EXPECT_EQ(r.audioStream, 10);
  EXPECT_EQ(r.indexCount, 1);

  // Audio after the sixteenth stream header is refused, not overrun.
  AviSpec many;
  for (int i = 0; i < 16; ++i) many.streams.push_back({"txts", Bytes(4, 0)});
  many.streams.push_back({"auds", Pcm16Strf(1, 8000)});
  many.chunks = {{"10wb", Counting(0, 400)}};
  TReadAVIAudio refused(folder.Write("many.avi", AviFile(many)).c_str());
  EXPECT_EQ(refused.error, 6);
}

TEST(AviAudio, DamagedIndexIsRebuilt) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes file = AviFile(Interleaved(Index::kRelative));
  // Point the last idx1 entry far past the end of the file.
  const std::size_t lastOffset = file.size() - 8;
  file[lastOffset + 3] = 0x7F;
  TReadAVIAudio r(folder.Write("damaged.avi", file).c_str());
  ASSERT_EQ(r.error, 0);
  EXPECT_EQ(r.indexCount, 6);
  EXPECT_EQ(r.totalBytes, 6 * 882);
}

TEST(AviAudio, RefusedFiles) {
  RecordingHooks hooks;
  TempFolder folder;
  AviSpec videoOnly;
  videoOnly.streams = {{"vids", Bytes(40, 0)}};
  videoOnly.chunks = {{"00dc", Bytes(100, 0)}};
  AviSpec noChunks = Interleaved(Index::kNone, 0);
  AviSpec threeChannels = Interleaved(Index::kNone);
  threeChannels.streams[1].strf = FmtBody(1, 3, 8000, 16, 6);
  AviSpec shortStrf = Interleaved(Index::kNone);
  shortStrf.streams[1].strf.resize(12);
  Bytes cut = AviFile(Interleaved(Index::kNone));
  cut.resize(60);
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"no audio stream", AviFile(videoOnly)},
      {"audio stream without chunks", AviFile(noChunks)},
      {"three channels", AviFile(threeChannels)},
      {"short strf", AviFile(shortStrf)},
      {"cut in the header", cut},
      {"a WAVE file", WaveFile(FmtBody(1, 1, 8000, 16, 2), Bytes(100, 0))},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const std::string path = folder.Write(std::string(name) + ".avi", bytes);
    EXPECT_EQ(AudioData::OpenShared(path.c_str()), nullptr);
    TReadAVIAudio r(path.c_str());
    EXPECT_EQ(r.error, 6);
  }
  EXPECT_EQ(SharedSourceCount(), 0);
}

TEST(AviAudio, CutOffLastChunkCountsWhatIsThere) {
  RecordingHooks hooks;
  TempFolder folder;
  Bytes file = AviFile(Interleaved(Index::kNone));
  file.resize(file.size() - 82);  // 41 samples of the last audio chunk are gone
  AudioData* s = AudioData::OpenShared(folder.Write("cut.avi", file).c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->LengthInSamples(), 6u * 441 - 41);
  EXPECT_EQ(DecodeAll(s), CountingFloats(6 * 441 - 41));
  s->Release();
}

}  // namespace
