// The MPEG encoder component: its classes, its registry key, and the four
// interfaces the program drives it through. The program calls each
// operation by its place in the interface's table, so the places are part of
// the contract: every interface begins with IUnknown's three (0 to 2), and
// the places the program never calls are kept as operations that answer
// E_NOTIMPL. Unless said otherwise an operation gives 0 on success; after a
// failure GetLastErrorText tells why.
//
// The program first sets the stream type, the video settings (frame-rate
// format, bit rate, picture size) and the audio settings (bit rate, sample
// format), then starts the encoder, feeds pictures and sample bytes in any
// interleaving, and collects the encoded stream as blocks, in order, each to
// be written to the file and given back. Ending video and audio lets the
// encoder write out what it still holds.
#pragma once

#include "platform/audio/wave.h"
#include "platform/codecs/dib.h"
#include "platform/components/com.h"

// The class the program creates when the registry value "EncodeMethod" of
// the encoder's key reads as a nonzero number, and the one it creates
// otherwise. Ours serves both alike.
// {447B7FE2-B635-11CF-8DDB-0000E8C2AE4F}
inline constexpr CLSID CLSID_MpegEncoderByMethod{
    0x447B7FE2, 0xB635, 0x11CF, {0x8D, 0xDB, 0x00, 0x00, 0xE8, 0xC2, 0xAE, 0x4F}};
// {447B9000-B635-11CF-8DDB-0000E8C2AE4F}
inline constexpr CLSID CLSID_MpegEncoder{
    0x447B9000, 0xB635, 0x11CF, {0x8D, 0xDB, 0x00, 0x00, 0xE8, 0xC2, 0xAE, 0x4F}};

// {447B7FE5-B635-11CF-8DDB-0000E8C2AE4F}
inline constexpr IID IID_IMpegEncoder{
    0x447B7FE5, 0xB635, 0x11CF, {0x8D, 0xDB, 0x00, 0x00, 0xE8, 0xC2, 0xAE, 0x4F}};
// {447B7FE7-B635-11CF-8DDB-0000E8C2AE4F}
inline constexpr IID IID_IMpegVideoSettings{
    0x447B7FE7, 0xB635, 0x11CF, {0x8D, 0xDB, 0x00, 0x00, 0xE8, 0xC2, 0xAE, 0x4F}};
// {447B7FE8-B635-11CF-8DDB-0000E8C2AE4F}
inline constexpr IID IID_IMpegAudioSettings{
    0x447B7FE8, 0xB635, 0x11CF, {0x8D, 0xDB, 0x00, 0x00, 0xE8, 0xC2, 0xAE, 0x4F}};
// {447B7FEE-B635-11CF-8DDB-0000E8C2AE4F}
inline constexpr IID IID_IMpegStreamSettings{
    0x447B7FEE, 0xB635, 0x11CF, {0x8D, 0xDB, 0x00, 0x00, 0xE8, 0xC2, 0xAE, 0x4F}};

// Under HKEY_LOCAL_MACHINE.
inline constexpr char kMpegEncoderKey[] = "SOFTWARE\\Darim Vision\\DVMPEG";
inline constexpr char kMpegEncodeMethodValue[] = "EncodeMethod";

// Stream types (SetStreamType).
constexpr LONG kMpegAudioOnly = -1;   // MPEG-1 system stream of MPEG audio alone
constexpr LONG kMpegVideoOnly = 0;    // MPEG-1 system stream of MPEG-1 video alone
constexpr LONG kMpegSystem = 2;       // MPEG-1 system stream: MPEG-1 video and MPEG audio
constexpr LONG kMpegVideoCd = 4;      // the same, laid out for a Video CD
constexpr LONG kMpegProgram = 10;     // MPEG-2 program stream: MPEG-2 video and MPEG audio
constexpr LONG kMpegProgramSif = 12;  // MPEG-2 program stream of MPEG-1 video, for up to 240 lines

// Frame-rate formats (SetFrameFormat) 1 to 5: 23.976, 24, 25, 29.97 and 30
// frames a second. GetFramePeriod gives a frame's length in units of
// 1 / kMpegTimeBase seconds.
constexpr LONG kMpegFirstFormat = 1;
constexpr LONG kMpegLastFormat = 5;
constexpr LONG kMpegTimeBase = 360000;

// Room for the text of GetLastErrorText.
constexpr LONG kMpegErrorTextSize = 512;

// One block of the encoded stream, as GetBlock hands it out: present is
// nonzero when there is a block; count equals size once the block is
// complete, and only complete blocks are to be written. data stays valid
// until the block is given back with ReleaseBlock.
struct MpegOutputBlock {
  WORD present = 0;
  DWORD size = 0;
  DWORD count = 0;
  BYTE* data = nullptr;
};

class IMpegEncoder : public IUnknown {
 public:
  virtual HRESULT Initialize() = 0;  // 3: once, after creation
  virtual HRESULT Shutdown() = 0;    // 4: once, before the last release
  virtual HRESULT Unused5() = 0;
  virtual HRESULT Unused6() = 0;
  virtual HRESULT Unused7() = 0;
  virtual HRESULT Unused8() = 0;
  virtual HRESULT Unused9() = 0;
  virtual HRESULT Unused10() = 0;
  virtual HRESULT Unused11() = 0;
  // 12: the encoded pictures' size; pictures fed at another size are scaled.
  virtual HRESULT SetPictureSize(LONG width, LONG height) = 0;
  virtual HRESULT SetVideoBitRate(LONG bitsPerSecond) = 0;  // 13
  virtual HRESULT Unused14() = 0;
  virtual HRESULT Unused15() = 0;
  virtual HRESULT Start() = 0;     // 16
  virtual HRESULT Stop() = 0;      // 17: drops whatever was not handed out yet
  virtual HRESULT Started() = 0;   // 18: once after a successful start
  virtual HRESULT EndVideo() = 0;  // 19
  // 20: the next block, or a block with present 0 when none is ready.
  virtual HRESULT GetBlock(MpegOutputBlock* block, DWORD reserved) = 0;
  virtual HRESULT ReleaseBlock(MpegOutputBlock* block) = 0;  // 21
  virtual HRESULT Unused22() = 0;
  // 23: one picture: an uncompressed 24- or 32-bit DIB as format describes
  // it, or I420 planes (platform/codecs/dib.h) of the picture size.
  virtual HRESULT EncodeFrame(const BITMAPINFOHEADER* format, const void* bits) = 0;
  // 24: the samples to come; 16-bit PCM at a rate MPEG audio carries.
  virtual HRESULT SetAudioFormat(const WAVEFORMATEX* format) = 0;
  virtual HRESULT EndAudio() = 0;  // 25
  // 26: sample bytes in the format set; any count, frames may be split.
  virtual HRESULT EncodeAudio(const void* data, LONG bytes) = 0;
  // 27: the last error's text into text (size bytes, terminated); nonzero
  // when there is one.
  virtual BOOL GetLastErrorText(char* text, LONG size) = 0;

 protected:
  ~IMpegEncoder() = default;
};

class IMpegVideoSettings : public IUnknown {
 public:
  virtual HRESULT VideoUnused3() = 0;
  virtual HRESULT VideoUnused4() = 0;
  virtual HRESULT VideoUnused5() = 0;
  virtual HRESULT VideoUnused6() = 0;
  virtual HRESULT VideoUnused7() = 0;
  virtual HRESULT SetFrameFormat(LONG format) = 0;  // 8
  virtual HRESULT VideoUnused9() = 0;
  virtual HRESULT SetBitRate(LONG bitsPerSecond) = 0;  // 10
  virtual HRESULT VideoUnused11() = 0;
  virtual HRESULT VideoUnused12() = 0;
  virtual HRESULT VideoUnused13() = 0;
  virtual HRESULT VideoUnused14() = 0;
  virtual HRESULT VideoUnused15() = 0;
  virtual HRESULT VideoUnused16() = 0;
  virtual HRESULT VideoUnused17() = 0;
  // 18: the frame period of the format set, in 1 / kMpegTimeBase s; 0 when
  // no format is set.
  virtual LONG GetFramePeriod() = 0;

 protected:
  ~IMpegVideoSettings() = default;
};

class IMpegAudioSettings : public IUnknown {
 public:
  virtual HRESULT AudioUnused3() = 0;
  virtual HRESULT AudioUnused4() = 0;
  virtual HRESULT AudioUnused5() = 0;
  virtual HRESULT AudioUnused6() = 0;
  virtual HRESULT AudioUnused7() = 0;
  virtual HRESULT AudioUnused8() = 0;
  virtual HRESULT AudioUnused9() = 0;
  // 10: kbit/s of the whole stream (all channels); a rate MPEG audio cannot
  // use at the sample rate is taken to the nearest one it can.
  virtual HRESULT SetAudioBitRate(LONG kilobitsPerSecond) = 0;

 protected:
  ~IMpegAudioSettings() = default;
};

class IMpegStreamSettings : public IUnknown {
 public:
  virtual HRESULT StreamUnused3() = 0;
  virtual HRESULT StreamUnused4() = 0;
  virtual HRESULT StreamUnused5() = 0;
  virtual HRESULT StreamUnused6() = 0;
  virtual HRESULT StreamUnused7() = 0;
  virtual HRESULT SetStreamType(LONG type) = 0;  // 8: one of kMpeg... above

 protected:
  ~IMpegStreamSettings() = default;
};

// The frame period of a format; 0 for an unknown one.
constexpr LONG MpegFramePeriod(LONG format) {
  switch (format) {
    case 1:
      return 15015;
    case 2:
      return 15000;
    case 3:
      return 14400;
    case 4:
      return 12012;
    case 5:
      return 12000;
    default:
      return 0;
  }
}
