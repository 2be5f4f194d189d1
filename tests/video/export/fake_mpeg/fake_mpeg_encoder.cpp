// A recording MPEG encoder for the export's tests: it serves both classes,
// writes one line for every call the program makes (by the place in the
// table), and hands out a small block for every picture and every sound
// block it takes. The test sets its behaviour with FakeMpegScript and reads
// the calls with FakeMpegLog.
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/components/mpeg_encoder.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_lock;
std::string g_log;
std::string g_script;
long g_objects = 0;

void Log(const std::string& line) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_log += line + "\n";
}

bool Scripted(const char* word) {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_script.find(word) != std::string::npos;
}

class FakeEncoder final : public IMpegEncoder,
                          public IMpegVideoSettings,
                          public IMpegAudioSettings,
                          public IMpegStreamSettings {
 public:
  FakeEncoder() {
    std::lock_guard<std::mutex> hold(g_lock);
    ++g_objects;
  }
  ~FakeEncoder() {
    std::lock_guard<std::mutex> hold(g_lock);
    --g_objects;
  }
  HRESULT QueryInterface(REFIID iid, void** object) override {
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
    ++references_;
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      Log("released");
      delete this;
    }
    return left;
  }

  HRESULT Initialize() override {
    Log("3 initialise");
    if (Scripted("noinit")) {
      error_ = "The encoder has no licence for this machine.";
      return E_FAIL;
    }
    return S_OK;
  }
  HRESULT Shutdown() override {
    Log("4 shut down");
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
    Log("12 size " + std::to_string(width) + " " + std::to_string(height));
    return S_OK;
  }
  HRESULT SetVideoBitRate(LONG rate) override {
    Log("13 video rate " + std::to_string(rate));
    return S_OK;
  }
  HRESULT Unused14() override { return E_NOTIMPL; }
  HRESULT Unused15() override { return E_NOTIMPL; }
  HRESULT Start() override {
    Log("16 start");
    return S_OK;
  }
  HRESULT Stop() override {
    Log("17 stop");
    ready_.clear();
    return S_OK;
  }
  HRESULT Started() override {
    Log("18 started");
    return S_OK;
  }
  HRESULT EndVideo() override {
    Log("19 end video");
    Produce();
    return S_OK;
  }
  HRESULT GetBlock(MpegOutputBlock* block, DWORD) override {
    *block = MpegOutputBlock{};
    if (ready_.empty()) return S_OK;
    block->present = 1;
    block->size = block->count = static_cast<DWORD>(ready_.front().size());
    block->data = ready_.front().data();
    Log("20 block " + std::to_string(block->size));
    return S_OK;
  }
  HRESULT ReleaseBlock(MpegOutputBlock* block) override {
    if (!ready_.empty() && ready_.front().data() == block->data) ready_.pop_front();
    Log("21 give back");
    return S_OK;
  }
  HRESULT Unused22() override { return E_NOTIMPL; }
  HRESULT EncodeFrame(const BITMAPINFOHEADER* format, const void* bits) override {
    // The picture's first byte tells the test which source frame it shows.
    // Planes rather than a DIB are marked.
    Log("23 frame " + std::to_string(format->biWidth) + "x" + std::to_string(format->biHeight) + " " +
        std::to_string(static_cast<const BYTE*>(bits)[0]) + (IsI420(*format) ? " planes" : ""));
    Produce();
    return S_OK;
  }
  HRESULT SetAudioFormat(const WAVEFORMATEX* f) override {
    Log("24 sound " + std::to_string(f->nSamplesPerSec) + " " + std::to_string(f->nChannels) + " " +
        std::to_string(f->wBitsPerSample));
    return S_OK;
  }
  HRESULT EndAudio() override {
    Log("25 end audio");
    return S_OK;
  }
  HRESULT EncodeAudio(const void*, LONG bytes) override {
    Log("26 sound " + std::to_string(bytes));
    Produce();
    return S_OK;
  }
  BOOL GetLastErrorText(char* text, LONG size) override {
    Log("27 error text");
    if (error_.empty() || size <= 0) return FALSE;
    std::strncpy(text, error_.c_str(), static_cast<std::size_t>(size - 1));
    text[size - 1] = '\0';
    return TRUE;
  }

  HRESULT VideoUnused3() override { return E_NOTIMPL; }
  HRESULT VideoUnused4() override { return E_NOTIMPL; }
  HRESULT VideoUnused5() override { return E_NOTIMPL; }
  HRESULT VideoUnused6() override { return E_NOTIMPL; }
  HRESULT VideoUnused7() override { return E_NOTIMPL; }
  HRESULT SetFrameFormat(LONG format) override {
    Log("video 8 format " + std::to_string(format));
    format_ = format;
    return S_OK;
  }
  HRESULT VideoUnused9() override { return E_NOTIMPL; }
  HRESULT SetBitRate(LONG rate) override {
    Log("video 10 rate " + std::to_string(rate));
    return S_OK;
  }
  HRESULT VideoUnused11() override { return E_NOTIMPL; }
  HRESULT VideoUnused12() override { return E_NOTIMPL; }
  HRESULT VideoUnused13() override { return E_NOTIMPL; }
  HRESULT VideoUnused14() override { return E_NOTIMPL; }
  HRESULT VideoUnused15() override { return E_NOTIMPL; }
  HRESULT VideoUnused16() override { return E_NOTIMPL; }
  HRESULT VideoUnused17() override { return E_NOTIMPL; }
  LONG GetFramePeriod() override {
    Log("video 18 period");
    return MpegFramePeriod(format_);
  }

  HRESULT AudioUnused3() override { return E_NOTIMPL; }
  HRESULT AudioUnused4() override { return E_NOTIMPL; }
  HRESULT AudioUnused5() override { return E_NOTIMPL; }
  HRESULT AudioUnused6() override { return E_NOTIMPL; }
  HRESULT AudioUnused7() override { return E_NOTIMPL; }
  HRESULT AudioUnused8() override { return E_NOTIMPL; }
  HRESULT AudioUnused9() override { return E_NOTIMPL; }
  HRESULT SetAudioBitRate(LONG rate) override {
    Log("audio 10 rate " + std::to_string(rate));
    return S_OK;
  }

  HRESULT StreamUnused3() override { return E_NOTIMPL; }
  HRESULT StreamUnused4() override { return E_NOTIMPL; }
  HRESULT StreamUnused5() override { return E_NOTIMPL; }
  HRESULT StreamUnused6() override { return E_NOTIMPL; }
  HRESULT StreamUnused7() override { return E_NOTIMPL; }
  HRESULT SetStreamType(LONG type) override {
    Log("stream 8 type " + std::to_string(type));
    return S_OK;
  }

 private:
  void Produce() { ready_.emplace_back(100, static_cast<BYTE>('M')); }

  ULONG references_ = 1;
  LONG format_ = 0;
  std::deque<std::vector<BYTE>> ready_;
  std::string error_;
};

class Factory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown*, REFIID iid, void** object) override {
    *object = nullptr;
    Log("create");
    if (Scripted("nocreate")) return E_OUTOFMEMORY;
    auto* created = new FakeEncoder;
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

FAKE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  Log(IsEqualIID(clsid, CLSID_MpegEncoderByMethod) ? "class by method" : "class plain");
  return g_factory.QueryInterface(iid, object);
}

FAKE_EXPORT HRESULT DllCanUnloadNow() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_objects == 0 ? S_OK : S_FALSE;
}

// The calls so far, one a line; the text stays valid until the next call.
FAKE_EXPORT const char* FakeMpegLog() {
  static std::string copy;
  std::lock_guard<std::mutex> hold(g_lock);
  copy = g_log;
  return copy.c_str();
}

// Words that change the behaviour ("nocreate", "noinit"); the log starts
// afresh.
FAKE_EXPORT void FakeMpegScript(const char* words) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_script = words != nullptr ? words : "";
  g_log.clear();
}

FAKE_EXPORT long FakeMpegObjects() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_objects;
}
