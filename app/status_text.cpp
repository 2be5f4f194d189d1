#include "app/status_text.h"

#include "platform/classlib/gadgets.h"

TStatusBar* TheStatusBar = nullptr;

namespace {

std::string& Text() {
  static std::string text;
  return text;
}

void Show() {
  if (TheStatusBar == nullptr) return;
  TheStatusBar->SetText(Text().c_str());
}

}  // namespace

void ShowStatusText(const char* text) {
  Text() = text != nullptr ? text : "";
  if (Text().size() > kStatusTextLimit) Text().resize(kStatusTextLimit);
  Show();
}

void AppendStatusText(const char* text) {
  const std::string more = text != nullptr ? text : "";
  if (Text().size() + more.size() < kStatusTextLimit) {
    Text() += more;
  } else {
    Text() = more.substr(0, kStatusTextLimit - 1);
  }
  Show();
}

void ClearStatusText() {
  Text().clear();
  Show();
  UpdateStatusBar();
}

void UpdateStatusBar() {
  if (TheStatusBar != nullptr && TheStatusBar->GetHandle() != nullptr) TheStatusBar->UpdateWindow();
}
