#include "video/velmora_device.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "model/error_codes.h"
#include "model/message_box.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "video/board_messenger.h"
#include "video/velmora_api.h"

VelmoraDevice TheVelmoraDevice;
bool VelmoraDevice::versionAccepted = false;

namespace {

constexpr int32_t kExpectedVersion = 1073;
constexpr int32_t kFifoWanted = 8388608;
constexpr int32_t kFifoLeast = 4194304;
constexpr int32_t kFifoStep = 262144;
constexpr int32_t kKeyFill = 262144;
// Resources: 1 video display, 2 alpha key display, 4 mixer, 5 input window,
// 7 and 9 the playback channel, 8 optional.
constexpr int kVideoResource = 1;
constexpr int kAlphaResource = 2;
constexpr int kMixerResource = 4;
constexpr int kWindowResource = 5;

BoardMessenger* g_messenger = nullptr;

struct Shown {
  int width = 0;
  int height = 0;
  bool operator!=(const Shown& other) const { return width != other.width || height != other.height; }
};

// What each display resource shows: the input window when its bit is set in
// the enabled mask, else the whole output.
void ReadShown(Shown* video, Shown* alpha, int* outWidth, int* outHeight, int* mask, int* ix, int* iy, int* iw,
               int* ih) {
  *mask = VelmoraApi.vdc_input_get_enabled_window();
  VelmoraApi.vdc_input_get_scale(ix, iy, iw, ih);
  int ox = 0, oy = 0;
  VelmoraApi.vdc_output_get_scale(&ox, &oy, outWidth, outHeight);
  *video = (*mask & kBoardVideo) != 0 ? Shown{*iw, *ih} : Shown{*outWidth, *outHeight};
  *alpha = (*mask & kBoardAlpha) != 0 ? Shown{*iw, *ih} : Shown{*outWidth, *outHeight};
}

// The device's set-up and clean-up at program start and end.
struct DeviceStatics {
  DeviceStatics() { VelmoraDevice::StaticSetUp(); }
  ~DeviceStatics() { VelmoraDevice::StaticCleanUp(); }
} theDeviceStatics;

}  // namespace

BoardMessenger* CurrentBoardMessenger() {
  return g_messenger;
}

BoardMessenger* SetBoardMessenger(BoardMessenger* messenger) {
  BoardMessenger* before = g_messenger;
  g_messenger = messenger;
  return before;
}

void VelmoraDevice::StaticSetUp() {
  VelmoraDevice& d = TheVelmoraDevice;
  d.loaded = false;
  d.open = false;
  d.running = false;
  d.registered = 0;
  d.fifo = nullptr;
  d.fifoSize = 0;
  d.clients = 0;
  VelmoraBoardAvailable = InitVelmoraAPIClass::Load();
}

void VelmoraDevice::StaticCleanUp() {
  TheVelmoraDevice.Close();
}

int32_t VelmoraDevice::CheckVersion() {
  loaded = InitVelmoraAPIClass::Load();
  if (!loaded) return kErrNoVideoDevice;
  if (VelmoraApi.vdc_get_version() != kExpectedVersion && !versionAccepted) {
    const int answer = ShowMessage(nullptr, "Load Velmora DLL", MB_OKCANCEL | MB_ICONQUESTION, "%s",
                                   "You have different version of Velmora DLL\nWork anyway?");
    if (answer != IDOK) return kErrCancelled;
  }
  versionAccepted = true;
  loaded = false;
  open = false;
  running = false;
  return 0;
}

int32_t VelmoraDevice::Open(int32_t frameWidth, int32_t frameHeight, int32_t bits, HWND notify) {
  loaded = InitVelmoraAPIClass::Load();
  if (!loaded) return kErrNoVideoDevice;
  auto takeChannel = [] {
    const bool first = VelmoraApi.vdc_register(7) != 0;
    const bool second = VelmoraApi.vdc_register(9) != 0;
    return first && second;
  };
  if (!takeChannel()) {
    // Another instance may hold the board while idle: it gives it up.
    if (g_messenger != nullptr) g_messenger->Broadcast(1, static_cast<int32_t>(kBoardResourcesAsked));
    if (!takeChannel()) return kErrAttachHardware;
  }
  registered = (1u << 7) | (1u << 9);
  if (VelmoraApi.vdc_register(8) != 0) registered |= 1u << 8;
  VelmoraApi.vdc_Stop();
  VelmoraApi.vdc_ReleaseVideoFifo();
  VelmoraApi.vdc_ResetCounter(1, 0);
  open = true;

  int32_t asked = kFifoWanted;
  int granted = asked;
  void* base = VelmoraApi.vdc_AllocVideoFifo(&granted);
  while (base == nullptr && asked > kFifoLeast) {
    Sleep(100);
    asked -= kFifoStep;
    granted = asked;
    base = VelmoraApi.vdc_AllocVideoFifo(&granted);
  }
  if (base == nullptr || granted <= 0) return kErrVideoMemory;
  fifo = static_cast<BYTE*>(base);
  fifoSize = granted;
  return Setup(frameWidth, frameHeight, bits, notify);
}

int32_t VelmoraDevice::Setup(int32_t frameWidth, int32_t frameHeight, int32_t bits, HWND notify) {
  VelmoraApi.vdc_unregister(kVideoResource);
  VelmoraApi.vdc_unregister(kAlphaResource);
  clients = 0;
  registered &= ~(kBoardVideo | kBoardAlpha);
  width = frameWidth;
  height = frameHeight;
  bitCount = bits;
  fieldAlphaSize = frameWidth * (frameHeight / 2);
  if (frameWidth % 16 != 0 || frameHeight % 16 != 0) return kErrVideoResolution;

  if (VelmoraApi.vdc_register(kVideoResource) != 0) {
    clients |= kBoardVideo;
    registered |= kBoardVideo;
  }
  if (bits == 32 && VelmoraApi.vdc_register(kAlphaResource) != 0) {
    clients |= kBoardAlpha;
    registered |= kBoardAlpha;
  }
  if (clients == 0) return kErrAttachHardware;

  Shown videoBefore, alphaBefore;
  int mask = 0, ix = 0, iy = 0, iw = 0, ih = 0, ow = 0, oh = 0;
  ReadShown(&videoBefore, &alphaBefore, &ow, &oh, &mask, &ix, &iy, &iw, &ih);

  if (ow == frameWidth && oh == frameHeight) {
    VelmoraApi.vdc_input_set_enabled_window(static_cast<int>(clients), 0);
  } else if (iw == frameWidth && ih == frameHeight) {
    VelmoraApi.vdc_input_set_enabled_window(static_cast<int>(clients), 1);
  } else if (VelmoraApi.vdc_register(kWindowResource) == 0) {
    clients &= ~kBoardAlpha;
    if (clients == 0) return kErrAttachHardware;
    VelmoraApi.vdc_input_set_enabled_window(static_cast<int>(clients), 0);
  } else {
    int x, y;
    if ((mask & kBoardVideo) != 0) {
      // Centred on the window shown so far, kept inside the output.
      x = ix + (iw - frameWidth) / 2;
      y = iy + (ih - frameHeight) / 2;
      if (x < 0) x = 0;
      if (x + frameWidth > ow) x = ow - frameWidth;
      if (y < 0) y = 0;
      if (y + frameHeight > oh) y = oh - frameHeight;
    } else {
      x = (ow - frameWidth) / 2;
      y = (oh - frameHeight) / 2;
    }
    VelmoraApi.vdc_input_set_enabled_window(static_cast<int>(clients), 1);
    VelmoraApi.vdc_input_set_scale(x & ~1, y & ~1, frameWidth, frameHeight);
    VelmoraApi.vdc_unregister(kWindowResource);
  }

  Shown videoAfter, alphaAfter;
  ReadShown(&videoAfter, &alphaAfter, &ow, &oh, &mask, &ix, &iy, &iw, &ih);
  if (alphaAfter != alphaBefore && (clients & kBoardAlpha) != 0) {
    // The key starts fully opaque.
    std::unique_ptr<BYTE[]> fill(new (std::nothrow) BYTE[kKeyFill]);
    if (!fill) return kErrNoMemory;
    std::fill_n(fill.get(), kKeyFill, BYTE{0xFF});
    VelmoraApi.vdc_put_alpha(fill.get(), fill.get(), kKeyFill);
  }
  if (videoAfter != videoBefore && notify != nullptr) PostMessage(notify, WM_USER + 99, 11, 0);
  return 0;
}

int32_t VelmoraDevice::SetFormat(const BITMAPINFOHEADER& header, float fps) {
  if (!loaded || !open) return kErrAttachHardware;
  if (VelmoraApi.vdc_GetState() != 0) {
    VelmoraApi.vdc_Stop();
    running = false;
  }
  const int rate = static_cast<int>(fps * 1000.0 + 0.499);
  const int32_t w = header.biWidth;
  const int32_t h = std::abs(header.biHeight);
  if (clients == 0 || w != width || h != height) {
    if (const int32_t code = Setup(w, h, header.biBitCount, nullptr); code != 0) return code;
  }
  if (VelmoraApi.vdc_SetFormat(width, height, rate, 1000) == 0) return kErrVideoResolution;
  VelmoraApi.vdc_Pause();
  running = false;
  lastFrameId = 0;
  return 0;
}

void VelmoraDevice::SetupMixer() {
  if (VelmoraApi.vdc_register(kMixerResource) == 0) return;
  if ((clients & kBoardAlpha) != 0) {
    VelmoraApi.vdc_mixer_alpha_set(0);
    VelmoraApi.vdc_mixer_blender_set(2);
  } else {
    VelmoraApi.vdc_mixer_blender_set(1);
  }
  VelmoraApi.vdc_unregister(kMixerResource);
}

void VelmoraDevice::Run() {
  if (!Unlocked()) return;
  SetupMixer();
  VelmoraApi.vdc_Run();
  running = true;
}

void VelmoraDevice::Pause() {
  if (!Unlocked()) return;
  VelmoraApi.vdc_Pause();
  running = false;
}

void VelmoraDevice::Stop() {
  if (!Unlocked()) return;
  VelmoraApi.vdc_Stop();
  running = false;
}

void VelmoraDevice::Flush() {
  if (Unlocked()) VelmoraApi.vdc_Flush();
}

void VelmoraDevice::FlushTail() {
  if (Unlocked()) VelmoraApi.vdc_FlushTail();
}

void VelmoraDevice::ResetCounter(int32_t first) {
  if (Unlocked()) VelmoraApi.vdc_ResetCounter(1, first);
}

int32_t VelmoraDevice::GetFrameNumber() {
  return loaded ? VelmoraApi.vdc_GetFrameNumber() : -1;
}

int32_t VelmoraDevice::GetLastFrameNumber() {
  return loaded && running ? VelmoraApi.vdc_GetLastFrameNumber() : -1;
}

int32_t VelmoraDevice::GetTime() {
  return loaded ? VelmoraApi.vdc_GetTime() : -1;
}

void VelmoraDevice::Close() {
  if (loaded) {
    if (open) {
      VelmoraApi.vdc_Stop();
      VelmoraApi.vdc_ReleaseVideoFifo();
      fifo = nullptr;
      fifoSize = 0;
    }
    VelmoraApi.vdc_unregister_all();
    clients = 0;
    if (g_messenger != nullptr) g_messenger->Broadcast(2, static_cast<int32_t>(registered));
    registered = 0;
  }
  loaded = false;
  open = false;
  running = false;
}
