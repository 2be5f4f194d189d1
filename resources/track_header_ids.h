// The commands of a track header panel's row menu, answered by the panel
// that showed the menu.
#pragma once

constexpr int kCmTrackRename = 101;
constexpr int kCmTrackZoomSmall = 102;
constexpr int kCmTrackZoomHalf = 103;
constexpr int kCmTrackZoomNormal = 104;
constexpr int kCmTrackZoomDouble = 105;
constexpr int kCmTrackSolo = 111;
constexpr int kCmTrackMute = 112;
constexpr int kCmTrackMoveUp = 113;
constexpr int kCmTrackMoveDown = 114;
constexpr int kCmTrackDuplicate = 115;
constexpr int kCmTrackPasteEffects = 341;
constexpr int kCmTrackAddEffects = 342;
constexpr int kCmTrackDeleteEffects = 343;
// The time-line's own "Master volume..." command, always greyed here.
constexpr int kCmTrackVolume = 517;
constexpr int kCmTrackEffects = 518;
constexpr int kCmTrackUseEffects = 519;
