#include "export_fixture.h"

#include <sys/stat.h>

#include <cstring>

#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "model/time_code.h"
#include "platform/riff/riff.h"

namespace exporttest {

using video_test::Format;
using video_test::MakeFormat;

Picture Pattern(int width, int height, int seed, int frame) {
  Picture p(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      BYTE* q = &p[(static_cast<std::size_t>(y) * width + x) * 3];
      q[0] = static_cast<BYTE>(x * 13 + y * 3 + frame * 7 + seed * 50);
      q[1] = static_cast<BYTE>(y * 17 + frame * 11 + seed * 30);
      q[2] = static_cast<BYTE>((x + y) * 5 + frame * 19 + seed * 90);
    }
  p[0] = static_cast<BYTE>(frame + 10 * seed);
  return p;
}

std::vector<Picture> Patterns(int width, int height, int seed, int count) {
  std::vector<Picture> out;
  for (int i = 0; i < count; ++i) out.push_back(Pattern(width, height, seed, i));
  return out;
}

CodecCounts& Counts() {
  static CodecCounts counts;
  return counts;
}

namespace {

std::size_t PackedBytes(const BITMAPINFOHEADER* f) {
  return static_cast<std::size_t>(f->biWidth) * static_cast<std::size_t>(DibHeight(*f)) * 3;
}

void ToDib(const BYTE* packed, const BITMAPINFOHEADER* f, BYTE* dib) {
  const int w = f->biWidth, h = static_cast<int>(DibHeight(*f));
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(w, 24));
  for (int y = 0; y < h; ++y) {
    BYTE* row = dib + static_cast<std::size_t>(f->biHeight > 0 ? h - 1 - y : y) * stride;
    std::memcpy(row, packed + static_cast<std::size_t>(y) * w * 3, static_cast<std::size_t>(w) * 3);
  }
}

void FromDib(const BYTE* dib, const BITMAPINFOHEADER* f, BYTE* packed) {
  const int w = f->biWidth, h = static_cast<int>(DibHeight(*f));
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(w, 24));
  for (int y = 0; y < h; ++y) {
    const BYTE* row = dib + static_cast<std::size_t>(f->biHeight > 0 ? h - 1 - y : y) * stride;
    std::memcpy(packed + static_cast<std::size_t>(y) * w * 3, row, static_cast<std::size_t>(w) * 3);
  }
}

bool SameSize(const BITMAPINFOHEADER* a, const BITMAPINFOHEADER* b) {
  return a->biWidth == b->biWidth && DibHeight(*a) == DibHeight(*b);
}

class KeyDeltaCodec : public VideoCodec {
 public:
  explicit KeyDeltaCodec(FOURCC code) : code_(code) {}

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (in->biCompression != code_ || in->biBitCount != 24) return ICERR_BADFORMAT;
    if (out == nullptr) return ICERR_OK;
    return out->biCompression == BI_RGB && out->biBitCount == 24 && SameSize(in, out) ? ICERR_OK
                                                                                      : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (out == nullptr) return 40;
    *out = MakeFormat(in->biWidth, static_cast<LONG>(DibHeight(*in)), 24).bi()[0];
    return ICERR_OK;
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (DecompressQuery(in, out) != ICERR_OK) return ICERR_BADFORMAT;
    picture_.assign(PackedBytes(in), 0);
    haveKey_ = false;
    return ICERR_OK;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    const BYTE* data = static_cast<const BYTE*>(d.lpInput);
    const std::size_t n = PackedBytes(d.lpbiInput);
    if (d.lpbiInput->biSizeImage < n + 1 || picture_.size() != n || (data[0] == 'D' && !haveKey_))
      return ICERR_ERROR;
    if (data[0] == 'K') {
      std::memcpy(picture_.data(), data + 1, n);
      haveKey_ = true;
    } else {
      for (std::size_t i = 0; i < n; ++i) picture_[i] = static_cast<BYTE>(picture_[i] + data[1 + i]);
    }
    ++Counts().decodes;
    Counts().decoded.push_back(picture_[0]);
    if (!(d.dwFlags & ICDECOMPRESS_HURRYUP))
      ToDib(picture_.data(), d.lpbiOutput, static_cast<BYTE*>(d.lpOutput));
    return ICERR_OK;
  }

  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (code_ == kNoCompress || in->biCompression != BI_RGB || in->biBitCount != 24) return ICERR_BADFORMAT;
    return out == nullptr || (out->biCompression == code_ && SameSize(in, out)) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (code_ == kNoCompress) return ICERR_BADFORMAT;
    if (out == nullptr) return 40;
    *out = MakeFormat(in->biWidth, static_cast<LONG>(DibHeight(*in)), 24, code_).bi()[0];
    return ICERR_OK;
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER*) override {
    return static_cast<LRESULT>(PackedBytes(in) + 1);
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return CompressQuery(in, out);
  }
  LRESULT Compress(const ICCOMPRESS& c) override {
    ++Counts().compresses;
    const std::size_t n = PackedBytes(c.lpbiInput);
    BYTE* out = static_cast<BYTE*>(c.lpOutput);
    Picture now(n);
    FromDib(static_cast<const BYTE*>(c.lpInput), c.lpbiInput, now.data());
    const bool key = (c.dwFlags & ICCOMPRESS_KEYFRAME) || c.lpPrev == nullptr;
    out[0] = key ? 'K' : 'D';
    if (key) {
      std::memcpy(out + 1, now.data(), n);
    } else {
      Picture before(n);
      FromDib(static_cast<const BYTE*>(c.lpPrev), c.lpbiPrev != nullptr ? c.lpbiPrev : c.lpbiInput,
              before.data());
      for (std::size_t i = 0; i < n; ++i) out[1 + i] = static_cast<BYTE>(now[i] - before[i]);
    }
    c.lpbiOutput->biSizeImage = static_cast<DWORD>(n + 1);
    if (c.lpdwFlags != nullptr) *c.lpdwFlags = key ? AVIIF_KEYFRAME : 0;
    return ICERR_OK;
  }

 private:
  FOURCC code_;
  Picture picture_;
  bool haveKey_ = false;
};

std::unique_ptr<VideoCodec> MakeKeyDelta(const VideoCodecDescription& d, UINT) {
  return std::make_unique<KeyDeltaCodec>(d.fccHandler);
}

}  // namespace

InstalledCodecs::InstalledCodecs() {
  Counts() = CodecCounts{};
  for (FOURCC code : {kKeyDelta, kNoCompress}) {
    VideoCodecDescription d;
    d.fccHandler = code;
    d.name = L"Key delta";
    EXPECT_TRUE(ICInstallCodec(d, &MakeKeyDelta));
  }
}

InstalledCodecs::~InstalledCodecs() {
  ReleaseSharedDecompressor();
  ICRemove(ICTYPE_VIDEO, kKeyDelta, 0);
  ICRemove(ICTYPE_VIDEO, kNoCompress, 0);
}

void WriteKeyDelta(const std::string& path, int width, int height, const std::vector<Picture>& pictures,
                   int keyEvery, FOURCC code, const std::set<int>& empty) {
  video_test::AviSpec spec;
  spec.format = MakeFormat(width, height, 24, code);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    video_test::Frame f;
    f.key = i % static_cast<std::size_t>(keyEvery) == 0;
    if (empty.count(static_cast<int>(i)) > 0) {
      f.key = false;
      spec.frames.push_back(std::move(f));
      continue;
    }
    f.data.push_back(f.key ? 'K' : 'D');
    for (std::size_t k = 0; k < pictures[i].size(); ++k)
      f.data.push_back(f.key ? pictures[i][k] : static_cast<BYTE>(pictures[i][k] - pictures[i - 1][k]));
    spec.frames.push_back(std::move(f));
  }
  ASSERT_EQ(video_test::WriteAvi(path, spec), 0) << path;
}

void WriteUncompressed(const std::string& path, int width, int height, const std::vector<Picture>& pictures) {
  video_test::AviSpec spec;
  spec.format = MakeFormat(width, height, 24);
  for (const Picture& p : pictures) {
    video_test::Frame f;
    f.data.assign(static_cast<std::size_t>(DibImageBytes(*spec.format.bi())), 0);
    ToDib(p.data(), spec.format.bi(), f.data.data());
    spec.frames.push_back(std::move(f));
  }
  ASSERT_EQ(video_test::WriteAvi(path, spec), 0) << path;
}

std::vector<std::vector<BYTE>> StoredFrames(const std::string& path) {
  std::vector<std::vector<BYTE>> out;
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return out;
  }
  v->BeginRead();
  for (int32_t i = 0; i < v->frameCount; ++i) {
    std::vector<BYTE> data(v->index[static_cast<std::size_t>(i)].dwChunkLength);
    if (!data.empty()) {
      EXPECT_EQ(v->ReadEntryData(i, data.data(), static_cast<uint32_t>(data.size())), 0);
    }
    out.push_back(std::move(data));
  }
  v->EndRead();
  v->Release();
  return out;
}

std::vector<Picture> DecodedPictures(const std::string& path) {
  std::vector<Picture> out;
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return out;
  }
  v->BeginRead();
  int32_t width = 0, height = 0;
  v->GetSize(&width, &height);
  Format f = MakeFormat(width, height, 24);
  std::vector<BYTE> dib(static_cast<std::size_t>(DibImageBytes(*f.bi())));
  for (int32_t i = 0; i < v->frameCount; ++i) {
    EXPECT_EQ(v->DecodeFrame(f.bi(), dib.data(), i), 0) << "frame " << i;
    Picture p(static_cast<std::size_t>(width) * height * 3);
    FromDib(dib.data(), f.bi(), p.data());
    out.push_back(std::move(p));
  }
  v->EndRead();
  v->Release();
  ReleaseSharedDecompressor();
  return out;
}

Film* Segments::Add(const std::string& path, int32_t start, int32_t end, int32_t in) {
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) {
    ADD_FAILURE() << "cannot open " << path;
    return nullptr;
  }
  Film* f = new Film(v, in, start, end);
  v->Release();
  f->out = in + (end - start);
  f->videoRow = 0;
  Film::Link(f, list);
  return f;
}

std::vector<AviChunk> AviContents::Of(const std::string& id) const {
  std::vector<AviChunk> out;
  for (const AviChunk& c : chunks)
    if (c.id == id) out.push_back(c);
  return out;
}

namespace {

std::string Text(FOURCC id) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((id >> (8 * i)) & 0xFF);
  return s;
}

DWORD Le32(const BYTE* p) {
  return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16) | (DWORD{p[3]} << 24);
}

}  // namespace

AviContents ReadAvi(const std::string& path) {
  AviContents out;
  HMMIO h = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  if (h == nullptr) return out;
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('A', 'V', 'I', ' ');
  if (mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) != 0) {
    mmioClose(h, 0);
    return out;
  }
  MMCKINFO ck{};
  std::vector<DWORD> flags;
  while (mmioDescend(h, &ck, &riff, 0) == 0) {
    if (ck.ckid == FOURCC_LIST && ck.fccType == mmioFOURCC('h', 'd', 'r', 'l')) {
      MMCKINFO sub{};
      while (mmioDescend(h, &sub, &ck, 0) == 0) {
        if (sub.ckid == mmioFOURCC('a', 'v', 'i', 'h')) {
          BYTE main[56] = {};
          mmioRead(h, reinterpret_cast<char*>(main), 56);
          out.totalFrames = Le32(main + 16);
        } else if (sub.ckid == FOURCC_LIST && sub.fccType == mmioFOURCC('s', 't', 'r', 'l')) {
          MMCKINFO strh{};
          strh.ckid = mmioFOURCC('s', 't', 'r', 'h');
          if (mmioDescend(h, &strh, &sub, MMIO_FINDCHUNK) == 0) {
            BYTE head[8] = {};
            mmioRead(h, reinterpret_cast<char*>(head), 8);
            out.streamTypes.push_back(Text(Le32(head)));
            out.handlers.push_back(Text(Le32(head + 4)));
            mmioAscend(h, &strh, 0);
          }
        }
        mmioAscend(h, &sub, 0);
      }
    } else if (ck.ckid == FOURCC_LIST && ck.fccType == mmioFOURCC('m', 'o', 'v', 'i')) {
      MMCKINFO sub{};
      while (mmioDescend(h, &sub, &ck, 0) == 0) {
        AviChunk c;
        c.id = Text(sub.ckid);
        c.data.resize(sub.cksize);
        if (sub.cksize > 0)
          mmioRead(h, reinterpret_cast<char*>(c.data.data()), static_cast<LONG>(sub.cksize));
        out.chunks.push_back(std::move(c));
        mmioAscend(h, &sub, 0);
      }
    } else if (ck.ckid == mmioFOURCC('i', 'd', 'x', '1')) {
      std::vector<BYTE> index(ck.cksize);
      mmioRead(h, reinterpret_cast<char*>(index.data()), static_cast<LONG>(ck.cksize));
      for (std::size_t at = 0; at + 16 <= index.size(); at += 16) flags.push_back(Le32(&index[at + 4]));
    }
    mmioAscend(h, &ck, 0);
  }
  mmioClose(h, 0);
  out.ok = flags.size() == out.chunks.size();
  for (std::size_t i = 0; i < flags.size() && i < out.chunks.size(); ++i) out.chunks[i].flags = flags[i];
  return out;
}

void ExportTest::SetUp() {
  EngineTest::SetUp();
  ASSERT_TRUE(folder_.ok());
  SetProjectFrameRate(25.0f);
  engine_ = std::make_unique<AudioPlayer>();
  TheAudioPlayer = engine_.get();
  ConfigureSound(8000, 1);
}

void ExportTest::TearDown() {
  TheAudioPlayer = nullptr;
  engine_.reset();
  films_.Clear();
  for (MemorySource* s : sources_) {
    s->EndRead();
    s->Release();
  }
  ReleaseSharedDecompressor();
  EngineTest::TearDown();
}

void ExportTest::ConfigureSound(DWORD rate, int channels, int code) {
  rate_ = rate;
  channels_ = channels;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine_->Configure(rate, channels, code, 4, 16, 4, delay, preview, maxPreview), 0);
}

void ExportTest::AddSound(int32_t start, int32_t end, int seed) {
  MemorySource* s = MakeSource(2, static_cast<WORD>(channels_), rate_,
                               static_cast<std::int64_t>(rate_) * (end - start) / 1000 + rate_, seed);
  s->BeginRead();
  sources_.push_back(s);
  AddClip(films_, s, 0, start, end, 0);
}

bool ExportTest::Exists(const std::string& path) const {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace exporttest
