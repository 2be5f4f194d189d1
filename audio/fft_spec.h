// "Effect(s) Frequency and Phase Response": the analyser that passes a test
// signal (a unit impulse or a sine) once through an effect list, transforms
// the result and shows magnitude and phase per frequency in its diagram.
// Settings live in the INI section "FFT Analyser".
//
// It talks to its opener with WM_USER + 99: it sends 1000 before a
// measurement that must start from the edited effect's current state, and
// posts 999 when it closes (the opener then deletes it). The opener sends it
// 1 when the effect under test changed.
#pragma once

#include <memory>
#include <vector>

#include "audio/fft.h"
#include "media/sample_block.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/dialog.h"

class EffectList;
class TDiagram;

constexpr UINT kAnalyserMessage = WM_USER + 99;
constexpr WPARAM kAnalyserRemeasure = 1;
constexpr WPARAM kAnalyserClosed = 999;
constexpr WPARAM kAnalyserCopyState = 1000;

// The zoom levels: a stack over the base level {20, rate / 2}, which stays.
class TZoomLevel {
 public:
  struct node {
    int32_t minFreq;
    int32_t maxFreq;
    node* next;
    node* prev;
  };
  TZoomLevel(int32_t minFreq, int32_t maxFreq);
  ~TZoomLevel();
  TZoomLevel(const TZoomLevel&) = delete;
  TZoomLevel& operator=(const TZoomLevel&) = delete;

  void Push(int32_t minFreq, int32_t maxFreq);
  // Drops the current level unless it is the base; the level now current.
  const node& Pop();
  // Drops every level above the base.
  void Reset();
  const node& Current() const { return *current; }
  bool AtBase() const { return current == base; }

 private:
  node* base;
  node* current;
};

class TFFTSpec : public TDialog {
 public:
  TFFTSpec(TWindow* parent, EffectList* list, int channels);
  ~TFFTSpec() override;

  void Destroy(int retVal = IDCANCEL) override;
  void SetupWindow() override;

  // Runs the test signal through the chain and analyses it.
  void Measure();
  void SaveSettings();

  TDiagram* Diagram() const { return diagram; }
  int32_t Points() const;
  int32_t MinFreq() const { return minFreq; }
  int32_t MaxFreq() const { return maxFreq; }
  bool Impulse() const { return impulse; }
  bool WindowActive() const { return windowActive; }
  int Channels() const { return channels; }
  const float* MagnitudeLeft() const { return magnitudeLeft.data(); }
  const float* PhaseLeft() const { return phaseLeft.data(); }
  const float* MagnitudeRight() const { return magnitudeRight.empty() ? nullptr : magnitudeRight.data(); }
  int32_t Rate() const;
  int32_t SineFrequency() const;
  const TZoomLevel& Zoom() const { return *zoom; }
  // How many measurements ran (the read-outs and tests watch it).
  int MeasureCount() const { return measureCount; }

 protected:
  void CmClose();
  void CmHelp();
  void CmRefresh();
  void CmReset();
  void CmColors();
  void CmUseWindow();
  void CmShowFreq();
  void CmShowPhase();
  void CmAuto();
  void CmImpulse();
  void CmSine();
  void CmZoomOut();
  void CmZoomFull();
  void CmBoth() { SetStereoMode(0); }
  void CmLeft() { SetStereoMode(1); }
  void CmRight() { SetStereoMode(2); }
  void EvSizeChange();
  void EvWindowChange();
  void EvUnitChange();
  void EvValueChange();
  void EvScaleChange();
  void EvNegRangeChange() { RangeSelected(negRange, true); }
  void EvPosRangeChange() { RangeSelected(posRange, false); }
  void EvNegRangeEdit() { RangeTyped(negRange, true); }
  void EvPosRangeEdit() { RangeTyped(posRange, false); }
  void EvRangeKillFocus();
  void EvMinFreqChange();
  void EvMaxFreqChange();
  void EvMinFreqEdit();
  void EvMaxFreqEdit();
  void EvFreqKillFocus();
  void EvSineChange();
  void EvSineEdit();
  void EvSineKillFocus();
  LRESULT EvParent(WPARAM code, LPARAM);
  LRESULT EvCursor(WPARAM, LPARAM);
  LRESULT EvExtremes(WPARAM, LPARAM);
  LRESULT EvWriteMin(WPARAM, LPARAM);
  LRESULT EvWriteMax(WPARAM, LPARAM);
  LRESULT EvWriteSine(WPARAM, LPARAM);
  LRESULT EvButtonDown(WPARAM, LPARAM);
  LRESULT EvZoomOutMsg(WPARAM, LPARAM);
  LRESULT EvBand(WPARAM, LPARAM);
  LRESULT EvMeasureMsg(WPARAM, LPARAM);

 private:
  void AllocBuffers();
  void FreeBuffers();
  void BuildWindow();
  void FoldTail();
  void ComputeSpectrum();
  void AskParentForState();
  void SetQuality();
  void CommitTypedFields();
  void UpdateZoomButtons();
  void ApplyBand(int32_t newMin, int32_t newMax);
  void RangeSelected(TComboBox* box, bool negative);
  void RangeTyped(TComboBox* box, bool negative);
  void ShowNumber(TComboBox* box, int32_t value);
  void SetStereoMode(int mode);
  void Redraw(bool erase = false);
  void EnableControls();
  int32_t ReadInt(TComboBox* box, bool fromSelection) const;
  void Check(int id, bool on);

  EffectList* list;
  int channels;
  TDiagram* diagram;
  std::unique_ptr<TFFT> fft;
  int windowType = 0;
  bool useWindow = false;
  bool windowActive = false;
  bool showFreq = true;
  bool showPhase = false;
  bool impulse = true;
  bool freqInHz = true;
  int32_t minFreq = 20;
  int32_t maxFreq = 22050;
  std::unique_ptr<TZoomLevel> zoom;
  std::vector<float> windowTable;
  std::vector<float> input;
  std::vector<float> spectrumLeft, spectrumRight;
  std::vector<float> magnitudeLeft, phaseLeft, magnitudeRight, phaseRight;
  SampleBlock block{};
  float extremePos[2][4] = {};  // per channel: max value, min value, max phase, min phase, as bin / N
  HCURSOR zoomCursor = nullptr;
  int measureCount = 0;
  bool writing = true;  // the fields' texts are ours until the window is set up

  TComboBox *sizeList, *windowList, *unitList, *valueList, *scaleList;
  TComboBox *negRange, *posRange, *minList, *maxList, *sineList;

  DECLARE_RESPONSE_TABLE(TFFTSpec);
};
