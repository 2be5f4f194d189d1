#include "video/transitions/render_plan.h"

#include <algorithm>
#include <new>

#include "media/video_data.h"
#include "model/film.h"
#include "model/time_code.h"

namespace {

bool FillSide(const AVIVideoData& v, int32_t first, int32_t count, VFXSourcePlan& side) {
  const BITMAPINFOHEADER* format = v.Format();
  const int32_t frames = std::min<int32_t>(v.frameCount, static_cast<int32_t>(v.index.size()));
  if (format == nullptr || v.formatSize < kBitmapInfoHeaderSize || frames <= 0) return false;
  side.fileName = v.fileName;
  side.format.assign(v.formatBlock.get(), v.formatBlock.get() + v.formatSize);
  side.handler = v.streamHeader.fccHandler;
  side.dataBase = v.moviDataPosition;
  first = std::clamp(first, 0, frames - 1);
  const int32_t key = v.FindKeyFrame(first);
  side.preroll = first - key;
  side.entries.reserve(static_cast<std::size_t>(side.preroll) + static_cast<std::size_t>(count));
  for (int64_t f = key; f < int64_t{first} + count; ++f) {
    side.entries.push_back(f < frames ? v.index[static_cast<std::size_t>(f)] : AVIINDEXENTRY{});
  }
  return true;
}

}  // namespace

std::shared_ptr<const VFXRenderPlan> MakeRenderPlan(const Film& a, int32_t firstFrameA, const Film& b,
                                                    int32_t firstFrameB, int32_t count) {
  const auto* va = dynamic_cast<const AVIVideoData*>(a.video);
  const auto* vb = dynamic_cast<const AVIVideoData*>(b.video);
  if (va == nullptr || vb == nullptr || count <= 0) return nullptr;
  try {
    auto plan = std::make_shared<VFXRenderPlan>();
    if (!FillSide(*va, firstFrameA, count, plan->a) || !FillSide(*vb, firstFrameB, count, plan->b))
      return nullptr;
    plan->frameRate = ProjectFrameRate();
    return plan;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
