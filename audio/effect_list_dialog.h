// "List of Audio Effects": the editor of one effect chain (a clip's, an audio
// line's or the master's) with its owner-drawn list, and "Select Audio
// Effect", the choice among the installed effect components.
//
// The dialog edits the list it is given in place; its caller keeps or drops
// the changes by the dialog's result. Open dialogs form one program-wide
// list, so that play-state changes reach all of them (RefreshAll).
#pragma once

#include <array>
#include <cstdint>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class AudioData;
class Effect;
class EffectList;
class Film;
class TEBmpButton;
class TFFTSpec;
class EffectListDialog;

// Codes of RefreshAll.
constexpr int32_t kEffectDialogsPlaying = 9;
constexpr int32_t kEffectDialogsStopped = 10;
constexpr int32_t kEffectDialogsCommands = 11;

// The private message of the dialog (WM_USER + 99) and its codes.
constexpr WPARAM kEffectListEffectAt = 991;

class EffectListBox : public TListBox {
 public:
  EffectListBox(EffectListDialog* dialog, int resourceId);
  void DrawItem(DRAWITEMSTRUCT& drawInfo) override;

 protected:
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);

 private:
  friend class EffectListDialog;
  Effect* EffectAt(int index) const;
  // The item whose check square holds point, or -1.
  int SquareAt(const TPoint& point) const;
  int ItemHeight() const;
  // Bypass on or off for the effect at index, reported as a change.
  void Toggle(int index);

  EffectListDialog* dialog;

  DECLARE_RESPONSE_TABLE(EffectListBox);
};

class EffectListDialog : public TEDialog {
 public:
  // A clip's chain.
  EffectListDialog(TWindow* parent, EffectList* list, Film* ownerClip);
  // A line's chain (id 0..) or the master's (any negative id).
  static EffectListDialog* EffectListDialogById(TWindow* parent, EffectList* list, int32_t id);
  ~EffectListDialog() override;

  // An open clip dialog when there is one, else the dialog of line id (-1
  // for the master); null when none.
  static EffectListDialog* FindOpen(int32_t id);
  // Passes a play-state change to every open dialog.
  static void RefreshAll(int32_t code, int32_t value);

  void SetupWindow() override;
  void CleanupWindow() override;

  int32_t OwnerId() const { return ownerId; }
  EffectList* List() const { return list; }
  // The analyser while an analysis runs, and the list it measures.
  TFFTSpec* Analyser() const { return analyser; }
  EffectList* AnalysisList() const { return analysisList; }
  bool Previewing() const { return previewing; }

  // The effect at index of the list; null past its end.
  Effect* EffectAt(int index) const;
  // A component reported a change (code 1, its id) or the list changed an
  // effect's bypass (code 2, its index).
  void EffectChanged(int32_t code, int32_t value);

 protected:
  void CmAddAbove() { AddEffect(true); }
  void CmAddBelow() { AddEffect(false); }
  void CmRemove();
  void CmSettings();
  void CmMoveUp() { Move(true); }
  void CmMoveDown() { Move(false); }
  void CmRename();
  void CmRestoreName();
  void CmBypass();
  void CmCopyEffect();
  void CmCopyList();
  void CmPaste();
  // Paste in the list's menu: the clipboard holds effects and nothing plays.
  void CePaste(TCommandEnabler& ce);
  void CmClear();
  void CmSave();
  void CmLoad();
  void CmEffectResponse() { StartAnalysis(false); }
  void CmListResponse() { StartAnalysis(true); }
  void CmPreview();
  void CmSkipAll();
  void CmEndOk();
  void EvListSelChange();
  void EvListDblClk();
  LRESULT EvPrivate(WPARAM code, LPARAM value);
  LRESULT EvEffectChanged(WPARAM code, LPARAM value);
  LRESULT EvRelayMouse(WPARAM, LPARAM);

 private:
  friend class EffectListBox;
  EffectListDialog(TWindow* parent, EffectList* list, Film* ownerClip, int32_t ownerId);

  AudioData* Source() const;
  Effect* Selected() const;
  int IndexOf(const Effect* effect) const;
  void AddEffect(bool above);
  void Move(bool up);
  // Moves the effects of from (an opened copy) behind the selection.
  void InsertFrom(EffectList* from);
  void UpdateButtons();
  void PlayState(int32_t code, int32_t value);
  bool PreviewPossible() const;
  void Enable(int id, bool enable);
  void SetItemText(int index, const char* text);
  void DestroyEffect(Effect* effect);

  void StartAnalysis(bool wholeList);
  void StopAnalysis();
  void RefreshAnalysis(bool rebuild);
  void TellAnalyser();

  static EffectListDialog* open;
  EffectListDialog* next = nullptr;
  int32_t ownerId;
  Film* ownerClip;
  EffectList* list;
  EffectListBox* listBox;
  int32_t count = 0;
  uint32_t idCounter = 1;
  EffectList* analysisList = nullptr;
  Effect* analysedEffect = nullptr;
  TFFTSpec* analyser = nullptr;
  bool previewing = false;
  TCheckBox* skipAll;
  TTooltip* tooltip = nullptr;
  std::array<TEBmpButton*, 14> buttons{};
  TEBmpButton* preview;

  DECLARE_RESPONSE_TABLE(EffectListDialog);
};

class SelectEffectDialog : public TEDialog {
 public:
  // On OK *result holds a new effect, opened for source (null: the engine's
  // output format).
  SelectEffectDialog(TWindow* parent, Effect** result, AudioData* source);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void EvDblClk();

 private:
  Effect** result;
  AudioData* source;
  TListBox* list;

  DECLARE_RESPONSE_TABLE(SelectEffectDialog);
};

// Copies the state of one effect's component into another's; true when both
// steps succeed (a component without state succeeds at once).
bool CopyEffectState(Effect* from, Effect* to);
