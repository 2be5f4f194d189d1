// The open chooser of media clips: beside the file list it tells what the
// selected file holds (video codec, frame rate and size, audio format,
// length), plays it on request or on every new selection while the chooser
// stays open, and sends it to the clip collection with Add without closing.
#pragma once

#include <memory>
#include <string>

#include "platform/classlib/controls.h"
#include "platform/mci/mci.h"
#include "ui/te_file_dialogs.h"

// The program-wide auto-preview setting (the main frame keeps it in the INI
// file); each dialog shows it and stores its box back when a file is chosen.
bool& AutoPreview();

// The media kind of a path by the first four characters of its extension:
// 2 audio (".wav", ".aif", ".afc"), 4 MIDI (".mid"), 1 video (".avi",
// ".mov"), 0 a film of the sibling video product (".mrv"), -1 anything else.
int ClipKind(const char* path);

// What the dialog tells of a file: its format and length, or "" when the
// file cannot be described.
std::string ClipInfoText(const char* path);

// One preview through the media control interface.
class MCIPlay {
 public:
  static constexpr MCIDEVICEID kNoDevice = 0xFFFFFFFF;

  // window: gets the end-of-play notice, and owns a film's window.
  explicit MCIPlay(HWND window);
  ~MCIPlay();
  MCIPlay(const MCIPlay&) = delete;
  MCIPlay& operator=(const MCIPlay&) = delete;

  // Opens path and plays it (a kind with its lowest bit set opens as a film
  // in a popup window of its own); false when it cannot.
  bool Play(const char* path, int kind);
  void Close();
  // The end-of-play notice: true when it ends the play now open (which
  // closes); a late notice of a device closed before changes nothing.
  bool Notify(WPARAM flags, LPARAM device);
  MCIDEVICEID Device() const { return device; }

 private:
  MCIDEVICEID device = kNoDevice;
  HWND window;
};

class TClipOpenDialog : public TEFileOpenDialog {
 public:
  // addTarget: the window that Add sends the selected file to (WM_USER+83
  // with the path); null hides Add.
  TClipOpenDialog(TWindow* parent, FileData& data, HWND addTarget);
  ~TClipOpenDialog() override;
  void SetupWindow() override;
  void CleanupWindow() override;

 protected:
  bool DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CmPreview();
  void CmAdd();
  LRESULT EvMciNotify(WPARAM flags, LPARAM device);

 private:
  // The chooser's current path into path; false (and an empty path) when
  // there is none that fits.
  bool TakeCurrentPath();
  void ShowClipInfo(bool play);
  void StopPreview();

  bool previewIdle = true;
  char path[MAX_PATH] = {};
  HWND addTarget;
  TCheckBox* autoPreview;
  std::unique_ptr<MCIPlay> player;
  TButton* preview;
  TButton* add;
  TStatic* info;

  DECLARE_RESPONSE_TABLE(TClipOpenDialog);
};

// The clip collection's add-file request: lParam the path.
constexpr UINT kAddFileRequest = WM_USER + 83;
