#include "resources/resources.h"

#include <mutex>

void RegisterDialogResources();       // dialogs.cpp
void RegisterTimeLineCursors();       // timeline_cursors.cpp
void RegisterSliderThumbs();          // slider_thumbs.cpp
void RegisterTimeLineAccelerators();  // timeline_accelerators.cpp
void RegisterClipEditHints();         // clip_edit_hints.cpp
void RegisterTimeLineInputHints();    // timeline_input_hints.cpp
void RegisterValueDialogs();          // value_dialogs.cpp
void RegisterSetupDialogs();          // setup_dialogs.cpp
void RegisterTransportHints();        // transport_hints.cpp
void RegisterClipDialogs();           // clip_dialogs.cpp
void RegisterCollectionMenus();       // collection_menus.cpp
void RegisterMpegDialog();            // mpeg_dialog.cpp
void RegisterProjectCommandHints();   // project_command_hints.cpp
void RegisterWaitDialogs();           // wait_dialogs.cpp
void RegisterFrameMenus();            // frame_menus.cpp
void RegisterFormatChooserDialog();   // format_chooser_dialog.cpp
void RegisterSettingsDialogs();       // settings_dialogs.cpp
void RegisterAudioToolDialogs();      // audio_tool_dialogs.cpp
void RegisterEffectDialogs();         // effect_dialogs.cpp
void RegisterClipFramePictures();     // clip_frame_pictures.cpp

void RegisterProgramResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterDialogResources();
    RegisterTimeLineCursors();
    RegisterSliderThumbs();
    RegisterTimeLineAccelerators();
    RegisterClipEditHints();
    RegisterTimeLineInputHints();
    RegisterTransportHints();
    RegisterValueDialogs();
    RegisterSetupDialogs();
    RegisterClipDialogs();
    RegisterCollectionMenus();
    RegisterMpegDialog();
    RegisterProjectCommandHints();
    RegisterWaitDialogs();
    RegisterFrameMenus();
    RegisterFormatChooserDialog();
    RegisterSettingsDialogs();
    RegisterAudioToolDialogs();
    RegisterEffectDialogs();
    RegisterClipFramePictures();
  });
}
