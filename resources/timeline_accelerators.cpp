// The time-line's keys. The project frame loads this table into its own,
// so the keys work wherever the focus is in the frame.
#include "platform/gui/gui.h"
#include "platform/gui/resource.h"
#include "resources/timeline_ids.h"

void RegisterTimeLineAccelerators() {
  constexpr BYTE key = FVIRTKEY;
  RegisterAcceleratorResource(kTimeLineAccelerators,
                              {
                                  {key | FCONTROL, 'Z', kCmUndo},
                                  {key | FALT, VK_BACK, kCmUndo},
                                  {key | FCONTROL, 'Y', kCmRedo},
                                  {key | FSHIFT | FALT, VK_BACK, kCmRedo},
                                  {key, VK_DELETE, kCmDelete},
                                  {key | FCONTROL, 'X', kCmCut},
                                  {key | FSHIFT, VK_DELETE, kCmCut},
                                  {key | FCONTROL, 'C', kCmCopy},
                                  {key | FCONTROL, VK_INSERT, kCmCopy},
                                  {key | FCONTROL, 'V', kCmPaste},
                                  {key | FSHIFT, VK_INSERT, kCmPaste},
                                  {key, VK_INSERT, kCmInsert},
                                  {key | FCONTROL, 'A', kCmSelectAll},
                                  {key | FCONTROL, 'D', kCmDeselectAll},
                                  // Zoom: + and - on the main keys or the keypad, Ctrl or not.
                                  {key, VK_ADD, kCmZoomIn},
                                  {key | FCONTROL, VK_ADD, kCmZoomIn},
                                  {key | FSHIFT, VK_OEM_PLUS, kCmZoomIn},
                                  {key | FSHIFT | FCONTROL, VK_OEM_PLUS, kCmZoomIn},
                                  {key, VK_SUBTRACT, kCmZoomOut},
                                  {key | FCONTROL, VK_SUBTRACT, kCmZoomOut},
                                  {key, VK_OEM_MINUS, kCmZoomOut},
                                  {key | FCONTROL, VK_OEM_MINUS, kCmZoomOut},
                                  // A frame's step of the cursor (a line's drag takes them first).
                                  {key, VK_RIGHT, kCmNextFrame},
                                  {key, VK_LEFT, kCmPrevFrame},
                                  {key | FCONTROL, VK_UP, kCmScrollLineUp},
                                  {key | FCONTROL, VK_DOWN, kCmScrollLineDown},
                                  {key | FCONTROL, VK_LEFT, kCmScrollLeft},
                                  {key | FCONTROL, VK_RIGHT, kCmScrollRight},
                                  // Playing.
                                  {key, VK_SPACE, kCmPlayStop},
                                  {key, VK_RETURN, kCmPlayStop},
                                  {key, VK_ESCAPE, kCmStop},
                                  {key, VK_HOME, kCmRewind},
                                  {key, 'W', kCmRewind},
                                  {key | FCONTROL, 'W', kCmRewind},
                                  {key, VK_F7, kCmShowAudioMeter},
                                  {key, VK_F8, kCmShowMixer},
                                  {key, VK_F9, kCmShowVideoWindow},
                              });
}
