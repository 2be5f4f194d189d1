// The frequency-response analyser over the real effect components, driven
// headless, and its diagram's drawing arithmetic.
#include "audio/fft_spec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "audio/fft_diagram.h"
#include "effect_dialog_fixture.h"
#include "model/ini.h"
#include "resources/effect_dialog_ids.h"

namespace {

using effecttest::EffectDialogTest;

// The analyser's opener: keeps each notice with the number of measurements
// the analyser had made when it came.
class Opener : public TFrameWindow {
 public:
  Opener() : TFrameWindow(nullptr, "Opener") {}
  LRESULT EvAnalyser(WPARAM code, LPARAM) {
    events.emplace_back(code, spec != nullptr ? spec->MeasureCount() : -1);
    return 1;
  }
  TFFTSpec* spec = nullptr;
  std::vector<std::pair<WPARAM, int>> events;
  DECLARE_RESPONSE_TABLE(Opener);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(Opener, TFrameWindow)
  EV_MESSAGE(kAnalyserMessage, EvAnalyser),
END_RESPONSE_TABLE;
// clang-format on

class FftSpecTest : public EffectDialogTest {
 protected:
  void SetUp() override {
    EffectDialogTest::SetUp();
    opener_ = new Opener;
    ASSERT_TRUE(opener_->Create());
  }
  void TearDown() override {
    CloseAnalyser();
    delete opener_;
    if (list_ != nullptr) {
      list_->Close();
      list_->Release();
    }
    EffectDialogTest::TearDown();
  }
  TFFTSpec* OpenAnalyser(std::vector<Effect*> effects, int channels = 1) {
    list_ = ListOf(std::move(effects));
    spec_ = new TFFTSpec(opener_, list_, channels);
    opener_->spec = spec_;
    EXPECT_TRUE(spec_->Create());
    ::ShowWindow(spec_->GetHandle(), SW_SHOW);
    GuiPumpMessages();
    return spec_;
  }
  void CloseAnalyser() {
    if (spec_ == nullptr) return;
    if (spec_->GetHandle() != nullptr) spec_->Destroy(IDCANCEL);
    opener_->spec = nullptr;
    delete spec_;
    spec_ = nullptr;
    GuiPumpMessages();
  }
  HWND Handle() const { return spec_->GetHandle(); }
  void Click(int id, bool check) {
    CheckDlgButton(Handle(), id, check ? BST_CHECKED : BST_UNCHECKED);
    SendMessage(Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    GuiPumpMessages();
  }
  void Choose(int id, const char* text) {
    HWND box = GetDlgItem(Handle(), id);
    const LRESULT index = SendMessage(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_NE(index, CB_ERR) << text;
    SendMessage(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessage(Handle(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    GuiPumpMessages();
  }
  void Type(int id, const char* text) {
    HWND box = GetDlgItem(Handle(), id);
    SetWindowText(box, text);
    SendMessage(Handle(), WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(box));
    GuiPumpMessages();
  }
  void Paint() {
    UpdateWindow(spec_->Diagram()->GetHandle());
    GuiPumpMessages();
  }
  bool Checked(int id) const { return IsDlgButtonChecked(Handle(), id) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Handle(), id)) != FALSE; }
  // The notices of the opener since the last call.
  std::vector<std::pair<WPARAM, int>> TakeEvents() { return std::exchange(opener_->events, {}); }

  Opener* opener_ = nullptr;
  EffectList* list_ = nullptr;
  TFFTSpec* spec_ = nullptr;
};

TEST_F(FftSpecTest, AnEmptyChainIsFlatAtZeroDecibelsWithoutPhase) {
  TFFTSpec* spec = OpenAnalyser({});
  EXPECT_EQ(spec->Points(), 4096);
  EXPECT_TRUE(spec->Impulse());
  for (int k = 0; k <= 2048; ++k) {
    ASSERT_NEAR(spec->MagnitudeLeft()[k], 1.0f, 1e-6f) << k;
    ASSERT_EQ(spec->PhaseLeft()[k], 0.0f) << k;
  }
  EXPECT_EQ(spec->Diagram()->axisBottom, -10.0f);
  Paint();
  const TDiagram* d = spec->Diagram();
  EXPECT_EQ(GuiReadPixel(d->GetHandle(), 1, 1), RGB(0, 0, 0));
  // The flat curve lies on the 0 dB line, in the middle of a -10..10 plot.
  EXPECT_EQ(GuiReadPixel(d->GetHandle(), d->left + d->W / 3, d->top + d->H / 2), RGB(250, 250, 250));
  EXPECT_EQ(spec->MinFreq(), 20);
  EXPECT_EQ(spec->MaxFreq(), 22050);
}

TEST_F(FftSpecTest, GainAndEqualiserResponses) {
  TFFTSpec* spec = OpenAnalyser({Gain(0.5f)});
  for (int k : {0, 100, 2048}) EXPECT_NEAR(ToDecibel(spec->MagnitudeLeft()[k]), -6.0206f, 1e-3f) << k;
  CloseAnalyser();
  list_->Close();
  list_->Release();

  spec = OpenAnalyser({Equalizer(1000.0f, 6.0f, 1.0f)});
  int peak = 0;
  for (int k = 1; k <= spec->Points() / 2; ++k)
    if (spec->MagnitudeLeft()[k] > spec->MagnitudeLeft()[peak]) peak = k;
  const double binHz = 44100.0 / spec->Points();
  EXPECT_NEAR(peak * binHz, 1000.0, binHz);
  EXPECT_NEAR(ToDecibel(spec->MagnitudeLeft()[peak]), 6.0f, 0.1f);
  // Far from the band the equaliser leaves the sound alone.
  EXPECT_NEAR(ToDecibel(spec->MagnitudeLeft()[2000]), 0.0f, 0.1f);
}

TEST_F(FftSpecTest, AStereoChainIsToldItGetsTwoChannels) {
  TFFTSpec* spec = OpenAnalyser({Gain(0.5f)}, 2);
  ASSERT_NE(spec->MagnitudeRight(), nullptr);
  for (int k : {0, 300, 2048}) {
    EXPECT_NEAR(spec->MagnitudeLeft()[k], 0.5f, 1e-6f) << k;
    EXPECT_NEAR(spec->MagnitudeRight()[k], 0.5f, 1e-6f) << k;
  }
  EXPECT_TRUE(Enabled(kFftRightOnly));
  CloseAnalyser();
  // One channel: the right read-outs and the channel buttons are off.
  spec = new TFFTSpec(opener_, list_, 1);
  spec_ = spec;
  ASSERT_TRUE(spec->Create());
  EXPECT_FALSE(Enabled(kFftRightOnly));
  EXPECT_FALSE(Enabled(kFftValueRight));
}

TEST_F(FftSpecTest, FftSizeFromTheSettingsIsAPowerOfTwoInRange) {
  const struct {
    int stored, read;
  } cases[] = {{3000, 2048}, {100, 128}, {100000, 65536}, {8192, 8192}};
  for (const auto& c : cases) {
    IniSetSection("FFT Analyser");
    IniWriteInt("FFT Size", c.stored);
    TFFTSpec* spec = OpenAnalyser({});
    EXPECT_EQ(spec->Points(), c.read) << c.stored;
    EXPECT_NEAR(spec->MagnitudeLeft()[c.read / 2], 1.0f, 1e-6f);
    CloseAnalyser();
    list_->Close();
    list_->Release();
    list_ = nullptr;
  }
}

TEST_F(FftSpecTest, TheSineHidesThePhaseAndOneCurveStaysShown) {
  IniSetSection("FFT Analyser");
  IniWriteString("Show Phase", "TRUE");
  TFFTSpec* spec = OpenAnalyser({});
  EXPECT_TRUE(spec->Diagram()->showPhase);
  Click(kFftSine, true);
  EXPECT_FALSE(spec->Impulse());
  EXPECT_FALSE(spec->Diagram()->showPhase);
  EXPECT_FALSE(Enabled(kFftShowPhase));
  EXPECT_TRUE(Enabled(kFftSineFreq));
  // The sine of 1000 Hz lands near its bin with magnitude about 1.
  const int bin = static_cast<int>(1000.0 * spec->Points() / 44100 + 0.5);
  EXPECT_GT(spec->MagnitudeLeft()[bin], 0.6f);
  Click(kFftImpulse, true);
  EXPECT_TRUE(spec->Diagram()->showPhase);

  // Freq off while the phase shows; then Phase cannot go as well.
  Click(kFftShowFreq, false);
  EXPECT_FALSE(spec->Diagram()->showFreq);
  Click(kFftShowPhase, false);
  EXPECT_TRUE(Checked(kFftShowPhase));
  EXPECT_TRUE(spec->Diagram()->showPhase);
  Click(kFftShowFreq, true);
  Click(kFftShowPhase, false);
  EXPECT_FALSE(spec->Diagram()->showPhase);
  Click(kFftShowFreq, false);
  EXPECT_TRUE(Checked(kFftShowFreq));
  EXPECT_TRUE(spec->Diagram()->showFreq);
}

TEST_F(FftSpecTest, TheOpenerIsAskedForTheStateBeforeEachFreshStart) {
  TFFTSpec* spec = OpenAnalyser({});
  TakeEvents();
  const struct {
    const char* what;
    std::function<void()> act;
  } steps[] = {
      {"Reset", [&] { Click(kFftReset, false); }},
      {"Sin", [&] { Click(kFftSine, true); }},
      {"sine frequency", [&] { Choose(kFftSineFreq, "5000"); }},
      {"size", [&] { Choose(kFftSize, "1024"); }},
      {"Impulse", [&] { Click(kFftImpulse, true); }},
  };
  for (const auto& step : steps) {
    const int before = spec->MeasureCount();
    step.act();
    EXPECT_EQ(TakeEvents(), (std::vector<std::pair<WPARAM, int>>{{kAnalyserCopyState, before}})) << step.what;
    EXPECT_EQ(spec->MeasureCount(), before + 1) << step.what;
  }
  EXPECT_EQ(spec->Points(), 1024);
  EXPECT_EQ(spec->SineFrequency(), 5000);
  // Refresh measures from the state the analyser holds.
  Click(kFftRefresh, false);
  EXPECT_TRUE(TakeEvents().empty());
  // Close saves, and tells the opener once the window is gone.
  Click(IDOK, false);
  EXPECT_EQ(spec->GetHandle(), nullptr);
  EXPECT_EQ(TakeEvents(), (std::vector<std::pair<WPARAM, int>>{{kAnalyserClosed, spec->MeasureCount()}}));
  IniSetSection("FFT Analyser");
  EXPECT_EQ(IniReadInt("FFT Size", 0), 1024);
  EXPECT_EQ(IniReadInt("Generate Freq", 0), 5000);
}

TEST_F(FftSpecTest, ADraggedBandZoomsAndOutAndFullReturn) {
  TFFTSpec* spec = OpenAnalyser({});
  Paint();
  TDiagram* d = spec->Diagram();
  ASSERT_GE(d->W, 10);
  EXPECT_FALSE(Enabled(kFftZoomOut));
  auto drag = [&](int from, int to) {
    HWND h = d->GetHandle();
    const int y = d->top + d->H / 2;
    SendMessage(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(d->left + from, y));
    SendMessage(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(d->left + (from + to) / 2, y));
    SendMessage(h, WM_LBUTTONUP, 0, MAKELPARAM(d->left + to, y));
    GuiPumpMessages();
    Paint();
  };
  drag(d->W / 2, d->W / 4);
  const int32_t min1 = spec->MinFreq(), max1 = spec->MaxFreq();
  EXPECT_GT(min1, 20);
  EXPECT_LT(max1, 22050);
  EXPECT_LT(min1, max1);
  EXPECT_TRUE(Enabled(kFftZoomOut));
  EXPECT_TRUE(Enabled(kFftZoomFull));
  drag(d->W / 4, d->W * 3 / 4);
  EXPECT_GT(spec->MinFreq(), min1);
  EXPECT_LT(spec->MaxFreq(), max1);
  Click(kFftZoomOut, false);
  EXPECT_EQ(spec->MinFreq(), min1);
  EXPECT_EQ(spec->MaxFreq(), max1);
  Click(kFftZoomOut, false);
  EXPECT_EQ(spec->MinFreq(), 20);
  EXPECT_EQ(spec->MaxFreq(), 22050);
  EXPECT_FALSE(Enabled(kFftZoomOut));
  // A one-column band does nothing.
  drag(d->W / 2, d->W / 2);
  EXPECT_EQ(spec->MinFreq(), 20);
  drag(d->W / 2, d->W / 4);
  drag(d->W / 4, d->W * 3 / 4);
  Click(kFftZoomFull, false);
  EXPECT_EQ(spec->MinFreq(), 20);
  EXPECT_EQ(spec->MaxFreq(), 22050);
  EXPECT_TRUE(spec->Zoom().AtBase());
  EXPECT_FALSE(Enabled(kFftZoomFull));
}

TEST_F(FftSpecTest, TypedLimitsAreHeldToWhatASelectionAllows) {
  TFFTSpec* spec = OpenAnalyser({Gain(2.0f)});
  Type(kFftMaxFreq, "0");
  EXPECT_GT(spec->MaxFreq(), spec->MinFreq());
  Paint();
  Type(kFftMinFreq, "0");
  EXPECT_EQ(spec->MinFreq(), 20);  // a log axis has no 0 Hz
  Type(kFftMaxFreq, "999999");
  EXPECT_EQ(spec->MaxFreq(), 22050);
  Type(kFftNegRange, "0");
  Type(kFftPosRange, "0");
  EXPECT_GE(spec->Diagram()->negRange + spec->Diagram()->posRange, 1);
  Paint();
  Type(kFftSineFreq, "0");
  EXPECT_EQ(spec->SineFrequency(), 1);
  Type(kFftSineFreq, "90000");
  EXPECT_EQ(spec->SineFrequency(), 22050);
  // Selecting a range of 0 is refused with a message.
  Choose(kFftScale, "Linear");
  Choose(kFftMinFreq, "0");
  EXPECT_EQ(spec->MinFreq(), 0);
  Paint();
  Choose(kFftScale, "Log");
  EXPECT_EQ(spec->MinFreq(), 20);
  Paint();
}

// ---- The diagram's arithmetic ----

struct LayoutCase {
  int width, height, plotW, plotH;
  bool drawn;
};

TEST(Diagram, PlotSizeFollowsTheClientArea) {
  const LayoutCase cases[] = {{69, 49, 10, 10, true}, {78, 58, 10, 10, true}, {559, 339, 500, 300, true},
                              {68, 49, 0, 10, false}, {20, 10, 0, 0, false}};
  TDiagram d(nullptr, kFftDiagram, 1);
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(d.Layout(c.width, c.height), c.drawn) << c.width << "x" << c.height;
    EXPECT_EQ(d.W, c.plotW);
    EXPECT_EQ(d.H, c.plotH);
    EXPECT_EQ(d.right - d.left, d.W);
  }
}

TEST(Diagram, ColumnsMapToBinsWithinTheSpectrum) {
  TDiagram d(nullptr, kFftDiagram, 1);
  d.N = 4096;
  d.sampleRate = 44100;
  d.Layout(559, 339);
  d.logarithmic = false;
  d.SetMinFreq(0);
  d.SetMaxFreq(22050);
  EXPECT_EQ(d.ColumnBin(0), 0);
  EXPECT_EQ(d.ColumnBin(d.W), 2048);
  // Zoomed past the spectrum's end, bins stay inside it.
  d.maxFreq = 0.9f;
  EXPECT_EQ(d.ColumnBin(d.W), 2048);
  d.minFreq = NAN;
  EXPECT_EQ(d.ColumnBin(3), 0);
}

TEST(Diagram, AOneBinSpikeSurvivesDecimation) {
  TDiagram d(nullptr, kFftDiagram, 1);
  d.N = 65536;
  d.sampleRate = 44100;
  d.Layout(559, 339);
  d.SetMinFreq(20);
  d.SetMaxFreq(22050);
  std::vector<float> magnitude(d.N / 2 + 1, 0.01f);  // -40 dB
  const int spike = 20000;
  magnitude[spike] = 1.0f;
  d.negRange = 60;
  d.posRange = 10;
  d.ComputeValueAxis();
  const std::vector<POINT> points = d.BuildMagnitudePolyline(magnitude.data());
  EXPECT_LE(points.size(), static_cast<std::size_t>(d.W) + 2);
  int highest = d.bottom;
  for (const POINT& p : points) {
    highest = std::min<int>(highest, p.y);
    ASSERT_GE(p.x, d.left);
    ASSERT_LE(p.x, d.right);
  }
  EXPECT_EQ(highest, d.ValueToY(magnitude.data(), spike));
  // A zero span is taken as 1, and NaN values stay on the plot's scale.
  d.decibels = false;
  d.magMin[0] = d.magMax[0] = 0.5f;
  d.ComputeValueAxis();
  EXPECT_EQ(d.axisSpan, 1.0f);
  magnitude[7] = NAN;
  EXPECT_FALSE(d.BuildMagnitudePolyline(magnitude.data()).empty());
}

TEST(Diagram, APhaseWrapDrawsNoVerticalLine) {
  TDiagram d(nullptr, kFftDiagram, 1);
  d.N = 256;
  d.sampleRate = 44100;
  d.Layout(559, 339);
  d.logarithmic = false;
  d.SetMinFreq(0);
  d.SetMaxFreq(22050);
  // A phase rising by 0.25 rad a bin, wrapped into -pi..pi.
  std::vector<float> phase(d.N / 2 + 1);
  for (std::size_t k = 0; k < phase.size(); ++k)
    phase[k] = static_cast<float>(std::remainder(0.25 * static_cast<double>(k), 2 * M_PI));
  const auto runs = d.BuildPhaseCurve(phase.data(), 2 * 3.14159f);
  EXPECT_GT(runs.size(), 1u);
  for (const auto& run : runs)
    for (std::size_t i = 1; i < run.size(); ++i)
      ASSERT_LT(std::abs(run[i].y - run[i - 1].y), d.H / 2) << "a jump across the plot at x " << run[i].x;
}

}  // namespace
