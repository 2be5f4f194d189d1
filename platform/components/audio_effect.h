// The interface of the audio effect components: an effect works in place on
// blocks of 32-bit float samples (interleaved frames, full scale ±32768.0)
// described by the program's SampleBlock record.
#pragma once

#include "platform/components/com.h"
#include "platform/core/types.h"

// The program's block descriptor; components see its layout through
// platform/components/effects/common/effect_block.h.
struct SampleBlock;

// {7EC0C980-E8B3-11D0-B689-0040F600D847}
inline constexpr IID IID_IAudioEffect{
    0x7EC0C980, 0xE8B3, 0x11D0, {0xB6, 0x89, 0x00, 0x40, 0xF6, 0x00, 0xD8, 0x47}};

// The program id of every effect component of ours begins with this.
inline constexpr char kEffectProgIdPrefix[] = "KOBRIX.";

// Quality levels the program passes to SetQuality.
constexpr LONG kEffectQualityRealTime = 0;
constexpr LONG kEffectQualityFinal = 2;

// The message a settings window sends its parent when the user changed the
// effect: wParam 1, lParam the id given with SetId.
constexpr UINT kEffectChangedMessage = 2025;

class IAudioEffect : public IUnknown {
 public:
  // Nonzero when the component is usable.
  virtual BOOL Initialize() = 0;
  // Bytes of the saved state; reserved is 0. Below 1: no state.
  virtual LONG GetStateSize(DWORD reserved) = 0;
  // Nonzero on success; size must be the state size.
  virtual BOOL SaveState(LPVOID buffer, LONG size) = 0;
  // Nonzero on success; a state the component cannot take leaves it as it was.
  virtual BOOL LoadState(LPCVOID buffer, LONG size) = 0;
  // Opens the component's settings window over parent; null when it has none.
  virtual HWND ShowSettings(HWND parent) = 0;
  // Nonzero when the component has a settings window.
  virtual BOOL HasSettings() = 0;
  virtual HRESULT CloseSettings() = 0;
  // The rate and channel count of the blocks to come.
  virtual HRESULT SetFormat(DWORD sampleRate, DWORD channels) = 0;
  virtual HRESULT SetQuality(LONG level) = 0;
  // Processes the block's held frames in place.
  virtual HRESULT Process(SampleBlock* block) = 0;
  // Forgets the sound heard so far (delay lines, filter memories).
  virtual HRESULT Reset() = 0;
  virtual HRESULT SetId(DWORD id) = 0;
  virtual DWORD GetId() = 0;
  virtual HRESULT SetBypass(BOOL bypass) = 0;
  // Nonzero when bypassed: Process leaves blocks as they are.
  virtual BOOL IsBypassed() = 0;

 protected:
  ~IAudioEffect() = default;
};
