// The numbers of the audio recorder and the mixer window, and of their items.
#pragma once

constexpr int kRecorderDialog = 1460;  // "Audio Recorder"
constexpr int kMixerDialog = 1600;     // "A.Meter"

// Both windows: the meter pair, its scale and the meter switch.
constexpr int kMeterLeft = 1467;
constexpr int kMeterRight = 1466;
constexpr int kMeterScale = 1488;
constexpr int kMeterSwitch = 1461;  // "&Meter"

// The recorder.
constexpr int kRecRate = 1191;
constexpr int kRecBits = 1192;
constexpr int kRecStereo = 1193;
constexpr int kRecAdvanced = 1203;
constexpr int kRecVolumeControl = 1489;
constexpr int kRecOnTop = 1177;
constexpr int kRecSynchronize = 1463;
constexpr int kRecWait = 1464;
constexpr int kRecStatus = 1462;
constexpr int kRecTime = 1465;
constexpr int kRecWindStart = 1487;
constexpr int kRecStop = 1486;
constexpr int kRecWindEnd = 1468;
constexpr int kRecPrepare = 1484;

// The mixer.
constexpr int kMixMasterGroup = 1375;
constexpr int kMixPanEdit = 1419;
constexpr int kMixPanPlace = 1418;
constexpr int kMixPanSlider = 1417;
constexpr int kMixVolumeEdit = 1415;
constexpr int kMixVolumePlace = 1414;
constexpr int kMixVolumeSlider = 1413;
constexpr int kMixFaders = 1225;
constexpr int kMixRewind = 1487;  // "< <"
constexpr int kMixSettingsCommand = 811;
