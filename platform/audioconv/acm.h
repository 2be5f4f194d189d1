// The audio compression manager: format suggestion, the format chooser and
// conversion streams. One built-in driver converts between PCM formats
// (sample rate, channels, 8/16/24/32-bit integer and 32-bit float samples)
// and decodes mu-law, A-law and IMA ADPCM to 16-bit PCM of the same rate
// and channels. There are no encoders: a compressed format is never a
// destination.
//
// Format records live in memory as WAVEFORMATEX followed by cbSize extra
// bytes (for IMA ADPCM the samples per block). Sizes passed as cbwfx count
// that memory.
#pragma once

#include <vector>

#include "platform/audio/wave.h"
#include "platform/core/types.h"

constexpr WORD WAVE_FORMAT_ALAW = 0x0006;
constexpr WORD WAVE_FORMAT_MULAW = 0x0007;
constexpr WORD WAVE_FORMAT_IMA_ADPCM = 0x0011;
constexpr WORD WAVE_FORMAT_DVI_ADPCM = WAVE_FORMAT_IMA_ADPCM;

// IMA ADPCM: the record and the samples of one block per channel.
struct IMAADPCMWAVEFORMAT {
  WAVEFORMATEX wfx;
  WORD wSamplesPerBlock = 0;
};

DECLARE_HANDLE(HACMDRIVER);
DECLARE_HANDLE(HACMSTREAM);
DECLARE_HANDLE(HACMOBJ);
using LPHACMSTREAM = HACMSTREAM*;

constexpr MMRESULT ACMERR_BASE = 512;
constexpr MMRESULT ACMERR_NOTPOSSIBLE = ACMERR_BASE + 0;
constexpr MMRESULT ACMERR_BUSY = ACMERR_BASE + 1;
constexpr MMRESULT ACMERR_UNPREPARED = ACMERR_BASE + 2;
constexpr MMRESULT ACMERR_CANCELED = ACMERR_BASE + 3;

// acmMetrics.
constexpr UINT ACM_METRIC_MAX_SIZE_FORMAT = 50;
MMRESULT acmMetrics(HACMOBJ object, UINT metric, LPVOID value);

// acmFormatSuggest: the fields of the destination that must be kept.
constexpr DWORD ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
constexpr DWORD ACM_FORMATSUGGESTF_NCHANNELS = 0x00020000;
constexpr DWORD ACM_FORMATSUGGESTF_NSAMPLESPERSEC = 0x00040000;
constexpr DWORD ACM_FORMATSUGGESTF_WBITSPERSAMPLE = 0x00080000;
constexpr DWORD ACM_FORMATSUGGESTF_TYPEMASK = 0x00FF0000;
// Fills destination with a format that source converts to directly, keeping
// the fields named by flags from destination and taking the others from
// source; ACMERR_NOTPOSSIBLE when there is none.
MMRESULT acmFormatSuggest(HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX destination,
                          DWORD destinationSize, DWORD flags);

// The format chooser. fdwEnum restricts the formats offered, compared with
// pwfxEnum; ACM_FORMATENUMF_CONVERT offers the formats pwfxEnum converts to
// directly.
constexpr DWORD ACM_FORMATENUMF_WFORMATTAG = 0x00010000;
constexpr DWORD ACM_FORMATENUMF_NCHANNELS = 0x00020000;
constexpr DWORD ACM_FORMATENUMF_NSAMPLESPERSEC = 0x00040000;
constexpr DWORD ACM_FORMATENUMF_WBITSPERSAMPLE = 0x00080000;
constexpr DWORD ACM_FORMATENUMF_CONVERT = 0x00100000;
// The chooser opens on the format in pwfx.
constexpr DWORD ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT = 0x00000040;

constexpr int ACMFORMATTAGDETAILS_FORMATTAG_CHARS = 48;
constexpr int ACMFORMATDETAILS_FORMAT_CHARS = 128;

struct ACMFORMATCHOOSE {
  DWORD cbStruct = sizeof(ACMFORMATCHOOSE);
  DWORD fdwStyle = 0;
  HWND hwndOwner = nullptr;
  LPWAVEFORMATEX pwfx = nullptr;  // receives the choice
  DWORD cbwfx = 0;                // bytes at pwfx
  LPCSTR pszTitle = nullptr;
  CHAR szFormatTag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS] = {};  // receives the tag's name
  CHAR szFormat[ACMFORMATDETAILS_FORMAT_CHARS] = {};           // receives the format's description
  DWORD fdwEnum = 0;
  LPWAVEFORMATEX pwfxEnum = nullptr;
};
using LPACMFORMATCHOOSE = ACMFORMATCHOOSE*;

// MMSYSERR_NOERROR with the choice in pwfx, ACMERR_CANCELED when the user
// cancelled, ACMERR_NOTPOSSIBLE when no format fits the restrictions or
// pwfx is too small, MMSYSERR_NOTSUPPORTED when no chooser is installed.
MMRESULT acmFormatChoose(LPACMFORMATCHOOSE choose);
inline constexpr auto& acmFormatChooseA = acmFormatChoose;

// One format the chooser offers.
struct AcmFormatChoice {
  WAVEFORMATEX format;
  CHAR formatTag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS] = {};  // "PCM", "IEEE Float"
  CHAR description[ACMFORMATDETAILS_FORMAT_CHARS] = {};      // "22,050 Hz, 16 Bit, Stereo"
};

// The chooser's dialog. The window layer installs its dialog; tests install
// a script.
class AcmFormatChooserUi {
 public:
  virtual ~AcmFormatChooserUi() = default;
  // The index of the chosen format, or -1 when the user cancelled. initial
  // is the entry to open on.
  virtual int Choose(HWND owner, LPCSTR title, const std::vector<AcmFormatChoice>& choices, int initial) = 0;
};
// Installs ui (null: none); returns the one before.
AcmFormatChooserUi* SetAcmFormatChooserUi(AcmFormatChooserUi* ui);

// The formats a chooser with these restrictions offers, in its order.
std::vector<AcmFormatChoice> AcmFormatChoices(DWORD enumFlags, const WAVEFORMATEX* enumFormat);

// Conversion streams.
constexpr DWORD ACM_STREAMOPENF_QUERY = 0x00000001;
constexpr DWORD ACM_STREAMOPENF_ASYNC = 0x00000002;
constexpr DWORD ACM_STREAMOPENF_NONREALTIME = 0x00000004;

constexpr DWORD ACM_STREAMSIZEF_SOURCE = 0x00000000;
constexpr DWORD ACM_STREAMSIZEF_DESTINATION = 0x00000001;
constexpr DWORD ACM_STREAMSIZEF_QUERYMASK = 0x0000000F;

constexpr DWORD ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
constexpr DWORD ACM_STREAMCONVERTF_START = 0x00000010;
constexpr DWORD ACM_STREAMCONVERTF_END = 0x00000020;

constexpr DWORD ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
constexpr DWORD ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;
constexpr DWORD ACMSTREAMHEADER_STATUSF_INQUEUE = 0x00100000;

struct ACMSTREAMHEADER {
  DWORD cbStruct = sizeof(ACMSTREAMHEADER);
  DWORD fdwStatus = 0;
  DWORD_PTR dwUser = 0;
  LPBYTE pbSrc = nullptr;
  DWORD cbSrcLength = 0;
  DWORD cbSrcLengthUsed = 0;
  DWORD_PTR dwSrcUser = 0;
  LPBYTE pbDst = nullptr;
  DWORD cbDstLength = 0;
  DWORD cbDstLengthUsed = 0;
  DWORD_PTR dwDstUser = 0;
  DWORD dwReservedDriver[10] = {};  // the buffers as prepared
};
using LPACMSTREAMHEADER = ACMSTREAMHEADER*;

// Opens a stream from source to destination (filter must be null). With
// ACM_STREAMOPENF_QUERY only tells whether the driver converts directly:
// MMSYSERR_NOERROR or ACMERR_NOTPOSSIBLE. Streams convert synchronously;
// ACM_STREAMOPENF_ASYNC is refused.
MMRESULT acmStreamOpen(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                       LPWAVEFORMATEX destination, LPVOID filter, DWORD_PTR callback, DWORD_PTR instance,
                       DWORD flags);
MMRESULT acmStreamClose(HACMSTREAM stream, DWORD flags);
// ACM_STREAMSIZEF_SOURCE: input is a source size, output the destination
// size that holds all of its conversion, the end of the stream included.
// ACM_STREAMSIZEF_DESTINATION: input is a destination size, output the
// source size whose conversion it holds; ACMERR_NOTPOSSIBLE when it is too
// small for one source block.
MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, LPDWORD output, DWORD flags);
MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags);
// Converts whole source blocks while the destination has room, and sets
// cbSrcLengthUsed and cbDstLengthUsed. START begins a new stream, END
// drains it (a last partial block is converted as far as it goes).
MMRESULT acmStreamConvert(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags);
