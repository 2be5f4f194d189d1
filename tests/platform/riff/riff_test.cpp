#include "platform/riff/riff.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/sparse_files.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<unsigned char>;

class RiffTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    dir_ = folder_.path();
  }
  std::string File(const std::string& name) { return folder_.File(name); }
  TestFolder folder_{"riff-test"};
  std::string dir_;
};

Bytes ReadBytes(const std::string& path) { return ReadFileBytes(path); }
void WriteBytes(const std::string& path, const Bytes& bytes) { WriteFileBytes(path, bytes); }

DWORD Le32At(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<DWORD>(b[at + 3]) << 24);
}

// Builds RIFF images by hand, with whatever lengths a test wants to lie about.
class Image {
 public:
  Image& Id(const char* four) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<unsigned char>(four[i]));
    return *this;
  }
  Image& U32(DWORD v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return *this;
  }
  Image& Fill(size_t n, unsigned char v = 0x55) {
    bytes_.insert(bytes_.end(), n, v);
    return *this;
  }
  // A whole chunk with a true length and its pad byte.
  Image& Chunk(const char* id, size_t n) {
    Id(id).U32(static_cast<DWORD>(n)).Fill(n);
    if (n & 1) bytes_.push_back(0);
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');
constexpr FOURCC kOdd = mmioFOURCC('o', 'd', 'd', ' ');
constexpr FOURCC kInfo = mmioFOURCC('I', 'N', 'F', 'O');
constexpr FOURCC kIcrd = mmioFOURCC('I', 'C', 'R', 'D');
constexpr FOURCC kIsft = mmioFOURCC('I', 'S', 'F', 'T');
constexpr FOURCC kJunk = mmioFOURCC('J', 'U', 'N', 'K');

// Writes a chunk the way the writers do: size 0 at creation, fixed on ascend.
void WriteChunk(HMMIO f, FOURCC id, const std::string& data) {
  MMCKINFO ck;
  ck.ckid = id;
  ASSERT_EQ(mmioCreateChunk(f, &ck, 0), 0u);
  ASSERT_EQ(mmioWrite(f, data.data(), static_cast<LONG>(data.size())), static_cast<LONG>(data.size()));
  ASSERT_EQ(mmioAscend(f, &ck, 0), 0u);
  EXPECT_EQ(ck.cksize, data.size());
}

}  // namespace

TEST_F(RiffTest, CreatedChunksReadBackWithDescend) {
  std::string path = File("song.wav");
  const std::string format(16, '\x01');
  const std::string samples = "0123456789abcdefghijklmnopq";  // 27 bytes: odd
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  ASSERT_NE(f, nullptr);
  MMCKINFO riff;
  riff.fccType = kWave;
  ASSERT_EQ(mmioCreateChunk(f, &riff, MMIO_CREATERIFF), 0u);
  WriteChunk(f, kFmt, format);
  WriteChunk(f, kOdd, "xyz");
  MMCKINFO list;
  list.fccType = kInfo;
  ASSERT_EQ(mmioCreateChunk(f, &list, MMIO_CREATELIST), 0u);
  WriteChunk(f, kIcrd, std::string("2024-01", 8));  // with its zero byte
  WriteChunk(f, kIsft, std::string("Kobrix", 7));
  ASSERT_EQ(mmioAscend(f, &list, 0), 0u);
  WriteChunk(f, kData, samples);
  ASSERT_EQ(mmioAscend(f, &riff, 0), 0u);
  ASSERT_EQ(mmioClose(f, 0), 0u);

  // The bytes: every size patched, odd chunks padded with a zero byte, the
  // RIFF size covering the whole file.
  Bytes b = ReadBytes(path);
  ASSERT_EQ(b.size() % 2, 0u);
  EXPECT_EQ(Le32At(b, 4), b.size() - 8);
  EXPECT_EQ(Le32At(b, 8), kWave);
  EXPECT_EQ(Le32At(b, 12), kFmt);
  EXPECT_EQ(Le32At(b, 16), 16u);
  EXPECT_EQ(Le32At(b, 36), kOdd);
  EXPECT_EQ(Le32At(b, 40), 3u);
  EXPECT_EQ(b[47], 0);  // pad
  EXPECT_EQ(Le32At(b, 48), FOURCC_LIST);
  EXPECT_EQ(Le32At(b, 52), 4u + 8 + 8 + 8 + 8);  // type, ICRD with 8 bytes, ISFT with 7 + pad
  EXPECT_EQ(b[b.size() - 1], 0);                 // the data chunk's pad

  f = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_DENYNONE | MMIO_ALLOCBUF);
  ASSERT_NE(f, nullptr);
  MMCKINFO parent;
  parent.fccType = kWave;
  ASSERT_EQ(mmioDescend(f, &parent, nullptr, MMIO_FINDRIFF), 0u);
  EXPECT_EQ(parent.ckid, FOURCC_RIFF);
  EXPECT_EQ(parent.dwDataOffset, 8u);
  EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), 12);

  MMCKINFO ck;
  ck.ckid = kFmt;
  ASSERT_EQ(mmioDescend(f, &ck, &parent, MMIO_FINDCHUNK), 0u);
  EXPECT_EQ(ck.cksize, 16u);
  EXPECT_EQ(ck.dwDataOffset, 20u);
  std::string got(16, '\0');
  EXPECT_EQ(mmioRead(f, got.data(), 16), 16);
  EXPECT_EQ(got, format);
  ASSERT_EQ(mmioAscend(f, &ck, 0), 0u);

  // "data" lies behind an odd chunk and a list: the search steps over both.
  ck.ckid = kData;
  ASSERT_EQ(mmioDescend(f, &ck, &parent, MMIO_FINDCHUNK), 0u);
  EXPECT_EQ(ck.cksize, samples.size());
  got.assign(samples.size(), '\0');
  EXPECT_EQ(mmioRead(f, got.data(), static_cast<LONG>(got.size())), static_cast<LONG>(samples.size()));
  EXPECT_EQ(got, samples);
  ASSERT_EQ(mmioAscend(f, &ck, 0), 0u);
  EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), static_cast<LONG>(b.size()));

  // The list, walked chunk by chunk.
  mmioSeek(f, 12, SEEK_SET);
  MMCKINFO info;
  info.fccType = kInfo;
  ASSERT_EQ(mmioDescend(f, &info, &parent, MMIO_FINDLIST), 0u);
  std::vector<FOURCC> ids;
  for (;;) {
    LONG before = mmioSeek(f, 0, SEEK_CUR);
    MMCKINFO sub;
    MMRESULT r = mmioDescend(f, &sub, &info, 0);
    if (r != 0) {
      EXPECT_EQ(r, MMIOERR_CHUNKNOTFOUND);
      EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), before);  // a failed search does not move
      break;
    }
    ids.push_back(sub.ckid);
    ASSERT_EQ(mmioAscend(f, &sub, 0), 0u);
  }
  EXPECT_EQ(ids, (std::vector<FOURCC>{kIcrd, kIsft}));
  ASSERT_EQ(mmioAscend(f, &info, 0), 0u);

  ck.ckid = mmioFOURCC('n', 'o', 'n', 'e');
  EXPECT_EQ(mmioDescend(f, &ck, &parent, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioClose(f, 0), 0u);
}

// The AVI writer leaves room for its headers: a JUNK chunk left after a seek
// forward covers the gap, and a chunk created with its size known keeps it.
TEST_F(RiffTest, AscendTakesTheSizeFromThePosition) {
  std::string path = File("gap.avi");
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_READWRITE);
  ASSERT_NE(f, nullptr);
  MMCKINFO junk;
  junk.ckid = kJunk;
  ASSERT_EQ(mmioCreateChunk(f, &junk, 0), 0u);
  ASSERT_EQ(mmioSeek(f, 4096 - 12, SEEK_SET), 4096 - 12);
  ASSERT_EQ(mmioAscend(f, &junk, 0), 0u);
  EXPECT_EQ(junk.cksize, 4096u - 12 - 8);
  MMCKINFO known;
  known.ckid = kFmt;
  known.cksize = 4;
  ASSERT_EQ(mmioCreateChunk(f, &known, 0), 0u);
  ASSERT_EQ(mmioWrite(f, "abcd", 4), 4);
  ASSERT_EQ(mmioAscend(f, &known, 0), 0u);
  EXPECT_EQ(mmioSeek(f, 0, SEEK_END), 4096 - 12 + 12);

  // Read back through the same handle.
  mmioSeek(f, 0, SEEK_SET);
  MMCKINFO ck;
  ASSERT_EQ(mmioDescend(f, &ck, nullptr, 0), 0u);
  EXPECT_EQ(ck.ckid, kJunk);
  EXPECT_EQ(ck.cksize, 4096u - 20);
  ASSERT_EQ(mmioAscend(f, &ck, 0), 0u);
  ASSERT_EQ(mmioDescend(f, &ck, nullptr, 0), 0u);
  EXPECT_EQ(ck.ckid, kFmt);
  EXPECT_EQ(ck.cksize, 4u);
  mmioClose(f, 0);
}

TEST_F(RiffTest, LengthsPastTheEndAreRefused) {
  struct Case {
    const char* what;
    Bytes bytes;
    FOURCC riff_type;  // first: find this RIFF form
    MMRESULT riff_result;
    FOURCC chunk;  // then: find this chunk inside it (when the RIFF was found)
    MMRESULT chunk_result;
  };
  // A WAVE file whose "data" chunk claims 1000 bytes and holds 10.
  const Bytes cut =
      Image().Id("RIFF").U32(4 + 24 + 18).Id("WAVE").Chunk("fmt ", 16).Id("data").U32(1000).Fill(10).bytes();
  Bytes cut_riff = cut;
  cut_riff[4] = 0xFF;  // and a RIFF size past the end too
  // clang-format off
  const Case cases[] = {
      {"RIFF longer than the file", cut_riff, kWave, MMIOERR_INVALIDFILE, 0, 0},
      {"data longer than the file and its RIFF", cut, 0, 0, kData, MMIOERR_INVALIDFILE},
      {"a chunk behind a cut-off one cannot be reached", cut, 0, 0, mmioFOURCC('z', 'z', 'z', 'z'), MMIOERR_CHUNKNOTFOUND},
      {"chunk past its parent, inside the file",
       Image().Id("RIFF").U32(4 + 8 + 4).Id("WAVE").Id("fmt ").U32(40).Fill(4).Chunk("data", 40).bytes(),
       0, 0, kFmt, MMIOERR_INVALIDFILE},
      {"size 0xFFFFFFFF", Image().Id("RIFF").U32(0xFFFFFFFFu).Id("WAVE").Chunk("fmt ", 16).bytes(),
       kWave, MMIOERR_INVALIDFILE, 0, 0},
      {"RIFF too short for its type", Image().Id("RIFF").U32(2).Fill(2).bytes(), kWave, MMIOERR_CHUNKNOTFOUND, 0, 0},
      {"header cut in the middle", Image().Id("RIFF").Fill(2).bytes(), kWave, MMIOERR_CHUNKNOTFOUND, 0, 0},
      {"empty file", Bytes(), kWave, MMIOERR_CHUNKNOTFOUND, 0, 0},
      {"other form", Image().Id("RIFF").U32(4 + 24).Id("AVI ").Chunk("avih", 16).bytes(),
       kWave, MMIOERR_CHUNKNOTFOUND, 0, 0},
  };
  // clang-format on
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = File("hostile" + std::to_string(n++));
    WriteBytes(path, c.bytes);
    HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(f, nullptr);
    MMCKINFO riff;
    riff.fccType = c.riff_type != 0 ? c.riff_type : kWave;
    MMRESULT r = mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF);
    if (c.riff_type != 0) {
      EXPECT_EQ(r, c.riff_result);
    } else {
      ASSERT_EQ(r, 0u);
      MMCKINFO ck;
      ck.ckid = c.chunk;
      r = mmioDescend(f, &ck, &riff, MMIO_FINDCHUNK);
      EXPECT_EQ(r, c.chunk_result);
      if (r == MMIOERR_INVALIDFILE) {
        // Described but refused: the header as read, the file at its data.
        EXPECT_EQ(ck.ckid, c.chunk);
        EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), static_cast<LONG>(ck.dwDataOffset));
        EXPECT_GT(ck.dwDataOffset + ck.cksize, riff.dwDataOffset + riff.cksize);
      }
    }
    mmioClose(f, 0);
  }
}

// Any damage to a valid file gives chunks that lie inside the file and their
// parent, or an error; never a read outside the buffers (the sanitizers
// watch).
TEST_F(RiffTest, DamagedFilesNeverYieldChunksOutsideTheFile) {
  // clang-format off
  const Bytes good = Image()
      .Id("RIFF").U32(4 + 24 + 20 + 38).Id("AVI ")
      .Chunk("avih", 16)
      .Id("LIST").U32(4 + 8).Id("strl").Chunk("strh", 0)
      .Id("LIST").U32(4 + 18 + 8).Id("movi").Chunk("00dc", 10).Chunk("01wb", 0)
      .bytes();
  // clang-format on
  std::string path = File("fuzzed.avi");
  // Walks every chunk like the AVI readers do, checking each against the
  // file and its parent; returns the chunks seen.
  auto walk = [&](const Bytes& bytes, DWORD flags) {
    WriteBytes(path, bytes);
    HMMIO f = mmioOpen(path.c_str(), nullptr, flags);
    EXPECT_NE(f, nullptr);
    const std::int64_t size = static_cast<std::int64_t>(bytes.size());
    int seen = 0;
    std::vector<MMCKINFO> stack;
    MMCKINFO top;
    top.fccType = mmioFOURCC('A', 'V', 'I', ' ');
    if (mmioDescend(f, &top, nullptr, MMIO_FINDRIFF) == 0) stack.push_back(top);
    for (int steps = 0; !stack.empty() && steps < 64; ++steps) {
      MMCKINFO ck;
      if (mmioDescend(f, &ck, &stack.back(), 0) != 0) {
        mmioAscend(f, &stack.back(), 0);
        stack.pop_back();
        continue;
      }
      ++seen;
      const MMCKINFO& parent = stack.back();
      EXPECT_LE(static_cast<std::int64_t>(ck.dwDataOffset) + ck.cksize, size);
      EXPECT_LE(static_cast<std::int64_t>(ck.dwDataOffset) + ck.cksize,
                static_cast<std::int64_t>(parent.dwDataOffset) + parent.cksize);
      if (ck.ckid == FOURCC_LIST) {
        stack.push_back(ck);
      } else {
        std::vector<char> data(ck.cksize);
        EXPECT_EQ(mmioRead(f, data.data(), static_cast<LONG>(ck.cksize)), static_cast<LONG>(ck.cksize));
        mmioAscend(f, &ck, 0);
      }
    }
    mmioClose(f, 0);
    return seen;
  };
  ASSERT_EQ(walk(good, MMIO_READ), 6);  // avih, strl, strh, movi, 00dc, 01wb

  std::mt19937 random(1234);
  for (int round = 0; round < 400 && !HasFailure(); ++round) {
    Bytes bytes = good;
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
      size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<unsigned char>(random());
          break;
        case 1:
          bytes.resize(at);
          break;
        default:
          bytes[at] = 0xFF;
          break;
      }
    }
    walk(bytes, (round % 2) ? MMIO_READ | MMIO_ALLOCBUF : MMIO_READ);
  }
}

TEST_F(RiffTest, ReadWriteAndSeek) {
  std::string path = File("plain.bin");
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(mmioWrite(f, "hello world", 11), 11);
  char c;
  EXPECT_EQ(mmioRead(f, &c, 1), -1);  // opened for writing only
  EXPECT_EQ(mmioSeek(f, -5, SEEK_END), 6);
  EXPECT_EQ(mmioWrite(f, "W", 1), 1);
  EXPECT_EQ(mmioSeek(f, -100, SEEK_CUR), -1);
  EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), 7);  // unchanged by the failed seek
  EXPECT_EQ(mmioFlush(f, 0), 0u);
  EXPECT_EQ(mmioClose(f, 0), 0u);

  f = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  ASSERT_NE(f, nullptr);
  char text[16] = {};
  EXPECT_EQ(mmioRead(f, text, 16), 11);
  EXPECT_STREQ(text, "hello World");
  EXPECT_EQ(mmioRead(f, text, 16), 0);
  EXPECT_EQ(mmioWrite(f, "x", 1), -1);  // opened for reading only
  MMCKINFO ck;
  EXPECT_NE(mmioCreateChunk(f, &ck, 0), 0u);
  mmioClose(f, 0);

  // A raw file past 2 GiB (sparse, so cheap): 64-bit seeks reach it; the
  // 32-bit seek refuses what it cannot express and stays put.
  const LONGLONG far = (5ll << 30) + 3;
  f = mmioOpen(path.c_str(), nullptr, MMIO_READWRITE);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(mmioSeek64(f, far, SEEK_SET), far);
  EXPECT_EQ(mmioWrite(f, "Q", 1), 1);
  EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), -1);
  EXPECT_EQ(mmioSeek64(f, 0, SEEK_CUR), far + 1);
  EXPECT_EQ(mmioSeek64(f, -1, SEEK_END), far);
  EXPECT_EQ(mmioRead(f, &c, 1), 1);
  EXPECT_EQ(c, 'Q');
  EXPECT_EQ(mmioSeek(f, 2, SEEK_SET), 2);
  EXPECT_EQ(mmioRead(f, &c, 1), 1);
  EXPECT_EQ(c, 'l');
  mmioClose(f, 0);
}

// Small reads through the buffer give the same bytes as the file, wherever
// they fall against the buffer's edges.
TEST_F(RiffTest, BufferedReadsMatchTheFile) {
  std::string path = File("big.bin");
  Bytes bytes(300000);
  std::mt19937 random(7);
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  WriteBytes(path, bytes);
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(f, nullptr);
  for (int i = 0; i < 500; ++i) {
    LONG at = static_cast<LONG>(random() % bytes.size());
    LONG count = static_cast<LONG>(random() % 70000);
    ASSERT_EQ(mmioSeek(f, at, SEEK_SET), at);
    std::vector<unsigned char> got(static_cast<size_t>(count));
    LONG expected = std::min<LONG>(count, static_cast<LONG>(bytes.size()) - at);
    ASSERT_EQ(mmioRead(f, got.data(), count), expected);
    ASSERT_TRUE(std::equal(got.begin(), got.begin() + expected, bytes.begin() + at)) << at << " " << count;
  }
  mmioClose(f, 0);
}

TEST_F(RiffTest, PositionedReadsLeaveThePositionAndTheBufferAlone) {
  std::string path = File("at.bin");
  Bytes bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  WriteBytes(path, bytes);
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(f, nullptr);
  unsigned char first[8];
  ASSERT_EQ(mmioSeek(f, 1000, SEEK_SET), 1000);
  ASSERT_EQ(mmioRead(f, first, 8), 8);  // fills the read buffer around 1000
  std::vector<unsigned char> got(300);
  ASSERT_EQ(mmioReadAt(f, got.data(), 300, 99800), 200);  // the file ends first
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 200, bytes.begin() + 99800));
  ASSERT_EQ(mmioReadAt(f, got.data(), 16, 1004), 16);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 16, bytes.begin() + 1004));
  EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), 1008);
  ASSERT_EQ(mmioRead(f, first, 8), 8);
  EXPECT_TRUE(std::equal(first, first + 8, bytes.begin() + 1008));
  EXPECT_EQ(mmioReadAt(f, got.data(), 4, -1), -1);
  EXPECT_EQ(mmioReadAt(f, got.data(), 4, 200000), 0);
  mmioClose(f, 0);
}

TEST_F(RiffTest, OpenFailuresAndDelete) {
  MMIOINFO info;
  EXPECT_EQ(mmioOpen((dir_ + "/none.wav").c_str(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
  EXPECT_EQ(mmioOpen((dir_ + "/no/none.wav").c_str(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_PATHNOTFOUND);
  EXPECT_EQ(mmioOpen(dir_.c_str(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_ACCESSDENIED);

  std::string path = File("play.tmp");
  WriteBytes(path, Bytes(10, 1));
  // Backslashes separate folders here too.
  std::string windows_style = dir_ + "\\play.tmp";
  EXPECT_NE(mmioOpen(windows_style.c_str(), nullptr, MMIO_DELETE), nullptr);
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  EXPECT_EQ(mmioOpen(path.c_str(), &info, MMIO_DELETE), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
}

// A walk over zeros ends at their first header, so a blanked or sparse file
// of 64 GB is searched at once, buffered or not.
TEST_F(RiffTest, ZerosEndEveryWalkAtOnce) {
  const Bytes wave = Image().Id("RIFF").U32(0xFFFFFFF0u).Id("WAVE").bytes();
  const Bytes hdrl = Image().Id("RIFF").U32(0xFFFFFFF0u).Id("AVI ").Id("LIST").U32(0x10000000u).Id("hdrl").bytes();
  const struct {
    const char* name;
    Bytes head;
    UINT flags;  // of the search inside the outer chunk
  } cases[] = {
      {"zeros only", {}, MMIO_FINDRIFF},
      {"a chunk sought in a RIFF of zeros", wave, MMIO_FINDCHUNK},
      {"the next chunk of a RIFF of zeros", wave, 0},
      {"a list sought in a list of zeros", hdrl, MMIO_FINDLIST},
  };
  for (const auto& c : cases) {
    for (DWORD open : {MMIO_READ, MMIO_READ | MMIO_ALLOCBUF}) {
      SCOPED_TRACE(std::string(c.name) + (open == MMIO_READ ? "" : ", buffered"));
      const std::string path = File("zeros.bin");
      if (!WriteSparseFile(path, c.head)) GTEST_SKIP() << "no sparse file of 64 GB here";
      // A second of processor time; walking the zeros takes minutes of it.
      EXPECT_TRUE(EndsWithin(std::chrono::milliseconds(1000), [&] {
        HMMIO f = mmioOpen(path.c_str(), nullptr, open);
        if (f == nullptr) return false;
        MMCKINFO outer;
        const bool inside = !c.head.empty() && mmioDescend(f, &outer, nullptr, 0) == 0;
        if (inside && c.flags == MMIO_FINDLIST) {
          MMCKINFO list = outer;
          if (mmioDescend(f, &outer, &list, 0) != 0) return false;
        }
        MMCKINFO ck;
        ck.ckid = kData;
        ck.fccType = mmioFOURCC('s', 't', 'r', 'l');
        return mmioDescend(f, &ck, inside ? &outer : nullptr, c.flags) == MMIOERR_CHUNKNOTFOUND;
      }));
    }
  }
}

// Headers come from blocks read ahead: chunks of every small size, whose
// headers the block ends cut anywhere, are all found where they are.
TEST_F(RiffTest, EveryChunkIsFoundWhereverTheHeaderBlocksEnd) {
  Image image;
  image.Id("RIFF").U32(0).Id("WAVE");
  std::vector<std::pair<size_t, DWORD>> chunks;  // data offset and size
  for (DWORD size = 0; size < 700; ++size) {
    chunks.push_back({image.bytes().size() + 8, size});
    image.Chunk(size % 2 ? "odd " : "even", size);
  }
  const size_t dataAt = image.bytes().size() + 8;
  image.Chunk("data", 3);
  Bytes bytes = image.bytes();
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<unsigned char>((bytes.size() - 8) >> (8 * i));
  const std::string path = File("many.wav");
  WriteBytes(path, bytes);
  for (DWORD open : {MMIO_READ, MMIO_READ | MMIO_ALLOCBUF}) {
    SCOPED_TRACE(open == MMIO_READ ? "direct" : "buffered");
    HMMIO f = mmioOpen(path.c_str(), nullptr, open);
    ASSERT_NE(f, nullptr);
    MMCKINFO riff;
    ASSERT_EQ(mmioDescend(f, &riff, nullptr, 0), 0u);
    for (const auto& [offset, size] : chunks) {
      MMCKINFO ck;
      ASSERT_EQ(mmioDescend(f, &ck, &riff, 0), 0u) << offset;
      EXPECT_EQ(ck.dwDataOffset, offset);
      EXPECT_EQ(ck.cksize, size);
      ASSERT_EQ(mmioAscend(f, &ck, 0), 0u);
    }
    ASSERT_EQ(mmioSeek(f, 12, SEEK_SET), 12);
    MMCKINFO data;
    data.ckid = kData;
    ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), 0u);
    EXPECT_EQ(data.dwDataOffset, dataAt);
    mmioClose(f, 0);
  }
}

// A header written through the handle is what its next walk reads, though
// the walk before had read that place ahead.
TEST_F(RiffTest, AWalkSeesWhatTheHandleWroteSinceTheLast) {
  const std::string path = File("edit.wav");
  WriteBytes(path, Image().Id("RIFF").U32(4 + 12 + 12).Id("WAVE").Chunk("JUNK", 4).Chunk("JUNK", 4).bytes());
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READWRITE);
  ASSERT_NE(f, nullptr);
  MMCKINFO riff;
  ASSERT_EQ(mmioDescend(f, &riff, nullptr, 0), 0u);
  MMCKINFO data;
  data.ckid = kData;
  ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  ASSERT_EQ(mmioSeek(f, 24, SEEK_SET), 24);
  ASSERT_EQ(mmioWrite(f, "data", 4), 4);
  ASSERT_EQ(mmioSeek(f, 12, SEEK_SET), 12);
  ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), 0u);
  EXPECT_EQ(data.dwDataOffset, 32u);
  mmioClose(f, 0);
}

// What some writers leave between chunks is stepped over: a pad byte left
// out after odd data, zeros up to a block, ids with bytes past ASCII. More
// zeros than a block, or control bytes, still end the walk. Both the
// search and the walk chunk by chunk find "data" where it is.
TEST_F(RiffTest, WritersSlipsBetweenChunksAreSteppedOver) {
  auto wave = [](const Bytes& before) {
    Image image;
    image.Id("RIFF").U32(0).Id("WAVE").Chunk("fmt ", 16);
    Bytes b = image.bytes();
    b.insert(b.end(), before.begin(), before.end());
    const Bytes data = Image().Chunk("data", 6).bytes();
    b.insert(b.end(), data.begin(), data.end());
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<unsigned char>((b.size() - 8) >> (8 * i));
    return b;
  };
  const Bytes odd = Image().Id("odd ").U32(3).Fill(3).bytes();  // no pad byte
  const struct {
    const char* what;
    Bytes before;  // what lies between "fmt " and "data"
    bool found;
  } cases[] = {
      {"an odd chunk without its pad byte", odd, true},
      {"one zero byte", Bytes(1, 0), true},
      {"eight zero bytes", Bytes(8, 0), true},
      {"a block of zero bytes", Bytes(4096, 0), true},
      {"an odd chunk without its pad byte, then zeros", Image().Id("odd ").U32(3).Fill(3).Fill(5, 0).bytes(), true},
      {"an id with bytes past ASCII", Image().Id("\xA9nam").U32(2).Fill(2).Id("\x80\xFF\x7F!").U32(0).bytes(), true},
      {"more zeros than a block", Bytes(4097, 0), false},
      {"control bytes", Image().Id("\x01\x02\x03\x04").U32(0).bytes(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes bytes = wave(c.before);
    const std::string path = File("slips.wav");
    WriteBytes(path, bytes);
    const DWORD dataAt = static_cast<DWORD>(bytes.size() - 6);
    for (DWORD open : {MMIO_READ, MMIO_READ | MMIO_ALLOCBUF}) {
      HMMIO f = mmioOpen(path.c_str(), nullptr, open);
      ASSERT_NE(f, nullptr);
      MMCKINFO riff;
      ASSERT_EQ(mmioDescend(f, &riff, nullptr, 0), 0u);
      MMCKINFO data;
      data.ckid = kData;
      const MMRESULT searched = mmioDescend(f, &data, &riff, MMIO_FINDCHUNK);
      EXPECT_EQ(searched, c.found ? 0u : MMIOERR_CHUNKNOTFOUND);
      if (searched == 0) {
        EXPECT_EQ(data.dwDataOffset, dataAt);
      }
      // Chunk by chunk.
      mmioSeek(f, 12, SEEK_SET);
      bool reached = false;
      MMCKINFO ck;
      for (int steps = 0; steps < 8 && !reached && mmioDescend(f, &ck, &riff, 0) == 0; ++steps) {
        reached = ck.ckid == kData && ck.dwDataOffset == dataAt && ck.cksize == 6;
        mmioAscend(f, &ck, 0);
      }
      EXPECT_EQ(reached, c.found);
      mmioClose(f, 0);
    }
  }
}

// A RIFF whose size was never written (0) is found with its form type, and
// refused as a chunk that does not fit, like one past the end of the file:
// the reader decides.
TEST_F(RiffTest, ARiffOfSizeZeroSaysItsForm) {
  const std::string path = File("unwritten.wav");
  WriteBytes(path, Image().Id("RIFF").U32(0).Id("WAVE").Chunk("fmt ", 16).bytes());
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  ASSERT_NE(f, nullptr);
  MMCKINFO riff;
  riff.fccType = kWave;
  EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_INVALIDFILE);
  EXPECT_EQ(riff.fccType, kWave);
  EXPECT_EQ(riff.cksize, 0u);
  EXPECT_EQ(riff.dwDataOffset, 8u);
  mmioClose(f, 0);
}
