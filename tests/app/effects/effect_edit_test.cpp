// An effect changed in the program: the effect-list dialog over a line, a
// clip or the master shows the effect live and opens its settings; OK is
// heard in the export, undo gives back the sound from before, redo the
// change; Cancel keeps the old sound.
#include <functional>

#include "audio/effect_list.h"
#include "effects_project.h"
#include "model/film_list.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/gui_driver.h"
#include "resources/effect_dialog_ids.h"
#include "resources/timeline_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/dialog_script.h"

namespace apptest {
namespace {

using dialogtest::ModalScript;

// The dialog's first effect shown live: ticked, its settings window opens;
// the delay typed there. Then OK or Cancel.
ModalScript::Step SetDelay(const char* delay, int button, bool* live) {
  return [delay, button, live](HWND dialog) {
    SendDlgItemMessage(dialog, kEffectList, LB_SETCURSEL, 0, 0);
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(kEffectList, LBN_SELCHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, kEffectList)));
    auto* effect = reinterpret_cast<Effect*>(SendMessage(dialog, WM_USER + 99, 991, 0));
    *live = effect != nullptr && effect->component != nullptr && effect->component->IsBypassed() == 0 &&
            IsWindowEnabled(GetDlgItem(dialog, kEffectSettings));
    SendMessage(dialog, WM_COMMAND, kEffectSettings, 0);
    GuiPumpMessages();
    HWND settings = FindWindow("KOBRIX.Echo.Settings", nullptr);
    *live = *live && settings != nullptr;
    if (HWND edit = settings != nullptr ? FindWindowEx(settings, nullptr, WC_EDIT, nullptr) : nullptr) {
      SetFocus(edit);
      SendMessage(edit, EM_SETSEL, 0, -1);
      GuiType(delay);
      GuiPumpMessages();
    }
    SendMessage(dialog, WM_COMMAND, button, 0);
  };
}

struct Holder {
  const char* name;
  bool clip, line, master;
  std::function<void(MainTimeLineWindow&)> edit;
};

class EffectEdit : public EffectsProgramTest {
 protected:
  // The sound of the project as exported now.
  std::string Export(const std::string& name) {
    EXPECT_TRUE(TimeLine().WriteAudio(0, File(name).c_str())) << name;
    return File(name);
  }
  // The echo's level (RMS) in the 50 ms window after a time in s.
  double EchoAt(const std::string& wave, double at) { return Rms(wave, at, at + 0.05); }
};

TEST_F(EffectEdit, AnEchoSetTo500MsIsHeardAndUndoRedoGiveEachSettingBack) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const Holder holders[] = {
      {"line", false, true, false, [](MainTimeLineWindow& t) { t.AudioHeader()->EditEffects(0); }},
      {"clip", true, false, false,
       [](MainTimeLineWindow& t) { t.AudioLines()->EditEffects(FilmList.First()); }},
      {"master", false, false, true, [](MainTimeLineWindow& t) { t.CmMasterEffects(); }},
  };
  const std::string burst = Burst("burst.wav", 50, 1000);
  for (const Holder& h : holders) {
    SCOPED_TRACE(h.name);
    auto echo = [&](bool wanted) { return wanted ? EchoList(250, 0, 0.5f) : nullptr; };
    const std::string project = Project(burst, echo(h.clip), echo(h.line), echo(h.master));
    Start(0, project);
    ASSERT_NE(FilmList.First(), nullptr);
    const std::string before = Export("before.wav");
    EXPECT_GT(EchoAt(before, 0.25), 0.02);
    EXPECT_LT(EchoAt(before, 0.5), 0.001);

    bool live = false;
    {
      ModalScript script({SetDelay("500", IDCANCEL, &live)});
      h.edit(TimeLine());
      EXPECT_TRUE(script.done());
    }
    EXPECT_TRUE(live);
    EXPECT_TRUE(ReadFile(Export("cancelled.wav")) == ReadFile(before));

    live = false;
    {
      ModalScript script({SetDelay("500", IDOK, &live)});
      h.edit(TimeLine());
      EXPECT_TRUE(script.done());
    }
    EXPECT_TRUE(live);
    const std::string after = Export("after.wav");
    EXPECT_LT(EchoAt(after, 0.25), 0.001);
    EXPECT_GT(EchoAt(after, 0.5), 0.02);

    Frame().SendMessage(WM_COMMAND, kCmUndo, 0);
    Pump();
    EXPECT_TRUE(ReadFile(Export("undone.wav")) == ReadFile(before));
    Frame().SendMessage(WM_COMMAND, kCmRedo, 0);
    Pump();
    EXPECT_TRUE(ReadFile(Export("redone.wav")) == ReadFile(after));
    Stop();
  }
}

TEST_F(EffectEdit, AddedMasterEffectsAreUndoneAndRedoneAsHeard) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  WriteTone(File("tone.wav"), 1000);
  Start(0, Project(File("tone.wav"), nullptr, nullptr, GainList(0.5f)));
  const std::string before = Export("before.wav");
  EffectChain* clipboard = GainList(0.5f);
  EffectList::SetDefault(static_cast<EffectList*>(clipboard));
  ReleaseChain(clipboard);

  // Add effects (342) from the master corner's menu: the master at a quarter.
  TimeLine().CurTimeText()->SendMessage(WM_COMMAND, 342, 0);
  Pump();
  const std::string added = Export("added.wav");
  EXPECT_LT(Difference(added, before, 0.5), 0.001);
  Frame().SendMessage(WM_COMMAND, kCmUndo, 0);
  Pump();
  EXPECT_TRUE(ReadFile(Export("undone.wav")) == ReadFile(before));
  Frame().SendMessage(WM_COMMAND, kCmRedo, 0);
  Pump();
  EXPECT_TRUE(ReadFile(Export("redone.wav")) == ReadFile(added));
}

}  // namespace
}  // namespace apptest
