// One render job: the transition's two sources read, decoded, blended frame
// by frame through the mask of its kind and encoded with the first clip's
// codec into the temporary file, by seven stage threads joined by six rings.
// Every frame written is a key frame.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/codecs/vfw.h"
#include "platform/core/types.h"
#include "video/transitions/fx_pipe.h"
#include "video/transitions/render_plan.h"

struct VFXEntry;

class VFXQueue {
 public:
  VFXQueue() = default;
  VFXQueue(const VFXQueue&) = delete;
  VFXQueue& operator=(const VFXQueue&) = delete;

  // The service holds the first reference; each stage thread one while it
  // runs. The last release deletes the job.
  void AddRef() { references.fetch_add(1); }
  void Release() {
    if (references.fetch_sub(1) == 1) delete this;
  }

  // Chooses the decoded and the written format and makes the rings; false
  // when a source has no decoder, the first clip's format no encoder, or
  // memory runs short. No thread has started then.
  bool Prepare(DWORD quality);
  // Runs the seven stages and waits for them; serviceStop is the service's
  // stop flag. True when the file was written whole.
  bool Run(const std::atomic<uint8_t>* serviceStop);
  // Stops every stage: sets the flag and wakes each ring's waiters.
  void FatalStop(bool trace);
  // The job fails for why; the first reason given is kept.
  void Note(const std::string& why);
  // A stage failed for why: noted, and the job stops.
  void Fail(const std::string& why);
  // The first reason given, or "" when none was.
  std::string Failure();

  // Filled by the transition service.
  VFXEntry* transition = nullptr;
  uint32_t stampA = 0;
  uint32_t stampB = 0;
  std::shared_ptr<const VFXRenderPlan> plan;
  int32_t firstFrameA = 0;
  int32_t firstFrameB = 0;
  int32_t frameCount = 0;
  int32_t kind = 0;
  uint32_t parameter = 0;

  std::atomic<int32_t> references{1};
  std::atomic<uint8_t> stopped{0};
  bool written = false;

 private:
  friend struct VFXStages;
  ~VFXQueue() = default;

  bool ChooseFormat();
  bool ChooseOutput();
  bool MakeRings();
  BITMAPINFOHEADER* FrameFormat() { return reinterpret_cast<BITMAPINFOHEADER*>(frameFormat_.data()); }

  // The rings, in the order a stop wakes them.
  enum Ring { kReadA, kReadB, kDecodedA, kDecodedB, kMixed, kCompressed, kRings };
  std::unique_ptr<FXPipe> rings_[kRings];
  // The decoded frame: a header with room for 256 colours.
  std::vector<BYTE> frameFormat_ = std::vector<BYTE>(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  // The file's stream format: the encoder's output in the first clip's code.
  std::vector<BYTE> outputFormat_;
  FOURCC decoder_ = 0;           // 0: the built-in codecs of uncompressed and RLE8 pictures
  int32_t frameBytes_ = 0;       // stride x height of the decoded frame
  int32_t compressedBytes_ = 0;  // room the encoder asks for
  DWORD quality_ = 0;
  std::mutex failureLock_;
  std::string failure_;
};
