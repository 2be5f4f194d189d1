#include "platform/codecs/codec_registry.h"

#include <cstring>
#include <cwchar>
#include <mutex>

namespace codecs {
namespace {

struct Registry {
  std::mutex lock;
  std::vector<CodecEntry> installed;
  std::vector<CodecEntry> builtIn;
  bool builtInReady = false;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

void FixPointers(CodecEntry& e) {
  e.desc.name = e.name.c_str();
  e.desc.description = e.description.c_str();
}

// A copy of every entry, installed ones first, so that codecs run without
// the registry's lock held.
std::vector<CodecEntry> Snapshot(DWORD fccType) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> hold(r.lock);
  if (!r.builtInReady) {
    AppendUncompressedCodecs(r.builtIn);
    AppendFfmpegCodecs(r.builtIn);
    r.builtInReady = true;
  }
  std::vector<CodecEntry> all;
  for (const auto* list : {&r.installed, &r.builtIn}) {
    for (const CodecEntry& e : *list) {
      if (fccType == 0 || SameHandler(e.desc.fccType, fccType)) {
        all.push_back(e);
        FixPointers(all.back());
      }
    }
  }
  return all;
}

int LowerAscii(int c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

}  // namespace

bool SameHandler(FOURCC a, FOURCC b) {
  for (int i = 0; i < 4; ++i) {
    if (LowerAscii((a >> (8 * i)) & 0xFF) != LowerAscii((b >> (8 * i)) & 0xFF)) return false;
  }
  return true;
}

bool EntryAnswers(const CodecEntry& entry, FOURCC handler) {
  if (SameHandler(entry.desc.fccHandler, handler)) return true;
  for (FOURCC a : entry.aliases) {
    if (SameHandler(a, handler)) return true;
  }
  return false;
}

bool SaneFormat(const BITMAPINFOHEADER* bi) {
  return bi->biSize >= kBitmapInfoHeaderSize && bi->biSize <= 65536 && bi->biWidth > 0 &&
         bi->biWidth <= kMaxDibSide && bi->biHeight != 0 && DibHeight(*bi) <= kMaxDibSide &&
         int64_t{bi->biWidth} * DibHeight(*bi) <= kMaxDibPixels;
}

BITMAPINFOHEADER RgbHeader(LONG width, LONG height, WORD bitCount) {
  BITMAPINFOHEADER bi;
  bi.biSize = kBitmapInfoHeaderSize;
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = bitCount;
  bi.biCompression = BI_RGB;
  bi.biSizeImage = static_cast<DWORD>(DibImageBytes(bi));
  return bi;
}

std::size_t FormatBytes(const BITMAPINFOHEADER* bi) {
  std::size_t size = bi->biSize < kBitmapInfoHeaderSize ? kBitmapInfoHeaderSize : bi->biSize;
  if (bi->biBitCount <= 8) size += std::size_t{DibColorCount(*bi)} * sizeof(RGBQUAD);
  return size;
}

}  // namespace codecs

using codecs::CodecEntry;

struct HIC__ {
  CodecEntry entry;
  UINT mode = 0;
  std::unique_ptr<VideoCodec> codec;
};

namespace {

HIC OpenEntry(const CodecEntry& entry, UINT mode) {
  if (entry.factory == nullptr) return nullptr;
  std::unique_ptr<VideoCodec> codec = entry.factory(entry.desc, mode);
  if (!codec) return nullptr;
  auto* hic = new HIC__;
  hic->entry = entry;
  codecs::FixPointers(hic->entry);
  hic->mode = mode;
  hic->codec = std::move(codec);
  return hic;
}

bool Accepts(HIC hic, LPBITMAPINFOHEADER in, LPBITMAPINFOHEADER out, WORD mode) {
  switch (mode) {
    case ICMODE_COMPRESS:
    case ICMODE_FASTCOMPRESS:
      return ICCompressQuery(hic, in, out) == ICERR_OK;
    case ICMODE_DECOMPRESS:
    case ICMODE_FASTDECOMPRESS:
      return ICDecompressQuery(hic, in, out) == ICERR_OK;
    case ICMODE_DRAW:
      return ICDrawQuery(hic, in) == ICERR_OK;
    default:
      return false;
  }
}

void FillInfo(const CodecEntry& e, ICINFO* info) {
  *info = ICINFO{};
  info->dwSize = sizeof(ICINFO);
  info->fccType = e.desc.fccType;
  info->fccHandler = e.desc.fccHandler;
  info->dwFlags = e.desc.dwFlags;
  info->dwVersionICM = ICVERSION;
  std::wcsncpy(info->szName, e.name.c_str(), 15);
  std::wcsncpy(info->szDescription, e.description.c_str(), 127);
  std::wcsncpy(info->szDriver, L"kobrix codecs", 127);
}

}  // namespace

HIC ICOpen(DWORD fccType, DWORD fccHandler, UINT wMode) {
  for (const CodecEntry& e : codecs::Snapshot(fccType)) {
    if (codecs::EntryAnswers(e, fccHandler)) return OpenEntry(e, wMode);
  }
  return nullptr;
}

LRESULT ICClose(HIC hic) {
  delete hic;
  return ICERR_OK;
}

LRESULT ICSendMessage(HIC hic, UINT msg, DWORD_PTR dw1, DWORD_PTR dw2) {
  if (hic == nullptr || !hic->codec) return ICERR_BADHANDLE;
  return hic->codec->Message(msg, dw1, dw2);
}

HIC ICLocate(DWORD fccType, DWORD fccHandler, LPBITMAPINFOHEADER lpbiIn, LPBITMAPINFOHEADER lpbiOut,
             WORD wFlags) {
  if (lpbiIn == nullptr) return nullptr;
  std::vector<CodecEntry> all = codecs::Snapshot(fccType);
  std::vector<bool> tried(all.size(), false);
  auto attempt = [&](std::size_t i) -> HIC {
    tried[i] = true;
    HIC hic = OpenEntry(all[i], wFlags);
    if (hic == nullptr) return nullptr;
    if (Accepts(hic, lpbiIn, lpbiOut, wFlags)) return hic;
    ICClose(hic);
    return nullptr;
  };
  if (fccHandler != 0) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (codecs::EntryAnswers(all[i], fccHandler)) {
        if (HIC hic = attempt(i)) return hic;
      }
    }
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (tried[i]) continue;
    if (HIC hic = attempt(i)) return hic;
  }
  return nullptr;
}

LRESULT ICGetInfo(HIC hic, ICINFO* picinfo, DWORD cb) {
  if (hic == nullptr || picinfo == nullptr) return 0;
  ICINFO info;
  FillInfo(hic->entry, &info);
  DWORD n = cb < sizeof(ICINFO) ? cb : static_cast<DWORD>(sizeof(ICINFO));
  std::memcpy(picinfo, &info, n);
  return static_cast<LRESULT>(n);
}

BOOL ICInfo(DWORD fccType, DWORD fccHandler, ICINFO* lpicinfo) {
  if (lpicinfo == nullptr) return FALSE;
  std::vector<CodecEntry> all = codecs::Snapshot(fccType);
  if (fccHandler < 256) {
    if (fccHandler >= all.size()) return FALSE;
    FillInfo(all[fccHandler], lpicinfo);
    return TRUE;
  }
  for (const CodecEntry& e : all) {
    if (codecs::EntryAnswers(e, fccHandler)) {
      FillInfo(e, lpicinfo);
      return TRUE;
    }
  }
  return FALSE;
}

DWORD ICDecompress(HIC hic, DWORD dwFlags, LPBITMAPINFOHEADER lpbiFormat, LPVOID lpData,
                   LPBITMAPINFOHEADER lpbi, LPVOID lpBits) {
  ICDECOMPRESS d;
  d.dwFlags = dwFlags;
  d.lpbiInput = lpbiFormat;
  d.lpInput = lpData;
  d.lpbiOutput = lpbi;
  d.lpOutput = lpBits;
  return static_cast<DWORD>(ICSendMessage(hic, ICM_DECOMPRESS, reinterpret_cast<DWORD_PTR>(&d), sizeof(d)));
}

DWORD ICCompress(HIC hic, DWORD dwFlags, LPBITMAPINFOHEADER lpbiOutput, LPVOID lpData,
                 LPBITMAPINFOHEADER lpbiInput, LPVOID lpBits, LPDWORD lpckid, LPDWORD lpdwFlags,
                 LONG lFrameNum, DWORD dwFrameSize, DWORD dwQuality, LPBITMAPINFOHEADER lpbiPrev,
                 LPVOID lpPrev) {
  ICCOMPRESS c;
  c.dwFlags = dwFlags;
  c.lpbiOutput = lpbiOutput;
  c.lpOutput = lpData;
  c.lpbiInput = lpbiInput;
  c.lpInput = lpBits;
  c.lpckid = lpckid;
  c.lpdwFlags = lpdwFlags;
  c.lFrameNum = lFrameNum;
  c.dwFrameSize = dwFrameSize;
  c.dwQuality = dwQuality;
  c.lpbiPrev = lpbiPrev;
  c.lpPrev = lpPrev;
  return static_cast<DWORD>(ICSendMessage(hic, ICM_COMPRESS, reinterpret_cast<DWORD_PTR>(&c), sizeof(c)));
}

BOOL ICInstallCodec(const VideoCodecDescription& codec, VideoCodecFactory factory) {
  if (factory == nullptr) return FALSE;
  codecs::Registry& r = codecs::TheRegistry();
  std::lock_guard<std::mutex> hold(r.lock);
  for (const CodecEntry& e : r.installed) {
    if (codecs::SameHandler(e.desc.fccType, codec.fccType) &&
        codecs::SameHandler(e.desc.fccHandler, codec.fccHandler))
      return FALSE;
  }
  CodecEntry e;
  e.desc = codec;
  e.name = codec.name != nullptr ? codec.name : L"";
  e.description = codec.description != nullptr ? codec.description : L"";
  e.factory = factory;
  r.installed.push_back(std::move(e));
  return TRUE;
}

BOOL ICRemove(DWORD fccType, DWORD fccHandler, UINT wFlags) {
  codecs::Registry& r = codecs::TheRegistry();
  std::lock_guard<std::mutex> hold(r.lock);
  for (auto it = r.installed.begin(); it != r.installed.end(); ++it) {
    if (codecs::SameHandler(it->desc.fccType, fccType) &&
        codecs::SameHandler(it->desc.fccHandler, fccHandler)) {
      r.installed.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}
