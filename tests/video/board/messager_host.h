// The time-line and the project frame as the messenger reaches them, for the
// tests: a recording host and a plain window standing for the frame, the
// time-line and the collection, which keeps the requests it is sent.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "resources/collection_ids.h"
#include "video/velmora_messager.h"

namespace messagertest {

// A top-level window that answers every message with reply and keeps what
// it was sent (WM_USER and above), with the text of a name buffer.
class RecordingWindow {
 public:
  struct Got {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::string name;  // of frame request 21 and collection request 3
  };

  explicit RecordingWindow(const char* className = "MessagerTestWindow") {
    WNDCLASS wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = className;
    RegisterClass(&wc);
    hwnd_ = CreateWindowEx(0, className, "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtr(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordingWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

  std::vector<Got> got;
  LRESULT reply = 1;
  bool freeNames = true;  // the collection's way: it takes request 3's buffer

 private:
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
    if (self == nullptr || (msg < WM_USER && msg != WM_CLOSE)) return DefWindowProc(hwnd, msg, wParam, lParam);
    Got g{msg, wParam, lParam, {}};
    if (msg == kFrameRequest && (wParam == kFrameOpenFile || wParam == kCollectionRequestAddFile) && lParam != 0) {
      g.name = reinterpret_cast<const char*>(lParam);
      if (wParam == kCollectionRequestAddFile && self->freeNames) FreeRequestName(reinterpret_cast<char*>(lParam));
    }
    self->got.push_back(g);
    return msg == WM_CLOSE ? 0 : self->reply;
  }

  HWND hwnd_;
};

class FakeHost : public MessagerHost {
 public:
  bool IsPlaying() override { return playing; }
  bool RangePrepared() override { return prepared; }
  bool HasClips() override { return clips; }
  void CmStop() override {
    ++stops;
    playing = false;
  }
  void IncludeAllClips() override {
    ++includes;
    rangeStart = clipsStart;
    rangeEnd = clipsEnd;
  }
  bool GetMarkRange(int32_t& start, int32_t& end) override {
    start = rangeStart;
    end = rangeEnd;
    return rangeStart < rangeEnd;
  }
  void ReleaseFile(const char* path) override { released.push_back(path); }
  HWND TimeLineWindow() override { return timeLine.hwnd(); }
  HWND ProjectFrame() override { return frame.hwnd(); }

  bool playing = false;
  bool prepared = false;
  bool clips = false;
  int32_t clipsStart = 0, clipsEnd = 0;
  int32_t rangeStart = 0, rangeEnd = 0;
  int stops = 0;
  int includes = 0;
  std::vector<std::string> released;
  RecordingWindow timeLine{"MessagerTestTimeLine"};
  RecordingWindow frame{"MessagerTestFrame"};
};

}  // namespace messagertest
