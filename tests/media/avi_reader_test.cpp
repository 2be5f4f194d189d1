#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "media/avi_writer.h"
#include "media/video_data.h"
#include "video_test_util.h"

using namespace video_test;

namespace {

constexpr FOURCC kTest = mmioFOURCC('T', 'E', 'S', 'T');

std::size_t Find(const std::vector<BYTE>& file, const char* tag) {
  for (std::size_t i = 0; i + 4 <= file.size(); ++i)
    if (std::memcmp(&file[i], tag, 4) == 0) return i;
  ADD_FAILURE() << "no " << tag;
  return 0;
}

// Offsets of fields in a file written by the writer, found by their chunks.
struct Layout {
  explicit Layout(const std::vector<BYTE>& file)
      : avih(Find(file, "avih") + 8), strh(Find(file, "strh") + 8), strf(Find(file, "strf")) {}
  std::size_t avih, strh, strf;  // data of avih and strh; header of strf
};

void Put32(std::vector<BYTE>& file, std::size_t at, DWORD v) {
  codecs::PutLe32(&file[at], v);
}

// Frames of varied sizes; only the first is a key frame, and frame 7 is empty.
AviSpec VariedSpec() {
  AviSpec spec;
  spec.format = MakeFormat(16, 16, 24, kTest);
  for (int i = 0; i < 30; ++i) {
    Frame f;
    f.data.assign(i == 7 ? 0 : 50 + 13 * i, static_cast<BYTE>(i));
    f.key = i == 0;
    spec.frames.push_back(f);
  }
  return spec;
}

struct Opened {
  AVIVideoData* v = nullptr;
  int32_t error = 0;
};

Opened Read(const std::string& path) {
  Opened o;
  o.v = new AVIVideoData(path.c_str());
  o.error = o.v->ReadAviFile(path.c_str());
  return o;
}

// Rewrites the file's idx1 entries with edit (which may drop some).
void EditIndex(const std::string& path,
               const std::function<void(std::vector<AVIINDEXENTRY>&, DWORD moviType)>& edit) {
  std::vector<BYTE> file = ReadAll(path);
  DWORD moviType = 0;
  for (const RawChunk& c : TopChunks(file)) {
    if (c.type == listtypeAVIMOVIE) moviType = static_cast<DWORD>(c.at + 8);
    if (c.id != ckidAVINEWINDEX) continue;
    std::vector<AVIINDEXENTRY> entries(c.size / 16);
    for (std::size_t i = 0; i < entries.size(); ++i) ReadAviIndexEntry(&file[c.at + 8 + 16 * i], &entries[i]);
    edit(entries, moviType);
    std::vector<BYTE> idx1(8 + 16 * entries.size());
    codecs::PutLe32(&idx1[0], ckidAVINEWINDEX);
    codecs::PutLe32(&idx1[4], static_cast<DWORD>(16 * entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) WriteAviIndexEntry(entries[i], &idx1[8 + 16 * i]);
    std::vector<BYTE> out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(c.at));
    out.insert(out.end(), idx1.begin(), idx1.end());
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(c.at + 8 + c.size), file.end());
    codecs::PutLe32(&out[4], static_cast<DWORD>(out.size() - 8));
    WriteAll(path, out);
    return;
  }
  FAIL() << "no idx1";
}

TEST(AviReader, EveryIndexFormGivesTheSameFrames) {
  TempFolder folder;
  AviSpec spec = VariedSpec();
  // A chunk of another stream after the frames leaves room in movi that
  // relative offsets could also point into.
  spec.trailingChunk = 8192;
  const std::string base = folder.Path("base.avi");
  ASSERT_EQ(WriteAvi(base, spec), 0);
  Opened reference = Read(base);
  ASSERT_EQ(reference.error, 0);
  ASSERT_EQ(reference.v->frameCount, 30);

  auto isVideo = [](const AVIINDEXENTRY& e) { return (e.ckid & 0xFFFF) == ('0' | ('0' << 8)); };
  struct Case {
    const char* name;
    std::function<void(const std::string&)> change;
  } cases[] = {
      {"absolute offsets",
       [&](const std::string& p) {
         EditIndex(p, [](std::vector<AVIINDEXENTRY>& es, DWORD movi) {
           for (auto& e : es) e.dwChunkOffset += movi;
         });
       }},
      {"ambiguous offsets",
       [&](const std::string& p) {
         EditIndex(p, [&](std::vector<AVIINDEXENTRY>& es, DWORD movi) {
           // A key flag that only the index has shows whether it was used.
           std::vector<AVIINDEXENTRY> kept;
           for (auto e : es) {
             if (!isVideo(e)) continue;
             e.dwChunkOffset += movi;
             if (kept.size() == 10) e.dwFlags |= AVIIF_KEYFRAME;
             kept.push_back(e);
           }
           es = kept;
         });
       }},
      {"offsets past the file",
       [&](const std::string& p) {
         EditIndex(p, [](std::vector<AVIINDEXENTRY>& es, DWORD) {
           for (auto& e : es) e.dwChunkOffset = 0x7FFF0000 + e.dwChunkOffset;
         });
       }},
      {"index longer than the file",
       [&](const std::string& p) {
         std::vector<BYTE> file = ReadAll(p);
         for (const RawChunk& c : TopChunks(file))
           if (c.id == ckidAVINEWINDEX) Put32(file, c.at + 4, 0x7FFFFFF0);
         WriteAll(p, file);
       }},
      {"no index",
       [&](const std::string& p) {
         std::vector<BYTE> file = ReadAll(p);
         Layout at(file);
         Put32(file, at.avih + 12, codecs::GetLe32(&file[at.avih + 12]) & ~AVIF_HASINDEX);
         WriteAll(p, file);
       }},
  };
  for (const Case& c : cases) {
    const std::string path = folder.Path(std::string(c.name) + ".avi");
    WriteAll(path, ReadAll(base));
    c.change(path);
    Opened o = Read(path);
    ASSERT_EQ(o.error, 0) << c.name;
    ASSERT_EQ(o.v->frameCount, reference.v->frameCount) << c.name;
    for (int i = 0; i < o.v->frameCount; ++i) {
      const AVIINDEXENTRY &a = o.v->index[i], &b = reference.v->index[i];
      EXPECT_EQ(a.ckid, b.ckid) << c.name << " " << i;
      EXPECT_EQ(a.dwFlags, b.dwFlags) << c.name << " " << i;
      EXPECT_EQ(a.dwChunkOffset, b.dwChunkOffset) << c.name << " " << i;
      EXPECT_EQ(a.dwChunkLength, b.dwChunkLength) << c.name << " " << i;
    }
    delete o.v;
  }
  delete reference.v;
}

TEST(AviReader, HostileHeadersGiveTheFormatsError) {
  TempFolder folder;
  const std::string good = folder.Path("good.avi");
  ASSERT_EQ(WriteAvi(good, VariedSpec()), 0);
  struct Case {
    const char* name;
    std::function<void(std::vector<BYTE>&, const Layout&)> patch;
    int32_t error;
  } cases[] = {
      {"zero scale", [](auto& f, const Layout& at) { Put32(f, at.strh + 20, 0); }, kErrInvalidFormat},
      {"zero rate", [](auto& f, const Layout& at) { Put32(f, at.strh + 24, 0); }, kErrInvalidFormat},
      {"rate rounding to nothing", [](auto& f, const Layout& at) { Put32(f, at.strh + 20, 100000000); },
       kErrInvalidFormat},
      {"zero time per frame", [](auto& f, const Layout& at) { Put32(f, at.avih, 0); }, kErrInvalidFormat},
      {"short strf", [](auto& f, const Layout& at) { Put32(f, at.strf + 4, 20); }, kErrInvalidFormat},
      {"header longer than strf", [](auto& f, const Layout& at) { Put32(f, at.strf + 8, 400); },
       kErrInvalidFormat},
      {"zero width", [](auto& f, const Layout& at) { Put32(f, at.strf + 12, 0); }, kErrInvalidFormat},
      {"no frames", [](auto& f, const Layout& at) { Put32(f, at.avih + 16, 0); }, kErrInvalidFormat},
      {"no video stream", [](auto& f, const Layout& at) { std::memcpy(&f[at.strh], "txts", 4); },
       kErrInvalidFormat},
      {"huge stream count", [](auto& f, const Layout& at) { Put32(f, at.avih + 24, 0xFFFFFFFF); }, 0},
      {"not a RIFF file", [](auto& f, const Layout&) { std::memcpy(&f[0], "RIFX", 4); }, kErrInvalidFormat},
      {"cut after the headers", [](auto& f, const Layout& at) { f.resize(at.strf + 30); }, kErrInvalidFormat},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> file = ReadAll(good);
    c.patch(file, Layout(file));
    const std::string path = folder.Path("bad.avi");
    WriteAll(path, file);
    Opened o = Read(path);
    EXPECT_EQ(o.error, c.error) << c.name;
    delete o.v;
  }
  Opened missing = Read(folder.Path("missing.avi"));
  EXPECT_EQ(missing.error, kErrFileMissing);
  delete missing.v;
}

TEST(AviReader, AFileCutShortKeepsTheFramesItHolds) {
  TempFolder folder;
  const std::string path = folder.Path("cut.avi");
  AviSpec spec = VariedSpec();
  ASSERT_EQ(WriteAvi(path, spec), 0);
  std::vector<BYTE> file = ReadAll(path);
  // Without its index and cut inside frame 20, as a recording that stopped:
  // frame 20 keeps the bytes that are there, as ffmpeg reads it.
  for (const RawChunk& c : TopChunks(file))
    if (c.type == listtypeAVIMOVIE) {
      Layout at(file);
      Put32(file, at.avih + 12, 0);
      std::size_t frame20 = c.at + 12;
      for (int i = 0; i < 20; ++i)
        frame20 += 8 + spec.frames[i].data.size() + (spec.frames[i].data.size() & 1);
      file.resize(frame20 + 20);
    }
  WriteAll(path, file);
  Opened o = Read(path);
  EXPECT_EQ(o.error, 0);
  ASSERT_EQ(o.v->frameCount, 21);
  o.v->BeginRead();
  std::vector<BYTE> buffer(4096);
  int32_t size = 0;
  bool key = false;
  ASSERT_EQ(o.v->ReadRawFrame(20, 0, buffer.data(), &size, &key, false), 0);
  ASSERT_EQ(size, 12);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 12, spec.frames[20].data.begin()));
  o.v->EndRead();
  delete o.v;
}

TEST(AviReader, KeepsOnlyTheFramesTheHeaderCounts) {
  TempFolder folder;
  const std::string path = folder.Path("more.avi");
  ASSERT_EQ(WriteAvi(path, VariedSpec()), 0);
  std::vector<BYTE> file = ReadAll(path);
  Put32(file, Layout(file).avih + 16, 10);
  WriteAll(path, file);
  Opened o = Read(path);
  ASSERT_EQ(o.error, 0);
  EXPECT_EQ(o.v->frameCount, 10);
  delete o.v;
}

TEST(AviReader, ChunkIdsFollowTheVideoStreamsNumber) {
  TempFolder folder;
  const std::string path = folder.Path("second.avi");
  MainAVIHeader main;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, path.c_str(), &main), 0);
  BYTE wave[18] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0, 0, 0};
  AVISTREAMHEADER audio, video;
  audio.fccType = streamtypeAUDIO;
  video.fccType = streamtypeVIDEO;
  video.fccHandler = mmioFOURCC('A', 'B', 'C', 'D');
  video.dwRate = 25;
  video.dwScale = 1;
  Format f = MakeFormat(4, 4, 24, kTest);
  ASSERT_EQ(AviWriter::AddStream(w, nullptr, &audio, wave, sizeof(wave)), 0);
  ASSERT_EQ(AviWriter::AddStream(w, nullptr, &video, f.block.data(), 40), 0);
  BYTE data[5] = {1, 2, 3, 4, 5};
  ASSERT_EQ(AviWriter::WriteChunk(w, 0, data, 4, aviTWOCC('w', 'b'), 0), 0);
  ASSERT_EQ(AviWriter::WriteChunk(w, 1, data, 5, aviTWOCC('A', 'B'), AVIIF_KEYFRAME), 0);
  ASSERT_EQ(AviWriter::WriteChunk(w, 1, data, 3, aviTWOCC('C', 'D'), 0), 0);
  ASSERT_EQ(AviWriter::Close(w), 0);
  // Stream 0 is audio, so its chunks do not count as frames.
  Opened o = Read(path);
  ASSERT_EQ(o.error, 0);
  EXPECT_EQ(o.v->chunkIds[0], mmioFOURCC('0', '1', 'd', 'c'));
  EXPECT_EQ(o.v->chunkIds[2], mmioFOURCC('0', '1', 'A', 'B'));
  EXPECT_EQ(o.v->chunkIds[3], mmioFOURCC('0', '1', 'C', 'D'));
  ASSERT_EQ(o.v->frameCount, 2);
  EXPECT_EQ(o.v->index[0].dwChunkLength, 5u);
  EXPECT_EQ(o.v->index[1].dwChunkLength, 3u);
  delete o.v;
}

TEST(AviReader, EmptyFramesShowThePictureBefore) {
  TempFolder folder;
  const std::string path = folder.Path("empty.avi");
  AviSpec spec = VariedSpec();
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->PrevNonEmpty(7), 6);
  EXPECT_EQ(v->GetFrameSize(7), static_cast<int32_t>(spec.frames[6].data.size()));
  EXPECT_EQ(v->SnapTime(7 * 40 + 10), 6 * 40);
  EXPECT_EQ(v->SnapTime(8 * 40), 8 * 40);
  EXPECT_EQ(v->NextFrameOffset(6), v->index[8].dwChunkOffset + v->moviDataPosition);
  EXPECT_EQ(v->NextFrameOffset(29), v->moviEnd);
  EXPECT_TRUE(v->IsKeyFrame(0));
  EXPECT_FALSE(v->IsKeyFrame(1000));  // past the end: the last frame answers
  EXPECT_EQ(v->FindKeyFrame(1000), 0);

  std::vector<BYTE> buffer(1000);
  int32_t size = 0;
  bool key = true;
  // A fragment that must start on a key frame is refused before any read:
  // no handle is open, which a read would report as 3.
  EXPECT_EQ(v->ReadRawFrame(5, 0, buffer.data(), &size, &key, true), 27);
  EXPECT_FALSE(key);
  EXPECT_EQ(v->ReadRawFrame(5, 0, buffer.data(), &size, &key, false), kErrFileMissing);
  v->BeginRead();
  ASSERT_EQ(v->ReadRawFrame(7, 0, buffer.data(), &size, &key, false), 0);
  EXPECT_EQ(size, static_cast<int32_t>(spec.frames[6].data.size()));
  EXPECT_EQ(buffer[0], 6);
  // Positioned reads of index entries: exact, bounded, refused outside.
  const uint32_t size9 = static_cast<uint32_t>(spec.frames[9].data.size());
  ASSERT_EQ(v->ReadEntryData(9, buffer.data(), size9), 0);
  EXPECT_EQ(buffer[size9 - 1], 9);
  EXPECT_EQ(v->ReadEntryData(9, buffer.data(), size9 - 1), kErrRead);
  EXPECT_EQ(v->ReadEntryData(30, buffer.data(), 1000), kErrRead);
  EXPECT_EQ(v->ReadEntryData(-1, buffer.data(), 1000), kErrRead);
  v->EndRead();
  EXPECT_EQ(v->ReadEntryData(9, buffer.data(), 1000), kErrRead);  // the file is closed
  EXPECT_EQ(v->GetDataSize(), [&] {
    uint32_t sum = 0;
    for (const Frame& f : spec.frames) sum += static_cast<uint32_t>(f.data.size());
    return sum;
  }());
  v->Release();
}

TEST(AviReader, DescribesFilesForTheOpenDialog) {
  TempFolder folder;
  struct Case {
    const char* name;
    DWORD compression;
    bool audio;
    const char* codec;
  } cases[] = {
      {"plain", BI_RGB, true, "Uncompressed"},
      {"mjpeg", mmioFOURCC('M', 'J', 'P', 'G'), false, "MJPEG"},
      {"unknown", mmioFOURCC('Z', 'Z', '\x01', 'Z'), true, "Unknown 'ZZ Z'"},
  };
  for (const Case& c : cases) {
    AviSpec spec;
    spec.format = MakeFormat(40, 30, 24, c.compression);
    spec.frames = GradientFrames(40, 30, 3);
    spec.withAudio = c.audio;
    const std::string path = folder.Path(std::string(c.name) + ".avi");
    ASSERT_EQ(WriteAvi(path, spec), 0);
    AviFileInfo info;
    EXPECT_EQ(DescribeAviFile(path.c_str(), &info), c.audio ? 3 : 1) << c.name;
    EXPECT_STREQ(info.codecName, c.codec);
    EXPECT_EQ(info.microSecPerFrame, 40000u);
    EXPECT_EQ(info.totalFrames, 3u);
    EXPECT_EQ(info.width, 40u);
    EXPECT_EQ(info.height, 30u);
    if (c.audio) {
      EXPECT_EQ(codecs::GetLe32(info.waveFormat + 4), 44100u);
    }
  }

  // Only sound: the video fields stay as they were.
  const std::string path = folder.Path("sound.avi");
  MainAVIHeader main;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, path.c_str(), &main), 0);
  BYTE wave[18] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0, 0, 0};
  AVISTREAMHEADER audio;
  audio.fccType = streamtypeAUDIO;
  ASSERT_EQ(AviWriter::AddStream(w, nullptr, &audio, wave, sizeof(wave)), 0);
  ASSERT_EQ(AviWriter::WriteChunk(w, 0, wave, 18, aviTWOCC('w', 'b'), 0), 0);
  ASSERT_EQ(AviWriter::Close(w), 0);
  AviFileInfo info;
  std::strcpy(info.codecName, "before");
  info.width = 77;
  EXPECT_EQ(DescribeAviFile(path.c_str(), &info), 2);
  EXPECT_EQ(codecs::GetLe32(info.waveFormat + 4), 22050u);
  EXPECT_STREQ(info.codecName, "before");
  EXPECT_EQ(info.width, 77u);

  EXPECT_EQ(DescribeAviFile(folder.Path("none.avi").c_str(), &info), 0);
}

}  // namespace
