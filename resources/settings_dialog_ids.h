// The numbers of the settings pages and of their items.
#pragma once

// The Colors page.
constexpr int kColorsDialog = 1270;
constexpr int kColorsElementList = 1271;
constexpr int kColorsChangeColor = 1272;
constexpr int kColorsSample = 1273;
constexpr int kColorsSaveScheme = 1341;
constexpr int kColorsLoadScheme = 1342;
constexpr int kColorsDefaultScheme = 1125;

// The General page.
constexpr int kGeneralDialog = 1140;
constexpr int kGeneralProjectSize = 1141;
constexpr int kGeneralAudioTracks = 1142;
constexpr int kGeneralRepeat = 1143;
constexpr int kGeneralStartPlayback = 1144;
constexpr int kGeneralHideCursor = 1145;
constexpr int kGeneralUndoDepth = 1146;
constexpr int kGeneralRealtimeMute = 1147;
constexpr int kGeneralFromCursor = 1148;

// The Video page.
constexpr int kVideoDialog = 1170;
constexpr int kVideoFrameRate = 1171;
constexpr int kVideoShowDropped = 1172;
constexpr int kVideoEdges = 1173;
constexpr int kVideoNeverYield = 1174;
constexpr int kVideoPlaybackMode = 1175;
constexpr int kVideoZoom = 1176;
constexpr int kVideoOnTop = 1177;
constexpr int kVideoSynchronize = 1178;
constexpr int kVideoKeyFrames = 1179;
constexpr int kVideoModeNote = 1180;

// The Audio page.
constexpr int kAudioDialog = 1183;
constexpr int kAudioFormat = 1191;
constexpr int kAudioInput = 1194;
constexpr int kAudioOutput = 1195;
constexpr int kAudioMidi = 1196;
constexpr int kAudioThroughFile = 1197;
constexpr int kAudioBuffer = 1198;
constexpr int kAudioWaveform = 1199;
constexpr int kAudioLimit16 = 1202;
constexpr int kAudioAdvanced = 1203;
constexpr int kAudioBoardMixer = 1204;
constexpr int kAudioConfigureMixer = 1205;

// The Troubleshooting page.
constexpr int kTroubleDialog = 1211;
constexpr int kTroubleUseDelay = 1212;
constexpr int kTroubleDelay = 1198;
constexpr int kTroubleDelayLabel = 1375;
constexpr int kTroubleDelayUnit = 1213;
constexpr int kTroubleReopenCodec = 1214;
constexpr int kTroubleDontOptimize = 1215;

// The Selection page.
constexpr int kSelectionDialog = 1240;
constexpr int kSelectionGroup = 1241;
constexpr int kSelectionExclusiveSolo = 1242;
constexpr int kSelectionKeepCurTime = 1243;
constexpr int kSelectionCurTimeOverClips = 1244;

// The Alignment page.
constexpr int kGravityDialog = 1250;
constexpr int kGravityGroup = 1241;
constexpr int kGravityAlignBox = 1251;
constexpr int kGravityAlignFirst = 1252;  // "None"; the values 0 to 6 in order
constexpr int kGravityAlignLast = 1258;
constexpr int kGravityToFrame = 1259;
constexpr int kGravityAlignTime = 1260;
constexpr int kGravityDistance = 1261;

// The Summary page (editable and read-only) and the extended summary dialog.
constexpr int kSummaryPage = 1280;
constexpr int kSummaryPageReadOnly = 1282;
constexpr int kExtSummaryDialog = 1281;
constexpr int kExtSummaryDialogReadOnly = 1283;
constexpr int kSummaryTitle = 1562;
constexpr int kSummaryAuthor = 1563;
constexpr int kSummarySubject = 1284;
constexpr int kSummaryCopyrightEdit = 1564;
constexpr int kSummaryComments = 1285;
constexpr int kSummaryDontExport = 1341;
constexpr int kSummaryExtended = 1286;
constexpr int kSummarySetDefault = 1288;
constexpr int kExtSummaryFields = 1287;
constexpr int kExtSummaryContent = 1375;
constexpr int kExtSummaryReset = 1125;

// The GPI Ports page: per line n (0 to 3) its name, its "Open by default"
// and its "Input" boxes.
constexpr int kGpiDialog = 1790;
constexpr int kGpiName = 1786;
constexpr int kGpiInput = 1791;
constexpr int kGpiOpen = 1795;
constexpr int kGpiTimeout = 1385;
constexpr int kGpiTimeoutUnit = 1375;
constexpr int kGpiLines = 4;

// The clip property pages.
constexpr int kGeneralClipDialog = 1800;
constexpr int kVideoClipDialog = 1810;
constexpr int kAudioClipDialog = 1820;
constexpr int kMidiClipDialog = 1830;
constexpr int kFaceClipDialog = 1840;
constexpr int kClipNameEdit = 1111;
constexpr int kClipFileName = 1112;
constexpr int kClipFileSize = 1261;
constexpr int kClipCreated = 1801;
constexpr int kClipModified = 1802;
constexpr int kClipIn = 1133;
constexpr int kClipOut = 1134;
constexpr int kClipDuration = 1135;
constexpr int kClipSource = 1124;
constexpr int kClipInUnit = 1375;
constexpr int kClipOutUnit = 1213;
constexpr int kClipDurationUnit = 1164;
constexpr int kClipSourceUnit = 1165;
constexpr int kClipUseVideo = 1115;
constexpr int kClipFrameRate = 1171;
constexpr int kClipWidth = 1575;
constexpr int kClipHeight = 1576;
constexpr int kClipCodecShort = 1811;
constexpr int kClipCodecName = 1812;
constexpr int kClipDataRate = 1803;
constexpr int kClipUseAudio = 1116;
constexpr int kClipSampleRate = 1191;
constexpr int kClipBits = 1192;
constexpr int kClipChannels = 1193;
constexpr int kClipFace = 1117;
constexpr int kClipFrameText = 1118;
constexpr int kClipFrameBar = 1119;

// The Save page.
constexpr int kSaveDialog = 1160;
constexpr int kSaveAuto = 1161;
constexpr int kSavePeriod = 1162;
constexpr int kSaveCount = 1163;
constexpr int kSaveThumbnails = 1166;
constexpr int kSaveWaveforms = 1167;
constexpr int kSaveTempFolder = 1168;
constexpr int kSavePeriodLabel = 1375;
constexpr int kSavePeriodUnit = 1213;
constexpr int kSaveCountLabel = 1164;
constexpr int kSaveCountUnit = 1165;

// The VideoFX page.
constexpr int kVfxDialog = 1890;
constexpr int kVfxMinQuality = 1891;
constexpr int kVfxMaxQuality = 1892;
constexpr int kVfxLimitRate = 1893;
constexpr int kVfxDataRate = 1894;
constexpr int kVfxProjectFolder = 1895;
constexpr int kVfxFolder = 1896;
constexpr int kVfxRateLabel = 1375;
constexpr int kVfxRateUnit = 1213;
constexpr int kVfxMinLabel = 1164;

// The Scrubbing page.
constexpr int kScrubDialog = 1290;
constexpr int kScrubVideo = 1291;
constexpr int kScrubAudio = 1292;
constexpr int kScrubMin = 1293;
constexpr int kScrubMax = 1294;
constexpr int kScrubAutoScroll = 1295;

// The Declick page.
constexpr int kDeclickDialog = 1300;
constexpr int kDeclickType = 1571;
constexpr int kDeclickLength = 1261;
constexpr int kDeclickAuto = 1301;

// The Effects page: four quality lists.
constexpr int kEffectsDialog = 1310;
constexpr int kEffectsRealTime = 1311;
constexpr int kEffectsFinal = 1312;
constexpr int kEffectsResponse = 1313;
constexpr int kEffectsMisc = 1314;

// The Audio meter page.
constexpr int kMeterDialog = 1220;
constexpr int kMeterRed = 1221;
constexpr int kMeterYellow = 1222;
constexpr int kMeterBlue = 1223;
constexpr int kMeterGreen = 1224;
constexpr int kMeterPeakHold = 1227;
constexpr int kMeterSize = 1228;
constexpr int kMeterLabels = 1231;
constexpr int kMeterLabelLevel = 1232;
constexpr int kMeterLabelName = 1233;
constexpr int kMeterLabelSet = 1234;
constexpr int kMeterLabelClear = 1235;
constexpr int kMeterAuto = 1236;
constexpr int kMeterZero = 1237;
constexpr int kMeterZeroLabel = 1375;
constexpr int kMeterZeroUnit = 1213;
constexpr int kMeterLevelLabel = 1164;
constexpr int kMeterNameLabel = 1165;
constexpr int kMeterOnTop = 1177;
