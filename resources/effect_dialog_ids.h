// The numbers of the effect-list dialogs, the frequency-response analyser,
// its colour dialog and their items.
#pragma once

// Dialogs.
constexpr int kFFTSpecDialog = 2;          // "Effect(s) Frequency and Phase Response"
constexpr int kFFTColorDialog = 3;         // "Response Colors"
constexpr int kEffectListDialog = 1740;    // "List of Audio Effects"
constexpr int kSelectEffectDialog = 1741;  // "Select Audio Effect"

// "List of Audio Effects".
constexpr int kEffectOk = 1742;
constexpr int kEffectList = 1743;
constexpr int kEffectCopyOne = 1745;      // menu
constexpr int kEffectBypass = 1744;       // menu
constexpr int kEffectRestoreName = 1746;  // menu
constexpr int kEffectSkipAll = 1747;
constexpr int kEffectAddAbove = 1751;
constexpr int kEffectAddBelow = 1752;
constexpr int kEffectRemove = 1753;
constexpr int kEffectSettings = 1754;
constexpr int kEffectMoveUp = 1755;
constexpr int kEffectMoveDown = 1756;
constexpr int kEffectRename = 1757;
constexpr int kEffectResponse = 1758;
constexpr int kEffectCopyList = 1759;
constexpr int kEffectPaste = 1760;
constexpr int kEffectClear = 1761;
constexpr int kEffectSave = 1762;
constexpr int kEffectLoad = 1763;
constexpr int kEffectListResponse = 1764;
constexpr int kEffectPreview = 1101;  // the button and its two-picture strip

// The analyser.
constexpr int kFftDiagram = 2202;
constexpr int kFftSize = 2203;
constexpr int kFftRefresh = 2204;
constexpr int kFftReset = 2205;
constexpr int kFftValueLeft = 2206;
constexpr int kFftCursorFreq = 2207;
constexpr int kFftUnit = 2208;
constexpr int kFftValueKind = 2209;
constexpr int kFftScale = 2210;
constexpr int kFftNegRange = 2211;
constexpr int kFftMinFreq = 2212;
constexpr int kFftPosRange = 2213;
constexpr int kFftAngleLeft = 2214;
constexpr int kFftMaxValueLeft = 2215;
constexpr int kFftMinValueLeft = 2216;
constexpr int kFftShowFreq = 2217;
constexpr int kFftShowPhase = 2218;
constexpr int kFftWindowType = 2219;
constexpr int kFftUseWindow = 2220;
constexpr int kFftMaxAngleLeft = 2221;
constexpr int kFftMinAngleLeft = 2222;
constexpr int kFftMaxFreq = 2223;
constexpr int kFftImpulse = 2225;
constexpr int kFftSine = 2226;
constexpr int kFftSineFreq = 2227;
constexpr int kFftZoomOut = 2228;
constexpr int kFftZoomFull = 2229;
constexpr int kFftMaxAngleFreqLeft = 2230;
constexpr int kFftMaxValueFreqLeft = 2231;
constexpr int kFftMinAngleFreqLeft = 2232;
constexpr int kFftMinValueFreqLeft = 2233;
constexpr int kFftAutoRange = 2234;
constexpr int kFftMinValueRight = 2235;
constexpr int kFftMaxValueRight = 2236;
constexpr int kFftMinValueFreqRight = 2237;
constexpr int kFftMaxValueFreqRight = 2238;
constexpr int kFftMinAngleFreqRight = 2239;
constexpr int kFftMaxAngleFreqRight = 2240;
constexpr int kFftMinAngleRight = 2241;
constexpr int kFftMaxAngleRight = 2242;
constexpr int kFftValueRight = 2244;
constexpr int kFftAngleRight = 2245;
constexpr int kFftBothChannels = 2246;
constexpr int kFftLeftOnly = 2247;
constexpr int kFftRightOnly = 2248;
constexpr int kFftColors = 2249;

// "Response Colors": the swatches 2302..2311 in colour order.
constexpr int kColorDefaults = 2301;
constexpr int kColorFirstSwatch = 2302;
constexpr int kColorLoad = 2312;
constexpr int kColorSave = 2313;

// The cursor shown while a zoom band is dragged.
constexpr int kFftZoomCursor = 24015;
