// "List of Audio Effects" and "Select Audio Effect" over the real effect
// components, driven as a user would.
#include "audio/effect_list_dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "audio/effect_list_file.h"
#include "audio/fft_diagram.h"
#include "audio/fft_spec.h"
#include "effect_dialog_fixture.h"
#include "resources/effect_dialog_ids.h"
#include "timeline/lines/popup_menu_driver.h"
#include "ui/dialog_script.h"

namespace {

using dialogtest::ModalScript;
using effecttest::EffectDialogTest;

// Picks a program id in "Select Audio Effect" and presses OK.
ModalScript::Step Choose(const char* progId) {
  return [progId](HWND w) {
    HWND list = GetDlgItem(w, kEffectList);
    const LRESULT index = SendMessage(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(progId));
    ASSERT_NE(index, LB_ERR) << progId;
    SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessage(w, WM_COMMAND, IDOK, 0);
  };
}

class FileQuestion : public EffectListFileQuestion {
 public:
  explicit FileQuestion(std::string path) : path_(std::move(path)) { before_ = SetEffectListFileQuestion(this); }
  ~FileQuestion() override { SetEffectListFileQuestion(before_); }
  bool AskFileName(HWND, const char*, bool, const char*, const char*, std::string* path) override {
    *path = path_;
    return true;
  }

 private:
  std::string path_;
  EffectListFileQuestion* before_;
};

class EffectListDialogTest : public EffectDialogTest {
 protected:
  void TearDown() override {
    Close();
    EffectDialogTest::TearDown();
  }
  EffectListDialog* Open(EffectList* list, int32_t id = -2) {
    dialog_ = id == -2 ? new EffectListDialog(frame_, list, nullptr)
                       : EffectListDialog::EffectListDialogById(frame_, list, id);
    EXPECT_TRUE(dialog_->Create());
    ::ShowWindow(dialog_->GetHandle(), SW_SHOW);
    GuiPumpMessages();
    return dialog_;
  }
  void Close() {
    if (dialog_ == nullptr) return;
    if (dialog_->GetHandle() != nullptr) dialog_->Destroy(IDCANCEL);
    delete dialog_;
    dialog_ = nullptr;
    GuiPumpMessages();
  }
  HWND Handle() const { return dialog_->GetHandle(); }
  void Command(int id) {
    SendMessage(Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    GuiPumpMessages();
  }
  int Selection() const { return static_cast<int>(SendDlgItemMessage(Handle(), kEffectList, LB_GETCURSEL, 0, 0)); }
  void Select(int index) { SendDlgItemMessage(Handle(), kEffectList, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const int n = static_cast<int>(SendDlgItemMessage(Handle(), kEffectList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char text[256] = {};
      SendDlgItemMessage(Handle(), kEffectList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      lines.push_back(text);
    }
    return lines;
  }
  // The box ticks itself, then tells the dialog (the analyser may cover it).
  void Click(int id) {
    CheckDlgButton(Handle(), id, IsDlgButtonChecked(Handle(), id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    Command(id);
  }
  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Handle(), id)) != FALSE; }
  std::vector<int> EnabledOf(std::initializer_list<int> ids) const {
    std::vector<int> on;
    for (int id : ids)
      if (Enabled(id)) on.push_back(id);
    return on;
  }

  EffectListDialog* dialog_ = nullptr;
};

TEST_F(EffectListDialogTest, AddsAboveBelowAndFirstWithoutSelection) {
  EffectList* list = ListOf({Gain(1.0f, "A")});
  Open(list);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"A"}));
  Select(0);
  {
    ModalScript script({Choose(kEchoProgId)});
    Command(kEffectAddBelow);
    EXPECT_TRUE(script.done());
  }
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", kEchoProgId}));
  EXPECT_EQ(Selection(), 1);
  Select(1);
  {
    ModalScript script({Choose(kEqualizerProgId)});
    Command(kEffectAddAbove);
  }
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", kEqualizerProgId, kEchoProgId}));
  EXPECT_EQ(Lines(), Names(list));
  EXPECT_EQ(Selection(), 1);
  // The new effect is open and ready to play.
  ASSERT_NE(list->first->next->component, nullptr);
  Close();

  // With nothing selected the new effect goes first.
  EffectList* empty = ListOf({});
  Open(empty);
  EXPECT_EQ(Selection(), -1);
  {
    ModalScript script({Choose(kGainProgId)});
    Command(kEffectAddBelow);
  }
  EXPECT_EQ(Names(empty), (std::vector<std::string>{kGainProgId}));
  Select(-1);
  {
    ModalScript script({Choose(kEchoProgId)});
    Command(kEffectAddAbove);
  }
  EXPECT_EQ(Names(empty), (std::vector<std::string>{kEchoProgId, kGainProgId}));
}

TEST_F(EffectListDialogTest, SelectEffectRefusesNoChoiceAndCancelsWithoutComponents) {
  Open(ListOf({}));
  {
    // OK without a line selected stays open with the message; Cancel then ends it.
    ModalScript script({[](HWND w) {
      SendDlgItemMessage(w, kEffectList, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      SendMessage(w, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(IsWindow(w));
      SendMessage(w, WM_COMMAND, IDCANCEL, 0);
    }});
    Command(kEffectAddBelow);
  }
  EXPECT_EQ(boxes_.shown, (std::vector<std::string>{"Select Audio Effect: Can not create effect!"}));
  EXPECT_TRUE(Lines().empty());

  WriteRegistry("");
  ForgetInstalledComponents();
  boxes_.shown.clear();
  Command(kEffectAddBelow);
  EXPECT_EQ(boxes_.shown,
            (std::vector<std::string>{"Select Audio Effect: No audio effects installed on your system!"}));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(EffectListDialogTest, MovesWithinTheListAndBeepsAtTheEnds) {
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(1.0f, "B"), Gain(1.0f, "C")});
  Open(list);
  Select(0);
  Command(kEffectMoveUp);
  EXPECT_EQ(boxes_.beeps, 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "C"}));
  Command(kEffectMoveDown);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(Lines(), Names(list));
  EXPECT_EQ(Selection(), 1);
  Command(kEffectMoveDown);
  EXPECT_EQ(Selection(), 2);
  Command(kEffectMoveDown);
  EXPECT_EQ(boxes_.beeps, 2);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_FALSE(Enabled(kEffectMoveDown));
  EXPECT_TRUE(Enabled(kEffectMoveUp));
}

TEST_F(EffectListDialogTest, RemovingTheLastEffectLeavesOnlyWhatNeedsNoSelection) {
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(1.0f, "B")});
  Open(list);
  Select(1);
  Command(kEffectRemove);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A"}));
  EXPECT_EQ(Selection(), 0);
  Command(kEffectRemove);
  EXPECT_TRUE(Names(list).empty());
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(EnabledOf({kEffectRename, kEffectRemove, kEffectMoveUp, kEffectMoveDown, kEffectSettings, kEffectClear,
                         kEffectSave, kEffectCopyList, kEffectResponse})
                  .empty());
  EXPECT_TRUE(Enabled(kEffectAddAbove));
  EXPECT_TRUE(Enabled(kEffectLoad));
  EXPECT_EQ(LOWORD(SendMessage(Handle(), DM_GETDEFID, 0, 0)), IDOK);
  // Nothing left: the command and the Delete key only beep.
  Command(kEffectRemove);
  SetFocus(GetDlgItem(Handle(), kEffectList));
  GuiPressKey(VK_DELETE);
  GuiPumpMessages();
  EXPECT_EQ(boxes_.beeps, 2);
}

TEST_F(EffectListDialogTest, BypassBySquareAndSpaceBar) {
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(1.0f, "B")});
  Open(list);
  HWND box = GetDlgItem(Handle(), kEffectList);
  const int height = static_cast<int>(SendMessage(box, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(height, 4);
  IAudioEffect* second = list->first->next->component;
  GuiClick(box, height / 2, height + height / 2);
  GuiPumpMessages();
  EXPECT_NE(second->IsBypassed(), 0);
  EXPECT_EQ(list->first->component->IsBypassed(), 0);
  // A click on the name selects without switching.
  GuiClick(box, height * 3, height / 2);
  GuiPumpMessages();
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(list->first->component->IsBypassed(), 0);
  SetFocus(box);
  Select(1);
  GuiPressKey(VK_SPACE);
  GuiPumpMessages();
  EXPECT_EQ(second->IsBypassed(), 0);
  // The menu's Bypass does the same.
  Command(kEffectBypass);
  EXPECT_NE(second->IsBypassed(), 0);
}

TEST_F(EffectListDialogTest, TheRightButtonMenuActsOnTheEffectUnderThePointer) {
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(0.5f, "B")});
  list->first->next->component->SetBypass(TRUE);
  Open(list);
  Select(0);
  HWND box = GetDlgItem(Handle(), kEffectList);
  const int height = static_cast<int>(SendMessage(box, LB_GETITEMHEIGHT, 0, 0));
  POINT p{height * 3, height + height / 2};
  ClientToScreen(box, &p);
  std::vector<std::string> items;
  SetModalHook([&](HWND popup) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
    popupmenu::Read(menu, "", items);
    EXPECT_TRUE(popupmenu::Choose(popup, menu, kEffectCopyOne));
  });
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(1, true, p.x, p.y);
  GuiPumpMessages();
  GuiMouseButton(1, false, p.x, p.y);
  GuiPumpMessages();
  SetModalHook(nullptr);
  EXPECT_EQ(items, (std::vector<std::string>{"Edit=1754", "Bypass=1744 checked", "Change Name=1757",
                                             "Restore Name=1746", "Show Frequency Response=1758", "-",
                                             "Copy this effect only=1745", "Paste effect(s)=1760 grey",
                                             "Delete=1753"}));
  EXPECT_EQ(Selection(), 1);
  EXPECT_EQ(Names(EffectList::DefaultList()), std::vector<std::string>{"B"});
  EXPECT_TRUE(Enabled(kEffectPaste));
}

TEST_F(EffectListDialogTest, PasteAndLoadInsertBehindTheSelectionInOrder) {
  TestFolder folder;
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(1.0f, "B")});
  Open(list);
  EffectList* source = ListOf({Gain(0.5f, "X"), Gain(0.25f, "Y")});
  EffectList::SetDefault(source);
  source->Close();
  source->Release();
  Select(0);
  Command(kEffectPaste);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "X", "Y", "B"}));
  EXPECT_EQ(Lines(), Names(list));
  // The pasted copies are live, with the copied settings.
  Effect* y = list->first->next->next;
  BYTE state[GainSettings::kStateSize];
  ASSERT_NE(y->component->SaveState(state, sizeof state), 0);
  GainSettings read;
  ASSERT_TRUE(effect_state::Decode(state, sizeof state, &read));
  EXPECT_EQ(read.gain, 0.25f);

  EffectList* saved = ListOf({Gain(1.0f, "P"), Gain(1.0f, "Q")});
  {
    FileQuestion question(folder.File("chain.afx"));
    saved->SaveFile(nullptr, "Save Effects List");
    saved->Close();
    saved->Release();
    Select(3);
    Command(kEffectLoad);
  }
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "X", "Y", "B", "P", "Q"}));
  EXPECT_EQ(Lines(), Names(list));
}

TEST_F(EffectListDialogTest, LoadingUnknownComponentsShowsThemAndInsertsNothing) {
  TestFolder folder;
  const std::string path = folder.File("unknown.afx");
  {
    EffectList* saved = ListOf({Gain(1.0f, "P")});
    FileQuestion question(path);
    saved->SaveFile(nullptr, "Save Effects List");
    saved->Close();
    saved->Release();
  }
  // The file now names a class no one installed.
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  BYTE gain[16];
  std::memcpy(gain, &CLSID_KobrixGain.Data1, 4);
  std::memcpy(gain + 4, &CLSID_KobrixGain.Data2, 2);
  std::memcpy(gain + 6, &CLSID_KobrixGain.Data3, 2);
  std::memcpy(gain + 8, CLSID_KobrixGain.Data4, 8);
  int patched = 0;
  for (std::size_t at = 0; (at = bytes.find(std::string(reinterpret_cast<char*>(gain), 16), at)) != std::string::npos;
       at += 16, ++patched)
    bytes[at + 15] = static_cast<char>(bytes[at + 15] ^ 0x5A);
  ASSERT_GT(patched, 0);
  std::ofstream(path, std::ios::binary) << bytes;

  EffectList* list = ListOf({Gain(1.0f, "A")});
  Open(list);
  std::string caption;
  {
    FileQuestion question(path);
    ModalScript script({[&caption](HWND w) {
      caption = dialogtest::Text(w);
      SendMessage(w, WM_COMMAND, IDOK, 0);
    }});
    Command(kEffectLoad);
    EXPECT_EQ(script.shown, 1);
  }
  EXPECT_EQ(caption, "Open Audio Effects");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A"}));
  EXPECT_EQ(Lines(), Names(list));
}

TEST_F(EffectListDialogTest, FindOpenPrefersAClipDialog) {
  EffectList* a = ListOf({});
  EffectList* b = ListOf({});
  EffectList* c = ListOf({});
  std::unique_ptr<EffectListDialog> line(EffectListDialog::EffectListDialogById(frame_, a, 2));
  std::unique_ptr<EffectListDialog> master(EffectListDialog::EffectListDialogById(frame_, b, -7));
  EXPECT_EQ(master->OwnerId(), -1);
  EXPECT_EQ(EffectListDialog::FindOpen(2), line.get());
  EXPECT_EQ(EffectListDialog::FindOpen(-3), master.get());
  EXPECT_EQ(EffectListDialog::FindOpen(1), nullptr);
  {
    EffectListDialog clip(frame_, c, nullptr);
    EXPECT_EQ(EffectListDialog::FindOpen(2), &clip);
    EXPECT_EQ(EffectListDialog::FindOpen(-1), &clip);
  }
  EXPECT_EQ(EffectListDialog::FindOpen(2), line.get());
}

TEST_F(EffectListDialogTest, PlayStateCodesSetTheEnabledButtons) {
  const std::initializer_list<int> all = {kEffectAddAbove, kEffectAddBelow,   kEffectRemove,       kEffectMoveUp,
                                          kEffectMoveDown, kEffectResponse,   kEffectListResponse, kEffectClear,
                                          kEffectSave,     kEffectLoad,       kEffectCopyList,     kEffectPaste,
                                          kEffectPreview,  kEffectRename,     kEffectSettings};
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(1.0f, "B")});
  Open(list, 1);
  EXPECT_EQ(dialogtest::Text(Handle()), "Track # 2 Effects List Dialog");
  Select(0);
  EffectListDialog::RefreshAll(kEffectDialogsPlaying, 0);
  // The gain's settings window stays at hand while playing.
  EXPECT_EQ(EnabledOf(all), (std::vector<int>{kEffectPreview, kEffectRename, kEffectSettings}));
  EffectListDialog::RefreshAll(kEffectDialogsStopped, 0);
  EXPECT_EQ(EnabledOf(all),
            (std::vector<int>{kEffectAddAbove, kEffectAddBelow, kEffectRemove, kEffectMoveDown, kEffectResponse,
                              kEffectListResponse, kEffectClear, kEffectSave, kEffectLoad, kEffectCopyList,
                              kEffectPreview, kEffectRename, kEffectSettings}));
  EffectListDialog::RefreshAll(kEffectDialogsCommands, 0);
  EXPECT_FALSE(Enabled(kEffectPreview));
  EXPECT_FALSE(Enabled(kEffectResponse));
  EXPECT_FALSE(Enabled(kEffectListResponse));
  EffectListDialog::RefreshAll(kEffectDialogsCommands, 1);
  EXPECT_TRUE(Enabled(kEffectPreview));
  EXPECT_TRUE(Enabled(kEffectResponse));
  EXPECT_TRUE(Enabled(kEffectListResponse));
  // Without audio to play on the line there is nothing to preview.
  host_.audio = false;
  EffectListDialog::RefreshAll(kEffectDialogsStopped, 0);
  EXPECT_FALSE(Enabled(kEffectPreview));
}

TEST_F(EffectListDialogTest, PreviewStartsTheLineOrReportsAndStops) {
  Open(ListOf({Gain(1.0f, "A")}), 3);
  host_.previewResult = true;
  Command(kEffectPreview);
  EXPECT_EQ(host_.previewedLines, std::vector<int32_t>{3});
  EXPECT_TRUE(dialog_->Previewing());
  // While playing, Preview stops.
  host_.playing = true;
  Command(kEffectPreview);
  EXPECT_EQ(host_.stops, 1);
  EXPECT_FALSE(dialog_->Previewing());
  host_.playing = false;
  host_.previewResult = false;
  Command(kEffectPreview);
  EXPECT_EQ(boxes_.shown, (std::vector<std::string>{"Playback Start: Can not start preview of audio track(s)"}));
  EXPECT_EQ(host_.stops, 2);
  EXPECT_FALSE(dialog_->Previewing());
}

TEST_F(EffectListDialogTest, SkipAllSwitchesTheOwnersEffects) {
  // A clip's list is switched here, and an open analysis follows it.
  EffectList* list = ListOf({Gain(0.5f, "A")});
  Open(list);
  Command(kEffectListResponse);
  ASSERT_NE(dialog_->AnalysisList(), nullptr);
  Click(kEffectSkipAll);
  EXPECT_EQ(list->bypass, 1);
  EXPECT_EQ(dialog_->AnalysisList()->bypass, 1);
  EXPECT_TRUE(dialogtest::Checked(Handle(), kEffectSkipAll));
  UpdateWindow(GetWindow(dialog_->Analyser()->GetHandle(), GW_CHILD));
  Click(kEffectSkipAll);
  EXPECT_EQ(list->bypass, 0);
  Close();
  // A line's and the master's go through the time-line.
  Open(ListOf({}), 2);
  Click(kEffectSkipAll);
  EXPECT_EQ(host_.toggledLines, std::vector<int32_t>{2});
  Close();
  Open(ListOf({}), -1);
  Click(kEffectSkipAll);
  EXPECT_EQ(host_.masterSwitches, 1);
}

TEST_F(EffectListDialogTest, ClearAsksAndEmptiesTheList) {
  EffectList* list = ListOf({Gain(1.0f, "A"), Gain(1.0f, "B")});
  Open(list);
  boxes_.answer = IDNO;
  Command(kEffectClear);
  EXPECT_EQ(Names(list).size(), 2u);
  boxes_.answer = IDYES;
  Command(kEffectClear);
  EXPECT_TRUE(Names(list).empty());
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(boxes_.shown.front(), "Clear Effects List: Do you really want to clear effects list?");
}

// ---- Analysis from the dialog ----

float GainOf(Effect* e) {
  BYTE state[GainSettings::kStateSize];
  GainSettings read;
  if (e->component->SaveState(state, sizeof state) == 0 || !effect_state::Decode(state, sizeof state, &read))
    return -1.0f;
  return read.gain;
}

void SetGain(Effect* e, float gain) {
  BYTE state[GainSettings::kStateSize];
  effect_state::Encode(GainSettings{gain}, state);
  EXPECT_NE(e->component->LoadState(state, sizeof state), 0);
}

TEST_F(EffectListDialogTest, AChangedSettingMakesTheOpenAnalysisMeasureAgain) {
  EffectList* list = ListOf({Gain(0.5f, "A")});
  Open(list);
  Select(0);
  Command(kEffectResponse);
  TFFTSpec* analyser = dialog_->Analyser();
  ASSERT_NE(analyser, nullptr);
  EXPECT_EQ(host_.enableCalls, std::vector<bool>{false});
  EXPECT_FALSE(Enabled(kEffectResponse));
  EXPECT_NEAR(analyser->MagnitudeLeft()[10], 0.5f, 1e-5);
  const int measured = analyser->MeasureCount();

  SetGain(list->first, 0.25f);
  // Sent by the component's settings window with the id it was given.
  SendMessage(Handle(), kEffectChangedMessage, 1, static_cast<LPARAM>(list->first->component->GetId()));
  UpdateWindow(analyser->Diagram()->GetHandle());
  GuiPumpMessages();
  EXPECT_EQ(analyser->MeasureCount(), measured + 1);
  EXPECT_NEAR(analyser->MagnitudeLeft()[10], 0.25f, 1e-5);
  EXPECT_EQ(GainOf(dialog_->AnalysisList()->first), 0.25f);

  // Closing the analyser ends the analysis and gives the commands back.
  SendMessage(analyser->GetHandle(), WM_COMMAND, IDOK, 0);
  GuiPumpMessages();
  EXPECT_EQ(dialog_->Analyser(), nullptr);
  EXPECT_EQ(dialog_->AnalysisList(), nullptr);
  EXPECT_EQ(host_.enableCalls, (std::vector<bool>{false, true}));
  EXPECT_TRUE(Enabled(kEffectResponse));
}

TEST_F(EffectListDialogTest, TypingInAComponentsSettingsWindowMeasuresTheAnalysisAgain) {
  EffectList* list = ListOf({Gain(0.5f, "A"), Gain(2.0f, "B")});
  Open(list);
  Select(0);
  Command(kEffectResponse);
  TFFTSpec* analyser = dialog_->Analyser();
  ASSERT_NE(analyser, nullptr);
  const int measured = analyser->MeasureCount();
  Command(kEffectSettings);
  // Asked again, the component brings up the window the dialog opened.
  HWND settings = list->first->component->ShowSettings(Handle());
  ASSERT_NE(settings, nullptr);
  HWND edit = FindWindowEx(settings, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetFocus(edit);
  SendMessage(edit, EM_SETSEL, 0, -1);
  GuiType("0.25");
  UpdateWindow(analyser->Diagram()->GetHandle());
  GuiPumpMessages();
  EXPECT_EQ(GainOf(list->first), 0.25f);
  EXPECT_EQ(GainOf(dialog_->AnalysisList()->first), 0.25f);
  EXPECT_GT(analyser->MeasureCount(), measured);
  EXPECT_NEAR(analyser->MagnitudeLeft()[10], 0.25f, 1e-5);
  // The other effect's window is another one; closing the dialog closes both.
  Select(1);
  Command(kEffectSettings);
  HWND other = list->first->next->component->ShowSettings(Handle());
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, settings);
  Close();
  EXPECT_FALSE(IsWindow(settings));
  EXPECT_FALSE(IsWindow(other));
}

// The analyser shows the response as it opens, and Refresh shows the same
// one again: a 12 dB boost at 1 kHz, and an echo longer than the measured
// stretch (250 ms, feedback and wet 0.5: twice the sound at 0 Hz), for the
// selected effect and for the whole list.
TEST_F(EffectListDialogTest, TheAnalyserShowsTheResponseWhenItOpens) {
  const struct {
    const char* what;
    std::function<Effect*()> make;
    double hz;
    float magnitude;
  } cases[] = {
      {"equalizer", [] { return Equalizer(1000.0f, 12.0f, 1.0f); }, 1000.0, 3.98f},
      {"echo", [] { return Effect::Create(CLSID_KobrixEcho, "Echo"); }, 0.0, 2.0f},
  };
  for (const auto& c : cases) {
    for (int command : {kEffectResponse, kEffectListResponse}) {
      SCOPED_TRACE(std::string(c.what) + (command == kEffectResponse ? ", selected" : ", whole list"));
      Open(ListOf({c.make()}));
      Select(0);
      Command(command);
      TFFTSpec* analyser = dialog_->Analyser();
      ASSERT_NE(analyser, nullptr);
      const auto bin = static_cast<std::size_t>(c.hz * analyser->Points() / analyser->Rate() + 0.5);
      EXPECT_NEAR(analyser->MagnitudeLeft()[bin], c.magnitude, 0.02f);
      for (int refresh = 0; refresh < 3; ++refresh) {
        SendMessage(analyser->GetHandle(), WM_COMMAND, kFftRefresh, 0);
        GuiPumpMessages();
        EXPECT_NEAR(analyser->MagnitudeLeft()[bin], c.magnitude, 0.02f) << "refresh " << refresh;
      }
      Close();
    }
  }
}

TEST_F(EffectListDialogTest, AWholeListAnalysisFollowsAddRemoveAndMove) {
  EffectList* list = ListOf({Gain(0.5f, "A"), Gain(2.0f, "B")});
  Open(list);
  Command(kEffectListResponse);
  ASSERT_NE(dialog_->Analyser(), nullptr);
  EXPECT_NEAR(dialog_->Analyser()->MagnitudeLeft()[5], 1.0f, 1e-5);
  Select(1);
  {
    ModalScript script({Choose(kEchoProgId)});
    Command(kEffectAddBelow);
  }
  EXPECT_EQ(Names(dialog_->AnalysisList()), (std::vector<std::string>{"A", "B", kEchoProgId}));
  Select(0);
  Command(kEffectMoveDown);
  EXPECT_EQ(Names(dialog_->AnalysisList()), (std::vector<std::string>{"B", "A", kEchoProgId}));
  Command(kEffectRemove);
  EXPECT_EQ(Names(dialog_->AnalysisList()), (std::vector<std::string>{"B", kEchoProgId}));
  // The rebuilt copy is measured on the next paint.
  UpdateWindow(dialog_->Analyser()->Diagram()->GetHandle());
  GuiPumpMessages();
  // The gain of B, then the echo's (twice the sound at 0 Hz).
  EXPECT_NEAR(dialog_->Analyser()->MagnitudeLeft()[0], 4.0f, 1e-3);
}

}  // namespace
