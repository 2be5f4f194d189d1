// The media control interface: a media file opened as a device and played
// while the caller goes on, with a notice when the play ends. The device is
// picked by the file's type: "waveaudio" for sound files, "avivideo" for
// films (its pictures in a popup window of its own, its sound beside them),
// "sequencer" for standard MIDI files.
//
// Files are decoded with FFmpeg; sound goes to the wave output (the mapper)
// and MIDI to a MIDI stream; each picture is shown when the sound (or, for a
// film without sound, the clock of platform/core) reaches it, so a driven
// clock or the virtual sound device drives a play in tests.
//
// Commands: MCI_OPEN (MCI_OPEN_ELEMENT, optionally MCI_OPEN_TYPE, and for
// films MCI_ANIM_OPEN_WS / MCI_ANIM_OPEN_PARENT), MCI_PLAY (with
// MCI_NOTIFY), MCI_STOP and MCI_CLOSE. A play started with MCI_NOTIFY ends
// with MM_MCINOTIFY posted to the callback window: wParam the notice
// (successful, failure, or aborted by a stop or close, or superseded by the
// next play) and lParam the device id. Device ids are never handed out
// twice in a run, so a late notice can always be told from the devices open
// now.
#pragma once

#include "platform/core/types.h"

using MCIERROR = DWORD;
using MCIDEVICEID = UINT;

// Commands.
constexpr UINT MCI_OPEN = 0x0803;
constexpr UINT MCI_CLOSE = 0x0804;
constexpr UINT MCI_PLAY = 0x0806;
constexpr UINT MCI_STOP = 0x0808;

// Flags of every command.
constexpr DWORD MCI_NOTIFY = 0x00000001;
constexpr DWORD MCI_WAIT = 0x00000002;
// MCI_OPEN.
constexpr DWORD MCI_OPEN_SHAREABLE = 0x00000100;
constexpr DWORD MCI_OPEN_ELEMENT = 0x00000200;
constexpr DWORD MCI_OPEN_ALIAS = 0x00000400;
constexpr DWORD MCI_OPEN_TYPE = 0x00002000;
constexpr DWORD MCI_ANIM_OPEN_WS = 0x00010000;
constexpr DWORD MCI_ANIM_OPEN_PARENT = 0x00020000;
// MCI_PLAY of a film: in its window (the only place a film plays here).
constexpr DWORD MCI_MCIAVI_PLAY_WINDOW = 0x01000000;

// The notice.
constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;
constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 0x0002;
constexpr WPARAM MCI_NOTIFY_ABORTED = 0x0004;
constexpr WPARAM MCI_NOTIFY_FAILURE = 0x0008;

// Results.
constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = MCIERR_BASE + 8;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = MCIERR_BASE + 25;
constexpr MCIERROR MCIERR_FLAGS_NOT_COMPATIBLE = MCIERR_BASE + 28;
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;
constexpr MCIERROR MCIERR_WAVE_OUTPUTSINUSE = MCIERR_BASE + 64;
constexpr MCIERROR MCIERR_SEQ_PORT_INUSE = MCIERR_BASE + 80;

// The parameter records; every one starts with the callback window
// (an HWND in a DWORD_PTR).
struct MCI_GENERIC_PARMS {
  DWORD_PTR dwCallback = 0;
};

struct MCI_OPEN_PARMS {
  DWORD_PTR dwCallback = 0;
  MCIDEVICEID wDeviceID = 0;  // out
  LPCSTR lpstrDeviceType = nullptr;
  LPCSTR lpstrElementName = nullptr;
  LPCSTR lpstrAlias = nullptr;
};

// MCI_OPEN of a film: the style of its window and the window's owner.
struct MCI_ANIM_OPEN_PARMS {
  DWORD_PTR dwCallback = 0;
  MCIDEVICEID wDeviceID = 0;  // out
  LPCSTR lpstrDeviceType = nullptr;
  LPCSTR lpstrElementName = nullptr;
  LPCSTR lpstrAlias = nullptr;
  DWORD dwStyle = 0;
  HWND hWndParent = nullptr;
};

struct MCI_PLAY_PARMS {
  DWORD_PTR dwCallback = 0;
  DWORD dwFrom = 0;  // not used: a play starts where the device stands
  DWORD dwTo = 0;
};

// Sends a command to a device; 0 on success, else an MCIERR_ code. Call it
// from the thread that made the callback window (films' windows belong to
// the thread that opened them).
MCIERROR mciSendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);

// The MIDI output that the sequencer plays on (the MIDI mapper until set),
// as the system's MIDI settings would choose it.
void mciSetSequencerPort(UINT midiDevice);

// The class of the films' windows.
constexpr char kMciVideoWindowClass[] = "MCIVideoWindow";
