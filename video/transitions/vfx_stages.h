// The seven stage threads of a render job. Each takes the job as its
// argument, holds a reference while it runs, lowers its priority, and
// fatal-stops the job when it ends short of its frames or on an exception.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class VFXQueue;
class FXPipe;
struct VFXSourcePlan;

struct VFXStages {
  static DWORD ReadA(LPVOID job);
  static DWORD ReadB(LPVOID job);
  static DWORD DecompressA(LPVOID job);
  static DWORD DecompressB(LPVOID job);
  static DWORD Mix(LPVOID job);
  static DWORD Compress(LPVOID job);
  static DWORD Write(LPVOID job);

 private:
  // Runs a stage body that returns the frames it finished, against the
  // frames it owes.
  static DWORD Stage(LPVOID job, int32_t (*body)(VFXQueue&), int32_t (*owed)(VFXQueue&), const char* name);
  static int32_t ReadFrames(VFXQueue& job, const VFXSourcePlan& side, FXPipe& out);
  static int32_t DecodeFrames(VFXQueue& job, const VFXSourcePlan& side, FXPipe& in, FXPipe& out);
  static int32_t MixFrames(VFXQueue& job);
  static int32_t CompressFrames(VFXQueue& job);
  static int32_t WriteFrames(VFXQueue& job);
};
