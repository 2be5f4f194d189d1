// Effect lists: chains of audio effect components with saved states.
//
// An Effect is one component: its class id, a name, the component's saved
// state and, while open, the live component. An EffectList is a chain of
// them with a bypass flag, a reference count and an open count; clips, the
// four lines and the master bus each hold one. A list's components are
// created when its open count goes from 0 to 1 and saved and released when
// it falls back to 0, so a list used by several players keeps one set of
// components.
//
// Lists live on the main thread; while playing, the mixer thread applies a
// line's list under the engine's mixing lock, which the main thread takes
// when it replaces a list.
#pragma once

#include <memory>

#include "audio/installed_components.h"
#include "model/media_interfaces.h"
#include "platform/components/audio_effect.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class AudioData;
struct SampleBlock;

// Bytes of an effect's name with its terminator.
constexpr int kEffectNameSize = 128;

// The object of a rendered temporary file that the time-line window attaches
// to a list: it carries the file's name.
class ITempFile : public IUnknown {
 public:
  virtual LPCSTR GetFileName() = 0;

 protected:
  ~ITempFile() = default;
};

class Effect {
 public:
  // The component created and initialised, or null.
  static Effect* Create(REFCLSID clsid, const char* name);
  // Reads an effect from a list body (see effect_list_file.h): the effect,
  // with *error 0 or the format's error code.
  Effect(HMMIO file, LONG size, int* error);
  ~Effect();
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  // A new effect of the same class, name and state; null on failure.
  Effect* Clone();
  // A new effect holding this effect's live component (one more reference).
  Effect* Share();
  // Creates the component when there is none (loading the saved state) and
  // sets its format from source, or from the engine's output format without
  // one. Without a component, marks this class in missing; false.
  bool Open(AudioData* source, ComObjectEntry* missing);
  // Saves the state and releases the component.
  void Close();
  bool SaveState();
  bool RestoreState();
  // Releases the component without saving.
  void DiscardComponent();
  // The name becomes the installed component's program id.
  void LookupName();
  bool Write(HMMIO file);

  CLSID clsid{};
  std::unique_ptr<BYTE[]> state;  // the saved state block
  LONG stateSize = 0;
  Effect* next = nullptr;
  Effect* prev = nullptr;
  char name[kEffectNameSize] = {};
  IAudioEffect* component = nullptr;

 private:
  Effect() = default;
  void SetName(const char* text);
  // Saves the component's state into a new block; the old block stays when
  // the new one cannot be had.
  bool SaveIntoBlock();
};

// The quality levels and folder of the Effects settings.
struct EffectSettings {
  char directory[MAX_PATH] = {};
  int realTimeQuality = 0;
  int finalQuality = 2;
  int fResponseQuality = 1;
  int miscQuality = 1;
};

// Films hold their lists through the Film model's EffectChain interface.
class EffectList : public EffectChain {
 public:
  EffectList();
  ~EffectList() override;
  EffectList(const EffectList&) = delete;
  EffectList& operator=(const EffectList&) = delete;

  static EffectList* New();
  void AddRef() override { ++referenceCount; }
  // Below 1 the list deletes itself.
  void Release() override;
  bool IsOpen() override { return openCount > 0; }

  void Insert(Effect* effect, Effect* after);
  void InsertBefore(Effect* effect, Effect* before);
  void Unlink(Effect* effect);

  bool Open(AudioData* source, ComObjectEntry* missing);
  // The Film model's open: for a clip's audio source, or the output format.
  bool Open(AudioSource* source) override;
  void Close() override;
  void CloseDiscard();
  // A copy with the same bypass flag and a clone of every effect, opened
  // once for source; null when any effect cannot be copied.
  EffectList* Clone(AudioData* source);
  // The same for the Film model, which knows the source by its interface.
  EffectChain* Clone(AudioSource* source) override;
  // A copy sharing every live component, the states saved first; open once.
  EffectList* CloneShared();
  // A copy of every effect, closed; null when any cannot be copied.
  EffectList* CloneClosed();
  // The list an effect-list editor works on in place of held (null: a new
  // list), open for source: sharing held's live components, whose states are
  // saved first, so that each change is heard at once while Cancel
  // (RestoreStates) and an undo step (held, closed with CloseDiscard) give
  // back the settings from before. Null when no list can be had.
  static EffectList* EditCopy(EffectList* held, AudioData* source);
  // A copy of this list, open once for source, with the effects of added
  // moved to its end (added is left empty); this list stays as it is, for
  // the undo history that holds it. Null when the copy fails.
  EffectList* CloneAppending(EffectList* added, AudioData* source);
  void RestoreStates();
  void Configure(DWORD rate, DWORD channels);
  void SetQuality(LONG level);
  // Runs the block through the chain unless bypassed; true when it holds
  // frames.
  bool Process(SampleBlock* block);
  void SetEnabled(bool enabled);
  // Every live effect starts from silence (delay lines, filter memories,
  // envelopes cleared).
  void Reset();
  void DeleteTempFile() override;

  // " has ..." texts appended to a clip or line name; text holds size bytes.
  static void Describe(const EffectList* list, char* text, int size);

  // The default list (the effect clipboard).
  static void SetDefaultEffect(Effect* effect);
  static void SetDefault(EffectList* list);
  static EffectList* CloneDefault(AudioData* source);
  static EffectList* DefaultList() { return defaultList; }

  static void ReadSettings();
  static void WriteSettings();
  static EffectSettings settings;

  // Deletes the default list and every list still alive.
  static void FreeAll();
  static EffectList* FirstList() { return allLists; }

  // The list body and the effect-list file (effect_list_file.h).
  bool Write(HMMIO file);
  static EffectList* Read(HMMIO file, LONG size, int* error);
  bool WriteFile(HMMIO file);
  static int ReadFile(HMMIO file, EffectList** list, ComObjectEntry** missing);
  void SaveFile(HWND parent, const char* title);
  static EffectList* LoadFile(HWND parent, const char* title, ComObjectEntry** missing);

  EffectList* next = nullptr;  // the list of all lists
  EffectList* prev = nullptr;
  Effect* first = nullptr;
  ITempFile* tempFile = nullptr;
  int referenceCount = 1;
  int openCount = 0;
  BYTE bypass = 0;

 private:
  Effect* Last() const;
  static EffectList* allLists;
  static EffectList* defaultList;
};

// The engine's output rate and channel count, for effects opened without a
// source. The program installs its query at start-up; until then 22050 Hz mono,
// the engine's default format.
using EffectOutputFormatQuery = void (*)(DWORD* rate, DWORD* channels);
EffectOutputFormatQuery SetEffectOutputFormatQuery(EffectOutputFormatQuery query);
// The engine's output rate and channel count through the installed query.
void QueryEffectOutputFormat(DWORD* rate, DWORD* channels);
