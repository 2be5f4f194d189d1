// Wave-out and wave-in devices: devices chosen by number (or the mapper),
// headers the caller prepares and queues, notices to a thread, a window, a
// function or an event when a header comes back, and positions counted in
// 64 bits. The back-end (real devices through SDL, or the virtual device of
// the tests) is picked by KOBRIX_AUDIO=sdl|virtual; see audio_backend.h.
#pragma once

#include "platform/core/types.h"

using MMRESULT = UINT;
using MMVERSION = UINT;
DECLARE_HANDLE(HWAVEOUT);
DECLARE_HANDLE(HWAVEIN);
using LPHWAVEOUT = HWAVEOUT*;
using LPHWAVEIN = HWAVEIN*;

// Results.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;
constexpr MMRESULT MMSYSERR_LASTERROR = 12;
constexpr MMRESULT WAVERR_BASE = 32;
constexpr MMRESULT WAVERR_BADFORMAT = WAVERR_BASE + 0;
constexpr MMRESULT WAVERR_STILLPLAYING = WAVERR_BASE + 1;
constexpr MMRESULT WAVERR_UNPREPARED = WAVERR_BASE + 2;
constexpr MMRESULT WAVERR_SYNC = WAVERR_BASE + 3;
constexpr MMRESULT WAVERR_LASTERROR = WAVERR_BASE + 3;

constexpr UINT MAXPNAMELEN = 32;
constexpr UINT MAXERRORLENGTH = 256;
constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;

// Format tags.
constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;

// The in-memory format record. Files store it field by field, never as this
// struct (its padding and width are not those of any file).
struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;

// A buffer handed to a device. The device owns it from waveOutWrite or
// waveInAddBuffer until its notice names it; until then the device writes
// its flags and byte count from its own thread, so a caller learns of its
// return from the notice, not by reading those fields.
struct WAVEHDR {
  LPSTR lpData = nullptr;
  DWORD dwBufferLength = 0;
  DWORD dwBytesRecorded = 0;
  DWORD_PTR dwUser = 0;
  DWORD dwFlags = 0;
  DWORD dwLoops = 0;
  WAVEHDR* lpNext = nullptr;
  DWORD_PTR reserved = 0;
};
using LPWAVEHDR = WAVEHDR*;

constexpr DWORD WHDR_DONE = 0x00000001;
constexpr DWORD WHDR_PREPARED = 0x00000002;
constexpr DWORD WHDR_INQUEUE = 0x00000010;

struct WAVEOUTCAPS {
  WORD wMid = 0;
  WORD wPid = 0;
  MMVERSION vDriverVersion = 0;
  CHAR szPname[MAXPNAMELEN] = {};
  DWORD dwFormats = 0;
  WORD wChannels = 0;
  WORD wReserved1 = 0;
  DWORD dwSupport = 0;
};
struct WAVEINCAPS {
  WORD wMid = 0;
  WORD wPid = 0;
  MMVERSION vDriverVersion = 0;
  CHAR szPname[MAXPNAMELEN] = {};
  DWORD dwFormats = 0;
  WORD wChannels = 0;
  WORD wReserved1 = 0;
};
using LPWAVEOUTCAPS = WAVEOUTCAPS*;
using LPWAVEINCAPS = WAVEINCAPS*;

// waveOutOpen / waveInOpen flags.
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr DWORD CALLBACK_THREAD = 0x00020000;
constexpr DWORD CALLBACK_TASK = CALLBACK_THREAD;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;
constexpr DWORD CALLBACK_EVENT = 0x00050000;
constexpr DWORD WAVE_FORMAT_QUERY = 0x0001;
constexpr DWORD WAVE_ALLOWSYNC = 0x0002;
constexpr DWORD WAVE_MAPPED = 0x0004;
constexpr DWORD WAVE_FORMAT_DIRECT = 0x0008;

// Notices: posted to a thread or window with wParam = the device handle and
// lParam = the header (DONE and DATA) or 0; passed to a callback function as
// its message with dwParam1 = the header. No two opens get the same handle,
// so a notice left queued by a closed device never names one open now.
constexpr UINT MM_WOM_OPEN = 0x3BB;
constexpr UINT MM_WOM_CLOSE = 0x3BC;
constexpr UINT MM_WOM_DONE = 0x3BD;
constexpr UINT MM_WIM_OPEN = 0x3BE;
constexpr UINT MM_WIM_CLOSE = 0x3BF;
constexpr UINT MM_WIM_DATA = 0x3C0;
constexpr UINT WOM_OPEN = MM_WOM_OPEN;
constexpr UINT WOM_CLOSE = MM_WOM_CLOSE;
constexpr UINT WOM_DONE = MM_WOM_DONE;
constexpr UINT WIM_OPEN = MM_WIM_OPEN;
constexpr UINT WIM_CLOSE = MM_WIM_CLOSE;
constexpr UINT WIM_DATA = MM_WIM_DATA;

using WAVEOUTPROC = void (*)(HWAVEOUT hwo, UINT msg, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);
using WAVEINPROC = void (*)(HWAVEIN hwi, UINT msg, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

// Positions. The devices count in 64 bits; the record carries the low 32
// bits of the asked unit.
constexpr UINT TIME_MS = 0x0001;
constexpr UINT TIME_SAMPLES = 0x0002;
constexpr UINT TIME_BYTES = 0x0004;
constexpr UINT TIME_SMPTE = 0x0008;
constexpr UINT TIME_MIDI = 0x0010;
constexpr UINT TIME_TICKS = 0x0020;

struct MMTIME {
  UINT wType = 0;
  union {
    DWORD ms;
    DWORD sample;
    DWORD cb;
    DWORD ticks;
    struct {
      BYTE hour, min, sec, frame, fps, dummy;
      BYTE pad[2];
    } smpte;
    struct {
      DWORD songptrpos;
    } midi;
  } u = {0};
};
using LPMMTIME = MMTIME*;

UINT waveOutGetNumDevs();
MMRESULT waveOutGetDevCaps(UINT_PTR deviceId, LPWAVEOUTCAPS caps, UINT capsSize);
MMRESULT waveOutOpen(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags);
MMRESULT waveOutClose(HWAVEOUT hwo);
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT headerSize);
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT headerSize);
MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR header, UINT headerSize);
MMRESULT waveOutPause(HWAVEOUT hwo);
MMRESULT waveOutRestart(HWAVEOUT hwo);
MMRESULT waveOutReset(HWAVEOUT hwo);
MMRESULT waveOutGetPosition(HWAVEOUT hwo, LPMMTIME time, UINT timeSize);
MMRESULT waveOutGetErrorText(MMRESULT error, LPSTR text, UINT textSize);

UINT waveInGetNumDevs();
MMRESULT waveInGetDevCaps(UINT_PTR deviceId, LPWAVEINCAPS caps, UINT capsSize);
MMRESULT waveInOpen(LPHWAVEIN handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                    DWORD_PTR instance, DWORD flags);
MMRESULT waveInClose(HWAVEIN hwi);
MMRESULT waveInPrepareHeader(HWAVEIN hwi, LPWAVEHDR header, UINT headerSize);
MMRESULT waveInUnprepareHeader(HWAVEIN hwi, LPWAVEHDR header, UINT headerSize);
MMRESULT waveInAddBuffer(HWAVEIN hwi, LPWAVEHDR header, UINT headerSize);
MMRESULT waveInStart(HWAVEIN hwi);
MMRESULT waveInStop(HWAVEIN hwi);
MMRESULT waveInReset(HWAVEIN hwi);
MMRESULT waveInGetPosition(HWAVEIN hwi, LPMMTIME time, UINT timeSize);
MMRESULT waveInGetErrorText(MMRESULT error, LPSTR text, UINT textSize);
