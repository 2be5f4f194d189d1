// The clip frame's menu and key table. The collection window answers most of
// the items; the frame answers its file commands.
#include "platform/gui/gui.h"
#include "platform/gui/resource.h"
#include "resources/collection_ids.h"

namespace {

// The frame's own commands.
constexpr int kCmAddFromCollection = 211;
constexpr int kCmShowProject = 853;
constexpr int kCmCollectionHelp = 916;
constexpr int kCmExit = 24310;
constexpr int kCmNewCollection = 24331;
constexpr int kCmOpenCollection = 24332;
constexpr int kCmSaveCollection = 24333;
constexpr int kCmSaveCollectionAs = 24334;
// Keys the frame binds that nothing answers: their commands stay disabled.
constexpr int kCmUndo = 311;
constexpr int kCmRedo = 312;
constexpr int kCmCut = 314;
constexpr int kCmInsertRange = 524;

}  // namespace

void RegisterCollectionMenus() {
  // The recent collections go in at position 8 of File, after "Add source File".
  RegisterMenuResource(
      kCollectionMenu,
      {
          MenuPopup("&File",
                    {
                        MenuCommand("&New collection\tCtrl+N", kCmNewCollection),
                        MenuCommand("&Close", kCmNewCollection),
                        MenuCommand("&Open collection...\tCtrl+O", kCmOpenCollection),
                        MenuCommand("A&dd from collection...\tShift+Ctrl+O", kCmAddFromCollection),
                        MenuCommand("&Save collection\tCtrl+S", kCmSaveCollection),
                        MenuCommand("Save collection &As...\tShift+Ctrl+S", kCmSaveCollectionAs),
                        MenuSeparator(),
                        MenuCommand("Add source &File...\tF4", kCmCollectionAddFile),
                        MenuSeparator(),
                        MenuCommand("E&xit\tCtrl+Q", kCmExit),
                    }),
          MenuPopup("&Edit",
                    {
                        MenuCommand("&Copy\tCtrl+C", kCmCollectionCopy),
                        MenuCommand("&Add\tShift+Ctrl+C", kCmCollectionAdd),
                        MenuCommand("Pa&ste\tCtrl+V", kCmCollectionPaste),
                        MenuCommand("&Delete\tDelete", kCmCollectionDelete),
                        MenuSeparator(),
                        MenuCommand("P&urge\tShift+Delete", kCmPurge),
                        MenuSeparator(),
                        MenuCommand("&Properties...", kCmCollectionProperties),
                    }),
          MenuPopup("&View",
                    {
                        MenuCommand("F&ull info", kCmViewFullInfo),
                        MenuCommand("&Basic info", kCmViewBasicInfo),
                        MenuCommand("&Large icons", kCmViewLargeIcons),
                        MenuCommand("Small &icons", kCmViewSmallIcons),
                        MenuSeparator(),
                        MenuCommand("&Auto Sort", kCmAutoSort),
                        MenuCommand("Sort by &Type", kCmSortByType),
                        MenuCommand("Sort by &Name", kCmSortByName),
                        MenuSeparator(),
                        MenuCommand("&Font...", kCmTileFont),
                        MenuCommand("&Color...", kCmTileColor),
                    }),
          MenuPopup("&Options",
                    {
                        MenuCommand("Skip &Video", kCmSkipVideo),
                        MenuCommand("Skip &Audio", kCmSkipAudio),
                        MenuSeparator(),
                        MenuCommand("C&hange project video parameters", kCmVideoParamsFromClip),
                        MenuCommand("Cha&nge project audio parameters", kCmAudioParamsFromClip),
                    }),
          MenuPopup("&Tools",
                    {
                        MenuCommand("&Video editor", kCmVideoEditorForClip),
                        MenuCommand("&Midi editor", kCmMidiEditorForClip),
                        MenuCommand("Audio &editor", kCmAudioEditorForClip),
                        MenuSeparator(),
                        MenuCommand("Convert &WAVE", kCmConvertWave),
                        MenuCommand("Convert &AVI", kCmConvertAvi),
                        MenuCommand("Convert &MSCamcorder AVI", kCmConvertCamcorderAvi),
                    }),
          MenuPopup("&Help",
                    {
                        MenuCommand("&Clip Collection window description", kCmCollectionHelp),
                    }),
      });

  constexpr BYTE key = FVIRTKEY;
  RegisterAcceleratorResource(kCollectionAccelerators,
                              {
                                  {key | FCONTROL, 'N', kCmNewCollection},
                                  {key | FCONTROL, 'O', kCmOpenCollection},
                                  {key | FSHIFT | FCONTROL, 'O', kCmAddFromCollection},
                                  {key | FCONTROL, 'S', kCmSaveCollection},
                                  {key | FSHIFT | FCONTROL, 'S', kCmSaveCollectionAs},
                                  {key | FCONTROL, 'Q', kCmExit},
                                  {key | FCONTROL, 'Z', kCmUndo},
                                  {key | FCONTROL, 'Y', kCmRedo},
                                  {key | FCONTROL, 'X', kCmCut},
                                  {key | FSHIFT | FCONTROL, 'C', kCmCollectionAdd},
                                  {key | FCONTROL, 'C', kCmCollectionCopy},
                                  {key | FCONTROL, 'V', kCmCollectionPaste},
                                  {key | FCONTROL, 'I', kCmCollectionInsert},
                                  {key | FSHIFT | FCONTROL, 'I', kCmInsertRange},
                                  {key | FSHIFT, VK_INSERT, kCmCollectionPaste},
                                  {key, VK_INSERT, kCmCollectionInsert},
                                  {key | FCONTROL, VK_INSERT, kCmCollectionCopy},
                                  {key | FSHIFT | FCONTROL, VK_INSERT, kCmCollectionAdd},
                                  {key | FSHIFT, VK_DELETE, kCmPurge},
                                  {key, VK_DELETE, kCmCollectionDelete},
                                  {key, VK_RETURN, kCmCollectionPlay},
                                  {key, VK_SPACE, kCmCollectionPlay},
                                  {key, VK_F4, kCmCollectionAddFile},
                                  {key, VK_F3, kCmOpenCollection},
                                  {key | FSHIFT, VK_F3, kCmNewCollection},
                                  {key | FCONTROL, VK_F3, kCmAddFromCollection},
                                  {key, VK_F2, kCmSaveCollection},
                                  {key | FSHIFT, VK_F2, kCmSaveCollectionAs},
                                  {key, VK_F6, kCmShowProject},
                              });
}
