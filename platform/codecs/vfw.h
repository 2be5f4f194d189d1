// The installable video compressors: codecs found by type and handler FOURCC,
// opened for compressing, decompressing or drawing, and driven by messages.
//
// Codecs are classes derived from VideoCodec, registered with ICInstallCodec.
// Built in: uncompressed DIBs ("DIB "), RLE8 ("MRLE") and the common AVI
// codecs decoded through libavcodec, Motion JPEG also as a compressor.
#pragma once

#include <memory>

#include "platform/codecs/dib.h"
#include "platform/core/types.h"

DECLARE_HANDLE(HIC);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HPALETTE);

constexpr FOURCC ICTYPE_VIDEO = mmioFOURCC('v', 'i', 'd', 'c');

// Open modes.
constexpr UINT ICMODE_COMPRESS = 1;
constexpr UINT ICMODE_DECOMPRESS = 2;
constexpr UINT ICMODE_FASTDECOMPRESS = 3;
constexpr UINT ICMODE_QUERY = 4;
constexpr UINT ICMODE_FASTCOMPRESS = 5;
constexpr UINT ICMODE_DRAW = 8;

// Results of the messages: 0 or a negative error.
constexpr LRESULT ICERR_OK = 0;
constexpr LRESULT ICERR_DONTDRAW = 1;
constexpr LRESULT ICERR_NEWPALETTE = 2;
constexpr LRESULT ICERR_GOTOKEYFRAME = 3;
constexpr LRESULT ICERR_STOPDRAWING = 4;
constexpr LRESULT ICERR_UNSUPPORTED = -1;
constexpr LRESULT ICERR_BADFORMAT = -2;
constexpr LRESULT ICERR_MEMORY = -3;
constexpr LRESULT ICERR_INTERNAL = -4;
constexpr LRESULT ICERR_BADFLAGS = -5;
constexpr LRESULT ICERR_BADPARAM = -6;
constexpr LRESULT ICERR_BADSIZE = -7;
constexpr LRESULT ICERR_BADHANDLE = -8;
constexpr LRESULT ICERR_CANTUPDATE = -9;
constexpr LRESULT ICERR_ABORT = -10;
constexpr LRESULT ICERR_ERROR = -100;
constexpr LRESULT ICERR_BADBITDEPTH = -200;
constexpr LRESULT ICERR_BADIMAGESIZE = -201;

// Messages.
constexpr UINT ICM_USER = 0x4000;
constexpr UINT ICM_RESERVED = 0x5000;
constexpr UINT ICM_GETINFO = ICM_RESERVED + 2;
constexpr UINT ICM_GETDEFAULTQUALITY = ICM_RESERVED + 30;
constexpr UINT ICM_GETQUALITY = ICM_RESERVED + 31;
constexpr UINT ICM_SETQUALITY = ICM_RESERVED + 32;

constexpr UINT ICM_COMPRESS_GET_FORMAT = ICM_USER + 4;
constexpr UINT ICM_COMPRESS_GET_SIZE = ICM_USER + 5;
constexpr UINT ICM_COMPRESS_QUERY = ICM_USER + 6;
constexpr UINT ICM_COMPRESS_BEGIN = ICM_USER + 7;
constexpr UINT ICM_COMPRESS = ICM_USER + 8;
constexpr UINT ICM_COMPRESS_END = ICM_USER + 9;

constexpr UINT ICM_DECOMPRESS_GET_FORMAT = ICM_USER + 10;
constexpr UINT ICM_DECOMPRESS_QUERY = ICM_USER + 11;
constexpr UINT ICM_DECOMPRESS_BEGIN = ICM_USER + 12;
constexpr UINT ICM_DECOMPRESS = ICM_USER + 13;
constexpr UINT ICM_DECOMPRESS_END = ICM_USER + 14;
constexpr UINT ICM_DECOMPRESS_SET_PALETTE = ICM_USER + 29;
constexpr UINT ICM_DECOMPRESS_GET_PALETTE = ICM_USER + 30;

constexpr UINT ICM_DRAW_BEGIN = ICM_USER + 15;
constexpr UINT ICM_DRAW_GET_PALETTE = ICM_USER + 16;
constexpr UINT ICM_DRAW_START = ICM_USER + 18;
constexpr UINT ICM_DRAW_STOP = ICM_USER + 19;
constexpr UINT ICM_DRAW_END = ICM_USER + 21;
constexpr UINT ICM_DRAW_GETTIME = ICM_USER + 32;
constexpr UINT ICM_DRAW_QUERY = ICM_USER + 31;
constexpr UINT ICM_DRAW = ICM_USER + 33;
constexpr UINT ICM_DRAW_WINDOW = ICM_USER + 34;
constexpr UINT ICM_DRAW_SETTIME = ICM_USER + 35;
constexpr UINT ICM_DRAW_REALIZE = ICM_USER + 36;
constexpr UINT ICM_DRAW_FLUSH = ICM_USER + 37;
constexpr UINT ICM_DRAW_RENDERBUFFER = ICM_USER + 38;
constexpr UINT ICM_GETBUFFERSWANTED = ICM_USER + 41;

// ICDECOMPRESS flags.
constexpr DWORD ICDECOMPRESS_HURRYUP = 0x80000000;
constexpr DWORD ICDECOMPRESS_UPDATE = 0x40000000;
constexpr DWORD ICDECOMPRESS_PREROLL = 0x20000000;
constexpr DWORD ICDECOMPRESS_NULLFRAME = 0x10000000;
constexpr DWORD ICDECOMPRESS_NOTKEYFRAME = 0x08000000;

// ICCOMPRESS flags.
constexpr DWORD ICCOMPRESS_KEYFRAME = 0x00000001;

// ICDRAWBEGIN flags.
constexpr DWORD ICDRAW_QUERY = 0x00000001;
constexpr DWORD ICDRAW_FULLSCREEN = 0x00000002;
constexpr DWORD ICDRAW_HDC = 0x00000004;
constexpr DWORD ICDRAW_ANIMATE = 0x00000008;
constexpr DWORD ICDRAW_CONTINUE = 0x00000010;
constexpr DWORD ICDRAW_MEMORYDC = 0x00000020;
constexpr DWORD ICDRAW_UPDATING = 0x00000040;
constexpr DWORD ICDRAW_RENDER = 0x00000080;
constexpr DWORD ICDRAW_BUFFER = 0x00000100;
// ICDRAW flags.
constexpr DWORD ICDRAW_HURRYUP = 0x80000000;
constexpr DWORD ICDRAW_UPDATE = 0x40000000;
constexpr DWORD ICDRAW_PREROLL = 0x20000000;
constexpr DWORD ICDRAW_NULLFRAME = 0x10000000;
constexpr DWORD ICDRAW_NOTKEYFRAME = 0x08000000;

// ICINFO flags.
constexpr DWORD VIDCF_QUALITY = 0x0001;
constexpr DWORD VIDCF_CRUNCH = 0x0002;
constexpr DWORD VIDCF_TEMPORAL = 0x0004;
constexpr DWORD VIDCF_COMPRESSFRAMES = 0x0008;
constexpr DWORD VIDCF_DRAW = 0x0010;
constexpr DWORD VIDCF_FASTTEMPORALC = 0x0020;
constexpr DWORD VIDCF_FASTTEMPORALD = 0x0080;

constexpr DWORD ICVERSION = 0x0104;
constexpr LONG ICQUALITY_LOW = 0;
constexpr LONG ICQUALITY_HIGH = 10000;
constexpr LONG ICQUALITY_DEFAULT = -1;

struct ICINFO {
  DWORD dwSize = 0;
  DWORD fccType = 0;
  DWORD fccHandler = 0;
  DWORD dwFlags = 0;
  DWORD dwVersion = 0;
  DWORD dwVersionICM = 0;
  wchar_t szName[16] = {};
  wchar_t szDescription[128] = {};
  wchar_t szDriver[128] = {};
};

struct ICDECOMPRESS {
  DWORD dwFlags = 0;
  LPBITMAPINFOHEADER lpbiInput = nullptr;  // biSizeImage: bytes of the input
  LPVOID lpInput = nullptr;
  LPBITMAPINFOHEADER lpbiOutput = nullptr;
  LPVOID lpOutput = nullptr;
  DWORD ckid = 0;
};

struct ICCOMPRESS {
  DWORD dwFlags = 0;
  LPBITMAPINFOHEADER lpbiOutput = nullptr;  // biSizeImage: set to the bytes written
  LPVOID lpOutput = nullptr;                // room for ICM_COMPRESS_GET_SIZE bytes
  LPBITMAPINFOHEADER lpbiInput = nullptr;
  LPVOID lpInput = nullptr;
  LPDWORD lpckid = nullptr;
  LPDWORD lpdwFlags = nullptr;  // AVIIF_KEYFRAME for a key frame
  LONG lFrameNum = 0;
  DWORD dwFrameSize = 0;
  DWORD dwQuality = 0;
  LPBITMAPINFOHEADER lpbiPrev = nullptr;
  LPVOID lpPrev = nullptr;
};

struct ICDRAWBEGIN {
  DWORD dwFlags = 0;
  HPALETTE hpal = nullptr;
  HWND hwnd = nullptr;
  HDC hdc = nullptr;
  INT xDst = 0;
  INT yDst = 0;
  INT dxDst = 0;
  INT dyDst = 0;
  LPBITMAPINFOHEADER lpbi = nullptr;
  INT xSrc = 0;
  INT ySrc = 0;
  INT dxSrc = 0;
  INT dySrc = 0;
  DWORD dwRate = 0;
  DWORD dwScale = 0;
};

struct ICDRAW {
  DWORD dwFlags = 0;
  LPVOID lpFormat = nullptr;
  LPVOID lpData = nullptr;
  DWORD cbData = 0;
  LONG lTime = 0;
};

HIC ICOpen(DWORD fccType, DWORD fccHandler, UINT wMode);
LRESULT ICClose(HIC hic);
LRESULT ICSendMessage(HIC hic, UINT msg, DWORD_PTR dw1, DWORD_PTR dw2);
// Opens a codec that handles lpbiIn (and lpbiOut, when given) in the mode
// wFlags: first the codec named by fccHandler, then every installed one.
HIC ICLocate(DWORD fccType, DWORD fccHandler, LPBITMAPINFOHEADER lpbiIn, LPBITMAPINFOHEADER lpbiOut,
             WORD wFlags);
// Copies at most cb bytes of the codec's ICINFO; returns the bytes copied.
LRESULT ICGetInfo(HIC hic, ICINFO* picinfo, DWORD cb);
// The installed codecs of a type: fccHandler below 256 is an index.
BOOL ICInfo(DWORD fccType, DWORD fccHandler, ICINFO* lpicinfo);

DWORD ICDecompress(HIC hic, DWORD dwFlags, LPBITMAPINFOHEADER lpbiFormat, LPVOID lpData,
                   LPBITMAPINFOHEADER lpbi, LPVOID lpBits);
DWORD ICCompress(HIC hic, DWORD dwFlags, LPBITMAPINFOHEADER lpbiOutput, LPVOID lpData,
                 LPBITMAPINFOHEADER lpbiInput, LPVOID lpBits, LPDWORD lpckid, LPDWORD lpdwFlags,
                 LONG lFrameNum, DWORD dwFrameSize, DWORD dwQuality, LPBITMAPINFOHEADER lpbiPrev,
                 LPVOID lpPrev);

inline LRESULT ICDecompressQuery(HIC hic, const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
  return ICSendMessage(hic, ICM_DECOMPRESS_QUERY, reinterpret_cast<DWORD_PTR>(in),
                       reinterpret_cast<DWORD_PTR>(out));
}
inline LRESULT ICCompressQuery(HIC hic, const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
  return ICSendMessage(hic, ICM_COMPRESS_QUERY, reinterpret_cast<DWORD_PTR>(in),
                       reinterpret_cast<DWORD_PTR>(out));
}
inline LRESULT ICDrawQuery(HIC hic, const BITMAPINFOHEADER* in) {
  return ICSendMessage(hic, ICM_DRAW_QUERY, reinterpret_cast<DWORD_PTR>(in), 0);
}

// One open instance of a codec. ICSendMessage hands every message to
// Message(), which unpacks the standard ones into the calls below; a codec
// overrides the calls of the families it supports (the rest answer
// ICERR_UNSUPPORTED). Formats are whole memory blocks: the header, then its
// colour table or codec data up to biSize and the colours.
class VideoCodec {
 public:
  VideoCodec();
  virtual ~VideoCodec();
  VideoCodec(const VideoCodec&) = delete;
  VideoCodec& operator=(const VideoCodec&) = delete;

  virtual LRESULT Message(UINT msg, DWORD_PTR dw1, DWORD_PTR dw2);

  // out may be null: any output the codec likes.
  virtual LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
  // out null: the size of the output format in bytes; else it is filled.
  virtual LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
  virtual LRESULT DecompressGetPalette(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
  virtual LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
  virtual LRESULT Decompress(const ICDECOMPRESS& d);
  virtual LRESULT DecompressEnd();

  virtual LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
  virtual LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
  virtual LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
  virtual LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
  virtual LRESULT Compress(const ICCOMPRESS& c);
  virtual LRESULT CompressEnd();

  // Drawing. By default a codec does not draw (the built-in ones only
  // decompress), so players draw the decompressed pictures themselves. A
  // codec that draws can build on the Present calls below.
  virtual LRESULT DrawQuery(const BITMAPINFOHEADER* in);
  virtual LRESULT DrawBegin(const ICDRAWBEGIN& b);
  virtual LRESULT Draw(const ICDRAW& d);
  virtual LRESULT DrawEnd();

 protected:
  // Drawing through the codec's own decompression: each frame is
  // decompressed to 32 (or 24) bits and handed to the DrawDib presenter
  // (drawdib.h) at the destination of PresentBegin; hurried and pre-rolled
  // frames are decompressed, not shown, and a null frame shows the last
  // picture again. Drawing to the full screen opens the screen target from
  // PresentBegin to PresentEnd. The drawing messages without a call of
  // their own (start, stop, flush, time, window) are answered while
  // presenting.
  LRESULT PresentQuery(const BITMAPINFOHEADER* in);
  LRESULT PresentBegin(const ICDRAWBEGIN& b);
  LRESULT PresentDraw(const ICDRAW& d);
  void PresentEnd();

 private:
  struct DrawState;
  std::unique_ptr<DrawState> draw_;
};

// Describes a codec for registration and for ICGetInfo.
struct VideoCodecDescription {
  FOURCC fccType = ICTYPE_VIDEO;
  FOURCC fccHandler = 0;
  DWORD dwFlags = 0;
  const wchar_t* name = L"";
  const wchar_t* description = L"";
};

using VideoCodecFactory = std::unique_ptr<VideoCodec> (*)(const VideoCodecDescription& codec, UINT mode);

// Installs a codec ahead of the built-in ones; false when one with that
// type and handler is installed already.
BOOL ICInstallCodec(const VideoCodecDescription& codec, VideoCodecFactory factory);
// Removes a codec installed with ICInstallCodec.
BOOL ICRemove(DWORD fccType, DWORD fccHandler, UINT wFlags);
