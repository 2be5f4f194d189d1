#include "resources/resources.h"

#include <mutex>

void RegisterDialogResources();  // dialogs.cpp
void RegisterSliderThumbs();     // slider_thumbs.cpp

void RegisterProgramResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterDialogResources();
    RegisterSliderThumbs();
  });
}
