// KXMPEG.DLL: the MPEG encoder component. One object answers the encoder,
// video, audio and stream interfaces; its settings are kept until Start,
// which checks them together and opens the stream.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/components/mpeg_encoder.h"
#include "platform/components/mpeg_encoder/mpeg_stream.h"

#define KOBRIX_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<long> live_objects{0};
std::atomic<long> module_locks{0};

class MpegEncoderObject final : public IMpegEncoder,
                                public IMpegVideoSettings,
                                public IMpegAudioSettings,
                                public IMpegStreamSettings {
 public:
  MpegEncoderObject() { ++live_objects; }
  ~MpegEncoderObject() { --live_objects; }

  // IUnknown, shared by the four interfaces.
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMpegEncoder)) {
      *object = static_cast<IMpegEncoder*>(this);
    } else if (IsEqualIID(iid, IID_IMpegVideoSettings)) {
      *object = static_cast<IMpegVideoSettings*>(this);
    } else if (IsEqualIID(iid, IID_IMpegAudioSettings)) {
      *object = static_cast<IMpegAudioSettings*>(this);
    } else if (IsEqualIID(iid, IID_IMpegStreamSettings)) {
      *object = static_cast<IMpegStreamSettings*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // The encoder.
  HRESULT Initialize() override {
    std::lock_guard<std::mutex> hold(lock_);
    initialized_ = true;
    return S_OK;
  }
  HRESULT Shutdown() override {
    std::lock_guard<std::mutex> hold(lock_);
    StopLocked();
    initialized_ = false;
    return S_OK;
  }
  HRESULT Unused5() override { return E_NOTIMPL; }
  HRESULT Unused6() override { return E_NOTIMPL; }
  HRESULT Unused7() override { return E_NOTIMPL; }
  HRESULT Unused8() override { return E_NOTIMPL; }
  HRESULT Unused9() override { return E_NOTIMPL; }
  HRESULT Unused10() override { return E_NOTIMPL; }
  HRESULT Unused11() override { return E_NOTIMPL; }
  HRESULT SetPictureSize(LONG width, LONG height) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) return Error("The picture size cannot change while encoding.");
    // 4:2:0 pictures come in pairs of rows and columns.
    width &= ~1;
    height &= ~1;
    if (width < 16 || height < 16 || width > 4095 || height > 4095)
      return Error("MPEG video takes pictures from 16 x 16 to 4094 x 4094 pixels.");
    settings_.width = width;
    settings_.height = height;
    sizeSet_ = true;
    return S_OK;
  }
  HRESULT SetVideoBitRate(LONG bitsPerSecond) override { return SetVideoRate(bitsPerSecond); }
  HRESULT Unused14() override { return E_NOTIMPL; }
  HRESULT Unused15() override { return E_NOTIMPL; }
  HRESULT Start() override {
    std::lock_guard<std::mutex> hold(lock_);
    if (!initialized_) return Error("The encoder was not initialised.");
    if (started_) return Error("The encoder is already encoding.");
    if (!typeSet_) return Error("No stream type was chosen.");
    mpeg::StreamSettings s = settings_;
    s.video = settings_.type != kMpegAudioOnly;
    s.audio = settings_.type != kMpegVideoOnly;
    if (s.video) {
      if (!sizeSet_) return Error("No picture size was set for MPEG video.");
      if (MpegFramePeriod(s.format) == 0) return Error("No frame rate was chosen for MPEG video.");
      if (s.videoBitRate <= 0) return Error("Choose a video bit rate above 0.");
    }
    if (s.audio && !audioSet_) return Error("No sound format was set for MPEG audio.");
    blocks_.clear();
    std::string error;
    if (!stream_.Open(s, &error)) return Error(error);
    started_ = true;
    return S_OK;
  }
  HRESULT Stop() override {
    std::lock_guard<std::mutex> hold(lock_);
    StopLocked();
    return S_OK;
  }
  HRESULT Started() override {
    std::lock_guard<std::mutex> hold(lock_);
    return started_ ? S_OK : Error("The encoder is not encoding.");
  }
  HRESULT EndVideo() override {
    std::lock_guard<std::mutex> hold(lock_);
    if (!started_) return S_OK;
    std::string error;
    return stream_.EndVideo(&error) ? S_OK : Error(error);
  }
  HRESULT GetBlock(MpegOutputBlock* block, DWORD) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (block == nullptr) return E_POINTER;
    *block = MpegOutputBlock{};
    std::vector<BYTE> ready;
    if (!stream_.TakeBlock(&ready)) return S_OK;
    // A block handed out stays where it is until it is given back.
    blocks_.push_back(std::move(ready));
    std::vector<BYTE>& b = blocks_.back();
    block->present = 1;
    block->size = static_cast<DWORD>(b.size());
    block->count = block->size;
    block->data = b.data();
    return S_OK;
  }
  HRESULT ReleaseBlock(MpegOutputBlock* block) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (block == nullptr) return E_POINTER;
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
      if (it->data() == block->data) {
        blocks_.erase(it);
        *block = MpegOutputBlock{};
        return S_OK;
      }
    }
    return Error("The block was not handed out.");
  }
  HRESULT Unused22() override { return E_NOTIMPL; }
  HRESULT EncodeFrame(const BITMAPINFOHEADER* format, const void* bits) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (!started_) return Error("The encoder is not encoding.");
    std::string error;
    return stream_.EncodeFrame(format, bits, &error) ? S_OK : Error(error);
  }
  HRESULT SetAudioFormat(const WAVEFORMATEX* format) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) return Error("The sound format cannot change while encoding.");
    if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM || format->wBitsPerSample != 16 ||
        format->nChannels < 1 || format->nChannels > 2)
      return Error("MPEG audio is made from 16-bit PCM sound of one or two channels.");
    if (!mpeg::CarriesSampleRate(format->nSamplesPerSec))
      return Error("MPEG audio can not carry " + std::to_string(format->nSamplesPerSec) +
                   " Hz: choose 16000, 22050, 24000, 32000, 44100 or 48000 Hz.");
    settings_.sampleRate = format->nSamplesPerSec;
    settings_.channels = format->nChannels;
    audioSet_ = true;
    return S_OK;
  }
  HRESULT EndAudio() override {
    std::lock_guard<std::mutex> hold(lock_);
    if (!started_) return S_OK;
    std::string error;
    return stream_.EndAudio(&error) ? S_OK : Error(error);
  }
  HRESULT EncodeAudio(const void* data, LONG bytes) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (!started_) return Error("The encoder is not encoding.");
    if (bytes < 0) return Error("A negative count of sound bytes.");
    std::string error;
    return stream_.EncodeAudio(static_cast<const BYTE*>(data), static_cast<std::size_t>(bytes), &error)
               ? S_OK
               : Error(error);
  }
  BOOL GetLastErrorText(char* text, LONG size) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (text == nullptr || size <= 0) return FALSE;
    const std::size_t n = std::min(lastError_.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(text, lastError_.data(), n);
    text[n] = '\0';
    return lastError_.empty() ? FALSE : TRUE;
  }

  // The video settings.
  HRESULT VideoUnused3() override { return E_NOTIMPL; }
  HRESULT VideoUnused4() override { return E_NOTIMPL; }
  HRESULT VideoUnused5() override { return E_NOTIMPL; }
  HRESULT VideoUnused6() override { return E_NOTIMPL; }
  HRESULT VideoUnused7() override { return E_NOTIMPL; }
  HRESULT SetFrameFormat(LONG format) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) return Error("The frame rate cannot change while encoding.");
    if (MpegFramePeriod(format) == 0)
      return Error("Unknown frame-rate format " + std::to_string(format) + ".");
    settings_.format = format;
    return S_OK;
  }
  HRESULT VideoUnused9() override { return E_NOTIMPL; }
  HRESULT SetBitRate(LONG bitsPerSecond) override { return SetVideoRate(bitsPerSecond); }
  HRESULT VideoUnused11() override { return E_NOTIMPL; }
  HRESULT VideoUnused12() override { return E_NOTIMPL; }
  HRESULT VideoUnused13() override { return E_NOTIMPL; }
  HRESULT VideoUnused14() override { return E_NOTIMPL; }
  HRESULT VideoUnused15() override { return E_NOTIMPL; }
  HRESULT VideoUnused16() override { return E_NOTIMPL; }
  HRESULT VideoUnused17() override { return E_NOTIMPL; }
  LONG GetFramePeriod() override {
    std::lock_guard<std::mutex> hold(lock_);
    return MpegFramePeriod(settings_.format);
  }

  // The audio settings.
  HRESULT AudioUnused3() override { return E_NOTIMPL; }
  HRESULT AudioUnused4() override { return E_NOTIMPL; }
  HRESULT AudioUnused5() override { return E_NOTIMPL; }
  HRESULT AudioUnused6() override { return E_NOTIMPL; }
  HRESULT AudioUnused7() override { return E_NOTIMPL; }
  HRESULT AudioUnused8() override { return E_NOTIMPL; }
  HRESULT AudioUnused9() override { return E_NOTIMPL; }
  HRESULT SetAudioBitRate(LONG kilobitsPerSecond) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) return Error("The sound bit rate cannot change while encoding.");
    if (kilobitsPerSecond <= 0) return Error("Choose a sound bit rate above 0.");
    settings_.audioKilobits = kilobitsPerSecond;
    return S_OK;
  }

  // The stream settings.
  HRESULT StreamUnused3() override { return E_NOTIMPL; }
  HRESULT StreamUnused4() override { return E_NOTIMPL; }
  HRESULT StreamUnused5() override { return E_NOTIMPL; }
  HRESULT StreamUnused6() override { return E_NOTIMPL; }
  HRESULT StreamUnused7() override { return E_NOTIMPL; }
  HRESULT SetStreamType(LONG type) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) return Error("The stream type cannot change while encoding.");
    switch (type) {
      case kMpegAudioOnly:
      case kMpegVideoOnly:
      case kMpegSystem:
      case kMpegVideoCd:
      case kMpegProgram:
      case kMpegProgramSif:
        settings_.type = type;
        typeSet_ = true;
        return S_OK;
      default:
        return Error("Unknown MPEG stream type " + std::to_string(type) + ".");
    }
  }

 private:
  HRESULT Error(const std::string& text) {
    lastError_ = text;
    return E_FAIL;
  }
  HRESULT SetVideoRate(LONG bitsPerSecond) {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) return Error("The video bit rate cannot change while encoding.");
    if (bitsPerSecond < 0) return Error("A negative video bit rate.");
    settings_.videoBitRate = bitsPerSecond;
    return S_OK;
  }
  void StopLocked() {
    stream_.Close();
    stream_.ClearBlocks();
    blocks_.clear();
    started_ = false;
  }

  std::atomic<ULONG> references_{1};
  std::mutex lock_;
  mpeg::StreamSettings settings_;
  bool initialized_ = false;
  bool typeSet_ = false;
  bool sizeSet_ = false;
  bool audioSet_ = false;
  bool started_ = false;
  mpeg::MpegStream stream_;
  std::deque<std::vector<BYTE>> blocks_;  // handed out, not given back yet
  std::string lastError_;
};

class Factory final : public IClassFactory {
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
  // The factory lives as long as the module; its count is the module's lock.
  ULONG AddRef() override { return static_cast<ULONG>(++module_locks); }
  ULONG Release() override { return static_cast<ULONG>(--module_locks); }
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* created = new (std::nothrow) MpegEncoderObject;
    if (created == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
  }
  HRESULT LockServer(BOOL lock) override {
    if (lock)
      ++module_locks;
    else
      --module_locks;
    return S_OK;
  }
};

Factory g_factory;

}  // namespace

KOBRIX_MODULE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(clsid, CLSID_MpegEncoderByMethod) && !IsEqualIID(clsid, CLSID_MpegEncoder))
    return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, object);
}

KOBRIX_MODULE_EXPORT HRESULT DllCanUnloadNow() {
  return live_objects == 0 && module_locks == 0 ? S_OK : S_FALSE;
}
