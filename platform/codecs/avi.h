// AVI file records: the main header, the stream header and the "idx1" entry,
// with the flags and chunk names of the format. Records are converted field
// by field from and to their little-endian file form.
#pragma once

#include "platform/codecs/dib.h"
#include "platform/core/types.h"

using TWOCC = WORD;
constexpr TWOCC aviTWOCC(char a, char b) {
  return static_cast<TWOCC>(static_cast<BYTE>(a) | (static_cast<BYTE>(b) << 8));
}

constexpr FOURCC formtypeAVI = mmioFOURCC('A', 'V', 'I', ' ');
constexpr FOURCC listtypeAVIHEADER = mmioFOURCC('h', 'd', 'r', 'l');
constexpr FOURCC ckidAVIMAINHDR = mmioFOURCC('a', 'v', 'i', 'h');
constexpr FOURCC listtypeSTREAMHEADER = mmioFOURCC('s', 't', 'r', 'l');
constexpr FOURCC ckidSTREAMHEADER = mmioFOURCC('s', 't', 'r', 'h');
constexpr FOURCC ckidSTREAMFORMAT = mmioFOURCC('s', 't', 'r', 'f');
constexpr FOURCC listtypeAVIMOVIE = mmioFOURCC('m', 'o', 'v', 'i');
constexpr FOURCC listtypeAVIRECORD = mmioFOURCC('r', 'e', 'c', ' ');
constexpr FOURCC ckidAVINEWINDEX = mmioFOURCC('i', 'd', 'x', '1');
constexpr FOURCC ckidAVIPADDING = mmioFOURCC('J', 'U', 'N', 'K');
constexpr FOURCC ckidLIST = mmioFOURCC('L', 'I', 'S', 'T');

constexpr FOURCC streamtypeVIDEO = mmioFOURCC('v', 'i', 'd', 's');
constexpr FOURCC streamtypeAUDIO = mmioFOURCC('a', 'u', 'd', 's');

constexpr TWOCC cktypeDIBbits = aviTWOCC('d', 'b');
constexpr TWOCC cktypeDIBcompressed = aviTWOCC('d', 'c');
constexpr TWOCC cktypePALchange = aviTWOCC('p', 'c');
constexpr TWOCC cktypeWAVEbytes = aviTWOCC('w', 'b');

// The id of a stream's data chunks: the stream number as two hex digits,
// then the chunk type ("00dc", "01wb").
constexpr FOURCC MAKEAVICKID(TWOCC tcc, unsigned stream) {
  constexpr char kHex[] = "0123456789ABCDEF";
  return mmioFOURCC(kHex[(stream >> 4) & 15], kHex[stream & 15], static_cast<char>(tcc & 0xFF),
                    static_cast<char>(tcc >> 8));
}

// Main header flags.
constexpr DWORD AVIF_HASINDEX = 0x00000010;
constexpr DWORD AVIF_MUSTUSEINDEX = 0x00000020;
constexpr DWORD AVIF_ISINTERLEAVED = 0x00000100;
constexpr DWORD AVIF_TRUSTCKTYPE = 0x00000800;
constexpr DWORD AVIF_WASCAPTUREFILE = 0x00010000;
constexpr DWORD AVIF_COPYRIGHTED = 0x00020000;

// Index entry flags.
constexpr DWORD AVIIF_LIST = 0x00000001;
constexpr DWORD AVIIF_KEYFRAME = 0x00000010;
constexpr DWORD AVIIF_NOTIME = 0x00000100;

struct MainAVIHeader {
  DWORD dwMicroSecPerFrame = 0;
  DWORD dwMaxBytesPerSec = 0;
  DWORD dwPaddingGranularity = 0;
  DWORD dwFlags = 0;
  DWORD dwTotalFrames = 0;
  DWORD dwInitialFrames = 0;
  DWORD dwStreams = 0;
  DWORD dwSuggestedBufferSize = 0;
  DWORD dwWidth = 0;
  DWORD dwHeight = 0;
  DWORD dwReserved[4] = {0, 0, 0, 0};
};

// The stream header with a 32-bit frame rectangle: 64 bytes in the file.
// Files with the shorter 56-byte form (16-bit rectangle) are read as well.
struct AVISTREAMHEADER {
  FOURCC fccType = 0;
  FOURCC fccHandler = 0;
  DWORD dwFlags = 0;
  WORD wPriority = 0;
  WORD wLanguage = 0;
  DWORD dwInitialFrames = 0;
  DWORD dwScale = 0;
  DWORD dwRate = 0;
  DWORD dwStart = 0;
  DWORD dwLength = 0;
  DWORD dwSuggestedBufferSize = 0;
  DWORD dwQuality = 0;
  DWORD dwSampleSize = 0;
  RECT rcFrame;
};

struct AVIINDEXENTRY {
  DWORD ckid = 0;
  DWORD dwFlags = 0;
  DWORD dwChunkOffset = 0;
  DWORD dwChunkLength = 0;
};

constexpr DWORD kAviMainHeaderSize = 56;
constexpr DWORD kAviStreamHeaderSize = 64;
// The shortest stream header that holds every field up to the sample size.
constexpr DWORD kAviStreamHeaderMinSize = 48;
constexpr DWORD kAviIndexEntrySize = 16;

inline void ReadMainAviHeader(const BYTE* p, MainAVIHeader* h) {
  using codecs::GetLe32;
  h->dwMicroSecPerFrame = GetLe32(p + 0);
  h->dwMaxBytesPerSec = GetLe32(p + 4);
  h->dwPaddingGranularity = GetLe32(p + 8);
  h->dwFlags = GetLe32(p + 12);
  h->dwTotalFrames = GetLe32(p + 16);
  h->dwInitialFrames = GetLe32(p + 20);
  h->dwStreams = GetLe32(p + 24);
  h->dwSuggestedBufferSize = GetLe32(p + 28);
  h->dwWidth = GetLe32(p + 32);
  h->dwHeight = GetLe32(p + 36);
  for (int i = 0; i < 4; ++i) h->dwReserved[i] = GetLe32(p + 40 + 4 * i);
}

inline void WriteMainAviHeader(const MainAVIHeader& h, BYTE* p) {
  using codecs::PutLe32;
  PutLe32(p + 0, h.dwMicroSecPerFrame);
  PutLe32(p + 4, h.dwMaxBytesPerSec);
  PutLe32(p + 8, h.dwPaddingGranularity);
  PutLe32(p + 12, h.dwFlags);
  PutLe32(p + 16, h.dwTotalFrames);
  PutLe32(p + 20, h.dwInitialFrames);
  PutLe32(p + 24, h.dwStreams);
  PutLe32(p + 28, h.dwSuggestedBufferSize);
  PutLe32(p + 32, h.dwWidth);
  PutLe32(p + 36, h.dwHeight);
  for (int i = 0; i < 4; ++i) PutLe32(p + 40 + 4 * i, h.dwReserved[i]);
}

// size: the bytes available (at least kAviStreamHeaderMinSize). The frame
// rectangle is read as four 16-bit values from a 56-byte header and as four
// 32-bit values from a 64-byte one; what is missing reads as 0.
inline void ReadAviStreamHeader(const BYTE* p, DWORD size, AVISTREAMHEADER* h) {
  using codecs::GetLe16;
  using codecs::GetLe32;
  h->fccType = GetLe32(p + 0);
  h->fccHandler = GetLe32(p + 4);
  h->dwFlags = GetLe32(p + 8);
  h->wPriority = GetLe16(p + 12);
  h->wLanguage = GetLe16(p + 14);
  h->dwInitialFrames = GetLe32(p + 16);
  h->dwScale = GetLe32(p + 20);
  h->dwRate = GetLe32(p + 24);
  h->dwStart = GetLe32(p + 28);
  h->dwLength = GetLe32(p + 32);
  h->dwSuggestedBufferSize = GetLe32(p + 36);
  h->dwQuality = GetLe32(p + 40);
  h->dwSampleSize = GetLe32(p + 44);
  h->rcFrame = RECT{};
  if (size >= 64) {
    h->rcFrame.left = static_cast<LONG>(GetLe32(p + 48));
    h->rcFrame.top = static_cast<LONG>(GetLe32(p + 52));
    h->rcFrame.right = static_cast<LONG>(GetLe32(p + 56));
    h->rcFrame.bottom = static_cast<LONG>(GetLe32(p + 60));
  } else if (size >= 56) {
    h->rcFrame.left = static_cast<SHORT>(GetLe16(p + 48));
    h->rcFrame.top = static_cast<SHORT>(GetLe16(p + 50));
    h->rcFrame.right = static_cast<SHORT>(GetLe16(p + 52));
    h->rcFrame.bottom = static_cast<SHORT>(GetLe16(p + 54));
  }
}

// Writes the 64-byte form.
inline void WriteAviStreamHeader(const AVISTREAMHEADER& h, BYTE* p) {
  using codecs::PutLe16;
  using codecs::PutLe32;
  PutLe32(p + 0, h.fccType);
  PutLe32(p + 4, h.fccHandler);
  PutLe32(p + 8, h.dwFlags);
  PutLe16(p + 12, h.wPriority);
  PutLe16(p + 14, h.wLanguage);
  PutLe32(p + 16, h.dwInitialFrames);
  PutLe32(p + 20, h.dwScale);
  PutLe32(p + 24, h.dwRate);
  PutLe32(p + 28, h.dwStart);
  PutLe32(p + 32, h.dwLength);
  PutLe32(p + 36, h.dwSuggestedBufferSize);
  PutLe32(p + 40, h.dwQuality);
  PutLe32(p + 44, h.dwSampleSize);
  PutLe32(p + 48, static_cast<DWORD>(h.rcFrame.left));
  PutLe32(p + 52, static_cast<DWORD>(h.rcFrame.top));
  PutLe32(p + 56, static_cast<DWORD>(h.rcFrame.right));
  PutLe32(p + 60, static_cast<DWORD>(h.rcFrame.bottom));
}

inline void ReadAviIndexEntry(const BYTE* p, AVIINDEXENTRY* e) {
  using codecs::GetLe32;
  e->ckid = GetLe32(p + 0);
  e->dwFlags = GetLe32(p + 4);
  e->dwChunkOffset = GetLe32(p + 8);
  e->dwChunkLength = GetLe32(p + 12);
}

inline void WriteAviIndexEntry(const AVIINDEXENTRY& e, BYTE* p) {
  using codecs::PutLe32;
  PutLe32(p + 0, e.ckid);
  PutLe32(p + 4, e.dwFlags);
  PutLe32(p + 8, e.dwChunkOffset);
  PutLe32(p + 12, e.dwChunkLength);
}
