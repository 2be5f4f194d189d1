#include "audio/fft_spec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/effect_list.h"
#include "audio/fft_diagram.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "platform/gui/resource.h"
#include "resources/effect_dialog_ids.h"
#include "ui/shell_services.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// How much of an impulse response is measured: the longest echo with room
// for its repeats to die away, and never more frames than 20 s at 192 kHz
// (a project's rate may be far beyond any sound card's).
constexpr int64_t kTailSeconds = 20;
constexpr int64_t kMaxTailFrames = kTailSeconds * 192000;
constexpr const char* kSection = "FFT Analyser";

const char* const kSizes[] = {"128", "256", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};
const char* const kNegRanges[] = {"5", "10", "20", "40", "60", "80", "120", "180", "240"};
const char* const kPosRanges[] = {"5", "10", "20", "40", "60", "80", "100"};
const char* const kMinFreqs[] = {"0", "10", "20", "50", "100", "200", "500", "1000", "2000", "5000", "10000", "20000"};
const char* const kMaxFreqs[] = {"2000", "4000", "5000", "10000", "11025", "20000", "22050", "24000"};
const char* const kSineFreqs[] = {"1",   "5",    "10",   "20",   "50",    "100",  "200",
                                  "500", "1000", "2000", "5000", "10000", "20000"};

bool ReadBool(const char* key, bool def) {
  const char* text = IniReadString(key, def ? "TRUE" : "FALSE");
  char value[10] = {};
  std::snprintf(value, sizeof value, "%s", text != nullptr ? text : "");
  return std::strcmp(value, "TRUE") == 0;
}

void WriteBool(const char* key, bool value) {
  IniWriteString(key, value ? "TRUE" : "FALSE");
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void SetText(HWND dialog, int id, const std::string& text) {
  SetDlgItemText(dialog, id, text.c_str());
}

}  // namespace

// ---- TZoomLevel ----

TZoomLevel::TZoomLevel(int32_t minFreq, int32_t maxFreq) : base(new node{minFreq, maxFreq, nullptr, nullptr}) {
  current = base;
}

TZoomLevel::~TZoomLevel() {
  Reset();
  delete base;
}

void TZoomLevel::Push(int32_t minFreq, int32_t maxFreq) {
  node* n = new node{minFreq, maxFreq, nullptr, current};
  current->next = n;
  current = n;
}

const TZoomLevel::node& TZoomLevel::Pop() {
  if (current != base) {
    node* gone = current;
    current = gone->prev;
    current->next = nullptr;
    delete gone;
  }
  return *current;
}

void TZoomLevel::Reset() {
  while (current != base) Pop();
}

// ---- TFFTSpec ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TFFTSpec, TDialog)
  EV_COMMAND(IDOK, CmClose),
  EV_COMMAND(IDCANCEL, CmClose),
  EV_COMMAND(IDHELP, CmHelp),
  EV_COMMAND(kFftRefresh, CmRefresh),
  EV_COMMAND(kFftReset, CmReset),
  EV_COMMAND(kFftColors, CmColors),
  EV_COMMAND(kFftUseWindow, CmUseWindow),
  EV_COMMAND(kFftShowFreq, CmShowFreq),
  EV_COMMAND(kFftShowPhase, CmShowPhase),
  EV_COMMAND(kFftAutoRange, CmAuto),
  EV_COMMAND(kFftImpulse, CmImpulse),
  EV_COMMAND(kFftSine, CmSine),
  EV_COMMAND(kFftZoomOut, CmZoomOut),
  EV_COMMAND(kFftZoomFull, CmZoomFull),
  EV_COMMAND(kFftBothChannels, CmBoth),
  EV_COMMAND(kFftLeftOnly, CmLeft),
  EV_COMMAND(kFftRightOnly, CmRight),
  EV_CBN_SELCHANGE(kFftSize, EvSizeChange),
  EV_CBN_SELCHANGE(kFftWindowType, EvWindowChange),
  EV_CBN_SELCHANGE(kFftUnit, EvUnitChange),
  EV_CBN_SELCHANGE(kFftValueKind, EvValueChange),
  EV_CBN_SELCHANGE(kFftScale, EvScaleChange),
  EV_CBN_SELCHANGE(kFftNegRange, EvNegRangeChange),
  EV_CBN_SELCHANGE(kFftPosRange, EvPosRangeChange),
  EV_CHILD_NOTIFY(kFftNegRange, CBN_EDITCHANGE, EvNegRangeEdit),
  EV_CHILD_NOTIFY(kFftPosRange, CBN_EDITCHANGE, EvPosRangeEdit),
  EV_CHILD_NOTIFY(kFftNegRange, CBN_KILLFOCUS, EvRangeKillFocus),
  EV_CHILD_NOTIFY(kFftPosRange, CBN_KILLFOCUS, EvRangeKillFocus),
  EV_CBN_SELCHANGE(kFftMinFreq, EvMinFreqChange),
  EV_CBN_SELCHANGE(kFftMaxFreq, EvMaxFreqChange),
  EV_CHILD_NOTIFY(kFftMinFreq, CBN_EDITCHANGE, EvMinFreqEdit),
  EV_CHILD_NOTIFY(kFftMaxFreq, CBN_EDITCHANGE, EvMaxFreqEdit),
  EV_CHILD_NOTIFY(kFftMinFreq, CBN_KILLFOCUS, EvFreqKillFocus),
  EV_CHILD_NOTIFY(kFftMaxFreq, CBN_KILLFOCUS, EvFreqKillFocus),
  EV_CBN_SELCHANGE(kFftSineFreq, EvSineChange),
  EV_CHILD_NOTIFY(kFftSineFreq, CBN_EDITCHANGE, EvSineEdit),
  EV_CHILD_NOTIFY(kFftSineFreq, CBN_KILLFOCUS, EvSineKillFocus),
  EV_MESSAGE(kAnalyserMessage, EvParent),
  EV_MESSAGE(kDiagramCursorMoved, EvCursor),
  EV_MESSAGE(kDiagramExtremes, EvExtremes),
  EV_MESSAGE(1227, EvWriteMin),
  EV_MESSAGE(1228, EvWriteMax),
  EV_MESSAGE(1229, EvWriteSine),
  EV_MESSAGE(kDiagramButtonDown, EvButtonDown),
  EV_MESSAGE(kDiagramZoomOut, EvZoomOutMsg),
  EV_MESSAGE(kDiagramBand, EvBand),
  EV_MESSAGE(kDiagramMeasure, EvMeasureMsg),
END_RESPONSE_TABLE;
// clang-format on

TFFTSpec::TFFTSpec(TWindow* parent, EffectList* list_, int channels_)
    : TDialog(parent, kFFTSpecDialog), list(list_), channels(channels_ >= 2 ? 2 : 1) {
  zoomCursor = LoadCursor(ProgramInstance(), MAKEINTRESOURCE(kFftZoomCursor));
  IniSetSection(kSection);
  windowType = IniReadInt("Window type", 0);
  useWindow = ReadBool("Use window", false);

  diagram = new TDiagram(this, kFftDiagram, channels);
  diagram->zoomCursor = zoomCursor;
  diagram->N = TDiagram::ClampFFTSize(IniReadInt("FFT Size", 4096));
  DWORD rate = 0, outChannels = 0;
  QueryEffectOutputFormat(&rate, &outChannels);
  diagram->sampleRate = rate >= 2 ? static_cast<int32_t>(rate) : 44100;
  const int32_t nyquist = diagram->sampleRate / 2;
  diagram->maxFreq = 0.5f;
  diagram->logarithmic = ReadBool("Log Scale", true);
  diagram->decibels = ReadBool("Value in dB", true);
  diagram->posRange = IniReadInt("Pos Range", 10);
  diagram->negRange = IniReadInt("Neg Range", 10);
  diagram->sineFrequency = std::clamp(IniReadInt("Generate Freq", 1000), 1, nyquist);
  diagram->autoRange = ReadBool("Auto Range", false);
  diagram->stereoMode = std::clamp(IniReadInt("Stereo Mode", 0), 0, 2);
  diagram->ClearData();
  diagram->redrawPending = diagram->remeasurePending = true;
  diagram->ReadColors();

  fft = std::make_unique<TFFT>(diagram->N);

  IniSetSection(kSection);
  showFreq = ReadBool("Show Freq", true);
  showPhase = ReadBool("Show Phase", false);
  impulse = ReadBool("Generate Impulse", true);
  windowActive = useWindow && !impulse;
  diagram->showFreq = showFreq;
  diagram->showPhase = showPhase && impulse;
  if (!diagram->showFreq && !diagram->showPhase) showFreq = diagram->showFreq = true;

  minFreq = 20;
  maxFreq = nyquist;
  diagram->SetMinFreq(minFreq);
  diagram->SetMaxFreq(maxFreq);
  zoom = std::make_unique<TZoomLevel>(minFreq, maxFreq);

  IniSetSection(kSection);
  freqInHz = ReadBool("Freq in Hz", true);
  sizeList = new TComboBox(this, kFftSize);
  windowList = new TComboBox(this, kFftWindowType);
  unitList = new TComboBox(this, kFftUnit);
  valueList = new TComboBox(this, kFftValueKind);
  scaleList = new TComboBox(this, kFftScale);
  negRange = new TComboBox(this, kFftNegRange, 9);
  posRange = new TComboBox(this, kFftPosRange, 9);
  minList = new TComboBox(this, kFftMinFreq, 9);
  maxList = new TComboBox(this, kFftMaxFreq, 9);
  sineList = new TComboBox(this, kFftSineFreq, 9);
  AllocBuffers();
  SetQuality();
  Measure();
}

TFFTSpec::~TFFTSpec() {
  SaveSettings();
  FreeBuffers();
}

int32_t TFFTSpec::Points() const {
  return diagram->N;
}

int32_t TFFTSpec::Rate() const {
  return diagram->sampleRate;
}

int32_t TFFTSpec::SineFrequency() const {
  return diagram->sineFrequency;
}

void TFFTSpec::AllocBuffers() {
  const std::size_t n = static_cast<std::size_t>(diagram->N);
  windowTable.clear();
  if (windowActive) {
    windowTable.assign(n, 1.0f);
    BuildWindow();
  }
  input.assign(n * static_cast<std::size_t>(channels), 0.0f);
  spectrumLeft.assign(2 * n, 0.0f);
  magnitudeLeft.assign(n / 2 + 1, 0.0f);
  phaseLeft.assign(n / 2 + 1, 0.0f);
  if (channels == 2) {
    spectrumRight.assign(2 * n, 0.0f);
    magnitudeRight.assign(n / 2 + 1, 0.0f);
    phaseRight.assign(n / 2 + 1, 0.0f);
  }
  block = SampleBlock{};
}

void TFFTSpec::FreeBuffers() {
  if (diagram != nullptr) diagram->SetData(nullptr, nullptr, nullptr, nullptr);
  for (auto* v : {&windowTable, &input, &spectrumLeft, &spectrumRight, &magnitudeLeft, &phaseLeft, &magnitudeRight,
                  &phaseRight}) {
    v->clear();
    v->shrink_to_fit();
  }
}

void TFFTSpec::BuildWindow() {
  if (windowTable.empty()) return;
  HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  BuildWindowTable(windowType, diagram->N, windowTable.data());
  SetCursor(before);
}

void TFFTSpec::SetQuality() {
  if (list != nullptr) list->SetQuality(EffectList::settings.fResponseQuality);
}

void TFFTSpec::AskParentForState() {
  if (Parent != nullptr && Parent->GetHandle() != nullptr)
    ::SendMessage(Parent->GetHandle(), kAnalyserMessage, kAnalyserCopyState, 0);
}

void TFFTSpec::Measure() {
  diagram->remeasureAtPaint = false;
  HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const int32_t n = diagram->N;
  const std::size_t ch = static_cast<std::size_t>(channels);
  std::fill(input.begin(), input.end(), 0.0f);
  if (impulse) {
    for (std::size_t c = 0; c < ch; ++c) input[c] = 1.0f;
  } else {
    const float a = 2.0f / static_cast<float>(n);
    const float step = static_cast<float>(2.0 * kPi / diagram->sampleRate) * static_cast<float>(diagram->sineFrequency);
    const float twoPi = static_cast<float>(2.0 * kPi);
    float p = 0.0f;
    for (int32_t i = 0; i < n; ++i) {
      const float v = std::sin(p) * a;
      for (std::size_t c = 0; c < ch; ++c) input[static_cast<std::size_t>(i) * ch + c] = v;
      p += step;
      if (p >= twoPi) p -= twoPi;
    }
  }
  block.data = input.data();
  block.requested = block.held = block.capacity = n;
  block.format.wFormatTag = 1;
  block.format.nChannels = static_cast<WORD>(channels);
  block.format.nSamplesPerSec = static_cast<DWORD>(diagram->sampleRate);
  block.format.wBitsPerSample = 32;
  block.format.nBlockAlign = static_cast<WORD>(channels * 4);
  block.format.nAvgBytesPerSec = static_cast<DWORD>(diagram->sampleRate) * block.format.nBlockAlign;
  if (list != nullptr) {
    // Every measurement starts from silence: what an earlier one left in
    // the chain (an echo's delay line) never reaches this one, so opening
    // and Refresh show the same response.
    list->Reset();
    // The chain is told the channel count it is fed.
    list->Configure(static_cast<DWORD>(diagram->sampleRate), static_cast<DWORD>(channels));
    list->Process(&block);
    if (impulse) FoldTail();
  }
  for (int c = 0; c < channels; ++c) {
    std::vector<float>& spectrum = c == 0 ? spectrumLeft : spectrumRight;
    for (int32_t i = 0; i < n; ++i) {
      float s = input[static_cast<std::size_t>(i) * ch + static_cast<std::size_t>(c)];
      if (windowActive && !windowTable.empty()) s *= windowTable[static_cast<std::size_t>(i)];
      spectrum[2 * static_cast<std::size_t>(i)] = s;
      spectrum[2 * static_cast<std::size_t>(i) + 1] = 0.0f;
    }
    fft->Transform(1, spectrum.data());
  }
  ComputeSpectrum();
  diagram->SetData(magnitudeLeft.data(), phaseLeft.data(), channels == 2 ? magnitudeRight.data() : nullptr,
                   channels == 2 ? phaseRight.data() : nullptr);
  ++measureCount;
  SetCursor(before);
}

// A response longer than the N measured frames (an echo of 250 ms) is
// folded onto them: the transform of the folded response gives the response
// exactly at the N bins, where a cut one would show no echo at all.
void TFFTSpec::FoldTail() {
  const int32_t n = diagram->N;
  const std::size_t count = input.size();
  std::vector<float> tail(count);
  const int64_t frames = std::min(static_cast<int64_t>(diagram->sampleRate) * kTailSeconds, kMaxTailFrames);
  for (int64_t done = n; done < frames; done += n) {
    std::fill(tail.begin(), tail.end(), 0.0f);
    block.data = tail.data();
    block.requested = block.held = block.capacity = n;
    list->Process(&block);
    for (std::size_t i = 0; i < count; ++i) input[i] += tail[i];
  }
  block.data = input.data();
  block.requested = block.held = block.capacity = n;
}

void TFFTSpec::ComputeSpectrum() {
  const int32_t n = diagram->N;
  for (int c = 0; c < channels; ++c) {
    const std::vector<float>& spectrum = c == 0 ? spectrumLeft : spectrumRight;
    std::vector<float>& magnitude = c == 0 ? magnitudeLeft : magnitudeRight;
    std::vector<float>& phase = c == 0 ? phaseLeft : phaseRight;
    float maxMag = 0.0f, minMag = INFINITY, maxPhase = 0.0f, minPhase = static_cast<float>(2.0 * kPi);
    int32_t maxMagAt = 0, minMagAt = 0, maxPhaseAt = 0, minPhaseAt = 0;
    float previous = 0.0f;
    for (int32_t k = 0; k <= n / 2; ++k) {
      const float re = spectrum[2 * static_cast<std::size_t>(k)], im = spectrum[2 * static_cast<std::size_t>(k) + 1];
      const float m = std::sqrt(re * re + im * im);
      magnitude[static_cast<std::size_t>(k)] = m;
      float ph = 0.0f;
      if (impulse) {
        if (re == 0.0f)
          ph = previous >= 0.0f ? static_cast<float>(kPi) : static_cast<float>(-kPi);
        else
          ph = std::atan2(-im, re);
        previous = ph;
      }
      phase[static_cast<std::size_t>(k)] = ph;
      if (m > maxMag) maxMag = m, maxMagAt = k;
      if (m < minMag) minMag = m, minMagAt = k;
      if (impulse) {
        if (ph > maxPhase) maxPhase = ph, maxPhaseAt = k;
        if (ph < minPhase) minPhase = ph, minPhaseAt = k;
      }
    }
    if (!impulse) {
      maxPhase = minPhase = 0.0f;
      maxPhaseAt = minPhaseAt = 0;
    }
    if (!(minMag < INFINITY)) minMag = 0.0f;
    diagram->magMin[c] = minMag;
    diagram->magMax[c] = maxMag;
    diagram->magMinDb[c] = ToDecibel(minMag);
    diagram->magMaxDb[c] = ToDecibel(maxMag);
    diagram->phaseMin[c] = minPhase;
    diagram->phaseMax[c] = maxPhase;
    diagram->phaseSpan[c] = maxPhase - minPhase;
    const float fn = static_cast<float>(n);
    extremePos[c][0] = static_cast<float>(maxMagAt) / fn;
    extremePos[c][1] = static_cast<float>(minMagAt) / fn;
    extremePos[c][2] = static_cast<float>(maxPhaseAt) / fn;
    extremePos[c][3] = static_cast<float>(minPhaseAt) / fn;
  }
}

void TFFTSpec::SetupWindow() {
  TDialog::SetupWindow();
  for (const char* s : kSizes) sizeList->AddString(s);
  sizeList->SetSelIndex(sizeList->FindExactString(std::to_string(diagram->N).c_str()));
  for (const char* s : kWindowNames) windowList->AddString(s);
  windowList->SetSelIndex(windowType >= 0 && windowType < kWindowTypeCount ? windowType : -1);
  unitList->AddString("Hz");
  unitList->AddString("Norm");
  unitList->SetSelIndex(freqInHz ? 0 : 1);
  valueList->AddString("dB");
  valueList->AddString("Dec");
  valueList->SetSelIndex(diagram->decibels ? 0 : 1);
  scaleList->AddString("Log");
  scaleList->AddString("Linear");
  scaleList->SetSelIndex(diagram->logarithmic ? 0 : 1);
  for (const char* s : kNegRanges) negRange->AddString(s);
  for (const char* s : kPosRanges) posRange->AddString(s);
  for (const char* s : kMinFreqs) minList->AddString(s);
  for (const char* s : kMaxFreqs) maxList->AddString(s);
  for (const char* s : kSineFreqs) sineList->AddString(s);
  ShowNumber(negRange, diagram->negRange);
  ShowNumber(posRange, diagram->posRange);
  ShowNumber(minList, minFreq);
  ShowNumber(maxList, maxFreq);
  ShowNumber(sineList, diagram->sineFrequency);
  Check(kFftUseWindow, useWindow);
  Check(kFftShowFreq, showFreq);
  Check(kFftShowPhase, showPhase);
  Check(kFftAutoRange, diagram->autoRange);
  Check(kFftImpulse, impulse);
  Check(kFftSine, !impulse);
  Check(kFftBothChannels, diagram->stereoMode == 0);
  Check(kFftLeftOnly, diagram->stereoMode == 1);
  Check(kFftRightOnly, diagram->stereoMode == 2);
  EnableControls();
  UpdateZoomButtons();
  writing = false;
}

void TFFTSpec::Check(int id, bool on) {
  CheckDlgButton(HWindow, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void TFFTSpec::EnableControls() {
  if (HWindow == nullptr) return;
  auto enable = [this](int id, bool on) {
    if (HWND item = ::GetDlgItem(HWindow, id)) ::EnableWindow(item, on ? TRUE : FALSE);
  };
  enable(kFftWindowType, windowActive);
  enable(kFftNegRange, diagram->decibels && !diagram->autoRange);
  enable(kFftPosRange, diagram->decibels && !diagram->autoRange);
  enable(kFftSineFreq, !impulse);
  enable(kFftUseWindow, !impulse);
  enable(kFftShowPhase, impulse);
  enable(kFftAutoRange, diagram->decibels);
  const bool stereo = channels == 2;
  for (int id : {kFftValueRight, kFftAngleRight, kFftMinValueRight, kFftMaxValueRight, kFftMinValueFreqRight,
                 kFftMaxValueFreqRight, kFftMinAngleFreqRight, kFftMaxAngleFreqRight, kFftMinAngleRight,
                 kFftMaxAngleRight, kFftBothChannels, kFftLeftOnly, kFftRightOnly})
    enable(id, stereo);
}

void TFFTSpec::ShowNumber(TComboBox* box, int32_t value) {
  // Our own writing is no typing.
  const bool was = writing;
  writing = true;
  const std::string text = std::to_string(value);
  const int index = box->FindExactString(text.c_str());
  if (index >= 0 && box->GetString(index) == text)
    box->SetSelIndex(index);
  else
    box->SetSelIndex(-1);
  box->SetText(text.c_str());
  writing = was;
}

int32_t TFFTSpec::ReadInt(TComboBox* box, bool fromSelection) const {
  std::string text;
  if (fromSelection && box->GetSelIndex() >= 0)
    text = box->GetString(box->GetSelIndex());
  else
    text = box->GetText();
  if (text.size() > 8) text.resize(8);
  return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

void TFFTSpec::Redraw(bool erase) {
  diagram->Redraw(erase);
}

void TFFTSpec::SaveSettings() {
  IniSetSection(kSection);
  IniWriteInt("Window type", windowType);
  WriteBool("Use window", useWindow);
  IniWriteInt("FFT Size", diagram->N);
  WriteBool("Log Scale", diagram->logarithmic);
  WriteBool("Value in dB", diagram->decibels);
  IniWriteInt("Pos Range", diagram->posRange);
  IniWriteInt("Neg Range", diagram->negRange);
  IniWriteInt("Generate Freq", diagram->sineFrequency);
  WriteBool("Auto Range", diagram->autoRange);
  IniWriteInt("Stereo Mode", diagram->stereoMode);
  WriteBool("Show Freq", showFreq);
  WriteBool("Show Phase", showPhase);
  WriteBool("Generate Impulse", impulse);
  WriteBool("Freq in Hz", freqInHz);
  for (int i = 0; i < kResponseColorCount; ++i)
    IniWriteString(kResponseColorKeys[i], FormatColor(diagram->colors[static_cast<std::size_t>(i)]).c_str());
  IniFlush();
}

void TFFTSpec::Destroy(int retVal) {
  if (HWindow != nullptr && Parent != nullptr && Parent->GetHandle() != nullptr)
    ::PostMessage(Parent->GetHandle(), kAnalyserMessage, kAnalyserClosed, 0);
  TDialog::Destroy(retVal);
}

void TFFTSpec::CmClose() {
  SaveSettings();
  CloseWindow(IDOK);
}

void TFFTSpec::CmHelp() {
  CurrentShellServices().ShowHelpContext(2);
}

void TFFTSpec::CommitTypedFields() {
  const int32_t nyquist = diagram->sampleRate / 2;
  const int32_t typed = ReadInt(sineList, false);
  if (typed != diagram->sineFrequency) {
    diagram->sineFrequency = std::clamp(typed, 1, nyquist);
    ShowNumber(sineList, diagram->sineFrequency);
    diagram->remeasurePending = true;
  }
  ShowNumber(minList, minFreq);
  ShowNumber(maxList, maxFreq);
  UpdateZoomButtons();
  ShowNumber(negRange, diagram->negRange);
  ShowNumber(posRange, diagram->posRange);
}

void TFFTSpec::CmRefresh() {
  CommitTypedFields();
  Measure();
  Redraw();
}

void TFFTSpec::CmReset() {
  CommitTypedFields();
  AskParentForState();
  SetQuality();
  Measure();
  Redraw();
}

void TFFTSpec::EvSizeChange() {
  const int32_t value = ReadInt(sizeList, true);
  if (value == 0) {
    ShowMessage(HWindow, "Error!", MB_OK | MB_ICONEXCLAMATION, "%s", "Wrong FFT size");
    return;
  }
  const int32_t n = TDiagram::ClampFFTSize(value);
  if (n == diagram->N) return;
  diagram->N = n;
  fft->SetSize(n);
  FreeBuffers();
  AllocBuffers();
  AskParentForState();
  SetQuality();
  Measure();
  Redraw();
}

void TFFTSpec::EvWindowChange() {
  const int type = windowList->GetSelIndex();
  if (type < 0 || type == windowType) return;
  windowType = type;
  BuildWindow();
  diagram->remeasureAtPaint = true;
  Redraw();
}

void TFFTSpec::EvUnitChange() {
  freqInHz = unitList->GetSelIndex() == 0;
  EvCursor(0, 0);
}

void TFFTSpec::EvValueChange() {
  diagram->decibels = valueList->GetSelIndex() == 0;
  EvCursor(0, 0);
  EnableControls();
  Redraw();
}

void TFFTSpec::EvScaleChange() {
  const bool log = scaleList->GetSelIndex() == 0;
  if (log && minFreq == 0) {
    minFreq = 20;
    diagram->SetMinFreq(minFreq);
    ShowNumber(minList, minFreq);
  }
  diagram->logarithmic = log;
  Redraw();
}

void TFFTSpec::RangeSelected(TComboBox* box, bool negative) {
  const int32_t value = ReadInt(box, true);
  if (value <= 0) {
    ShowMessage(HWindow, "Error!", MB_OK | MB_ICONEXCLAMATION, "%s", "Wrong Range");
    return;
  }
  int32_t& stored = negative ? diagram->negRange : diagram->posRange;
  if (value != stored) {
    stored = value;
    Redraw();
  }
}

void TFFTSpec::RangeTyped(TComboBox* box, bool negative) {
  if (writing) return;
  // A range below 1 dB would leave the axis without height.
  const int32_t value = std::max(ReadInt(box, false), 1);
  (negative ? diagram->negRange : diagram->posRange) = value;
  diagram->redrawPending = true;
}

void TFFTSpec::EvRangeKillFocus() {
  ShowNumber(negRange, diagram->negRange);
  ShowNumber(posRange, diagram->posRange);
  if (diagram->redrawPending) Redraw();
}

void TFFTSpec::EvMinFreqChange() {
  int32_t value = std::max(ReadInt(minList, true), 0);
  if (value == 0 && diagram->logarithmic) {
    ShowMessage(HWindow, "Error", MB_OK | MB_ICONEXCLAMATION, "%s", "Min freq of 0 Hz is not allowed for log scale");
    ShowNumber(minList, minFreq);
    return;
  }
  value = std::min(value, maxFreq - 1);
  if (value == minFreq && !diagram->redrawPending) return;
  minFreq = value;
  UpdateZoomButtons();
  diagram->SetMinFreq(minFreq);
  Redraw();
}

void TFFTSpec::EvMaxFreqChange() {
  const int32_t value = std::clamp(ReadInt(maxList, true), minFreq + 1, std::max(diagram->sampleRate / 2, minFreq + 1));
  if (value == maxFreq && !diagram->redrawPending) return;
  maxFreq = value;
  UpdateZoomButtons();
  diagram->SetMaxFreq(maxFreq);
  Redraw();
}

void TFFTSpec::EvMinFreqEdit() {
  if (writing) return;
  int32_t value = ReadInt(minList, false);
  const int32_t floor = diagram->logarithmic ? 20 : 0;
  if (value == 0 && diagram->logarithmic) value = 20;
  // Held to what a selection allows: below the maximum, not below the floor.
  value = std::clamp(value, floor, std::max(maxFreq - 1, floor));
  minFreq = value;
  diagram->SetMinFreq(minFreq);
  diagram->redrawPending = true;
}

void TFFTSpec::EvMaxFreqEdit() {
  if (writing) return;
  const int32_t nyquist = diagram->sampleRate / 2;
  maxFreq = std::clamp(ReadInt(maxList, false), std::min(minFreq + 1, nyquist), nyquist);
  if (minFreq >= maxFreq) {
    minFreq = std::max(maxFreq - 1, 0);
    diagram->SetMinFreq(minFreq);
  }
  diagram->SetMaxFreq(maxFreq);
  diagram->redrawPending = true;
}

void TFFTSpec::EvFreqKillFocus() {
  ShowNumber(minList, minFreq);
  ShowNumber(maxList, maxFreq);
  UpdateZoomButtons();
  if (diagram->redrawPending) Redraw();
}

void TFFTSpec::EvSineChange() {
  const int32_t value = std::clamp(ReadInt(sineList, true), 1, diagram->sampleRate / 2);
  // A selection may come with its own edit notice, which already stored it.
  if (value != diagram->sineFrequency || diagram->remeasurePending) {
    diagram->sineFrequency = value;
    AskParentForState();
    SetQuality();
    Measure();
    Redraw();
  }
  ::PostMessage(HWindow, 1229, 0, 0);
}

void TFFTSpec::EvSineEdit() {
  if (writing) return;
  diagram->sineFrequency = std::clamp(ReadInt(sineList, false), 1, diagram->sampleRate / 2);
  diagram->remeasurePending = diagram->redrawPending = true;
}

void TFFTSpec::EvSineKillFocus() {
  ShowNumber(sineList, diagram->sineFrequency);
  if (diagram->remeasurePending) Measure();
  if (diagram->redrawPending) Redraw();
}

void TFFTSpec::CmUseWindow() {
  useWindow = windowActive = IsDlgButtonChecked(HWindow, kFftUseWindow) == BST_CHECKED;
  if (windowActive) {
    windowTable.assign(static_cast<std::size_t>(diagram->N), 1.0f);
    BuildWindow();
  } else {
    windowTable.clear();
  }
  Measure();
  EnableControls();
  Redraw();
}

void TFFTSpec::CmShowFreq() {
  if (diagram->showPhase) {
    showFreq = diagram->showFreq = IsDlgButtonChecked(HWindow, kFftShowFreq) == BST_CHECKED;
    Redraw();
  } else {
    Check(kFftShowFreq, true);
  }
}

void TFFTSpec::CmShowPhase() {
  if (diagram->showFreq) {
    showPhase = IsDlgButtonChecked(HWindow, kFftShowPhase) == BST_CHECKED;
    diagram->showPhase = showPhase && impulse;
    Redraw();
  } else {
    Check(kFftShowPhase, true);
  }
}

void TFFTSpec::CmAuto() {
  diagram->autoRange = IsDlgButtonChecked(HWindow, kFftAutoRange) == BST_CHECKED;
  EnableControls();
  Redraw();
}

void TFFTSpec::CmImpulse() {
  if (impulse) return;
  CommitTypedFields();
  impulse = true;
  windowActive = false;
  windowTable.clear();
  diagram->showPhase = showPhase;
  EnableControls();
  AskParentForState();
  SetQuality();
  Measure();
  Redraw();
}

void TFFTSpec::CmSine() {
  if (!impulse) return;
  CommitTypedFields();
  impulse = false;
  windowActive = useWindow;
  if (windowActive) {
    windowTable.assign(static_cast<std::size_t>(diagram->N), 1.0f);
    BuildWindow();
  }
  diagram->showPhase = false;
  if (!showFreq) {
    showFreq = diagram->showFreq = true;
    Check(kFftShowFreq, true);
  }
  EnableControls();
  AskParentForState();
  SetQuality();
  Measure();
  Redraw();
}

void TFFTSpec::UpdateZoomButtons() {
  const bool full = minFreq < 21 && maxFreq == diagram->sampleRate / 2;
  if (full) zoom->Reset();
  if (HWindow == nullptr) return;
  ::EnableWindow(::GetDlgItem(HWindow, kFftZoomOut), full ? FALSE : TRUE);
  ::EnableWindow(::GetDlgItem(HWindow, kFftZoomFull), full ? FALSE : TRUE);
}

void TFFTSpec::ApplyBand(int32_t newMin, int32_t newMax) {
  minFreq = newMin;
  maxFreq = newMax;
  diagram->SetMinFreq(minFreq);
  diagram->SetMaxFreq(maxFreq);
  ShowNumber(minList, minFreq);
  ShowNumber(maxList, maxFreq);
  UpdateZoomButtons();
  ::PostMessage(HWindow, 1228, 0, 0);
  ::PostMessage(HWindow, 1227, 0, 0);
}

void TFFTSpec::CmZoomOut() {
  EvZoomOutMsg(0, 0);
  UpdateZoomButtons();
}

void TFFTSpec::CmZoomFull() {
  zoom->Reset();
  EvZoomOutMsg(0, 0);
  UpdateZoomButtons();
}

void TFFTSpec::SetStereoMode(int mode) {
  if (diagram->stereoMode == mode) return;
  diagram->stereoMode = mode;
  Redraw(true);
}

void TFFTSpec::CmColors() {
  RECT r{};
  ::GetWindowRect(HWindow, &r);
  IniSetSection(kSection);
  POINT position{IniReadInt("Colors dialog X", r.left), IniReadInt("Colors dialog Y", r.top)};
  diagram->busy = true;
  TFFTSColorSel dialog(this, diagram, &position);
  dialog.Execute();
  IniSetSection(kSection);
  IniWriteInt("Colors dialog X", position.x);
  IniWriteInt("Colors dialog Y", position.y);
  IniFlush();
  diagram->busy = false;
}

LRESULT TFFTSpec::EvParent(WPARAM code, LPARAM) {
  if (code != kAnalyserRemeasure) return 0;
  diagram->remeasureAtPaint = true;
  Redraw();
  return 1;
}

LRESULT TFFTSpec::EvCursor(WPARAM, LPARAM) {
  if (HWindow == nullptr) return 0;
  auto value = [this](float m) {
    return diagram->decibels ? Format("%.1f", ToDecibel(m)) : Format("%.3f", m);
  };
  SetText(HWindow, kFftValueLeft, value(diagram->cursorMag[0]));
  if (channels == 2) SetText(HWindow, kFftValueRight, value(diagram->cursorMag[1]));
  if (freqInHz)
    SetText(HWindow, kFftCursorFreq,
            std::to_string(static_cast<int32_t>(static_cast<float>(diagram->sampleRate) * diagram->cursorFreq + 0.5f)));
  else
    SetText(HWindow, kFftCursorFreq, Format("%f", diagram->cursorFreq));
  SetText(HWindow, kFftAngleLeft, Format("%.1f", diagram->cursorPhase[0] * 180.0 / kPi));
  if (channels == 2) SetText(HWindow, kFftAngleRight, Format("%.1f", diagram->cursorPhase[1] * 180.0 / kPi));
  return 0;
}

LRESULT TFFTSpec::EvExtremes(WPARAM, LPARAM) {
  if (HWindow == nullptr) return 0;
  auto value = [this](float m) {
    return diagram->decibels ? Format("%.1f", ToDecibel(m)) : Format("%.3f", m);
  };
  const double rate = diagram->sampleRate;
  const struct {
    int maxV, minV, maxF, minF, maxA, minA, maxAF, minAF;
  } ids[2] = {{kFftMaxValueLeft, kFftMinValueLeft, kFftMaxValueFreqLeft, kFftMinValueFreqLeft, kFftMaxAngleLeft,
               kFftMinAngleLeft, kFftMaxAngleFreqLeft, kFftMinAngleFreqLeft},
              {kFftMaxValueRight, kFftMinValueRight, kFftMaxValueFreqRight, kFftMinValueFreqRight, kFftMaxAngleRight,
               kFftMinAngleRight, kFftMaxAngleFreqRight, kFftMinAngleFreqRight}};
  for (int c = 0; c < channels; ++c) {
    SetText(HWindow, ids[c].maxV, value(diagram->magMax[c]));
    SetText(HWindow, ids[c].minV, value(diagram->magMin[c]));
    SetText(HWindow, ids[c].maxF, Format("%.1f", rate * extremePos[c][0]));
    SetText(HWindow, ids[c].minF, Format("%.1f", rate * extremePos[c][1]));
    SetText(HWindow, ids[c].maxA, Format("%.1f", diagram->phaseMax[c] * 180.0 / kPi));
    SetText(HWindow, ids[c].minA, Format("%.1f", diagram->phaseMin[c] * 180.0 / kPi));
    SetText(HWindow, ids[c].maxAF, Format("%.1f", rate * extremePos[c][2]));
    SetText(HWindow, ids[c].minAF, Format("%.1f", rate * extremePos[c][3]));
  }
  return 0;
}

LRESULT TFFTSpec::EvWriteMin(WPARAM, LPARAM) {
  ShowNumber(minList, minFreq);
  return 0;
}

LRESULT TFFTSpec::EvWriteMax(WPARAM, LPARAM) {
  ShowNumber(maxList, maxFreq);
  return 0;
}

LRESULT TFFTSpec::EvWriteSine(WPARAM, LPARAM) {
  ShowNumber(sineList, diagram->sineFrequency);
  return 0;
}

LRESULT TFFTSpec::EvButtonDown(WPARAM, LPARAM) {
  CommitTypedFields();
  if (diagram->remeasurePending) Measure();
  if (diagram->redrawPending) {
    Redraw();
    return 0;
  }
  diagram->dragging = true;
  diagram->cursorColumn = diagram->anchorX - diagram->left;
  SetCapture(diagram->GetHandle());
  diagram->savedCursor = SetCursor(zoomCursor);
  return 0;
}

LRESULT TFFTSpec::EvZoomOutMsg(WPARAM, LPARAM) {
  const TZoomLevel::node& level = zoom->Pop();
  if (level.minFreq == minFreq && level.maxFreq == maxFreq) {
    if (diagram->remeasurePending) Measure();
    if (diagram->redrawPending) Redraw();
    return 0;
  }
  const int32_t newMin = level.minFreq, newMax = level.maxFreq;
  ApplyBand(newMin, newMax);
  Redraw();
  return 0;
}

LRESULT TFFTSpec::EvBand(WPARAM, LPARAM) {
  const float rate = static_cast<float>(diagram->sampleRate);
  const int32_t newMin = static_cast<int32_t>(rate * diagram->minFreq + 0.5f);
  int32_t newMax = static_cast<int32_t>(rate * diagram->maxFreq + 0.5f);
  newMax = std::max(newMax, newMin + 1);
  zoom->Push(newMin, newMax);
  minFreq = newMin;
  maxFreq = newMax;
  ShowNumber(minList, minFreq);
  ShowNumber(maxList, maxFreq);
  UpdateZoomButtons();
  ::PostMessage(HWindow, 1228, 0, 0);
  ::PostMessage(HWindow, 1227, 0, 0);
  return 0;
}

LRESULT TFFTSpec::EvMeasureMsg(WPARAM, LPARAM) {
  Measure();
  return 0;
}
