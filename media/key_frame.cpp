#include "media/key_frame.h"

#include <new>

#include "media/video_data.h"

namespace {
TKeyFrame* g_head = nullptr;
}  // namespace

TKeyFrame* TKeyFrame::Head() {
  return g_head;
}

TKeyFrame* TKeyFrame::Create(VideoData* source, int32_t frame) {
  if (source == nullptr || source->IsKeyFrame(frame)) return nullptr;
  if (TKeyFrame* found = Find(source, frame)) {
    ++found->referenceCount;
    return found;
  }
  auto* record = new (std::nothrow) TKeyFrame;
  if (record == nullptr) return nullptr;
  record->referenceCount = 1;
  record->source = source;
  record->frame = frame;
  record->next = g_head;
  if (g_head != nullptr) g_head->prev = record;
  g_head = record;
  return record;
}

TKeyFrame* TKeyFrame::Find(VideoData* source, int32_t frame) {
  if (source == nullptr) return nullptr;
  for (TKeyFrame* r = g_head; r != nullptr; r = r->next) {
    if (r->source == source && r->frame == frame) return r;
  }
  return nullptr;
}

void TKeyFrame::FreeAll() {
  for (TKeyFrame* r = g_head; r != nullptr; r = r->next) {
    r->data.reset();
    r->dataSize = 0;
  }
}

void TKeyFrame::Unlink(TKeyFrame* record) {
  if (record == nullptr) return;
  if (g_head == record) {
    g_head = record->next;
  } else if (record->prev != nullptr) {
    record->prev->next = record->next;
  }
  if (record->next != nullptr) record->next->prev = record->prev;
  record->next = record->prev = nullptr;
}

TKeyFrame::~TKeyFrame() {
  Unlink(this);
}

void TKeyFrame::AddRef() {
  ++referenceCount;
}

void TKeyFrame::Release() {
  if (--referenceCount <= 0) delete this;
}
