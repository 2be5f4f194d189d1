#include "platform/components/effects/common/effect_component.h"

#include <vector>

namespace {
std::atomic<long> live_objects{0};
std::atomic<long> module_locks{0};
}  // namespace

void ModuleObjectCreated() {
  ++live_objects;
}
void ModuleObjectDestroyed() {
  --live_objects;
}
void ModuleLock(bool lock) {
  if (lock)
    ++module_locks;
  else
    --module_locks;
}
HRESULT ModuleCanUnloadNow() {
  return live_objects == 0 && module_locks == 0 ? S_OK : S_FALSE;
}

EffectComponent::EffectComponent() {
  ModuleObjectCreated();
}

EffectComponent::~EffectComponent() {
  if (settings_) settings_->Close();
  ModuleObjectDestroyed();
}

HRESULT EffectComponent::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAudioEffect)) {
    *object = static_cast<IAudioEffect*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG EffectComponent::AddRef() {
  return ++references_;
}

ULONG EffectComponent::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

BOOL EffectComponent::Initialize() {
  std::lock_guard<std::mutex> hold(lock_);
  Configure();
  ClearMemory();
  return TRUE;
}

HWND EffectComponent::ShowSettings(HWND parent) {
  if (!settings_) settings_ = CreateSettingsWindow();
  return settings_ ? settings_->Show(parent) : nullptr;
}

BOOL EffectComponent::HasSettings() {
  if (settings_) return TRUE;
  // Asking the seam is cheap: without the window layer it makes nothing.
  settings_ = CreateSettingsWindow();
  return settings_ != nullptr;
}

HRESULT EffectComponent::CloseSettings() {
  if (settings_) settings_->Close();
  return S_OK;
}

HRESULT EffectComponent::SetFormat(DWORD sampleRate, DWORD channels) {
  if (sampleRate < kMinRate || sampleRate > kMaxRate || channels < 1 || channels > kMaxChannels)
    return E_INVALIDARG;
  std::lock_guard<std::mutex> hold(lock_);
  if (sampleRate == rate_ && channels == channels_) return S_OK;
  rate_ = sampleRate;
  channels_ = channels;
  Configure();
  return S_OK;
}

HRESULT EffectComponent::SetQuality(LONG level) {
  std::lock_guard<std::mutex> hold(lock_);
  quality_ = level;
  return S_OK;
}

HRESULT EffectComponent::Process(SampleBlock* sampleBlock) {
  if (sampleBlock == nullptr) return E_POINTER;
  EffectBlock* block = EffectBlockOf(sampleBlock);
  if (bypassed_) return S_FALSE;
  LONG frames = block->held;
  if (block->capacity > 0 && frames > block->capacity) frames = block->capacity;
  if (frames <= 0) return S_OK;
  if (block->data == nullptr) return E_POINTER;
  // Only float blocks: 32 bits per sample (or a block that does not say).
  if (block->format.wBitsPerSample != 0 && block->format.wBitsPerSample != 32) return E_INVALIDARG;
  DWORD channels = block->format.nChannels != 0 ? block->format.nChannels : channels_;
  DWORD rate = block->format.nSamplesPerSec != 0 ? block->format.nSamplesPerSec : rate_;
  if (channels > kMaxChannels || rate < kMinRate || rate > kMaxRate) return E_INVALIDARG;

  std::lock_guard<std::mutex> hold(lock_);
  // The block is the truth about its own layout.
  if (channels != channels_ || rate != rate_) {
    channels_ = channels;
    rate_ = rate;
    Configure();
  }
  ProcessFrames(static_cast<float*>(block->data), frames);
  return S_OK;
}

HRESULT EffectComponent::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  ClearMemory();
  return S_OK;
}

HRESULT EffectComponent::SetId(DWORD id) {
  id_ = id;
  return S_OK;
}

DWORD EffectComponent::GetId() {
  return id_;
}

HRESULT EffectComponent::SetBypass(BOOL bypass) {
  bypassed_ = bypass != FALSE;
  return S_OK;
}

BOOL EffectComponent::IsBypassed() {
  return bypassed_ ? TRUE : FALSE;
}

LONG EffectComponent::GetStateSize(DWORD) {
  std::lock_guard<std::mutex> hold(lock_);
  return StateSize();
}

BOOL EffectComponent::SaveState(LPVOID buffer, LONG size) {
  std::lock_guard<std::mutex> hold(lock_);
  if (buffer == nullptr || size != StateSize()) return FALSE;
  EncodeState(static_cast<BYTE*>(buffer));
  return TRUE;
}

BOOL EffectComponent::LoadState(LPCVOID buffer, LONG size) {
  if (buffer == nullptr || size <= 0) return FALSE;
  std::lock_guard<std::mutex> hold(lock_);
  if (!DecodeState(static_cast<const BYTE*>(buffer), size)) return FALSE;
  Configure();
  return TRUE;
}
