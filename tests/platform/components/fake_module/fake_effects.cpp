// A component module for the tests: effects whose behaviour shows what the
// program did with them.
//   Offset      adds its state (a float, default 1) to every sample, so the
//               order of a chain shows in the block; it records the format
//               it was given.
//   FailInit    refuses to initialise.
//   RefuseState has a state it will neither save nor load.
#include <cstring>
#include <new>

#include "platform/components/audio_effect.h"
#include "platform/components/effects/common/effect_block.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// {F0000000-0000-0000-0000-00000000000x}
constexpr CLSID kOffset{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
constexpr CLSID kFailInit{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
constexpr CLSID kRefuseState{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};

long created = 0;
long alive = 0;
DWORD last_rate = 0;
DWORD last_channels = 0;

class FakeEffect final : public IAudioEffect {
 public:
  explicit FakeEffect(int kind) : kind_(kind) {
    ++created;
    ++alive;
  }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAudioEffect)) {
      *object = static_cast<IAudioEffect*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) {
      --alive;
      delete this;
    }
    return left;
  }
  BOOL Initialize() override { return kind_ != 2; }
  LONG GetStateSize(DWORD) override { return 4; }
  BOOL SaveState(LPVOID buffer, LONG size) override {
    if (kind_ == 3 || size != 4) return FALSE;
    std::memcpy(buffer, &offset_, 4);
    return TRUE;
  }
  BOOL LoadState(LPCVOID buffer, LONG size) override {
    if (kind_ == 3 || size != 4) return FALSE;
    std::memcpy(&offset_, buffer, 4);
    return TRUE;
  }
  HWND ShowSettings(HWND) override { return nullptr; }
  BOOL HasSettings() override { return FALSE; }
  HRESULT CloseSettings() override { return S_OK; }
  HRESULT SetFormat(DWORD rate, DWORD channels) override {
    last_rate = rate;
    last_channels = channels;
    return S_OK;
  }
  HRESULT SetQuality(LONG level) override {
    quality_ = level;
    return S_OK;
  }
  HRESULT Process(SampleBlock* sampleBlock) override {
    EffectBlock* block = EffectBlockOf(sampleBlock);
    const WORD channels = block->format.nChannels != 0 ? block->format.nChannels : 1;
    float* s = static_cast<float*>(block->data);
    for (LONG i = 0; i < block->held * channels; ++i) s[i] += offset_;
    return S_OK;
  }
  HRESULT Reset() override {
    ++resets_;
    return S_OK;
  }
  HRESULT SetId(DWORD id) override {
    id_ = id;
    return S_OK;
  }
  // The id doubles as a probe: 0xFFFFFFFF asks for the reset count, 0xFFFFFFFE for the quality.
  DWORD GetId() override {
    if (id_ == 0xFFFFFFFFu) return resets_;
    if (id_ == 0xFFFFFFFEu) return static_cast<DWORD>(quality_);
    return id_;
  }
  HRESULT SetBypass(BOOL) override { return S_OK; }
  BOOL IsBypassed() override { return FALSE; }

 private:
  ~FakeEffect() = default;
  int kind_;
  ULONG refs_ = 1;
  float offset_ = 1.0f;
  DWORD id_ = 0;
  DWORD resets_ = 0;
  LONG quality_ = -1;
};

class Factory final : public IClassFactory {
 public:
  explicit Factory(int kind) : kind_(kind) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* effect = new FakeEffect(kind_);
    HRESULT hr = effect->QueryInterface(iid, object);
    effect->Release();
    return hr;
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  int kind_;
};

Factory offset_factory(1);
Factory fail_init_factory(2);
Factory refuse_state_factory(3);

}  // namespace

FAKE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  Factory* factory = IsEqualCLSID(clsid, kOffset)        ? &offset_factory
                     : IsEqualCLSID(clsid, kFailInit)    ? &fail_init_factory
                     : IsEqualCLSID(clsid, kRefuseState) ? &refuse_state_factory
                                                         : nullptr;
  if (factory == nullptr) {
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return factory->QueryInterface(iid, object);
}

// Objects stay alive across the tests' uninitialisations: never unload.
FAKE_EXPORT HRESULT DllCanUnloadNow() {
  return S_FALSE;
}

FAKE_EXPORT long FakeEffectsCreated() {
  return created;
}
FAKE_EXPORT long FakeEffectsAlive() {
  return alive;
}
FAKE_EXPORT DWORD FakeEffectsLastRate() {
  return last_rate;
}
FAKE_EXPORT DWORD FakeEffectsLastChannels() {
  return last_channels;
}
