// The commands of the header strip's context menus. The ruler and the
// cursor-time display answer their own menus, so these numbers are theirs;
// the Range menu's items go to the time-line window.
#pragma once

namespace strip_command {

// The ruler's and the cursor-time display's menus.
constexpr int kSetCurrentTime = 101;
constexpr int kTogglePreviewVideo = 102;
constexpr int kTogglePreviewAudio = 103;
constexpr int kToggleAutoScroll = 104;
constexpr int kToggleAlignToFrame = 105;
constexpr int kToggleAlignTime = 106;
constexpr int kAddMark = 107;
constexpr int kRemoveMark = 108;
constexpr int kMarkName = 109;
constexpr int kMarkPosition = 110;
constexpr int kPlay = 511;
constexpr int kStop = 512;

// The master effects, from the cursor-time display's menu.
constexpr int kPasteMasterEffects = 341;
constexpr int kAddMasterEffects = 342;
constexpr int kDeleteMasterEffects = 343;
constexpr int kMasterEffects = 518;
constexpr int kUseMasterEffects = 519;

// Appended to the Range menu by the selection line.
constexpr int kNormalizeAudio = 520;
constexpr int kCheckOverflow = 521;

}  // namespace strip_command
