#include "video/transitions/vfx_queue.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "platform/core/sync.h"
#include "platform/core/threads.h"
#include "video/transitions/vfx_render.h"
#include "video/transitions/vfx_stages.h"

namespace {

constexpr SIZE_T kStackSize = 4096;
// Ring depths: the reads and the encoded frames 2, the decoded frames 3,
// the mixed frames 2.
constexpr int32_t kReadDepth = 2;
constexpr int32_t kDecodedDepth = 3;
constexpr int32_t kMixedDepth = 2;
constexpr int32_t kCompressedDepth = 2;

// A picture size every stage can hold in an int32 buffer.
bool FrameFits(const BITMAPINFOHEADER& f) {
  return f.biWidth > 0 && f.biWidth <= kMaxDibSide && DibHeight(f) > 0 && DibHeight(f) <= kMaxDibSide &&
         int64_t{f.biWidth} * DibHeight(f) <= kMaxDibPixels;
}

bool Decodes(FOURCC handler, const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
  HIC codec = ICLocate(ICTYPE_VIDEO, handler, const_cast<BITMAPINFOHEADER*>(in), out, ICMODE_DECOMPRESS);
  if (codec == nullptr) return false;
  ICClose(codec);
  return true;
}

int32_t LargestEntry(const VFXSourcePlan& side) {
  DWORD largest = 1;
  for (const AVIINDEXENTRY& e : side.entries) largest = std::max(largest, e.dwChunkLength);
  return largest > INT32_MAX / 2 ? -1 : static_cast<int32_t>(largest);
}

}  // namespace

bool VFXQueue::ChooseFormat() {
  const VFXSourcePlan& a = plan->a;
  const BITMAPINFOHEADER* source = a.Format();
  if (!FrameFits(*source) || !FrameFits(*plan->b.Format())) return false;
  BITMAPINFOHEADER* f = FrameFormat();
  *f = BITMAPINFOHEADER{};
  f->biSize = kBitmapInfoHeaderSize;
  f->biWidth = source->biWidth;
  f->biHeight = static_cast<LONG>(DibHeight(*source));
  f->biPlanes = 1;
  f->biBitCount = source->biBitCount;
  f->biCompression = BI_RGB;
  if (source->biCompression == BI_RGB || source->biCompression == BI_RLE8) {
    decoder_ = 0;
  } else {
    decoder_ = source->biCompression;
    bool found = false;
    for (WORD bits : {source->biBitCount, WORD{24}, WORD{32}, WORD{16}, WORD{8}}) {
      if (bits == 0) continue;
      f->biBitCount = bits;
      if (Decodes(decoder_, source, f)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  if (!Decodes(decoder_, source, f) || !Decodes(decoder_, plan->b.Format(), f)) return false;
  frameBytes_ = static_cast<int32_t>(DibImageBytes(*f));
  return frameBytes_ > 0;
}

bool VFXQueue::ChooseOutput() {
  const BITMAPINFOHEADER* a = plan->a.Format();
  BITMAPINFOHEADER* f = FrameFormat();
  HIC codec = ICLocate(ICTYPE_VIDEO, decoder_, f, const_cast<BITMAPINFOHEADER*>(a), ICMODE_COMPRESS);
  if (codec == nullptr) return false;
  bool ok = true;
  if (decoder_ == 0) {
    outputFormat_ = plan->a.format;
  } else {
    // The encoder's own format carries its codec data; the file keeps the
    // first clip's code for it.
    const LRESULT size = ICSendMessage(codec, ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(f), 0);
    ok = size >= static_cast<LRESULT>(kBitmapInfoHeaderSize) && size <= 65536;
    if (ok) {
      outputFormat_.assign(static_cast<std::size_t>(size), 0);
      auto* out = reinterpret_cast<BITMAPINFOHEADER*>(outputFormat_.data());
      ok = ICSendMessage(codec, ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(f),
                         reinterpret_cast<DWORD_PTR>(out)) == ICERR_OK;
      out->biCompression = a->biCompression;
    }
  }
  if (ok) {
    auto* out = reinterpret_cast<BITMAPINFOHEADER*>(outputFormat_.data());
    const LRESULT asked = ICSendMessage(codec, ICM_COMPRESS_GET_SIZE, reinterpret_cast<DWORD_PTR>(f),
                                        reinterpret_cast<DWORD_PTR>(out));
    const int64_t room = std::max<int64_t>(int64_t{f->biWidth} * DibHeight(*f) * 4, asked > 0 ? asked : 0);
    ok = room <= INT32_MAX / 2;
    compressedBytes_ = ok ? static_cast<int32_t>(room) : 0;
  }
  ICClose(codec);
  return ok;
}

bool VFXQueue::MakeRings() {
  const int32_t readA = LargestEntry(plan->a);
  const int32_t readB = LargestEntry(plan->b);
  if (readA < 0 || readB < 0) return false;
  try {
    rings_[kReadA] = std::make_unique<FXPipe>(readA, kReadDepth, &stopped);
    rings_[kReadB] = std::make_unique<FXPipe>(readB, kReadDepth, &stopped);
    rings_[kDecodedA] = std::make_unique<FXPipe>(frameBytes_, kDecodedDepth, &stopped);
    rings_[kDecodedB] = std::make_unique<FXPipe>(frameBytes_, kDecodedDepth, &stopped);
    rings_[kMixed] = std::make_unique<FXPipe>(frameBytes_, kMixedDepth, &stopped);
    rings_[kCompressed] = std::make_unique<FXPipe>(compressedBytes_, kCompressedDepth, &stopped);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const auto& ring : rings_) {
    if (ring->Depth() == 0) return false;
  }
  return true;
}

bool VFXQueue::Prepare(DWORD quality) {
  quality_ = quality;
  if (!plan) {
    Note("A clip's file can not be read as an AVI file.");
    return false;
  }
  if (frameCount <= 0) return false;
  if (!ChooseFormat()) {
    Note(FormatText("No installed codec decodes the pictures of '%s' and '%s'.", plan->a.fileName,
                    plan->b.fileName));
    return false;
  }
  if (!ChooseOutput()) {
    Note(FormatText("No installed codec encodes pictures as those of '%s'.", plan->a.fileName));
    return false;
  }
  if (!MakeRings()) {
    Note("There is not enough memory to render the transition.");
    stopped.store(1);
    return false;
  }
  return true;
}

bool VFXQueue::Run(const std::atomic<uint8_t>* serviceStop) {
  using Stage = DWORD (*)(LPVOID);
  const Stage stages[] = {&VFXStages::ReadA,       &VFXStages::ReadB, &VFXStages::DecompressA,
                          &VFXStages::DecompressB, &VFXStages::Mix,   &VFXStages::Compress,
                          &VFXStages::Write};
  HANDLE threads[std::size(stages)] = {};
  DWORD started = 0;
  if (stopped.load() == 0 && serviceStop->load() == 0) {
    for (Stage stage : stages) {
      HANDLE thread = CreateThread(nullptr, kStackSize, stage, this, 0, nullptr);
      if (thread != nullptr) threads[started++] = thread;
      if (thread == nullptr || serviceStop->load() != 0) {
        FatalStop(false);
        break;
      }
    }
  }
  if (started > 0) WaitForMultipleObjects(started, threads, TRUE, INFINITE);
  for (DWORD i = 0; i < started; ++i) CloseHandle(threads[i]);
  return written;
}

void VFXQueue::Note(const std::string& why) {
  std::lock_guard<std::mutex> hold(failureLock_);
  if (failure_.empty()) failure_ = why;
}

void VFXQueue::Fail(const std::string& why) {
  Note(why);
  FatalStop(true);
}

std::string VFXQueue::Failure() {
  std::lock_guard<std::mutex> hold(failureLock_);
  return failure_;
}

void VFXQueue::FatalStop(bool trace) {
  // Stages failing at once trace the stop once.
  if (stopped.exchange(1) == 0 && trace) VFXTrace("Fatal Stop FX making");
  for (const auto& ring : rings_) {
    if (ring) ring->Wake();
  }
}
