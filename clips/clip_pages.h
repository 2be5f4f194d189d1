// The pages of a clip's properties: its file and times (General), its
// picture (Video), its sound (Audio), its MIDI length, its face
// (Thumbnail); and the sheet that shows them for the collection.
#pragma once

#include <cstdint>

#include "clips/clip_data.h"
#include "clips/clip_property_sheet.h"
#include "platform/classlib/controls.h"
#include "ui/te_property_sheet.h"

class TEdit;
class TFloatEdit;
class TimeCodeEdit;
class FileNameControl;
class TEBar;

class GeneralClipDialog : public TEPropertyPage {
 public:
  GeneralClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip);

  void SetupWindow() override;
  int SetActive(PSHNOTIFY& notify) override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void InChanged();
  void OutChanged();

 private:
  void ReadSource();
  void ShowTimes();
  // One step before and after t: a frame, or 1 ms in millisecond display.
  int32_t StepBefore(int32_t t) const;
  int32_t StepAfter(int32_t t) const;

  ClipData& clip;
  int32_t inTime;
  int32_t outTime;
  int32_t sourceLength = 0;
  float frameRate = 25.0f;
  bool showing = false;
  TEdit* nameEdit;
  FileNameControl* fileName;
  TimeCodeEdit* inEdit;
  TimeCodeEdit* outEdit;

  DECLARE_RESPONSE_TABLE(GeneralClipDialog);
};

class VideoClipDialog : public TEPropertyPage {
 public:
  VideoClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip, HWND collection);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  void ShowRate();

  ClipData& clip;
  HWND collection;
  TFloatEdit* rateEdit;

  DECLARE_RESPONSE_TABLE(VideoClipDialog);
};

class AudioClipDialog : public TEPropertyPage {
 public:
  AudioClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  ClipData& clip;

  DECLARE_RESPONSE_TABLE(AudioClipDialog);
};

class MidiClipDialog : public TEPropertyPage {
 public:
  MidiClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip);
  void SetupWindow() override;

 private:
  ClipData& clip;
};

// The clip's face, 128 x 96, from a frame of its video chosen on the page.
class FaceControl : public TControl {
 public:
  FaceControl(TWindow* parent, int resourceId, ClipData& clip, int32_t frame);
  ~FaceControl() override;

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  void SetFrame(int32_t frame);
  int32_t GetFrame() const { return frame; }
  // Makes the shown frame the clip's face: its time, pixels and thumbnail.
  void WriteBack();

 private:
  void Render();

  ClipData& clip;
  bool outOfDate = false;
  int32_t frame;
  TEVideoBitmap* thumbnail = nullptr;
  BYTE pixels[kThumbnailBytes];
};

class FaceClipDialog : public TEPropertyPage {
 public:
  FaceClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip);

  int Apply(PSHNOTIFY& notify) override;
  FaceControl& Face() { return *face; }

 protected:
  // The bar tells of every move by the user.
  void BarMoved();

 private:
  ClipData& clip;
  FaceControl* face;
  TEBar* bar;

  DECLARE_RESPONSE_TABLE(FaceClipDialog);
};

// The Clip Properties sheet on these pages; the program installs it with
// SetClipPropertySheet.
class ClipPropertyPages : public ClipPropertySheet {
 public:
  bool Run(HWND parent, const char* caption, ClipData& clip, const std::vector<ClipPage>& pages,
           const SummaryInfo& summary) override;
};
