// TDiagram: the analyser's plot of magnitude and phase against frequency,
// with grid, labels, legend, lines at the extremes, a cursor that reads out
// values under the mouse and a band dragged with the left button to zoom.
// It holds the display settings; the analyser reads, writes and saves them.
#pragma once

#include <vector>

#include "audio/fft_colors.h"
#include "platform/classlib/controls.h"

// Messages to the analyser.
constexpr UINT kDiagramCursorMoved = 1224;
constexpr UINT kDiagramExtremes = 1226;
constexpr UINT kDiagramButtonDown = 1230;
constexpr UINT kDiagramZoomOut = 1231;
constexpr UINT kDiagramBand = 1232;
constexpr UINT kDiagramMeasure = 1233;

class TDiagram : public TControl {
 public:
  TDiagram(TWindow* parent, int resourceId, int channels);
  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  void SetMinFreq(int32_t hz);
  void SetMaxFreq(int32_t hz);
  static int32_t ClampFFTSize(int32_t n);
  float ColumnToFreq(int32_t column) const;
  // The bin of a column, within 0..N/2.
  int32_t ColumnBin(int32_t column) const;
  float BinValue(const float* values, int32_t bin) const;
  int ValueToY(const float* values, int32_t bin) const;
  void ComputeValueAxis();
  // The magnitude curve of one channel, at most W + 2 points.
  std::vector<POINT> BuildMagnitudePolyline(const float* values) const;
  // The phase curve as runs of connected points (a wrap starts a new run).
  std::vector<std::vector<POINT>> BuildPhaseCurve(const float* values, float span) const;
  // The plot rectangle for a client area: false when it is too small to draw.
  bool Layout(int clientWidth, int clientHeight);
  void SetData(float* magnitudeLeft, float* phaseLeft, float* magnitudeRight, float* phaseRight);
  void ClearData();
  void ComputeCursorValues();
  void ReadColors();
  void UpdateXorColor();
  void Redraw(bool erase);

  // Plot rectangle and size (set by each paint).
  int left = 0, top = 0, right = 0, bottom = 0, W = 0, H = 0;
  int32_t N = 4096;
  int32_t sampleRate = 44100;
  int32_t negRange = 10, posRange = 10;
  float magMin[2] = {}, magMax[2] = {}, magMinDb[2] = {}, magMaxDb[2] = {};
  float axisBottom = -10, axisTop = 10, axisSpan = 20;
  float phaseMin[2] = {}, phaseMax[2] = {}, phaseSpan[2] = {};
  float phaseAxisMin = 0, phaseAxisMax = 0;
  int cursorColumn = 0;
  float cursorFreq = 0, cursorMag[2] = {}, cursorPhase[2] = {};
  float minFreq = 20.0f / 44100, maxFreq = 0.5f, logSpan = 0;
  bool decibels = true, logarithmic = true, autoRange = false;
  bool showFreq = true, showPhase = false;
  int32_t sineFrequency = 1000;
  bool redrawPending = false, remeasurePending = false, remeasureAtPaint = false;
  bool dragging = false;
  int anchorX = 0;
  HCURSOR savedCursor = nullptr;
  HCURSOR zoomCursor = nullptr;
  int channels;
  int stereoMode = 0;
  bool busy = false;
  ResponseColors colors = kDefaultResponseColors;
  COLORREF xorColor = 0;
  float* data[4] = {};  // magnitude left, phase left, magnitude right, phase right

 protected:
  bool EvEraseBkgnd(HDC) { return true; }
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);

 private:
  int ClampX(int x) const;
  int PhaseToY(float phase) const;
  void DrawCursor(HDC dc);
  void DrawBand(HDC dc, int x);
  void SendParent(UINT message);

  DECLARE_RESPONSE_TABLE(TDiagram);
};
