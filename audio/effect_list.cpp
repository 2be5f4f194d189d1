#include "audio/effect_list.h"

#include <cstring>
#include <new>
#include <string>

#include "media/audio_data.h"
#include "media/sample_block.h"
#include "model/ini.h"
#include "model/text_format.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"

namespace {

void DefaultOutputFormat(DWORD* rate, DWORD* channels) {
  *rate = 22050;
  *channels = 1;
}

EffectOutputFormatQuery output_format_query = DefaultOutputFormat;

// The component of a class, created and initialised; null when either fails.
IAudioEffect* CreateComponent(REFCLSID clsid) {
  IAudioEffect* component = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioEffect,
                              reinterpret_cast<void**>(&component))) ||
      component == nullptr)
    return nullptr;
  if (component->Initialize() == 0) {
    component->Release();
    return nullptr;
  }
  return component;
}

// Moves the state of one component into another through a buffer.
bool CopyState(IAudioEffect* from, IAudioEffect* to) {
  const LONG size = from->GetStateSize(0);
  if (size < 1) return true;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
  return buffer && from->SaveState(buffer.get(), size) != 0 && to->LoadState(buffer.get(), size) != 0;
}

}  // namespace

EffectOutputFormatQuery SetEffectOutputFormatQuery(EffectOutputFormatQuery query) {
  EffectOutputFormatQuery before = output_format_query;
  output_format_query = query != nullptr ? query : DefaultOutputFormat;
  return before;
}

void QueryEffectOutputFormat(DWORD* rate, DWORD* channels) {
  output_format_query(rate, channels);
}

// ---- Effect ----

void Effect::SetName(const char* text) {
  name[0] = '\0';
  if (text == nullptr) return;
  std::size_t n = 0;
  while (n < kEffectNameSize - 1 && text[n] != '\0') ++n;
  std::memcpy(name, text, n);
  name[n] = '\0';
}

Effect* Effect::Create(REFCLSID clsid, const char* name) {
  IAudioEffect* component = CreateComponent(clsid);
  if (component == nullptr) return nullptr;
  auto* effect = new (std::nothrow) Effect;
  if (effect == nullptr) {
    component->Release();
    return nullptr;
  }
  effect->clsid = clsid;
  effect->SetName(name);
  effect->component = component;
  return effect;
}

Effect::~Effect() {
  if (component != nullptr) component->Release();
}

Effect* Effect::Clone() {
  Effect* copy = Create(clsid, name);
  if (copy == nullptr) return nullptr;
  bool ok = true;
  if (component != nullptr) {
    ok = CopyState(component, copy->component);
  } else if (stateSize > 0 && state) {
    // A closed effect keeps its settings in its saved block: the copy takes
    // them from there rather than start from the component's defaults.
    ok = copy->component->LoadState(state.get(), stateSize) != 0;
  }
  if (!ok) {
    delete copy;
    return nullptr;
  }
  return copy;
}

Effect* Effect::Share() {
  if (component == nullptr) return nullptr;
  Effect* copy = Create(clsid, name);
  if (copy == nullptr) return nullptr;
  copy->component->Release();
  copy->component = component;
  component->AddRef();
  return copy;
}

namespace {

// A program id field from an effect's name, cut to the field.
void CopyProgId(char (&progId)[kProgIdLength + 1], const char* name) {
  const size_t n = strnlen(name, kProgIdLength);
  std::memcpy(progId, name, n);
  progId[n] = '\0';
}

}  // namespace

bool Effect::Open(AudioData* source, ComObjectEntry* missing) {
  if (component == nullptr) {
    IAudioEffect* created = CreateComponent(clsid);
    if (created != nullptr && stateSize > 0 && state && created->LoadState(state.get(), stateSize) == 0) {
      created->Release();
      created = nullptr;
    }
    component = created;
  }
  if (component != nullptr) {
    DWORD rate = 0;
    DWORD channels = 0;
    if (source != nullptr && source->format != nullptr) {
      rate = source->format->nSamplesPerSec;
      channels = source->format->nChannels;
    } else {
      output_format_query(&rate, &channels);
    }
    component->SetFormat(rate, channels);
    return true;
  }
  // The list names each class that is not installed, by the name the file
  // gives it: the list's own, else the effect's.
  ComObjectEntry* last = nullptr;
  for (ComObjectEntry* e = missing; e != nullptr; last = e, e = e->next) {
    if (IsEqualCLSID(e->clsid, clsid)) {
      e->missing = 1;
      if (e->progId[0] == '\0') CopyProgId(e->progId, name);
      return false;
    }
  }
  if (last != nullptr) {
    if (auto* added = new (std::nothrow) ComObjectEntry) {
      added->clsid = clsid;
      CopyProgId(added->progId, name);
      added->missing = 1;
      last->next = added;
    }
  }
  return false;
}

bool Effect::SaveIntoBlock() {
  const LONG size = component->GetStateSize(0);
  if (size < 1) {
    state.reset();
    stateSize = 0;
    return true;
  }
  std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
  // A state that cannot be saved must not replace the last good one.
  if (!block || component->SaveState(block.get(), size) == 0) return false;
  state = std::move(block);
  stateSize = size;
  return true;
}

void Effect::Close() {
  if (component == nullptr) return;
  SaveIntoBlock();
  component->Release();
  component = nullptr;
}

bool Effect::SaveState() {
  return component != nullptr && SaveIntoBlock();
}

bool Effect::RestoreState() {
  if (component == nullptr) return false;
  if (stateSize <= 0 || !state) return true;
  return component->LoadState(state.get(), stateSize) != 0;
}

void Effect::DiscardComponent() {
  if (component == nullptr) return;
  component->Release();
  component = nullptr;
}

void Effect::LookupName() {
  const ComObjectEntry* entry = FindInstalledComponent(clsid);
  if (entry != nullptr) SetName(entry->progId);
}

// ---- EffectList ----

EffectList* EffectList::allLists = nullptr;
EffectList* EffectList::defaultList = nullptr;
EffectSettings EffectList::settings;

EffectList::EffectList() {
  next = allLists;
  if (allLists != nullptr) allLists->prev = this;
  allLists = this;
}

EffectList::~EffectList() {
  while (first != nullptr) {
    Effect* effect = first;
    first = effect->next;
    delete effect;
  }
  if (tempFile != nullptr) tempFile->Release();
  if (prev != nullptr)
    prev->next = next;
  else if (allLists == this)
    allLists = next;
  if (next != nullptr) next->prev = prev;
  if (defaultList == this) defaultList = nullptr;
}

EffectList* EffectList::New() {
  return new (std::nothrow) EffectList;
}

void EffectList::Release() {
  if (--referenceCount < 1) delete this;
}

Effect* EffectList::Last() const {
  Effect* e = first;
  while (e != nullptr && e->next != nullptr) e = e->next;
  return e;
}

void EffectList::Insert(Effect* effect, Effect* after) {
  if (effect == nullptr) return;
  if (first == nullptr) {
    effect->prev = effect->next = nullptr;
    first = effect;
    return;
  }
  if (after == nullptr) after = Last();
  effect->prev = after;
  effect->next = after->next;
  if (after->next != nullptr) after->next->prev = effect;
  after->next = effect;
}

void EffectList::InsertBefore(Effect* effect, Effect* before) {
  if (effect == nullptr) return;
  if (first == nullptr || before == nullptr) before = first;
  effect->next = before;
  effect->prev = before != nullptr ? before->prev : nullptr;
  if (before != nullptr) before->prev = effect;
  if (effect->prev != nullptr)
    effect->prev->next = effect;
  else
    first = effect;
}

void EffectList::Unlink(Effect* effect) {
  if (effect == nullptr) return;
  if (effect->prev != nullptr)
    effect->prev->next = effect->next;
  else if (first == effect)
    first = effect->next;
  if (effect->next != nullptr) effect->next->prev = effect->prev;
  effect->next = effect->prev = nullptr;
}

bool EffectList::Open(AudioData* source, ComObjectEntry* missing) {
  if (openCount++ > 0 || tempFile != nullptr || first == nullptr) return true;
  bool all = true;
  for (Effect* e = first; e != nullptr; e = e->next)
    if (!e->Open(source, missing)) all = false;
  return all;
}

bool EffectList::Open(AudioSource* source) {
  return Open(source != nullptr ? dynamic_cast<AudioData*>(source) : nullptr, nullptr);
}

void EffectList::Close() {
  if (openCount <= 0) return;
  if (--openCount == 0)
    for (Effect* e = first; e != nullptr; e = e->next) e->Close();
}

void EffectList::CloseDiscard() {
  if (openCount <= 0) return;
  if (--openCount == 0)
    for (Effect* e = first; e != nullptr; e = e->next) e->DiscardComponent();
}

EffectList* EffectList::Clone(AudioData* source) {
  EffectList* copy = New();
  if (copy == nullptr) return nullptr;
  copy->bypass = bypass;
  for (Effect* e = first; e != nullptr; e = e->next) {
    Effect* effect = e->Clone();
    if (effect == nullptr) {
      delete copy;
      return nullptr;
    }
    copy->Insert(effect, nullptr);
  }
  copy->Open(source, nullptr);
  return copy;
}

EffectChain* EffectList::Clone(AudioSource* source) {
  return Clone(source != nullptr ? dynamic_cast<AudioData*>(source) : static_cast<AudioData*>(nullptr));
}

EffectList* EffectList::CloneShared() {
  EffectList* copy = New();
  if (copy == nullptr) return nullptr;
  copy->bypass = bypass;
  for (Effect* e = first; e != nullptr; e = e->next) {
    Effect* effect = e->SaveState() ? e->Share() : nullptr;
    if (effect == nullptr) {
      delete copy;
      return nullptr;
    }
    copy->Insert(effect, nullptr);
  }
  copy->openCount = 1;
  return copy;
}

EffectList* EffectList::CloneClosed() {
  EffectList* copy = New();
  if (copy == nullptr) return nullptr;
  copy->bypass = bypass;
  for (Effect* e = first; e != nullptr; e = e->next) {
    Effect* effect = e->Clone();
    if (effect == nullptr) {
      delete copy;
      return nullptr;
    }
    effect->Close();
    copy->Insert(effect, nullptr);
  }
  return copy;
}

EffectList* EffectList::EditCopy(EffectList* held, AudioData* source) {
  if (held == nullptr) {
    EffectList* list = New();
    if (list != nullptr) list->Open(source, nullptr);
    return list;
  }
  if (EffectList* shared = held->CloneShared()) return shared;
  // An effect without its component cannot be shared: a copy of its own
  // then, the held states saved all the same.
  for (Effect* e = held->first; e != nullptr; e = e->next)
    if (e->component != nullptr) e->SaveState();
  EffectList* copy = held->CloneClosed();
  if (copy != nullptr) copy->Open(source, nullptr);
  return copy;
}

EffectList* EffectList::CloneAppending(EffectList* added, AudioData* source) {
  EffectList* copy = Clone(source);
  if (copy == nullptr) return nullptr;
  while (Effect* e = added != nullptr ? added->first : nullptr) {
    added->Unlink(e);
    copy->Insert(e, nullptr);
  }
  return copy;
}

void EffectList::RestoreStates() {
  for (Effect* e = first; e != nullptr; e = e->next) e->RestoreState();
}

void EffectList::Configure(DWORD rate, DWORD channels) {
  for (Effect* e = first; e != nullptr; e = e->next)
    if (e->component != nullptr) e->component->SetFormat(rate, channels);
}

void EffectList::SetQuality(LONG level) {
  for (Effect* e = first; e != nullptr; e = e->next)
    if (e->component != nullptr) e->component->SetQuality(level);
}

bool EffectList::Process(SampleBlock* block) {
  if (block == nullptr) return false;
  if (bypass == 0)
    for (Effect* e = first; e != nullptr; e = e->next)
      if (e->component != nullptr) e->component->Process(block);
  return block->held != 0;
}

void EffectList::SetEnabled(bool enabled) {
  bypass = enabled ? 0 : 1;
  if (enabled) Reset();
}

void EffectList::Reset() {
  for (Effect* e = first; e != nullptr; e = e->next)
    if (e->component != nullptr) e->component->Reset();
}

void EffectList::DeleteTempFile() {
  if (tempFile == nullptr) return;
  std::string path = tempFile->GetFileName() != nullptr ? tempFile->GetFileName() : "";
  tempFile->Release();
  tempFile = nullptr;
  if (!path.empty()) ::DeleteFile(path.c_str());
}

void EffectList::Describe(const EffectList* list, char* text, int size) {
  if (text == nullptr || size < 1) return;
  std::string out;
  const std::size_t limit = static_cast<std::size_t>(size) - 1;
  int count = 0;
  for (const Effect* e = list != nullptr ? list->first : nullptr; e != nullptr; e = e->next) ++count;
  if (count == 0) {
    out = GetString(ui_string::kNoAudioEffects);
  } else if (count == 1) {
    out = std::string(GetString(ui_string::kOneAudioEffect)) + list->first->name;
  } else {
    out = FormatText(GetString(ui_string::kAudioEffectCount), count);
    for (const Effect* e = list->first; e != nullptr; e = e->next) {
      const std::size_t room = limit > out.size() ? limit - out.size() : 0;
      const std::size_t need = std::strlen(e->name) + (e->next != nullptr ? 5 : 0);
      if (need > room) {
        if (room >= 3) out += "...";  // never a cut "..."
        break;
      }
      out += e->name;
      if (e->next != nullptr) out += ", ";
    }
  }
  if (out.size() > limit) out.resize(limit);
  std::memcpy(text, out.data(), out.size());
  text[out.size()] = '\0';
}

// The copy is made before the old default goes: the source may belong to it.
void EffectList::SetDefaultEffect(Effect* effect) {
  EffectList* list = effect != nullptr ? New() : nullptr;
  if (list != nullptr) {
    Effect* copy = effect->Clone();
    if (copy == nullptr) {
      delete list;
      list = nullptr;
    } else {
      list->Insert(copy, nullptr);
      list->openCount = 1;  // the clone's component is live
    }
  }
  delete defaultList;
  defaultList = list;
}

void EffectList::SetDefault(EffectList* list) {
  EffectList* copy = list != nullptr ? list->Clone(static_cast<AudioData*>(nullptr)) : nullptr;
  delete defaultList;
  defaultList = copy;
}

EffectList* EffectList::CloneDefault(AudioData* source) {
  return defaultList != nullptr ? defaultList->Clone(source) : nullptr;
}

void EffectList::ReadSettings() {
  IniSetSection("Effects");
  const char* directory = IniReadString("Directory", "");
  std::strncpy(settings.directory, directory != nullptr ? directory : "", MAX_PATH - 1);
  settings.directory[MAX_PATH - 1] = '\0';
  settings.realTimeQuality = IniReadInt("RealTimeQuality", 0);
  settings.finalQuality = IniReadInt("FinalQuality", 2);
  settings.fResponseQuality = IniReadInt("FResponseQuality", 1);
  settings.miscQuality = IniReadInt("MiscQuality", 1);
}

void EffectList::WriteSettings() {
  IniSetSection("Effects");
  IniWriteString("Directory", settings.directory);
  IniWriteInt("RealTimeQuality", settings.realTimeQuality);
  IniWriteInt("FinalQuality", settings.finalQuality);
  IniWriteInt("FResponseQuality", settings.fResponseQuality);
  IniWriteInt("MiscQuality", settings.miscQuality);
}

void EffectList::FreeAll() {
  delete defaultList;
  defaultList = nullptr;
  while (allLists != nullptr) delete allLists;
}
