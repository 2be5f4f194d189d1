// The transition service: one record per pair of overlapping video clips,
// kept in step with the project's films, handed one at a time to the render
// service and answering which rendered file plays where.
//
// The render service's thread changes states too (TakeJob, FinishRender),
// always under the film lock. It never touches a media source: what it reads
// of the sources is the record's plan, and what it lets go of or finishes is
// released or opened by the main thread in Settle, since sources, the shared
// list of open files and the video player belong to the main thread.
#include <algorithm>
#include <new>

#include "media/video_data.h"
#include "model/film.h"
#include "model/film_host.h"
#include "model/film_list.h"
#include "model/players.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "platform/core/files.h"
#include "platform/core/time.h"
#include "video/transitions/render_plan.h"
#include "video/transitions/vfx_module.h"
#include "video/transitions/vfx_queue.h"
#include "video/transitions/vfx_render.h"

namespace {

using TLock = TCriticalSection::TLock;

// An idle transition is forgotten after 15 minutes unseen, so that a pair
// coming back soon (an undo, a move and back) keeps its kind.
constexpr int32_t kForgetAfterMs = 900000;
// A failed render waits this long before it is tried again, and after this
// many failures in a row it waits until the transition changes.
constexpr uint32_t kRetryAfterMs = 3000;
constexpr int32_t kFailuresBeforePause = 3;
constexpr int32_t kLastKind = 4;

const char* const kKindNames[] = {"Dissolve",   "Left to right", "Right to left",
                                  "Up to down", "Down to up",    "Last FX"};

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

int32_t FirstFrameA(const Film& a, const Film& b) {
  return Frames(b.start + a.in - a.start);
}

// A clip lying wholly inside the other (or starting with it) gets no
// transition: the rows settle which one shows, and no frame past a clip's
// out point is read. Nor does an overlap shorter than a frame.
bool NeedsTransition(const Film& a, const Film& b) {
  return b.start > a.start && b.end > a.end && Frames(a.end) - Frames(b.start) >= 1;
}

// Gives up a transition's hold on its rendered file. The file also leaves
// the shared list of open files, so that the next render of that name is
// never mistaken for it; holders of the old one keep reading what they have.
void DropRendered(VideoSource*& rendered) {
  VideoSource* file = rendered;
  if (file == nullptr) return;
  rendered = nullptr;
  file->EndRead();
  if (auto* data = dynamic_cast<VideoData*>(file)) data->Unlink();
  file->Release();
}

void DeleteFileOf(const VFXEntry& t) {
  char path[MAX_PATH];
  if (VFXRender::MakeFileName(path, t.stampA, t.stampB)) DeleteFile(path);
}

}  // namespace

// ---- The record.

VFXEntry::VFXEntry() = default;

VFXEntry::~VFXEntry() {
  FreeData();
}

void VFXEntry::InitFromFilms(const Film& a, const Film& b) {
  start = b.start;
  end = a.end;
  bOnHigherRow = b.videoRow > a.videoRow ? 1 : 0;
  stampA = static_cast<uint32_t>(a.stamp);
  stampB = static_cast<uint32_t>(b.stamp);
  sourceA = a.video;
  if (sourceA) sourceA->AddRef();
  sourceB = b.video;
  if (sourceB) sourceB->AddRef();
  firstFrameA = FirstFrameA(a, b);
  firstFrameB = Frames(b.in);
  frameCount = Frames(a.end) - Frames(b.start);
  plan = MakeRenderPlan(a, firstFrameA, b, firstFrameB, frameCount);
  written = false;
  fileBusy = false;
}

bool VFXEntry::Update(const Film& a, const Film& b) {
  if (state != Idle && stampA == static_cast<uint32_t>(a.stamp) && stampB == static_cast<uint32_t>(b.stamp) &&
      firstFrameA == FirstFrameA(a, b) && firstFrameB == Frames(b.in) &&
      frameCount == Frames(a.end) - Frames(b.start)) {
    start = b.start;
    end = a.end;
    bOnHigherRow = b.videoRow > a.videoRow ? 1 : 0;
    return false;
  }
  FreeData();
  InitFromFilms(a, b);
  Invalidate();
  return true;
}

void VFXEntry::Invalidate() {
  failures = 0;
  switch (state) {
    case Idle:
    case Rendered:
      state = Waiting;
      break;
    case Rendering:
      state = RenderingInvalidated;
      VFXRender::StopJobOf(this);
      break;
    case RenderingCancelled:
      state = RenderingInvalidated;
      break;
    default:
      break;
  }
}

void VFXEntry::Cancel() {
  switch (state) {
    case Rendered:
    case Waiting:
      state = Idle;
      FreeData();
      break;
    case Rendering:
      state = RenderingCancelled;
      VFXRender::StopJobOf(this);
      break;
    case RenderingInvalidated:
      state = RenderingCancelled;
      break;
    default:
      break;
  }
}

void VFXEntry::FreeData() {
  Drop(sourceA);
  Drop(sourceB);
  DropRendered(rendered);
  plan.reset();
  written = false;
  if (state == Idle) DeleteFileOf(*this);
}

// ---- The service.

VFX::VFX() : module_(std::make_unique<VFXModule>()) {}

VFX::~VFX() {
  VFXRender::Forget(this);
  TLock lock(module_->filmLock);
  module_->chain = nullptr;
  while (VFXEntry* t = module_->head) {
    module_->head = t->link;
    delete t;
  }
  for (VideoSource* source : module_->releaseLater) source->Release();
  module_->releaseLater.clear();
}

void VFX::Lock() {
  module_->filmLock.Enter();
}

void VFX::Unlock() {
  module_->filmLock.Leave();
}

VFXEntry* VFX::List() {
  return module_->chain;
}

void VFX::MoveToHead(VFXEntry* t) {
  VFXEntry** p = &module_->head;
  while (*p && *p != t) p = &(*p)->link;
  if (*p == nullptr) return;
  *p = t->link;
  t->link = module_->head;
  module_->head = t;
}

void VFX::Delete(VFXEntry* t) {
  VFXEntry** p = &module_->head;
  while (*p && *p != t) p = &(*p)->link;
  if (*p != nullptr) *p = t->link;
  delete t;
}

void VFX::Settle() {
  for (VideoSource* source : module_->releaseLater) source->Release();
  module_->releaseLater.clear();
  for (VFXEntry* t = module_->head; t; t = t->link) {
    if (t->state == VFXEntry::Rendered && t->written) {
      t->written = false;
      char path[MAX_PATH];
      AVIVideoData* file = nullptr;
      if (VFXRender::MakeFileName(path, t->stampA, t->stampB)) {
        file = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path, 0);
      }
      if (file != nullptr) {
        file->BeginRead();
        t->rendered = file;
      } else {
        t->state = VFXEntry::Waiting;
        ++t->failures;
        t->failedAt = timeGetTime();
        t->failure = FormatText("The rendered file '%s' can not be read.", path);
        MoveToHead(t);
        VFXRender::SignalWork();
      }
    }
    if (t->state == VFXEntry::Waiting) {
      // A file of that name still open elsewhere (a clip of the project)
      // must not be written over; the transition waits until it is let go.
      char path[MAX_PATH];
      const bool busy =
          VFXRender::MakeFileName(path, t->stampA, t->stampB) && AVIVideoData::FindByName(path) != nullptr;
      if (busy && !t->fileBusy) VFXTrace("!!! File '%s' is USED !!!", path);
      t->fileBusy = busy;
    }
  }
}

VFXEntry* VFX::Schedule() {
  picked_.reset();
  const uint32_t now = timeGetTime();
  TLock lock(module_->filmLock);
  Settle();
  const uint32_t generation = ++module_->generation;

  VFXEntry* chain = nullptr;
  VFXEntry** tail = &chain;
  for (Film* a = FilmList.First(); a; a = a->next) {
    if (!a->video) continue;
    for (Film* b = a->next; b; b = b->next) {
      if (!b->video) continue;
      if (b->start >= a->end) break;
      if (!NeedsTransition(*a, *b)) continue;
      VFXEntry* t = nullptr;
      for (VFXEntry* e = module_->head; e && !t; e = e->link) {
        if (e->stampA == static_cast<uint32_t>(a->stamp) && e->stampB == static_cast<uint32_t>(b->stamp))
          t = e;
      }
      for (VFXEntry* e = module_->head; e && !t; e = e->link) {
        if (e->stampA == static_cast<uint32_t>(b->stamp) && e->stampB == static_cast<uint32_t>(a->stamp))
          t = e;
      }
      try {
        if (t == nullptr) {
          std::unique_ptr<VFXEntry> made(new VFXEntry);
          made->InitFromFilms(*a, *b);
          t = made.release();
          t->link = module_->head;
          module_->head = t;
        } else if (t->Update(*a, *b)) {
          MoveToHead(t);
        }
      } catch (const std::bad_alloc&) {
        continue;  // the pair waits for the next call
      }
      t->lastSeen = now;
      t->seenIn = generation;
      t->next = nullptr;
      *tail = t;
      tail = &t->next;
      VFXRender::SignalWork();
    }
  }
  module_->chain = chain;

  for (VFXEntry* t = module_->head; t; t = t->link) {
    if (t->seenIn != generation) t->Cancel();
  }
  for (VFXEntry* t = module_->head; t;) {
    VFXEntry* following = t->link;
    if (t->state == VFXEntry::Idle && static_cast<int32_t>(now - t->lastSeen) > kForgetAfterMs) Delete(t);
    t = following;
  }
  return chain;
}

VFXEntry* VFX::FindAt(int32_t ms) {
  TLock lock(module_->filmLock);
  for (VFXEntry* t = Schedule(); t; t = t->next) {
    if (t->start > ms) break;
    if (t->end > ms) return t;
  }
  return nullptr;
}

void VFX::SetTransition(VFXEntry* t, int32_t kind, uint32_t parameter) {
  if (t == nullptr) return;
  kind = std::clamp(kind, 0, kLastKind);
  TLock lock(module_->filmLock);
  if (t->kind == kind && t->parameter == parameter) return;
  picked_.reset();
  t->kind = kind;
  t->parameter = parameter;
  // An idle transition holds no sources; it renders with these once its
  // pair is back.
  if (t->state == VFXEntry::Idle) return;
  DropRendered(t->rendered);
  t->written = false;
  MoveToHead(t);
  t->Invalidate();
  VFXRender::SignalWork();
}

int32_t VFX::TotalLength() {
  TLock lock(module_->filmLock);
  int32_t frames = 0;
  for (VFXEntry* t = module_->head; t; t = t->link) {
    if (t->state == VFXEntry::Waiting) frames += t->frameCount;
  }
  return frames;
}

void VFX::TraceState(const VFXEntry* t) {
  if (t == nullptr) return;
  const char* name = kKindNames[std::clamp(t->kind, 0, kLastKind + 1)];
  const std::string text =
      FormatText("FX %s(%d) : from FILM_%d to FILM_%d", name, static_cast<int32_t>(t->parameter),
                 static_cast<int32_t>(t->stampA), static_cast<int32_t>(t->stampB));
  CurrentFilmHost().ShowStatusText(text.c_str());
}

const char* VFX::KindName(int32_t kind) {
  return kKindNames[std::clamp(kind, 0, kLastKind)];
}

void VFX::FreeAll() {
  picked_.reset();
  TLock lock(module_->filmLock);
  Settle();
  module_->chain = nullptr;
  VFXEntry** p = &module_->head;
  while (VFXEntry* t = *p) {
    // A job that outlived the service's stop still writes its file: its
    // transition and file stay as they are.
    if (VFXRender::IsRendering(t)) {
      p = &t->link;
      continue;
    }
    t->Cancel();
    *p = t->link;
    delete t;
  }
}

VFXEntry* VFX::NextWaiting() {
  const uint32_t now = timeGetTime();
  TLock lock(module_->filmLock);
  VFXEntry* found = nullptr;
  for (VFXEntry* t = module_->head; t; t = t->link) {
    if (t->state != VFXEntry::Waiting || t->fileBusy || t->failures >= kFailuresBeforePause) continue;
    if (t->failures > 0 && now - t->failedAt < kRetryAfterMs) continue;
    found = t;  // the last one found was queued earliest
  }
  return found;
}

bool VFX::TakeJob(VFXEntry* t, VFXQueue& job) {
  TLock lock(module_->filmLock);
  if (t == nullptr || t->state != VFXEntry::Waiting) return false;
  job.transition = t;
  job.stampA = t->stampA;
  job.stampB = t->stampB;
  job.plan = t->plan;
  job.firstFrameA = t->firstFrameA;
  job.firstFrameB = t->firstFrameB;
  job.frameCount = t->frameCount;
  job.kind = t->kind;
  job.parameter = t->parameter;
  t->state = VFXEntry::Rendering;
  return true;
}

void VFX::FinishRender(VFXEntry* t, bool written, const std::string& why) {
  TLock lock(module_->filmLock);
  if (t->rendered != nullptr) {
    module_->releaseLater.push_back(t->rendered);
    t->rendered = nullptr;
  }
  switch (t->state) {
    case VFXEntry::Rendering:
      if (written) {
        t->state = VFXEntry::Rendered;
        t->written = true;  // opened by the main thread's next Schedule
        t->failures = 0;
      } else {
        t->state = VFXEntry::Waiting;
        ++t->failures;
        t->failedAt = timeGetTime();
        t->failure = why;
        MoveToHead(t);  // behind the others that wait
        VFXRender::SignalWork();
      }
      break;
    case VFXEntry::RenderingInvalidated:
      t->state = VFXEntry::Waiting;
      VFXRender::SignalWork();
      break;
    case VFXEntry::RenderingCancelled:
      t->state = VFXEntry::Idle;
      for (VideoSource** source : {&t->sourceA, &t->sourceB}) {
        if (*source != nullptr) module_->releaseLater.push_back(*source);
        *source = nullptr;
      }
      t->plan.reset();
      DeleteFileOf(*t);
      break;
    default:
      VFXTrace("!!! VFX ERROR: invalid state after rendering !!!");
      break;
  }
}
