// MIDI out: a list of output devices (the mapper first, standing for the
// built-in synthesiser), and streams of timed MIDI messages played on one of
// them. A stream takes buffers of records {delta ticks, 0, event} (and the
// bytes of a long message after its record), plays each record when its
// time comes on the clock of platform/core (so a driven clock drives it
// too), and hands every buffer back with MM_MOM_DONE once it has played.
//
// The devices: the General MIDI synthesiser, heard through the wave output
// (wave.h); the virtual devices of virtual_midi.h while the wave back-end is
// the virtual one; the ports of the ALSA sequencer for outside synthesisers.
//
// The functions have C names so that a tool library loaded by the program
// finds the program's own (see platform/midistrm).
#pragma once

#include "platform/audio/wave.h"

DECLARE_HANDLE(HMIDIOUT);
DECLARE_HANDLE(HMIDISTRM);
using LPHMIDIOUT = HMIDIOUT*;
using LPHMIDISTRM = HMIDISTRM*;

constexpr UINT MIDI_MAPPER = 0xFFFFFFFFu;

// Results beyond the shared MMSYSERR_* codes.
constexpr MMRESULT MIDIERR_BASE = 64;
constexpr MMRESULT MIDIERR_UNPREPARED = MIDIERR_BASE + 0;
constexpr MMRESULT MIDIERR_STILLPLAYING = MIDIERR_BASE + 1;
constexpr MMRESULT MIDIERR_NOMAP = MIDIERR_BASE + 2;
constexpr MMRESULT MIDIERR_NOTREADY = MIDIERR_BASE + 3;
constexpr MMRESULT MIDIERR_NODEVICE = MIDIERR_BASE + 4;
constexpr MMRESULT MIDIERR_INVALIDSETUP = MIDIERR_BASE + 5;
constexpr MMRESULT MIDIERR_BADOPENMODE = MIDIERR_BASE + 6;
constexpr MMRESULT MIDIERR_DONT_CONTINUE = MIDIERR_BASE + 7;
constexpr MMRESULT MIDIERR_LASTERROR = MIDIERR_BASE + 7;

// Device kinds (wTechnology) and abilities (dwSupport).
constexpr WORD MOD_MIDIPORT = 1;
constexpr WORD MOD_SYNTH = 2;
constexpr WORD MOD_MAPPER = 5;
constexpr WORD MOD_SWSYNTH = 7;
constexpr DWORD MIDICAPS_VOLUME = 0x0001;
constexpr DWORD MIDICAPS_LRVOLUME = 0x0002;
constexpr DWORD MIDICAPS_CACHE = 0x0004;
constexpr DWORD MIDICAPS_STREAM = 0x0008;

struct MIDIOUTCAPS {
  WORD wMid = 0;
  WORD wPid = 0;
  MMVERSION vDriverVersion = 0;
  CHAR szPname[MAXPNAMELEN] = {};
  WORD wTechnology = 0;
  WORD wVoices = 0;
  WORD wNotes = 0;
  WORD wChannelMask = 0;
  DWORD dwSupport = 0;
};
using LPMIDIOUTCAPS = MIDIOUTCAPS*;

// A buffer handed to a stream. The stream owns it from midiStreamOut until
// it sets MHDR_DONE; dwBytesRecorded says how much of it holds records.
struct MIDIHDR {
  LPSTR lpData = nullptr;
  DWORD dwBufferLength = 0;
  DWORD dwBytesRecorded = 0;
  DWORD_PTR dwUser = 0;
  DWORD dwFlags = 0;
  MIDIHDR* lpNext = nullptr;
  DWORD_PTR reserved = 0;
  DWORD dwOffset = 0;  // the stream's read place
  DWORD_PTR dwReserved[8] = {};
};
using LPMIDIHDR = MIDIHDR*;

constexpr DWORD MHDR_DONE = 0x00000001;
constexpr DWORD MHDR_PREPARED = 0x00000002;
constexpr DWORD MHDR_INQUEUE = 0x00000004;
constexpr DWORD MHDR_ISSTRM = 0x00000008;

// One record of a stream buffer; a long message's bytes follow it, padded
// to a multiple of 4.
struct MIDIEVENT {
  DWORD dwDeltaTime = 0;
  DWORD dwStreamID = 0;
  DWORD dwEvent = 0;
};
constexpr DWORD kMidiEventBytes = 12;

// The top byte of dwEvent: flags and the kind; the low 24 bits: the message
// (a short one packed status | data1 << 8 | data2 << 16), the tempo, or the
// byte count of a long message.
constexpr DWORD MEVT_F_SHORT = 0x00000000;
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr BYTE MEVT_SHORTMSG = 0x00;
constexpr BYTE MEVT_TEMPO = 0x01;
constexpr BYTE MEVT_NOP = 0x02;
constexpr BYTE MEVT_LONGMSG = 0x80;
constexpr DWORD MEVT_EVENTTYPE(DWORD event) {
  return (event >> 24) & 0xFF;
}
constexpr DWORD MEVT_EVENTPARM(DWORD event) {
  return event & 0x00FFFFFF;
}

// midiStreamProperty: the record for either property is {its size, value}.
constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_GET = 0x40000000;
constexpr DWORD MIDIPROP_TIMEDIV = 0x00000001;
constexpr DWORD MIDIPROP_TEMPO = 0x00000002;
struct MIDIPROPTIMEDIV {
  DWORD cbStruct = sizeof(MIDIPROPTIMEDIV);
  DWORD dwTimeDiv = 0;  // ticks per quarter note
};
struct MIDIPROPTEMPO {
  DWORD cbStruct = sizeof(MIDIPROPTEMPO);
  DWORD dwTempo = 0;  // microseconds per quarter note
};

// Notices, sent as the wave notices are (wave.h): wParam the stream handle,
// lParam the buffer for MM_MOM_DONE. Streams take CALLBACK_NULL,
// CALLBACK_WINDOW, CALLBACK_THREAD or CALLBACK_EVENT.
constexpr UINT MM_MOM_OPEN = 0x3C7;
constexpr UINT MM_MOM_CLOSE = 0x3C8;
constexpr UINT MM_MOM_DONE = 0x3C9;
constexpr UINT MOM_OPEN = MM_MOM_OPEN;
constexpr UINT MOM_CLOSE = MM_MOM_CLOSE;
constexpr UINT MOM_DONE = MM_MOM_DONE;

extern "C" {

UINT midiOutGetNumDevs();
// deviceId: a device number or MIDI_MAPPER.
MMRESULT midiOutGetDevCaps(UINT_PTR deviceId, LPMIDIOUTCAPS caps, UINT capsSize);
MMRESULT midiOutGetErrorText(MMRESULT error, LPSTR text, UINT textSize);
// A stream handle serves as the out handle of its buffers.
MMRESULT midiOutPrepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize);
MMRESULT midiOutUnprepareHeader(HMIDIOUT out, LPMIDIHDR header, UINT headerSize);

// Opens a stream, paused, at 96 ticks per quarter note and 500,000 us per
// quarter note. midiCount must be 1; *deviceId a device number or MIDI_MAPPER.
MMRESULT midiStreamOpen(LPHMIDISTRM stream, UINT* deviceId, DWORD midiCount, DWORD_PTR callback,
                        DWORD_PTR instance, DWORD flags);
// Hands back what is still queued, silences the device and closes it.
MMRESULT midiStreamClose(HMIDISTRM stream);
MMRESULT midiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT headerSize);
// Starts (or goes on) playing.
MMRESULT midiStreamRestart(HMIDISTRM stream);
// Stops playing, silences the device, hands back every queued buffer and
// sets the position back to 0.
MMRESULT midiStreamStop(HMIDISTRM stream);
// TIME_MS: the time played since the start; TIME_TICKS: the ticks played.
// Other units are answered in ms, as the type says.
MMRESULT midiStreamPosition(HMIDISTRM stream, LPMMTIME time, UINT timeSize);
// Sets or gets the time division or the tempo (MIDIPROP_* flags).
MMRESULT midiStreamProperty(HMIDISTRM stream, LPBYTE property, DWORD flags);

}  // extern "C"
