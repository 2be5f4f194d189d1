// What every effect component of ours shares: reference counting and the
// module's object count, the id and bypass flag, the block checks, the
// format, and the settings window. Each component module compiles its
// own copy (symbols hidden), so modules share no state.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/components/audio_effect.h"
#include "platform/components/effects/common/effect_block.h"
#include "platform/components/window_services.h"

#define KOBRIX_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

// Live objects and server locks of this module; DllCanUnloadNow is S_OK only
// when both are 0.
void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock(bool lock);
HRESULT ModuleCanUnloadNow();

// The program's window functions as it gave them to this module; null
// before it did, or when its table is one this module cannot use.
const KobrixWindowServices* ModuleWindowServices();

// A component's settings window.
class EffectSettingsWindow {
 public:
  virtual ~EffectSettingsWindow() = default;
  // Opens the window over parent (or brings it up); null when it cannot.
  virtual HWND Show(HWND parent) = 0;
  virtual void Close() = 0;
  // The settings changed from outside (a state was loaded): show them.
  virtual void Refresh() = 0;
};

// One setting in a settings window: a label, a trackbar and an edit.
struct EffectSettingRow {
  const char* label;
  float* value;  // the component's own setting
  float min;
  float max;
  int steps;         // trackbar positions from min to max
  int decimals;      // digits after the point, in the edit and in what a move sets
  bool logarithmic;  // the trackbar moves on a log scale (min > 0)
};

class EffectComponent;

// A settings window of labelled trackbar and edit rows over the program's
// window functions. Each change goes to the component under its lock and
// sends the parent kEffectChangedMessage (1, the component's id). Null
// without the program's window functions.
std::unique_ptr<EffectSettingsWindow> MakeRowSettingsWindow(EffectComponent* owner, const char* className,
                                                            const char* title,
                                                            std::vector<EffectSettingRow> rows);

class EffectComponent : public IAudioEffect {
 public:
  // Blocks with more channels are refused.
  static constexpr DWORD kMaxChannels = 8;
  static constexpr DWORD kMinRate = 1000;
  static constexpr DWORD kMaxRate = 384000;

  EffectComponent();
  EffectComponent(const EffectComponent&) = delete;
  EffectComponent& operator=(const EffectComponent&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  BOOL Initialize() override;
  HWND ShowSettings(HWND parent) override;
  BOOL HasSettings() override;
  HRESULT CloseSettings() override;
  HRESULT SetFormat(DWORD sampleRate, DWORD channels) override;
  HRESULT SetQuality(LONG level) override;
  HRESULT Process(SampleBlock* block) override;
  HRESULT Reset() override;
  HRESULT SetId(DWORD id) override;
  DWORD GetId() override;
  HRESULT SetBypass(BOOL bypass) override;
  BOOL IsBypassed() override;

  LONG GetStateSize(DWORD reserved) override;
  BOOL SaveState(LPVOID buffer, LONG size) override;
  BOOL LoadState(LPCVOID buffer, LONG size) override;

 protected:
  virtual ~EffectComponent();

  // The parts each effect supplies, called under the component's lock.
  virtual LONG StateSize() const = 0;
  virtual void EncodeState(BYTE* out) const = 0;
  // False when the bytes are no state of this effect (nothing changes then).
  virtual bool DecodeState(const BYTE* in, LONG size) = 0;
  // The settings, rate or channel count changed: recompute, and clear the
  // memories whose shape changes with them.
  virtual void Configure() = 0;
  virtual void ClearMemory() = 0;
  virtual void ProcessFrames(float* samples, LONG frames) = 0;
  // The effect's settings window (MakeRowSettingsWindow); none by default.
  virtual std::unique_ptr<EffectSettingsWindow> CreateSettingsWindow() { return nullptr; }

  DWORD rate_ = 44100;
  DWORD channels_ = 2;
  LONG quality_ = kEffectQualityRealTime;

 private:
  friend class RowSettingsWindow;
  // A setting as the settings window reads and changes it: under the lock,
  // and a change reconfigures the effect.
  float ReadSetting(const float* setting);
  void ChangeSetting(float* setting, float value);

  std::atomic<ULONG> references_{1};
  std::mutex lock_;  // settings against processing: the mixer thread and the main thread
  DWORD id_ = 0;
  std::atomic<bool> bypassed_{false};
  std::unique_ptr<EffectSettingsWindow> settings_;
};

// The class object of a module with one component class T.
template <class T>
class EffectClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The class object lives as long as the module; its references count as
  // locks on the module.
  ULONG AddRef() override {
    ModuleLock(true);
    return 2;
  }
  ULONG Release() override {
    ModuleLock(false);
    return 1;
  }
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    T* created = new (std::nothrow) T;
    if (created == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();  // the caller's reference is the one QueryInterface added
    return hr;
  }
  HRESULT LockServer(BOOL lock) override {
    ModuleLock(lock != FALSE);
    return S_OK;
  }
};

// DllGetClassObject of a module whose one class is clsidServed.
template <class T>
HRESULT GetEffectClassObject(REFCLSID clsidServed, REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, clsidServed)) return CLASS_E_CLASSNOTAVAILABLE;
  static EffectClassFactory<T> factory;
  return factory.QueryInterface(iid, object);
}
