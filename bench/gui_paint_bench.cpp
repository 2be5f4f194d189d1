// Repainting a 1920 x 1080 window full of rectangles, lines and text on the
// headless back-end (the drawing the time-line does on every scroll).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

namespace {

enum class Scene { kRectangles, kLines, kText, kMixed };
Scene g_scene = Scene::kMixed;
HFONT g_font = nullptr;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kCellW = 80;
constexpr int kCellH = 40;

void Paint(HDC dc) {
  HBRUSH fills[3] = {CreateSolidBrush(RGB(70, 110, 160)), CreateSolidBrush(RGB(160, 200, 120)),
                     CreateSolidBrush(RGB(230, 230, 200))};
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_font = SelectObject(dc, g_font);
  SetBkMode(dc, TRANSPARENT);
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc, &all, fills[2]);
  char label[32];
  for (int y = 0; y < kHeight; y += kCellH) {
    for (int x = 0; x < kWidth; x += kCellW) {
      const int n = (x / kCellW) + (y / kCellH) * (kWidth / kCellW);
      if (g_scene == Scene::kRectangles || g_scene == Scene::kMixed) {
        RECT r{x + 2, y + 2, x + kCellW - 2, y + kCellH - 2};
        FillRect(dc, &r, fills[n % 2]);
        SelectObject(dc, fills[(n + 1) % 2]);
        Rectangle(dc, x + 10, y + 10, x + 30, y + 30);
      }
      if (g_scene == Scene::kLines || g_scene == Scene::kMixed) {
        MoveToEx(dc, x, y + kCellH / 2, nullptr);
        LineTo(dc, x + kCellW, y + kCellH / 2);
        MoveToEx(dc, x, y, nullptr);
        LineTo(dc, x + kCellW - 1, y + kCellH - 1);
        const POINT wave[] = {
            {x, y + 30}, {x + 20, y + 5}, {x + 40, y + 35}, {x + 60, y + 8}, {x + 79, y + 30}};
        Polyline(dc, wave, 5);
      }
      if (g_scene == Scene::kText || g_scene == Scene::kMixed) {
        std::snprintf(label, sizeof label, "Clip %04d", n);
        RECT t{x + 4, y + 4, x + kCellW - 4, y + kCellH - 4};
        DrawText(dc, label, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
      }
    }
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_font);
  DeleteObject(pen);
  for (HBRUSH b : fills) DeleteObject(b);
}

LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    Paint(dc);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProc(h, msg, w, l);
}

HWND Window() {
  static HWND hwnd = [] {
    WNDCLASS wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "PaintBench";
    RegisterClass(&wc);
    g_font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    RECT r{0, 0, kWidth, kHeight};
    AdjustWindowRect(&r, WS_POPUP, FALSE);
    HWND h = CreateWindowEx(0, "PaintBench", "Bench", WS_POPUP | WS_VISIBLE, 0, 0, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    GuiPumpMessages();
    return h;
  }();
  return hwnd;
}

void Repaint(benchmark::State& state, Scene scene) {
  GuiSelectBackend("headless");
  HWND h = Window();
  g_scene = scene;
  for (auto _ : state) {
    InvalidateRect(h, nullptr, FALSE);
    UpdateWindow(h);
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RepaintRectangles(benchmark::State& s) {
  Repaint(s, Scene::kRectangles);
}
void BM_RepaintLines(benchmark::State& s) {
  Repaint(s, Scene::kLines);
}
void BM_RepaintText(benchmark::State& s) {
  Repaint(s, Scene::kText);
}
void BM_RepaintMixed(benchmark::State& s) {
  Repaint(s, Scene::kMixed);
}

}  // namespace

BENCHMARK(BM_RepaintRectangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintMixed)->Unit(benchmark::kMillisecond);
