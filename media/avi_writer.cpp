#include "media/avi_writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/video_source_hooks.h"
#include "model/error_codes.h"
#include "model/time_code.h"

namespace {

constexpr std::size_t kIndexStep = 256;

char HexDigit(unsigned v) {
  return "0123456789ABCDEF"[v & 15];
}

FOURCC ChunkId(int32_t stream, TWOCC type) {
  char a = 'x', b = 'x';
  if (type >= 8192) {
    a = static_cast<char>(type & 0xFF);
    b = static_cast<char>(type >> 8);
  }
  return mmioFOURCC(HexDigit(static_cast<unsigned>(stream) >> 4), HexDigit(static_cast<unsigned>(stream)), a,
                    b);
}

bool Write(HMMIO h, const void* data, std::size_t size) {
  return size == 0 || mmioWrite(h, data, static_cast<LONG>(size)) == static_cast<LONG>(size);
}

// A stream's format in its stored form: the fixed fields of a bitmap header
// or a wave format field by field, the rest (colours, codec data) as given.
std::vector<BYTE> StoredFormat(FOURCC type, const BYTE* format, std::size_t size) {
  std::vector<BYTE> out(format, format + size);
  if (type == streamtypeVIDEO && size >= kBitmapInfoHeaderSize) {
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, format, sizeof(bi));
    WriteBitmapInfoHeader(bi, out.data());
  } else if (type == streamtypeAUDIO && size >= 16) {
    struct {
      WORD tag, channels;
      DWORD rate, average;
      WORD align, bits;
    } w;
    std::memcpy(&w.tag, format + 0, 2);
    std::memcpy(&w.channels, format + 2, 2);
    std::memcpy(&w.rate, format + 4, 4);
    std::memcpy(&w.average, format + 8, 4);
    std::memcpy(&w.align, format + 12, 2);
    std::memcpy(&w.bits, format + 14, 2);
    codecs::PutLe16(&out[0], w.tag);
    codecs::PutLe16(&out[2], w.channels);
    codecs::PutLe32(&out[4], w.rate);
    codecs::PutLe32(&out[8], w.average);
    codecs::PutLe16(&out[12], w.align);
    codecs::PutLe16(&out[14], w.bits);
  }
  return out;
}

int64_t HeaderRoom(const AviWriter* w) {
  int64_t room = 0;
  for (DWORD s = 0; s < w->mainHeader.dwStreams; ++s) room += int64_t{w->formatSizes[s]} + 512;
  room = std::max<int64_t>(4096, room);
  // An even start keeps every chunk before it on its even boundary.
  return (room + 3) & ~int64_t{3};
}

bool AddIndexEntry(AviWriter* w, const AVIINDEXENTRY& e) {
  try {
    if (w->index.size() == w->index.capacity()) w->index.reserve(w->index.capacity() + kIndexStep);
    w->index.push_back(e);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Starts the movi data: seeks to the data start and, for interleaved files,
// opens the "rec " list that takes every chunk.
int32_t BeginData(AviWriter* w) {
  w->dataStart = HeaderRoom(w);
  if (w->dataStart > INT32_MAX || mmioSeek(w->mmio, static_cast<LONG>(w->dataStart), SEEK_SET) < 0)
    return kErrWrite;
  if (w->mainHeader.dwFlags & AVIF_ISINTERLEAVED) {
    w->recordChunk = MMCKINFO{};
    w->recordChunk.fccType = listtypeAVIRECORD;
    if (mmioCreateChunk(w->mmio, &w->recordChunk, MMIO_CREATELIST) != 0) return kErrWrite;
    AVIINDEXENTRY e;
    e.ckid = listtypeAVIRECORD;
    e.dwFlags = AVIIF_LIST;
    e.dwChunkOffset = static_cast<DWORD>(int64_t{w->recordChunk.dwDataOffset} - 4 - w->dataStart);
    w->recordIndex = static_cast<int64_t>(w->index.size());
    if (!AddIndexEntry(w, e)) return kErrNoMemory;
  }
  return kErrOk;
}

int32_t WriteHeaders(AviWriter* w) {
  HMMIO h = w->mmio;
  // Close an open "rec " list first, so that its size covers its chunks.
  if (w->recordIndex >= 0) {
    if (mmioAscend(h, &w->recordChunk, 0) != 0) return kErrWrite;
    w->index[static_cast<std::size_t>(w->recordIndex)].dwChunkLength = w->recordChunk.cksize;
    w->recordIndex = -1;
  }
  MainAVIHeader& m = w->mainHeader;
  if (m.dwMicroSecPerFrame == 0 && m.dwStreams > 0 && w->streamHeaders[0].dwRate != 0) {
    m.dwMicroSecPerFrame =
        static_cast<DWORD>(MulDivRoundSigned(1000000, static_cast<LONG>(w->streamHeaders[0].dwScale),
                                             static_cast<LONG>(w->streamHeaders[0].dwRate)));
  }
  m.dwFlags |= AVIF_HASINDEX;
  m.dwFlags &= ~(AVIF_MUSTUSEINDEX | AVIF_ISINTERLEAVED | AVIF_WASCAPTUREFILE);
  m.dwTotalFrames = m.dwStreams > 0 ? w->streamHeaders[0].dwLength : 0;
  m.dwInitialFrames = 0;

  const LONG end = mmioSeek(h, 0, SEEK_CUR);
  if (end < 0 || mmioSeek(h, 0, SEEK_SET) != 0) return kErrWrite;
  MMCKINFO riff{};
  riff.fccType = formtypeAVI;
  if (mmioCreateChunk(h, &riff, MMIO_CREATERIFF) != 0) return kErrWrite;
  MMCKINFO hdrl{};
  hdrl.fccType = listtypeAVIHEADER;
  if (mmioCreateChunk(h, &hdrl, MMIO_CREATELIST) != 0) return kErrWrite;
  MMCKINFO avih{};
  avih.ckid = ckidAVIMAINHDR;
  avih.cksize = kAviMainHeaderSize;
  BYTE bytes[kAviStreamHeaderSize];
  WriteMainAviHeader(m, bytes);
  if (mmioCreateChunk(h, &avih, 0) != 0 || !Write(h, bytes, kAviMainHeaderSize) ||
      mmioAscend(h, &avih, 0) != 0)
    return kErrWrite;
  for (DWORD s = 0; s < m.dwStreams; ++s) {
    MMCKINFO strl{}, strh{}, strf{};
    strl.fccType = listtypeSTREAMHEADER;
    strh.ckid = ckidSTREAMHEADER;
    strh.cksize = kAviStreamHeaderSize;
    strf.ckid = ckidSTREAMFORMAT;
    strf.cksize = static_cast<DWORD>(w->formatSizes[s]);
    WriteAviStreamHeader(w->streamHeaders[s], bytes);
    std::vector<BYTE> format = StoredFormat(w->streamHeaders[s].fccType, w->formats[s].get(),
                                            static_cast<std::size_t>(w->formatSizes[s]));
    if (mmioCreateChunk(h, &strl, MMIO_CREATELIST) != 0 || mmioCreateChunk(h, &strh, 0) != 0 ||
        !Write(h, bytes, kAviStreamHeaderSize) || mmioAscend(h, &strh, 0) != 0 ||
        mmioCreateChunk(h, &strf, 0) != 0 || !Write(h, format.data(), format.size()) ||
        mmioAscend(h, &strf, 0) != 0 || mmioAscend(h, &strl, 0) != 0)
      return kErrWrite;
  }
  if (mmioAscend(h, &hdrl, 0) != 0) return kErrWrite;

  // Padding up to the movi list, whose data begin at the data start.
  MMCKINFO junk{};
  junk.ckid = ckidAVIPADDING;
  if (mmioCreateChunk(h, &junk, 0) != 0) return kErrWrite;
  if (mmioSeek(h, 0, SEEK_CUR) > w->dataStart - 12) return kErrWrite;
  if (mmioSeek(h, static_cast<LONG>(w->dataStart - 12), SEEK_SET) < 0 || mmioAscend(h, &junk, 0) != 0)
    return kErrWrite;
  MMCKINFO movi{};
  movi.fccType = listtypeAVIMOVIE;
  if (mmioSeek(h, 0, SEEK_CUR) != w->dataStart - 12 || mmioCreateChunk(h, &movi, MMIO_CREATELIST) != 0 ||
      mmioSeek(h, end, SEEK_SET) != end || mmioAscend(h, &movi, 0) != 0)
    return kErrWrite;

  MMCKINFO idx1{};
  idx1.ckid = ckidAVINEWINDEX;
  if (mmioCreateChunk(h, &idx1, 0) != 0) return kErrWrite;
  std::vector<BYTE> block(kIndexStep * kAviIndexEntrySize);
  for (std::size_t i = 0; i < w->index.size(); i += kIndexStep) {
    std::size_t n = std::min(kIndexStep, w->index.size() - i);
    for (std::size_t k = 0; k < n; ++k) WriteAviIndexEntry(w->index[i + k], &block[k * kAviIndexEntrySize]);
    if (!Write(h, block.data(), n * kAviIndexEntrySize)) return kErrWrite;
  }
  if (mmioAscend(h, &idx1, 0) != 0) return kErrWrite;
  if (CurrentVideoSourceHooks().WriteRiffInfo(h) != 0) return kErrWrite;
  if (mmioAscend(h, &riff, 0) != 0) return kErrWrite;
  if (mmioFlush(h, 0) != 0) return kErrWrite;
  return kErrOk;
}

}  // namespace

int32_t AviWriter::Open(AviWriter** writer, const char* path, const MainAVIHeader* mainHeader) {
  if (writer == nullptr) return kErrInvalidParameter;
  *writer = nullptr;
  auto* w = new (std::nothrow) AviWriter;
  if (w == nullptr) return kErrNoMemory;
  try {
    w->index.reserve(kIndexStep);
  } catch (const std::bad_alloc&) {
    delete w;
    return kErrWrite;
  }
  w->mmio = mmioOpen(path, nullptr, MMIO_CREATE | MMIO_WRITE);
  if (w->mmio == nullptr) {
    delete w;
    return kErrFileMissing;
  }
  if (mainHeader != nullptr) w->mainHeader = *mainHeader;
  w->mainHeader.dwStreams = 0;
  *writer = w;
  return kErrOk;
}

int32_t AviWriter::AddStream(AviWriter* w, int32_t* stream, const AVISTREAMHEADER* header, const void* format,
                             int32_t formatSize) {
  if (w == nullptr || header == nullptr || formatSize < 0 || (formatSize > 0 && format == nullptr))
    return kErrInvalidParameter;
  // The table holds 16 streams, and the header room is fixed by the first chunk.
  if (w->mainHeader.dwStreams >= kMaxStreams || w->dataStart != 0) return kErrInvalidParameter;
  const BYTE* bytes = static_cast<const BYTE*>(format);
  if (header->fccType == streamtypeAUDIO && formatSize < 14) return kErrInvalidParameter;
  if (header->fccType == streamtypeVIDEO && formatSize < static_cast<int32_t>(kBitmapInfoHeaderSize))
    return kErrInvalidParameter;
  std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[static_cast<std::size_t>(formatSize) + 1]);
  if (!copy) return kErrNoMemory;
  if (formatSize > 0) std::memcpy(copy.get(), bytes, static_cast<std::size_t>(formatSize));

  const int32_t n = static_cast<int32_t>(w->mainHeader.dwStreams);
  AVISTREAMHEADER& h = w->streamHeaders[n];
  h = *header;
  h.dwLength = 0;
  if (h.fccType == streamtypeAUDIO) {
    WORD align;
    DWORD rate;
    std::memcpy(&align, bytes + 12, 2);
    std::memcpy(&rate, bytes + 4, 4);
    h.dwSampleSize = align;
    h.dwRate = rate;
    h.dwScale = 1;
  } else {
    h.dwSampleSize = 0;
    if (h.dwRate == 0 || h.dwScale == 0) {
      h.dwRate = 15;
      h.dwScale = 1;
    }
  }
  if (h.fccType == streamtypeVIDEO) {
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, bytes, sizeof(bi));
    w->mainHeader.dwWidth =
        std::max<DWORD>(w->mainHeader.dwWidth, static_cast<DWORD>(std::max<LONG>(bi.biWidth, 0)));
    w->mainHeader.dwHeight = std::max<DWORD>(w->mainHeader.dwHeight, static_cast<DWORD>(DibHeight(bi)));
  }
  w->formats[n] = std::move(copy);
  w->formatSizes[n] = formatSize;
  w->mainHeader.dwStreams = static_cast<DWORD>(n + 1);
  if (stream != nullptr) *stream = n;
  return kErrOk;
}

int32_t AviWriter::WriteChunk(AviWriter* w, int32_t stream, const void* data, int32_t size, TWOCC type,
                              DWORD flags) {
  if (w == nullptr || stream < 0 || static_cast<DWORD>(stream) >= w->mainHeader.dwStreams || size < 0 ||
      (size > 0 && data == nullptr))
    return kErrInvalidParameter;
  if (w->dataStart == 0) {
    if (int32_t r = BeginData(w)) return r;
  }
  AVISTREAMHEADER& h = w->streamHeaders[stream];
  if (!(flags & AVIIF_NOTIME))
    h.dwLength += h.dwSampleSize != 0 ? static_cast<DWORD>(size) / h.dwSampleSize : 1;

  MMCKINFO ck{};
  ck.ckid = ChunkId(stream, type);
  ck.cksize = static_cast<DWORD>(size);
  if (mmioCreateChunk(w->mmio, &ck, 0) != 0 || !Write(w->mmio, data, static_cast<std::size_t>(size)) ||
      mmioAscend(w->mmio, &ck, 0) != 0)
    return kErrWrite;
  AVIINDEXENTRY e;
  e.ckid = ck.ckid;
  e.dwFlags = flags;
  e.dwChunkOffset = static_cast<DWORD>(int64_t{ck.dwDataOffset} - 4 - w->dataStart);
  e.dwChunkLength = static_cast<DWORD>(size);
  return AddIndexEntry(w, e) ? 0 : kErrNoMemory;
}

int32_t AviWriter::Close(AviWriter* w) {
  if (w == nullptr) return kErrInvalidParameter;
  int32_t result = 0;
  if (w->dataStart == 0) result = BeginData(w);  // no chunk yet: the headers still need their room
  if (result == 0) result = WriteHeaders(w);
  if (result != 0) result = kErrWrite;
  if (w->mmio != nullptr && mmioClose(w->mmio, 0) != 0) result = kErrWrite;
  w->mmio = nullptr;
  delete w;
  return result;
}
