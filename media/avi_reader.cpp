// Reading an AVI file's structure: the main header, the first video stream's
// header and format, and the frame index, from "idx1" or rebuilt from "movi".
// Every size, count and offset comes from the file and is checked before use.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "media/video_data.h"
#include "model/error_codes.h"
#include "model/text_format.h"
#include "model/ui_strings.h"
#include "platform/codecs/vfw.h"

namespace {

// Largest "strf" we take: a header, codec data and colours are far smaller.
constexpr DWORD kMaxFormatSize = 1 << 20;

char FourccChar(FOURCC f, int i) {
  return static_cast<char>((f >> (8 * i)) & 0xFF);
}

// Reads exactly n bytes at the current place.
bool ReadExact(HMMIO h, void* buffer, LONG n) {
  return n == 0 || mmioRead(h, buffer, n) == n;
}

int64_t FileSizeOf(HMMIO h) {
  LONG here = mmioSeek(h, 0, SEEK_CUR);
  LONG end = mmioSeek(h, 0, SEEK_END);
  mmioSeek(h, here, SEEK_SET);
  return end < 0 ? 0 : end;
}

// Descends like mmioDescend, but takes a chunk that runs past the end of the
// file (a file cut short) with its size cut to what the file holds.
MMRESULT DescendCut(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags) {
  MMRESULT r = mmioDescend(h, ck, parent, flags);
  if (r != MMIOERR_INVALIDFILE) return r;
  const int64_t size = FileSizeOf(h);
  int64_t end = size;
  if (parent != nullptr) end = std::min<int64_t>(end, int64_t{parent->dwDataOffset} + parent->cksize);
  if (end < ck->dwDataOffset) return r;
  ck->cksize = static_cast<DWORD>(std::min<int64_t>(ck->cksize, end - ck->dwDataOffset));
  const bool list = ck->ckid == FOURCC_RIFF || ck->ckid == FOURCC_LIST;
  if (list && ck->cksize < 4) return r;
  // A list's data begin after its type.
  if (mmioSeek(h, static_cast<LONG>(ck->dwDataOffset + (list ? 4 : 0)), SEEK_SET) < 0) return r;
  return 0;
}

// Finds the file's "RIFF" form like DescendCut; a size that was never
// written (below the 4 bytes of the form type) or that falls short of the
// chunks in it is taken from the file's length too.
MMRESULT DescendForm(HMMIO h, MMCKINFO* ck, FOURCC type) {
  ck->fccType = type;
  const MMRESULT r = mmioDescend(h, ck, nullptr, MMIO_FINDRIFF);
  if (r != 0 && r != MMIOERR_INVALIDFILE) return r;
  const int64_t size = FileSizeOf(h);
  const int64_t data = ck->dwDataOffset;
  const int64_t stated = data + ck->cksize;
  if (data + 4 > size) return MMIOERR_INVALIDFILE;
  const auto read = [h](int64_t at, unsigned char* out, int64_t count) -> int64_t {
    return std::max<LONG>(mmioReadAt(h, out, static_cast<LONG>(count), at), 0);
  };
  if (stated > size || FormShortOfChunks(read, data, stated, size))
    ck->cksize = static_cast<DWORD>(std::min<int64_t>(size - data, 0xFFFFFFFFll));
  if (mmioSeek(h, static_cast<LONG>(data + 4), SEEK_SET) < 0) return MMIOERR_INVALIDFILE;
  return 0;
}

// Reads a "strf" video format into a block that also holds the colour table
// the header promises, so that readers of the block stay inside it. 0 or an
// error code.
int32_t ReadVideoFormat(HMMIO h, const MMCKINFO& strf, std::unique_ptr<BYTE[]>* block, uint32_t* blockSize) {
  if (strf.cksize < kBitmapInfoHeaderSize || strf.cksize > kMaxFormatSize) return kErrInvalidFormat;
  std::vector<BYTE> raw(strf.cksize);
  if (!ReadExact(h, raw.data(), static_cast<LONG>(raw.size()))) return kErrInvalidFormat;
  BITMAPINFOHEADER bi;
  ReadBitmapInfoHeader(raw.data(), &bi);
  if (bi.biSize < kBitmapInfoHeaderSize || bi.biSize > strf.cksize) return kErrInvalidFormat;
  std::size_t colors = bi.biBitCount <= 8 ? DibColorCount(bi) : 0;
  std::size_t size = std::max<std::size_t>(raw.size(), bi.biSize + colors * sizeof(RGBQUAD));
  std::unique_ptr<BYTE[]> out(new (std::nothrow) BYTE[size]());
  if (!out) return kErrNoMemory;
  std::memcpy(out.get(), raw.data(), raw.size());
  std::memcpy(out.get(), &bi, sizeof(bi));  // the header in memory, read field by field
  *block = std::move(out);
  *blockSize = static_cast<uint32_t>(size);
  return kErrOk;
}

// Picture sizes the decoders can work with.
bool UsableFormat(const BITMAPINFOHEADER* bi) {
  return bi->biWidth > 0 && bi->biWidth <= kMaxDibSide && bi->biHeight != 0 &&
         DibHeight(*bi) <= kMaxDibSide && int64_t{bi->biWidth} * DibHeight(*bi) <= kMaxDibPixels &&
         bi->biBitCount <= 32;
}

}  // namespace

// --- Reading the file ---------------------------------------------------------

void AVIVideoData::FreeStructure() {
  formatBlock.reset();
  formatSize = 0;
  index.clear();
  index.shrink_to_fit();
  largestFrame = 0;
  moviDataPosition = 0;
  moviEnd = 0;
}

int32_t AVIVideoData::ReadAviFile(const char* name) {
  error = 0;
  if (name != fileName) {
    const std::size_t n = std::min<std::size_t>(name != nullptr ? std::strlen(name) : 0, MAX_PATH - 1);
    if (n > 0) std::memmove(fileName, name, n);
    fileName[n] = '\0';
  }
  CloseFileHandle();
  FreeStructure();
  mainHeader = MainAVIHeader{};
  streamHeader = AVISTREAMHEADER{};

  mmio = mmioOpen(fileName, nullptr, MMIO_READ | MMIO_DENYNONE);
  if (mmio == nullptr) return error = kErrFileMissing;
  int32_t result = 0;
  try {
    riffChunk = MMCKINFO{};
    if (DescendForm(mmio, &riffChunk, formtypeAVI) != 0) {
      result = kErrInvalidFormat;
    } else {
      result = Parse();
    }
  } catch (const std::bad_alloc&) {
    result = kErrNoMemory;
  }
  CloseFileHandle();

  if (result == 0) {
    frameCount =
        static_cast<int32_t>(std::min<DWORD>(mainHeader.dwTotalFrames, static_cast<DWORD>(index.size())));
    if (frameCount == 0) {
      result = kErrFileEmpty;
    } else {
      largestFrame = 0;
      for (int32_t i = 0; i < frameCount; ++i) largestFrame = std::max(largestFrame, index[i].dwChunkLength);
      double fps = static_cast<double>(streamHeader.dwRate) / streamHeader.dwScale;
      double thousandths = std::trunc(fps * 1000.0 + 0.499);
      // A rate that rounds to nothing would divide every conversion by zero.
      if (!(thousandths >= 1.0) || thousandths > 4294967295.0) {
        result = kErrInvalidFormat;
      } else {
        frameRate = static_cast<float>(thousandths / 1000.0);
      }
    }
  }
  if (result != 0) {
    frameCount = 0;
    FreeStructure();
  }
  return error = result;
}

int32_t AVIVideoData::Parse() {
  const int64_t fileSize = FileSizeOf(mmio);
  MMCKINFO hdrl{};
  hdrl.fccType = listtypeAVIHEADER;
  if (mmioDescend(mmio, &hdrl, &riffChunk, MMIO_FINDLIST) != 0) return kErrInvalidFormat;
  MMCKINFO avih{};
  avih.ckid = ckidAVIMAINHDR;
  if (mmioDescend(mmio, &avih, &hdrl, MMIO_FINDCHUNK) != 0) return kErrInvalidFormat;
  BYTE buffer[kAviStreamHeaderSize];
  if (avih.cksize < kAviMainHeaderSize || !ReadExact(mmio, buffer, kAviMainHeaderSize))
    return kErrInvalidFormat;
  ReadMainAviHeader(buffer, &mainHeader);
  if (mmioAscend(mmio, &avih, 0) != 0) return kErrInvalidFormat;
  // Without a frame duration the file cannot be timed.
  if (mainHeader.dwMicroSecPerFrame == 0) return kErrInvalidFormat;

  bool found = false;
  unsigned stream = 0;
  for (DWORD i = 0; i < mainHeader.dwStreams && !found; ++i) {
    MMCKINFO strl{};
    strl.fccType = listtypeSTREAMHEADER;
    if (mmioDescend(mmio, &strl, &hdrl, MMIO_FINDLIST) != 0) break;
    MMCKINFO strh{};
    strh.ckid = ckidSTREAMHEADER;
    if (mmioDescend(mmio, &strh, &strl, MMIO_FINDCHUNK) != 0) return kErrInvalidFormat;
    if (strh.cksize < kAviStreamHeaderMinSize) return kErrInvalidFormat;
    DWORD n = std::min<DWORD>(strh.cksize, kAviStreamHeaderSize);
    if (!ReadExact(mmio, buffer, static_cast<LONG>(n))) return kErrInvalidFormat;
    AVISTREAMHEADER header;
    ReadAviStreamHeader(buffer, n, &header);
    if (mmioAscend(mmio, &strh, 0) != 0) return kErrInvalidFormat;
    if (header.fccType == streamtypeVIDEO) {
      streamHeader = header;
      MMCKINFO strf{};
      strf.ckid = ckidSTREAMFORMAT;
      if (mmioDescend(mmio, &strf, &strl, MMIO_FINDCHUNK) != 0) return kErrInvalidFormat;
      if (int32_t r = ReadVideoFormat(mmio, strf, &formatBlock, &formatSize)) return r;
      if (mmioAscend(mmio, &strf, 0) != 0) return kErrInvalidFormat;
      found = true;
      stream = i;
    }
    if (mmioAscend(mmio, &strl, 0) != 0) return kErrInvalidFormat;
  }
  if (mmioAscend(mmio, &hdrl, 0) != 0) return kErrInvalidFormat;
  if (!found) return kErrInvalidFormat;
  if (streamHeader.dwScale == 0 || streamHeader.dwRate == 0 || !UsableFormat(Format()))
    return kErrInvalidFormat;

  chunkIds[0] = MAKEAVICKID(cktypeDIBcompressed, stream);
  chunkIds[1] = MAKEAVICKID(cktypeDIBbits, stream);
  chunkIds[2] = MAKEAVICKID(static_cast<TWOCC>(streamHeader.fccHandler & 0xFFFF), stream);
  chunkIds[3] = MAKEAVICKID(static_cast<TWOCC>(streamHeader.fccHandler >> 16), stream);

  int32_t result = (mainHeader.dwFlags & AVIF_HASINDEX) ? ReadIdx1() : RebuildIndex(mainHeader.dwTotalFrames);
  if (result != 0) return result;
  // Frames whose data would lie outside movi or the file are not kept.
  int64_t limit = std::min(moviEnd, fileSize);
  std::size_t good = 0;
  while (good < index.size() &&
         moviDataPosition + int64_t{index[good].dwChunkOffset} + index[good].dwChunkLength <= limit)
    ++good;
  if (good < index.size()) {
    index.resize(good);
    mainHeader.dwTotalFrames = static_cast<DWORD>(good);
  }
  if (!index.empty()) index[0].dwFlags |= AVIIF_KEYFRAME;
  return kErrOk;
}

bool AVIVideoData::IsVideoChunk(FOURCC ckid) const {
  return ckid == chunkIds[0] || ckid == chunkIds[1] || ckid == chunkIds[2] || ckid == chunkIds[3];
}

bool AVIVideoData::IndexFits() const {
  for (const AVIINDEXENTRY& e : index) {
    if (moviDataPosition + int64_t{e.dwChunkOffset} + e.dwChunkLength > moviEnd) return false;
  }
  return true;
}

int32_t AVIVideoData::ReadIdx1() {
  const LONG remembered = mmioSeek(mmio, 0, SEEK_CUR);
  const int64_t fileSize = FileSizeOf(mmio);
  MMCKINFO movi{};
  movi.fccType = listtypeAVIMOVIE;
  if (DescendCut(mmio, &movi, &riffChunk, MMIO_FINDLIST) != 0) return kErrInvalidFormat;
  moviDataPosition = int64_t{movi.dwDataOffset} + 8;
  moviEnd = std::min<int64_t>(int64_t{movi.dwDataOffset} + movi.cksize, fileSize);
  if (mmioAscend(mmio, &movi, 0) != 0) return kErrInvalidFormat;
  auto rebuild = [&]() {
    index.clear();
    mmioSeek(mmio, remembered, SEEK_SET);
    return RebuildIndex(mainHeader.dwTotalFrames);
  };
  MMCKINFO idx1{};
  idx1.ckid = ckidAVINEWINDEX;
  const MMRESULT found = mmioDescend(mmio, &idx1, &riffChunk, MMIO_FINDCHUNK);
  // An idx1 longer than what holds it is broken, not the frames in movi; a
  // file cut short before its index keeps the frames that are there.
  if (found != 0) return rebuild();
  if (int64_t{idx1.dwDataOffset} + idx1.cksize > fileSize) return rebuild();

  const std::size_t count = idx1.cksize / kAviIndexEntrySize;
  std::vector<BYTE> raw(count * kAviIndexEntrySize);
  if (!ReadExact(mmio, raw.data(), static_cast<LONG>(raw.size()))) return kErrInvalidFormat;

  const std::size_t slots = std::min<std::size_t>(mainHeader.dwTotalFrames, count);
  index.reserve(slots);
  uint64_t largestEnd = 0;
  uint64_t smallest = UINT64_MAX;
  for (std::size_t i = 0; i < count; ++i) {
    AVIINDEXENTRY e;
    ReadAviIndexEntry(&raw[i * kAviIndexEntrySize], &e);
    if (index.size() < slots && IsVideoChunk(e.ckid)) index.push_back(e);
    largestEnd = std::max(largestEnd, uint64_t{e.dwChunkOffset} + e.dwChunkLength);
    smallest = std::min<uint64_t>(smallest, e.dwChunkOffset);
  }
  if (index.empty()) return kErrInvalidFormat;
  if (index.size() < mainHeader.dwTotalFrames) mainHeader.dwTotalFrames = static_cast<DWORD>(index.size());

  if (smallest > static_cast<uint64_t>(moviDataPosition - 8)) {
    // The offsets may be file positions rather than offsets into movi.
    if (static_cast<uint64_t>(moviDataPosition) + largestEnd <= static_cast<uint64_t>(moviEnd))
      return rebuild();
    if (largestEnd > static_cast<uint64_t>(moviEnd)) return rebuild();
    for (AVIINDEXENTRY& e : index)
      e.dwChunkOffset = static_cast<DWORD>(e.dwChunkOffset + 8 - moviDataPosition);
  }
  // An index pointing outside movi is broken: the chunks themselves count.
  if (!IndexFits()) return rebuild();
  return kErrOk;
}

int32_t AVIVideoData::RebuildIndex(uint32_t slots) {
  MMCKINFO movi{};
  movi.fccType = listtypeAVIMOVIE;
  if (DescendCut(mmio, &movi, &riffChunk, MMIO_FINDLIST) != 0) return kErrInvalidFormat;
  moviDataPosition = int64_t{movi.dwDataOffset} + 8;
  moviEnd = int64_t{movi.dwDataOffset} + movi.cksize;
  // Every frame needs at least a chunk header, which bounds the index.
  slots = static_cast<uint32_t>(std::min<uint64_t>(slots, movi.cksize / 8 + 1));
  index.assign(slots, AVIINDEXENTRY{});
  auto entryOf = [&](const MMCKINFO& ck) {
    AVIINDEXENTRY e;
    e.ckid = ck.ckid;
    e.dwChunkOffset = static_cast<DWORD>(int64_t{ck.dwDataOffset} - moviDataPosition);
    e.dwChunkLength = ck.cksize;
    return e;
  };
  // The next chunk inside parent. One that the end of the file cuts short
  // (a file cut before its end) keeps the bytes that are there, as ffmpeg
  // reads them, and is the walk's last; one that only runs past its list
  // is damage and ends the walk.
  const int64_t fileSize = FileSizeOf(mmio);
  auto descend = [&](MMCKINFO* ck, const MMCKINFO* parent) {
    const MMRESULT r = mmioDescend(mmio, ck, parent, 0);
    if (r != MMIOERR_INVALIDFILE) return r == 0;
    const int64_t there = fileSize - int64_t{ck->dwDataOffset};
    const bool list = ck->ckid == ckidLIST;
    if (int64_t{ck->dwDataOffset} + ck->cksize <= fileSize || there < (list ? 4 : 1)) return false;
    ck->cksize = static_cast<DWORD>(there);
    return mmioSeek(mmio, static_cast<LONG>(int64_t{ck->dwDataOffset} + (list ? 4 : 0)), SEEK_SET) >= 0;
  };
  uint32_t used = 0;
  if (!(mainHeader.dwFlags & AVIF_ISINTERLEAVED)) {
    while (used < slots) {
      MMCKINFO ck{};
      if (!descend(&ck, &movi)) break;
      if (IsVideoChunk(ck.ckid)) {
        index[used++] = entryOf(ck);
        if (mmioAscend(mmio, &ck, 0) != 0) break;
      } else if (ck.ckid != ckidLIST) {
        if (mmioAscend(mmio, &ck, 0) != 0) break;
      }  // a list is entered: its chunks come next
    }
  } else {
    while (used < slots) {
      MMCKINFO rec{};
      if (!descend(&rec, &movi)) break;
      if (rec.ckid != ckidLIST) {
        // A chunk outside any record: a frame of its own, or padding.
        if (IsVideoChunk(rec.ckid)) index[used++] = entryOf(rec);
        if (mmioAscend(mmio, &rec, 0) != 0) break;
        continue;
      }
      for (;;) {
        MMCKINFO ck{};
        if (!descend(&ck, &rec)) break;
        if (IsVideoChunk(ck.ckid)) {
          index[used] = entryOf(ck);
          break;
        }
        if (ck.ckid == ckidLIST) break;
        if (mmioAscend(mmio, &ck, 0) != 0) break;
      }
      ++used;
      if (mmioAscend(mmio, &rec, 0) != 0) break;
    }
  }
  // Fewer frames than the header counts: the file ends early (a cut
  // recording); the frames that are there stay readable.
  if (used < slots) {
    index.resize(used);
    mainHeader.dwTotalFrames = used;
  }
  return kErrOk;
}

// --- Frame access ------------------------------------------------------------------

int32_t AVIVideoData::PrevNonEmpty(int32_t frame) const {
  const int32_t count = std::min<int32_t>(frameCount, static_cast<int32_t>(index.size()));
  if (count <= 0) return 0;
  int32_t i = std::max(0, std::min(frame, count - 1));
  while (i > 0 && index[i].dwChunkLength == 0 && !(index[i].dwFlags & AVIIF_KEYFRAME)) --i;
  return i;
}

int32_t AVIVideoData::FindKeyFrame(int32_t frame, AVIINDEXENTRY* entry) const {
  if (index.empty()) {
    if (entry != nullptr) *entry = AVIINDEXENTRY{};
    return 0;
  }
  int32_t i = PrevNonEmpty(frame);
  while (i > 0 && !(index[i].dwFlags & AVIIF_KEYFRAME)) --i;
  if (entry != nullptr) *entry = index[i];
  return i;
}

int64_t AVIVideoData::NextFrameOffset(int32_t frame) const {
  const int32_t count = std::min<int32_t>(frameCount, static_cast<int32_t>(index.size()));
  for (int32_t i = std::max(frame + 1, 0); i < count; ++i) {
    if (index[i].dwChunkLength != 0) return index[i].dwChunkOffset + moviDataPosition;
  }
  return moviEnd;
}

int32_t AVIVideoData::ReadRawFrame(int32_t frame, int32_t, void* buffer, int32_t* size, bool* isKey,
                                   bool requireKey) {
  if (index.empty()) return kErrFileEmpty;
  const int32_t f = PrevNonEmpty(frame);
  const bool key = IsKeyFrame(f);
  if (isKey != nullptr) *isKey = key;
  if (requireKey && !key) return kErrNotKeyFrame;
  const AVIINDEXENTRY& e = index[f];
  if (size != nullptr) *size = static_cast<int32_t>(e.dwChunkLength);
  if (mmio == nullptr) return kErrFileMissing;
  const int64_t at = e.dwChunkOffset + moviDataPosition;
  if (at > INT32_MAX || mmioSeek(mmio, static_cast<LONG>(at), SEEK_SET) < 0) return kErrRead;
  if (!ReadExact(mmio, buffer, static_cast<LONG>(e.dwChunkLength))) return kErrRead;
  return kErrOk;
}

int32_t AVIVideoData::ReadEntryData(int32_t entry, void* buffer, uint32_t capacity) const {
  const int32_t count = std::min<int32_t>(frameCount, static_cast<int32_t>(index.size()));
  if (entry < 0 || entry >= count || mmio == nullptr) return kErrRead;
  const AVIINDEXENTRY& e = index[static_cast<std::size_t>(entry)];
  if (e.dwChunkLength > capacity || e.dwChunkLength > static_cast<DWORD>(INT32_MAX)) return kErrRead;
  const LONG length = static_cast<LONG>(e.dwChunkLength);
  if (mmioReadAt(mmio, buffer, length, e.dwChunkOffset + moviDataPosition) != length) return kErrRead;
  return 0;
}

// --- DescribeAviFile ---------------------------------------------------------------

namespace {

// The codec text of a video format: "Uncompressed", the installed codec's
// short name, or the code's four characters.
void NameCodec(BITMAPINFOHEADER* format, char* text, std::size_t size) {
  if (format->biCompression == BI_RGB) {
    FormatTextTo(text, size, "%s", GetString(ui_string::kUncompressed));
    return;
  }
  HIC hic = ICLocate(ICTYPE_VIDEO, format->biCompression, format, nullptr, ICMODE_DRAW);
  if (hic == nullptr) hic = ICLocate(ICTYPE_VIDEO, format->biCompression, format, nullptr, ICMODE_DECOMPRESS);
  if (hic != nullptr) {
    ICINFO info;
    ICGetInfo(hic, &info, sizeof(info));
    ICClose(hic);
    char name[17] = {};
    for (int i = 0; i < 16 && info.szName[i] != 0; ++i)
      name[i] = (info.szName[i] >= 32 && info.szName[i] < 127) ? static_cast<char>(info.szName[i]) : '?';
    FormatTextTo(text, size, "%s", name);
    return;
  }
  char code[5];
  for (int i = 0; i < 4; ++i) {
    char c = FourccChar(format->biCompression, i);
    code[i] = (c >= 32 && c <= 126) ? c : ' ';
  }
  code[4] = '\0';
  FormatTextTo(text, size, GetString(ui_string::kUnknownCodec), code);
}

}  // namespace

int32_t DescribeAviFile(const char* path, AviFileInfo* info) {
  HMMIO h = mmioOpen(const_cast<char*>(path), nullptr, MMIO_READ | MMIO_DENYNONE);
  if (h == nullptr) return 0;
  int32_t result = 0;
  bool broken = false;
  MainAVIHeader main;
  std::unique_ptr<BYTE[]> format;
  uint32_t formatSize = 0;
  MMCKINFO riff{}, hdrl{}, avih{};
  hdrl.fccType = listtypeAVIHEADER;
  avih.ckid = ckidAVIMAINHDR;
  BYTE buffer[kAviStreamHeaderSize];
  if (DescendForm(h, &riff, formtypeAVI) != 0 || mmioDescend(h, &hdrl, &riff, MMIO_FINDLIST) != 0) {
    mmioClose(h, 0);
    return 0;
  }
  if (mmioDescend(h, &avih, &hdrl, MMIO_FINDCHUNK) != 0 || avih.cksize < kAviMainHeaderSize ||
      !ReadExact(h, buffer, kAviMainHeaderSize) || mmioAscend(h, &avih, 0) != 0) {
    broken = true;
  } else {
    ReadMainAviHeader(buffer, &main);
  }
  bool video = false, audio = false;
  while (!broken && !(video && audio)) {
    MMCKINFO strl{};
    strl.fccType = listtypeSTREAMHEADER;
    if (mmioDescend(h, &strl, &hdrl, MMIO_FINDLIST) != 0) break;
    MMCKINFO strh{};
    strh.ckid = ckidSTREAMHEADER;
    if (mmioDescend(h, &strh, &strl, MMIO_FINDCHUNK) != 0 || strh.cksize < kAviStreamHeaderMinSize) {
      broken = true;
      break;
    }
    DWORD n = std::min<DWORD>(strh.cksize, kAviStreamHeaderSize);
    AVISTREAMHEADER header;
    if (!ReadExact(h, buffer, static_cast<LONG>(n)) || mmioAscend(h, &strh, 0) != 0) {
      broken = true;
      break;
    }
    ReadAviStreamHeader(buffer, n, &header);
    MMCKINFO strf{};
    strf.ckid = ckidSTREAMFORMAT;
    if (header.fccType == streamtypeVIDEO && !video) {
      if (mmioDescend(h, &strf, &strl, MMIO_FINDCHUNK) != 0 ||
          ReadVideoFormat(h, strf, &format, &formatSize) != 0) {
        broken = true;
        break;
      }
      video = true;
      result |= 1;
      NameCodec(reinterpret_cast<BITMAPINFOHEADER*>(format.get()), info->codecName, sizeof(info->codecName));
    } else if (header.fccType == streamtypeAUDIO && !audio) {
      if (mmioDescend(h, &strf, &strl, MMIO_FINDCHUNK) != 0) {
        broken = true;
        break;
      }
      // Formats shorter than 18 bytes leave the rest zero.
      BYTE wave[18] = {};
      LONG want = static_cast<LONG>(std::min<DWORD>(strf.cksize, sizeof(wave)));
      if (!ReadExact(h, wave, want)) {
        broken = true;
        break;
      }
      std::memcpy(info->waveFormat, wave, sizeof(wave));
      audio = true;
      result |= 2;
    }
    if (mmioAscend(h, &strl, 0) != 0) {
      broken = true;
      break;
    }
  }
  mmioClose(h, 0);
  info->microSecPerFrame = main.dwMicroSecPerFrame;
  info->totalFrames = main.dwTotalFrames;
  if (format) {
    const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(format.get());
    info->width = static_cast<uint32_t>(bi->biWidth);
    info->height = static_cast<uint32_t>(DibHeight(*bi));  // top-down files store it negative
  }
  return broken ? 0 : result;
}
