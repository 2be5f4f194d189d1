#include "ui/film_edit_dialog.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/film.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/timeline_view.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/clip_dialog_ids.h"
#include "ui/file_name_control.h"
#include "ui/owner_window.h"
#include "ui/time_code_edit.h"

namespace {

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

float Rate() {
  return ProjectFrameRate();
}

int32_t ToFrame(int32_t t) {
  return FramesToMs(MsToFrames(t, Rate()), Rate());
}

// Rounding to frames can bring a range's ends a frame the wrong way round;
// the range then holds its upper end only.
void Limit(TimeCodeEdit* edit, int64_t lo, int64_t hi) {
  edit->SetRange(Saturate(std::min(lo, hi)), Saturate(hi), false);
}

void ShowTime(HWND dialog, int id, int32_t ms) {
  ::SetDlgItemText(dialog, id, MsToTimeCodeText(ms, TRUE));
}

bool Reject(TWindow* control) {
  ::SetFocus(control->GetHandle());
  MessageBeep(MB_ICONASTERISK);
  return false;
}

}  // namespace

bool& KeyFrameAlignment() {
  static bool align = false;
  return align;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(FilmEditDialog, TEDialog)
  EV_EN_CHANGE(kClipIn, EvInChange),
  EV_EN_CHANGE(kClipOut, EvOutChange),
  EV_EN_CHANGE(kClipStart, EvStartChange),
END_RESPONSE_TABLE;
// clang-format on

FilmEditDialog::FilmEditDialog(TWindow* parent, Film* film_, int32_t earliestStart_, int32_t latestEnd_,
                               bool* showFrame_, TimeLinePlayers* players_)
    : TEDialog(parent, kFilmEditDialog),
      film(film_),
      players(players_),
      in(film_->in),
      out(film_->out),
      start(film_->start),
      showFrame(showFrame_) {
  const char* file = "";
  if (film->video != nullptr) {
    sourceLength = FramesToMs(film->video->GetFrameCount(), film->video->GetFrameRate());
    file = film->video->GetFileName();
  } else if (film->audio != nullptr) {
    sourceLength = film->audio->GetLength();
    file = film->audio->GetFileName();
  } else if (film->midi != nullptr) {
    sourceLength = MulDivRoundSigned(film->midi->GetLength(), film->tempo, 1000);
    file = film->midi->GetFileName();
  }

  earliestStart = Align(earliestStart_);
  if (earliestStart < earliestStart_) earliestStart = AddUnit(earliestStart);
  latestEnd = Align(latestEnd_);
  if (latestEnd > latestEnd_) latestEnd = SubUnit(latestEnd);

  inEdit = new TimeCodeEdit(this, kClipIn, in, std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max());
  outEdit = new TimeCodeEdit(this, kClipOut, out, std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max());
  startEdit = new TimeCodeEdit(this, kClipStart, start, std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::max());
  LimitIn();
  LimitOut();
  LimitStart();
  showFrameBox = new TCheckBox(this, kClipShowFrame);
  name = new TEdit(this, kClipName, sizeof film->name);
  fileName = new FileNameControl(this, kClipFileName, file != nullptr ? file : "");
}

// ---- The unit ----

// A frame at the project rate for video clips and in the frame formats,
// else a millisecond.
bool FilmEditDialog::FrameUnit() const {
  const int format = ProjectTimeFormat();
  return film->video != nullptr || format == kTimeFormatSmpte || format == kTimeFormatFrames;
}

int32_t FilmEditDialog::Align(int32_t t) const {
  return FrameUnit() ? ToFrame(t) : t;
}

int32_t FilmEditDialog::AddUnit(int32_t t) const {
  return FrameUnit() ? FramesToMs(MsToFrames(t, Rate()) + 1, Rate()) : Saturate(static_cast<int64_t>(t) + 1);
}

int32_t FilmEditDialog::SubUnit(int32_t t) const {
  return FrameUnit() ? FramesToMs(MsToFrames(t, Rate()) - 1, Rate()) : Saturate(static_cast<int64_t>(t) - 1);
}

int32_t FilmEditDialog::Stop() const {
  const int32_t stop = Saturate(static_cast<int64_t>(start) + out - in);
  return film->video != nullptr ? ToFrame(stop) : stop;
}

// ---- The linked ranges ----

void FilmEditDialog::LimitIn() {
  Limit(inEdit, std::max<int64_t>(0, static_cast<int64_t>(out) - (static_cast<int64_t>(latestEnd) - start)),
        SubUnit(out));
}

void FilmEditDialog::LimitOut() {
  Limit(
      outEdit, AddUnit(in),
      std::min<int64_t>(sourceLength, static_cast<int64_t>(in) + (static_cast<int64_t>(latestEnd) - start)));
}

void FilmEditDialog::LimitStart() {
  Limit(startEdit, earliestStart,
        Align(Saturate(static_cast<int64_t>(latestEnd) - (static_cast<int64_t>(out) - in))));
}

void FilmEditDialog::ShowSize() {
  ShowTime(HWindow, kClipSize, Saturate(static_cast<int64_t>(out) - in));
}

void FilmEditDialog::ShowStop() {
  ShowTime(HWindow, kClipStop, Stop());
}

void FilmEditDialog::EvInChange() {
  in = Align(inEdit->GetValue(true));
  ShowSize();
  ShowStop();
  LimitOut();
  LimitStart();
  if (showFrameBox->GetCheck() == TCheckBox::Checked) ShowFrame(in);
}

void FilmEditDialog::EvOutChange() {
  out = Align(outEdit->GetValue(true));
  ShowSize();
  ShowStop();
  LimitIn();
  LimitStart();
  if (showFrameBox->GetCheck() == TCheckBox::Checked) ShowFrame(out);
}

void FilmEditDialog::EvStartChange() {
  start = Align(startEdit->GetValue(true));
  ShowStop();
  LimitIn();
  LimitOut();
}

// ---- The frame on the video output ----

bool FilmEditDialog::CanShowFrames() const {
  return film->video != nullptr && players != nullptr && players->VideoUsable();
}

void FilmEditDialog::ShowFrame(int32_t ms) {
  if (film->video == nullptr || players == nullptr) return;
  if (VideoEngine* video = players->Video()) video->ShowOnBoard(film->video, ms, HWindow);
}

// ---- Set-up and OK ----

void FilmEditDialog::SetupWindow() {
  TEDialog::SetupWindow();
  char text[sizeof film->name] = {};
  std::memcpy(text, film->name, sizeof text - 1);
  name->SetText(text);
  ShowTime(HWindow, kClipSourceLength, sourceLength);
  ShowSize();
  ShowStop();
  if (CanShowFrames()) {
    showFrameBox->SetCheck(showFrame != nullptr && *showFrame ? TCheckBox::Checked : TCheckBox::Unchecked);
    EnableItem(kClipShowFrame, true);
  } else {
    showFrameBox->SetCheck(TCheckBox::Unchecked);
    EnableItem(kClipShowFrame, false);
  }
}

bool FilmEditDialog::AlignToKeyFrame() {
  const float rate = Rate();
  const int32_t inF = MsToFrames(in, rate), startF = MsToFrames(start, rate);
  const int32_t minF = MsToFrames(earliestStart, rate), outF = MsToFrames(out, rate);
  const int32_t lo = -std::min(inF, startF - minF);
  const int32_t hi = outF - inF - 1;
  // The film answers for the in point being edited.
  const int32_t filmIn = film->in;
  film->in = in;
  const int32_t step = film->NearestKeyFrame(0, lo, hi);
  film->in = filmIn;
  if (step == 0) return false;
  // The start moves with the in point, so the clip keeps its stop and stays
  // within its room: the bounds above are the room before the start.
  in = FramesToMs(inF + step, rate);
  start = FramesToMs(startF + step, rate);
  // The ranges first, so that the fields take the new times as they are.
  LimitIn();
  LimitOut();
  LimitStart();
  inEdit->SetValue(in, false);
  startEdit->SetValue(start, false);
  ShowSize();
  ShowStop();
  return true;
}

bool FilmEditDialog::CanClose() {
  if (!startEdit->IsValid()) return Reject(startEdit);
  if (!inEdit->IsValid()) return Reject(inEdit);
  if (!outEdit->IsValid()) return Reject(outEdit);

  if (film->video != nullptr && KeyFrameAlignment() && AlignToKeyFrame()) {
    if (showFrameBox->GetCheck() == TCheckBox::Checked) ShowFrame(in);
    ::SetFocus(inEdit->GetHandle());
    ShowMessage(HWindow, GetString(ui_string::kEditClip), MB_ICONEXCLAMATION, "%s",
                GetString(ui_string::kAlignToNearestFrame));
    return false;
  }

  char text[sizeof film->name] = {};
  name->GetText(text, sizeof text);
  std::memcpy(film->name, text, sizeof film->name);
  film->name[sizeof film->name - 1] = '\0';
  film->in = in;
  film->out = out;
  film->start = start;
  film->end = Stop();
  if (showFrame != nullptr && CanShowFrames()) *showFrame = showFrameBox->GetCheck() == TCheckBox::Checked;
  return true;
}

bool RunFilmEditDialog(HWND parent, Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame,
                       TimeLinePlayers* players) {
  OwnerWindow owner(parent);
  FilmEditDialog dialog(owner.Get(), &film, earliestStart, latestEnd, &showFrame, players);
  return dialog.Execute() == IDOK;
}
