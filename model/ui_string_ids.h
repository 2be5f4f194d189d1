// The numbers of the UI strings (ui_strings.cpp) that the code asks for, by
// name. The numbers are fixed: resources and stored files refer to them.
// Keep the list in number order and add a name here, not a local constant,
// when new code needs a string; runs that code indexes into are marked.
#pragma once

namespace ui_string {

// The project frame, the clip frame, the settings sheets, autosave and the
// application's boxes.
inline constexpr int kUntitledName = 0;            // "Untitled"
inline constexpr int kProjectFilter = 1;           // "TimeLine Projects (*.tml)|..."
inline constexpr int kUntitled = 2;                // "Untitled"
inline constexpr int kOpenProject = 3;             // "Open Project"
inline constexpr int kAddProject = 4;              // "Add Project"
inline constexpr int kSaveProject = 5;             // "Save Project"
inline constexpr int kSaveProjectAs = 6;           // "Save Project As"
inline constexpr int kProjectChanged = 7;          // "Project '%s' has changed.\n..."
inline constexpr int kInsertFile = 8;              // "Insert file '%s'"
inline constexpr int kInsertFileStatus = 8;          // "Insert file '%s'"
inline constexpr int kSaveAllCaption = 9;          // "Saving the project in the single directory"
inline constexpr int kOverwriteAll = 10;           // "Overwrite all existing files in destination directory?"
inline constexpr int kCopyAllSources = 11;         // "Copy all source files to directory"
inline constexpr int kCantCopyFile = 12;           // "Can not copy the file '%s'\ninto the file '%s'"
inline constexpr int kDragDropMultiple = 13;       // "Drag&Drop for multiple files is not supported!..."
inline constexpr int kDragDrop = 14;               // "Drag&Drop"
inline constexpr int kSettingsCaption = 15;         // "Settings"
inline constexpr int kSynchronizationCaption = 16;  // "Synchronization"
inline constexpr int kCollectionFilter = 17;         // "Clip Collections (*.prc)|*.prc|AllFiles (*.*)|*.*|"
inline constexpr int kClipCollectionCaption = 18;    // "Clip Collection"
inline constexpr int kOpenClipCollection = 19;       // "Open Clip Collection"
inline constexpr int kAddClipCollection = 20;        // "Add Clip Collection"
inline constexpr int kCollectionUntitled = 21;       // "Untitled"
inline constexpr int kLoadCollectionTitle = 22;      // "Load Clip Collection"
inline constexpr int kSaveClipCollection = 23;       // "Save Clip Collection"
inline constexpr int kSaveClipCollectionAs = 24;     // "Save Clip Collection As"
inline constexpr int kCollectionChangedAsk = 25;     // "Clip Collection '%s' has changed.\nDo you want to save ..."
inline constexpr int kSetAudioParameters = 26;     // "Set Audio Parameters"
inline constexpr int kAudioParametersRefused = 27; // "This version of Kobrix can not work with ..."
inline constexpr int kAutoSaveProject = 28;        // "AutoSave Project"
inline constexpr int kAutoSaveProjectTitle = 28;     // "AutoSave Project"
inline constexpr int kAutoSaveCollectionTitle = 29;  // "AutoSave Clip Collection"
inline constexpr int kAutoSaveStatus = 30;           // " AutoSave"
inline constexpr int kAutoSavedStatus = 31;          // "d "
inline constexpr int kKobrixStarting = 32;         // "Kobrix Starting"
inline constexpr int kAutosaveFoundCaption = 32;     // "Kobrix Starting"
inline constexpr int kRestoreAutosave = 33;        // "Kobrix found autosaved file.\n..."
inline constexpr int kAutosaveFoundAsk = 33;         // "Kobrix found autosaved file.\nDo you want to restore it?"

// The audio engine's error texts and the captions of its boxes.
inline constexpr int kCantOpenFile = 34;            // "Can`t open file:\n'%s'."
inline constexpr int kErrorWritingFile = 35;        // "Error writing file:\n'%s'."
inline constexpr int kNotWaveOrAvi = 36;            // "File '%s' is not Wave or AVI file."
inline constexpr int kSoundSettingsMismatch = 37;   // "File parameters do not match current sound settings."
inline constexpr int kNotEnoughMemory = 38;         // "Not enough memory."
inline constexpr int kNoWavePlaybackDevice = 39;    // "Wave playback Device isn't present in the system."
inline constexpr int kUnknownError = 40;            // "INTERNAL ERROR : Unknown Error! Err = %d"
inline constexpr int kOpenWavePlaybackDevice = 41;  // "Open Wave playback device"
inline constexpr int kAudioPlayback = 42;           // "Audio playback"
inline constexpr int kPreparingAudio = 43;          // "Preparing audio"
inline constexpr int kAudioTrackData = 44;          // "Audio track data"
inline constexpr int kMixingBuffer = 45;            // "Mixing buffer"
inline constexpr int kAddToPlayback = 46;           // "Add to playback"

// The steps of writing a WAVE file, named when one fails.
inline constexpr int kWriteWave = 49;          // "Write Wave"
inline constexpr int kCreateRiffChunk = 50;    // "Create riff chunk"
inline constexpr int kCreateFormatChunk = 51;  // "Create format chunk"
inline constexpr int kWriteFormatChunk = 52;   // "Write format chunk"
inline constexpr int kCreateDataChunk = 53;    // "Create data chunk"
inline constexpr int kWriteDataChunk = 54;     // "Write data chunk"
inline constexpr int kWriteRiffChunk = 55;     // "Write riff chunk"
inline constexpr int kOpenTempWave = 56;       // "Open temporary Wave-file"
inline constexpr int kSeekTempWave = 57;       // "Seek temporary Wave-file"
inline constexpr int kWriteTempWave = 58;      // "Write temporary Wave-file"

// The time-line window.
inline constexpr int kSetSize = 63;         // "Set Size"
inline constexpr int kStopBeforeExit = 70;  // "Stop the playback before exiting!"
inline constexpr int kCloseKobrix = 71;     // "Close KOBRIX"

// Adding a media file to the time-line or the collection.
inline constexpr int kOpenClipFile = 72;           // "Open Clip" (a missing or empty file)
inline constexpr int kVideoParametersDiffer = 74;  // "File '%s' video parameters\ndiffer from those of th..."
inline constexpr int kCamcorderVideo = 75;         // "Video recorded by MS Camcorder can not be edited!\nD..."
inline constexpr int kTargetForConversion = 76;    // "Target File name for conversion"
// The question before an audio file is converted.
inline constexpr int kConvertSoundParameters =
    73;  // "File '%s' sound parameters\ndiffer from those of the cu..."

// What a clip holds, in its status text.
inline constexpr int kKindVideoAndAudio = 78;  // "VIDEO and AUDIO"
inline constexpr int kKindVideo = 79;          // "VIDEO"
inline constexpr int kKindAudio = 80;          // "AUDIO"
inline constexpr int kKindMidi = 81;           // "MIDI"

// Adding and dropping clips; the project's commands and parameters.
inline constexpr int kInappropriateParameters = 82;  // "Clip '%s' has inappropriate %s parameters"
inline constexpr int kShowTracksForClip = 83;        // "Show %s track(s) for clip inserting?"
inline constexpr int kInsertClip = 84;               // "Insert Clip"
inline constexpr int kCannotInsertClip = 85;         // "Can not insert the%sclip.\nDo you want to copy this ..."
inline constexpr int kWhole = 86;                    // " whole "
inline constexpr int kChangeVideoParameters = 87;    // "Change Video Parameters"
inline constexpr int kClearVideoTracks = 88;         // "Clear video tracks?"
inline constexpr int kChangeSoundParameters = 89;    // "Change Sound Parameters"
inline constexpr int kClearAudioTracks = 90;         // "Clear audio tracks?"
inline constexpr int kProject = 91;                  // "Project"
inline constexpr int kNewProject = 92;               // "New Project"
inline constexpr int kCannotShiftClips = 93;         // "Can not shift the clip(s)"
inline constexpr int kClearTheProject = 94;          // "Clear the project"
inline constexpr int kRemoveAllProjectClips = 95;    // "Remove all clips from the project?"

inline constexpr int kLoadProject = 96;         // "Load Project"
inline constexpr int kExportAudioVideo = 100;   // "Export Audio & Video"
inline constexpr int kSingleMidiOnly = 97;      // "Only single midi file is supported"
inline constexpr int kClipboardFormatsDiffer = 98;  // "Added in Clipboard %s clips have format different fr..."
inline constexpr int kAddProjectCaption = 99;   // "Add Project"
inline constexpr int kExportWave = 101;         // "Export Wave"
inline constexpr int kExportAiff = 102;         // "Export Aiff"
inline constexpr int kExportMpeg = 104;         // "Export MPEG"
inline constexpr int kVideoPlayback = 106;      // "Video Playback"
inline constexpr int kPlaybackFatalStop = 107;  // "Playback fatal stop at time %s\nCan not read data from file"
inline constexpr int kDeleteClips = 108;        // "Delete clips"
inline constexpr int kCutClips = 109;           // "Cut clips"
inline constexpr int kSplitClip = 110;          // "Split clip"
inline constexpr int kJoinClips = 111;          // "Join clips"
inline constexpr int kUndo = 112;               // "Undo"
inline constexpr int kRedo = 113;               // "Redo"
inline constexpr int kLaunchExternal = 114;     // "Launch external application"
inline constexpr int kCannotLaunch = 115;       // "Can not launch\n%s"
inline constexpr int kConfigureTools = 116;     // "Configure external applications"
inline constexpr int kExportEdl = 118;          // "Export EDL"
inline constexpr int kImportEdl = 119;          // "Import EDL"

// Audio effects: the master's and the selected clips'.
inline constexpr int kPasteAudioEffects = 121;           // "Paste Audio Effect(s)"
inline constexpr int kReplaceAudioEffects = 122;         // "Some selected clips have audio effect(s)!\nReplace?"
inline constexpr int kDeleteAudioEffects = 123;          // "Delete Audio Effect(s)"
inline constexpr int kDeleteAudioEffectsQuestion = 124;  // "Do you want to delete audio effects?"
inline constexpr int kDeleteSelectedEffects = 125;       // "Do you want to delete audio effects from all sele..."

inline constexpr int kSettingsMenu = 126;       // "Settings..."

// The video player: its preview window's system menu, dropped frames and
// codec failures.
inline constexpr int kZoomHalfItem = 127;         // "Zoom: 1/2"
inline constexpr int kZoomOneItem = 128;          // "Zoom: x1"
inline constexpr int kZoomTwoItem = 129;          // "Zoom: x2"
inline constexpr int kFramesDropped = 130;        // "%d frames were dropped!"
inline constexpr int kAviVideoPlayer = 131;       // "AVI Video Player"
inline constexpr int kShowFrame = 132;            // "Show Frame"
inline constexpr int kCodecReopenedAlways = 133;  // "Some error in video codec!\nNow Kobrix sets 'Reopen..."
inline constexpr int kNoGpiLine = 134;            // "None"

// The clip collection's tiles and its questions.
inline constexpr int kTileName = 135;             // "  Name: "
inline constexpr int kTileFile = 136;             // "  File: "
inline constexpr int kTileSound = 137;            // "  Sound: "
inline constexpr int kTileVideo = 138;            // "  Video: "
inline constexpr int kTileIn = 139;               // "  In:"
inline constexpr int kTileOut = 140;              // " Out:"
inline constexpr int kTileTime = 141;             // "  Time: "
inline constexpr int kRemoveAllClips = 142;       // "Remove all clips?"
inline constexpr int kClearClipCollection = 143;  // "Clear Clip Collection"
inline constexpr int kAddClipCaption = 144;       // "Insert Clip" (adding a file twice, compressed sound)
inline constexpr int kClipAlreadyOpened = 145;  // "Clip '%s' is already opened.\nDo you want to add this..."
inline constexpr int kOpenClipFormat = 146;      // "Open Clip" (a file of no usable kind)
inline constexpr int kDeleteClip = 147;          // "Delete Clip"
inline constexpr int kDeleteClipQuestion = 148;  // "Do you want to delete clip '%s'?"
inline constexpr int kPurgeQuestion = 149;        // "Do you want to remove all unused clips?"
inline constexpr int kPurge = 150;                // "Purge"
inline constexpr int kConvertAudio = 151;       // "Convert Audio"
inline constexpr int kTargetWaveForConversion = 152;  // "Target WAVE file name for conversion"
inline constexpr int kSourceWaveFile = 153;           // "Source WAVE file"
inline constexpr int kSourceAviFile = 155;            // "Source AVI file"
inline constexpr int kTargetAviForConversion = 156;  // "Target AVI file name for conversion"
inline constexpr int kClipProperties = 157;           // "Clip Properties"

// The collection's context menus.
inline constexpr int kMenuAddSourceFile = 158;     // "Add source file..."
inline constexpr int kMenuDelete = 159;            // "Delete"
inline constexpr int kMenuProperties = 160;        // "Properties..."
inline constexpr int kMenuStop = 161;              // "Stop"
inline constexpr int kMenuPlay = 162;              // "Play"
inline constexpr int kMenuVideoParameters = 163;   // "Change project video parameters"
inline constexpr int kMenuAudioParameters = 164;   // "Change project audio parameters"
inline constexpr int kMenuLaunchVideoEditor = 165;  // "Launch video editor"
inline constexpr int kMenuLaunchMidiEditor = 166;   // "Launch midi editor"
inline constexpr int kMenuLaunchAudioEditor = 167;  // "Launch audio editor"
inline constexpr int kMenuCopy = 168;              // "Copy"
inline constexpr int kMenuAdd = 169;               // "Add"
inline constexpr int kMenuPaste = 170;             // "Paste"
inline constexpr int kMenuFullInfo = 171;          // "Full info"
inline constexpr int kMenuBasicInfo = 172;         // "Basic info"
inline constexpr int kMenuLargeIcons = 173;        // "Large icons"
inline constexpr int kMenuSmallIcons = 174;        // "Small icons"

// The question before a compressed audio file is decompressed.
inline constexpr int kDecompressAudio = 154;  // "The program does not work with compressed audio!\nDo..."

// Key-frame alignment of a clip's start.
inline constexpr int kAlignToKeyFrame = 175;         // "Align start of video clip to next key frame"
inline constexpr int kStartShiftedToKeyFrame = 176;  // "Clip %s at position %s..%s starts from NOT a key..."
inline constexpr int kNoNextKeyFrame = 177;          // "Clip %s at position %s..%s starts from NOT a key..."

// Releasing and reloading media files.
inline constexpr int kWriteFile = 178;             // "Write file"
inline constexpr int kClipUsedInProject = 179;     // "Clip '%s' is used in the project.\nDo you want to r..."
inline constexpr int kClipUsedInCollection = 180;  // "Clip '%s' is used in the clip collection.\nDo you w..."
inline constexpr int kClipUsedInUndo = 181;        // "Clip '%s' is used in the Undo list.\nDo you want to..."
inline constexpr int kTemporarySoundFile = 182;    // "File '%s' is temporary sound file with applied audi..."
inline constexpr int kCannotDeleteClip = 183;      // "Can not delete clip '%s'!"
inline constexpr int kFileTimeChanged = 184;       // "Date/Time of file '%s' has changed.\nDo you want to..."
inline constexpr int kFileTypeChanged = 185;       // "Type of file '%s' has changed.\nIt will be removed..."

// A clip's status texts.
inline constexpr int kClipStatus = 186;          // "%s clip '%s' starts at %s and stops at %s"
inline constexpr int kClipStartKeyStatus = 187;  // "Clip '%s' starts at %s [source offset: %s], the 1-st..."
inline constexpr int kClipStartStatus = 188;     // "Clip '%s' starts at %s [source offset: %s]"
inline constexpr int kNotKey = 189;              // " NOT "
inline constexpr int kClipStopStatus = 190;      // "Clip '%s' stops at %s [source offset: %s]"
inline constexpr int kMarkStatus = 191;          // "Mark '%s' at %s [source offset: %s]"
inline constexpr int kVolumePointStatus = 192;   // "Volume is %ddB(%ddB) at key point %s(%s)"
inline constexpr int kVolumeRangeStatus = 193;   // "Volume is %ddB(%ddB) in the range %s..%s(%s..%s)"
inline constexpr int kVolumeSlopeStatus = 194;   // "Sloped volume: from %ddB(%ddB) in %s(%s) to %ddB(%ddB..."
inline constexpr int kBalancePointStatus = 195;  // "Balance is %d%% %s(%d%% %s) at key point %s(%s)"
inline constexpr int kBalanceRangeStatus = 196;  // "Balance is %d%% %s(%d%% %s) in the range %s..%s(%s..%s)"
inline constexpr int kBalanceSlopeStatus = 197;  // "Sloped balance: from %d%% %s(%d%% %s) in %s(%s) to %d..."
inline constexpr int kRight = 198;               // "right"
inline constexpr int kLeft = 199;                // "left"
inline constexpr int kClipNamed = 200;           // "Clip '%s'"
inline constexpr int kSetCurrentTime = 201;       // "Set Current Time"

// The lines' own names.
inline constexpr int kVideoTrackNumber = 202;  // "Video track number %d"
inline constexpr int kVideoFxTrack = 203;      // "Video FX track"
inline constexpr int kAudioTrackNumber = 204;  // "Audio track number %d"
inline constexpr int kMidiTrack = 205;         // "Midi track"
// The header panels.
inline constexpr int kSoloState = 206;            // "solo"
inline constexpr int kMuteState = 207;            // "mute"
inline constexpr int kTrackName = 208;            // "Track Name"
inline constexpr int kMarkNameCaption = 211;      // "Mark Name"
inline constexpr int kMarkPositionCaption = 212;  // "Mark Position"

// The header strip: the ruler, the range and the overview.
inline constexpr int kRulerMarkStatus = 210;     // "Mark '%s': %s"
inline constexpr int kNormalizeAudioItem = 213;  // "Normalize audio..."
inline constexpr int kCheckOverflowItem = 214;   // "Check overflow..."
inline constexpr int kStartAndSize = 215;        // "Start : %s,  size : %s"
// The header panels' row menu.
inline constexpr int kLeftChannel = 216;          // "L"
inline constexpr int kRightChannel = 217;         // "R"
inline constexpr int kDuplicateTrack = 218;       // "Duplicate Track"
inline constexpr int kAllAudioTracksBusy = 219;   // "All audio tracks are busy!"
inline constexpr int kHeightMenu = 220;           // "Height"
inline constexpr int kNameItem = 221;             // "Name..."
inline constexpr int kMoveUpItem = 222;           // "Move up"
inline constexpr int kMoveDownItem = 223;         // "Move down"
inline constexpr int kDoubleItem = 224;           // "Double"
inline constexpr int kNormalItem = 225;           // "Normal"
inline constexpr int kHalfItem = 226;             // "Half"
inline constexpr int kSmallLockedItem = 227;      // "Small (locked)"
inline constexpr int kTrackVolumeItem = 228;      // "Track Volume..."
inline constexpr int kSoloItem = 229;             // "Solo"
inline constexpr int kMuteItem = 230;             // "Mute"
// The ruler's and the cursor-time display's menus.
inline constexpr int kPlayItem = 231;              // "Play"
inline constexpr int kShowVideoItem = 232;         // "Show video"
inline constexpr int kPlayAudioItem = 233;         // "Play audio"
inline constexpr int kAutoScrollItem = 234;        // "Auto-scroll rolls"
inline constexpr int kAlignToFrameItem = 235;      // "Align to nearest frame"
inline constexpr int kAttractToMarksItem = 236;    // "Attract to marks"
inline constexpr int kSetCurrentTimeItem = 237;    // "Set current time"
inline constexpr int kAddNewEffectsItem = 238;     // "Add new audio effect(s)..."
inline constexpr int kEditEffectsItem = 239;       // "Edit audio effect(s)..."
inline constexpr int kUseEffectsItem = 240;        // "Use audio effect(s)"
inline constexpr int kPasteEffectsItem = 241;      // "Paste audio effect(s)"
inline constexpr int kAddEffectsItem = 242;        // "Add audio effect(s)"
inline constexpr int kDeleteEffectsItem = 243;     // "Delete audio effect(s)"

// The level meters' menu.
inline constexpr int kClearPeak = 244;     // "Clear peak"
inline constexpr int kPeakHold = 245;      // "Peak hold"
inline constexpr int kMeterRange24 = 246;  // "-24dB..0dB"
inline constexpr int kMeterRange48 = 247;  // "-48dB..0dB"
inline constexpr int kMeterRange60 = 248;  // "-60dB..0dB"
inline constexpr int kMeterRange96 = 249;  // "-96dB..0dB"

// The video settings page's playback modes.
inline constexpr int kDrawTypeBase = 254;  // "None" ... "Decompress and then draw", 5 texts

// The notice after playback (the same text as 130, for the status bar).
inline constexpr int kFramesDroppedNotice = 259;  // "%d frames were dropped!"

// The audio and alignment settings pages.
inline constexpr int kWaveformFine = 260;   // "Fine"
inline constexpr int kWaveformDraft = 261;  // "Draft"
inline constexpr int kWaveformNone = 262;   // "None"
inline constexpr int kAllGroups = 263;      // "All"
inline constexpr int kGroupNumber = 264;    // "%d"

inline constexpr int kCannotOpenSource = 265;  // "Can not open source file\n%s"

// The external tools.
inline constexpr int kApplicationFileName = 266;  // "Application File Name"

// The settings pages.
inline constexpr int kColorSchemeFilter = 273;  // "Kobrix Colors (*.clt)|*.clt|"
inline constexpr int kSaveColorScheme = 274;    // "Save Kobrix Colors"
inline constexpr int kLoadColorScheme = 275;    // "Load Kobrix Colors"
inline constexpr int kEmptyField = 276;         // "(Empty)"
inline constexpr int kStartImmediately = 279;   // "immediately"
inline constexpr int kStartOnKey = 280;         // "after keybaord event"
inline constexpr int kStartOnGpi = 281;         // "after event on GPI%d (%s)"
inline constexpr int kQualityBase = 291;        // "Draft (fast)", "Medium", "Fine (slow)"
inline constexpr int kDeclickTypeBase = 294;    // "Linear profile", "Bell profile"
inline constexpr int kColorElementBase = 296;   // "Background" ... 31 texts in colour order

// The lines' popup menus.
inline constexpr int kEditItem = 360;              // "Edit"
inline constexpr int kMarkItem = 361;              // "Mark"
inline constexpr int kAudioEffectsMenu = 364;      // "Audio effects"
inline constexpr int kDeleteSelectedItem = 365;    // "Delete selected clip(s)"
inline constexpr int kCutSelectedItem = 366;       // "Cut selected clip(s)"
inline constexpr int kCopySelectedItem = 367;      // "Copy selected clip(s)"
inline constexpr int kAddSourceFileItem = 369;     // "Add source file..."
inline constexpr int kPlayClipItem = 370;          // "Play clip"
inline constexpr int kDeleteClipItem = 371;        // "Delete clip"
inline constexpr int kClipPropertiesItem = 372;    // "Clip properties..."
inline constexpr int kVideoEditorItem = 373;       // "Video editor"
inline constexpr int kMidiEditorItem = 374;        // "Midi editor"
inline constexpr int kAddMarkItem = 376;           // "Add mark"
inline constexpr int kRemoveMarkItem = 377;        // "Remove mark"
inline constexpr int kMarkNameItem = 378;          // "Mark name..."
inline constexpr int kMarkPositionItem = 379;      // "Set mark position..."
inline constexpr int kSplitClipItem = 380;         // "Split clip"
inline constexpr int kRepeatClipItem = 381;        // "Repeat clip..."
inline constexpr int kInIsKeyFrameItem = 382;      // "Clip In is a key frame"
inline constexpr int kInIsNotKeyFrameItem = 383;   // "Clip In is NOT a key frame"
inline constexpr int kInToNextKeyFrameItem = 384;  // "Clip In to next key frame"
inline constexpr int kInToPrevKeyFrameItem = 385;  // "Clip In to preceding key frame"
inline constexpr int kCutClipItem = 386;           // "Cut clip"
inline constexpr int kCopyClipItem = 387;          // "Copy clip"
inline constexpr int kPasteItem = 388;             // "Paste"
inline constexpr int kInsertItem = 389;            // "Insert"
// The header panels' effects menu.
inline constexpr int kEffectsAddNewItem = 402;    // "Add new..."
inline constexpr int kEffectsEditItem = 403;      // "Edit..."
inline constexpr int kEffectsUseItem = 404;       // "Use"
inline constexpr int kEffectsPasteItem = 405;     // "Paste"
inline constexpr int kEffectsAddItem = 406;       // "Add"
inline constexpr int kEffectsDeleteItem = 407;    // "Delete"
inline constexpr int kDuplicateTrackItem = 408;   // "Duplicate track"
inline constexpr int kTempoItem = 390;             // "Tempo..."
inline constexpr int kClipVolumeItem = 391;        // "Clip volume..."
inline constexpr int kInToNextKeyFrame = 409;      // "ClipIn to next key frame"
inline constexpr int kNoKeyFrameInClip = 410;      // "There is no key frame in this fragment!\nWARNING: ..."
inline constexpr int kInToPrevKeyFrame = 411;      // "ClipIn to preceding key frame"
inline constexpr int kNoKeyFrameBeforeClip = 412;  // "There is no key frame before the start of the frag..."
inline constexpr int kClipCaption = 413;           // "Clip"

// The audio lines' popup menu and its commands.
inline constexpr int kProfileItem = 362;             // "Profile"
inline constexpr int kDeclickItem = 363;             // "Declick"
inline constexpr int kAudioEditorItem = 375;         // "Audio editor"
inline constexpr int kSetProfileValueItem = 392;     // "Set profile value..."
inline constexpr int kAddProfilePointItem = 393;     // "Add profile point"
inline constexpr int kRemoveProfilePointItem = 394;  // "Remove profile point"
inline constexpr int kDeleteProfileItem = 395;       // "Delete profile"
inline constexpr int kFadeInItem = 396;              // "FadeIn"
inline constexpr int kFadeOutItem = 397;             // "FadeOut"
inline constexpr int kDeclickInItem = 398;           // "fadeIn"
inline constexpr int kDeclickOutItem = 399;          // "fadeOut"
inline constexpr int kDeclickBothItem = 400;         // "Set both"
inline constexpr int kDeclickNoneItem = 401;         // "Clear both"
inline constexpr int kSetProfileValue = 414;         // "Set profile value"
inline constexpr int kInsertBalancePoint = 415;      // "Insert new point into balance profile?"
inline constexpr int kInsertVolumePoint = 416;       // "Insert new point into volume profile?"
inline constexpr int kProfileCaption = 417;          // "Profile"
inline constexpr int kPointInserted = 418;           // "Profile point at %s(%s) inserted"
inline constexpr int kPointExists = 419;             // "Profile point at %s(%s) already exists"
inline constexpr int kPointRemoved = 420;            // "Profile point at %s(%s) removed"
inline constexpr int kFirstPointStays = 421;         // "Can not remove first profile point"
inline constexpr int kLastPointStays = 422;          // "Can not remove last profile point"
inline constexpr int kPointNotFound = 423;           // "Profile point at %s(%s) could not be found"
inline constexpr int kReplaceClipEffects = 430;      // "Clip has audio effect(s)!\nReplace?"

// The labels of the summary fields: field n (1..23) is kSummaryLabelBase + n.
inline constexpr int kSummaryLabelBase = 327;

inline constexpr int kStopItem = 368;            // "Stop"
// Resetting the profiles of the selected clips.
inline constexpr int kDeleteProfile = 424;          // "Delete profile"
inline constexpr int kDeleteProfileQuestion = 425;  // "Delete profile?"
inline constexpr int kCannotCreateEffects = 428;  // "Can not create list of audio effects!"
inline constexpr int kEditAudioEffects = 429;     // "Add/Edit Audio Effects"
inline constexpr int kReplaceTrackEffects = 431;  // "Track # %d has audio effect(s)!\nReplace?"
inline constexpr int kReplaceMasterEffects = 432;  // "Project has master audio effect(s)!\nReplace?"

// File dialogs and the export format text.
inline constexpr int kOpenClip = 433;              // "Open Clip"
// The clip open dialog's file information and status texts.
inline constexpr int kAudioInfo = 434;             // "Audio : %s\n%d Hz, %d bits, %s\n\n"
inline constexpr int kUncompressedAudio = 435;     // "Uncompressed"
inline constexpr int kCompressedAudio = 436;       // "Compressed"
inline constexpr int kMsWord = 439;                // "ms"
inline constexpr int kNoAudioInfo = 440;           // "No audio\n\n\n"
inline constexpr int kVideoInfo = 441;             // "Video : %s\n%.3f fps, %dx%d\n\n"
inline constexpr int kNoVideoInfo = 442;           // "No video\n\n\n"
inline constexpr int kFramesWord = 443;            // "frames"
inline constexpr int kCannotPreviewClip = 444;     // "Can not preview clip %s"
inline constexpr int kPreviewingClip = 445;        // "Previewing clip %s"
inline constexpr int kClipSelected = 446;          // "Clip %s"
inline constexpr int kMono = 437;                  // "mono"
inline constexpr int kStereo = 438;                // "stereo"
inline constexpr int kClipFilesFilter = 447;       // "Clips|*.wav;*.avi|Wave files|*.wav|AVI files|*.avi|..."
inline constexpr int kAviFilesFilter = 448;        // "AVI files|*.avi|All files|*.*|"
inline constexpr int kWaveFilesFilter = 449;       // "Wave files|*.wav|All files|*.*|"
inline constexpr int kAiffFilesFilter = 450;       // "Aiff files|*.aif|All files|*.*|"
inline constexpr int kRealAudioFilesFilter = 451;  // "RealAudio files|*.ra|All files|*.*|"
inline constexpr int kMidiFilesFilter = 452;       // "MIDI files|*.mid|All files|*.*|"
inline constexpr int kMpegFilesFilter = 453;       // "MPEG files|*.mpg|All files|*.*|"
inline constexpr int kExportAudioFormat = 454;     // "\nExport Audio Format:\n\n%s\n%d Hz\n%s\n%s"
inline constexpr int kWindowsPcm = 455;            // "Windows PCM (type 1)"
inline constexpr int kType3 = 456;                 // "Type 3"
// The sample sizes of sample types 1..7: type t is kSampleSize8Bit + t - 1.
inline constexpr int kSampleSize8Bit = 457;     // "8-bit" .. 463
inline constexpr int kSampleSizeUnknown = 464;  // "??? bits"

// Media sources.
inline constexpr int kActivateKobrix = 465;    // "Activate Kobrix"
inline constexpr int kFileDoesNotExist = 466;  // "File %s does not exist!"
inline constexpr int kApplyVideo = 467;        // "Apply Video"
inline constexpr int kOpenVideo = 468;         // "Open Video"
inline constexpr int kOtherFrameRate = 469;    // "Can not open clip '%s'.\nIt is already used with differ..."

// The edit engine.
inline constexpr int kFrameKeyStatus = 477;      // "Video: frame at %s [source offset: %s] is%sa key frame"
inline constexpr int kSetScriptSize = 479;       // "Set Script Size"
inline constexpr int kSetAudioTrackCount = 480;  // "Set Number of Audio Tracks"
inline constexpr int kSetRange = 481;            // "Set Range"
inline constexpr int kCannotPrepareAudio = 482;  // "Can not prepare audio stream!"
inline constexpr int kVideoAudioPlayback = 483;  // "Video & Audio Playback"
inline constexpr int kCannotPlayClip = 484;      // "Can not playback this clip"
inline constexpr int kPlayClip = 485;            // "Play Clip"
inline constexpr int kPasteClips = 488;          // "Paste clips"
inline constexpr int kVideoRangeTaken = 489;     // "The target range is (partially) occupied by another v..."
inline constexpr int kMidiRangeTaken = 490;      // "The target range is (partially) occupied by another m..."
inline constexpr int kAudioRangeTaken = 491;     // "The target range is (partially) occupied by another a..."
inline constexpr int kTooManyAudioTracks = 492;  // "Operation failed - Too many audio tracks in the clipb..."
inline constexpr int kCannotPaste = 493;         // "Can not paste the clipboard contents"
inline constexpr int kSplitClipAt = 494;         // "Split clip at time %s"
inline constexpr int kNoRoomToTheRight = 495;    // "Not enough free space in the track to the right from..."
inline constexpr int kRepeatClip = 496;          // "Repeat Clip"
inline constexpr int kEditClip = 497;            // "Edit Clip"
inline constexpr int kAlignToNearestFrame = 498;  // "Align current time to the nearest frame"
inline constexpr int kSaveUndoScript = 513;      // "Save script for Undo"

// A clip's descriptions, and loading a collection.
inline constexpr int kFramesPerSecond = 514;     // "f/s"
inline constexpr int kNoVideo = 515;             // "No Video"
inline constexpr int kStereoShort = 516;         // "stereo"
inline constexpr int kMonoShort = 517;           // "mono"
inline constexpr int kMidiSound = 518;           // "Midi sound"
inline constexpr int kNoSound = 519;             // "No Sound"
inline constexpr int kLoadClipCollection = 520;  // "Load Clip Collection"
inline constexpr int kSourceSizeDiffers = 521;   // "Source file '%s' has different size!"

// Codec names.
inline constexpr int kUncompressed = 522;  // "Uncompressed"
inline constexpr int kUnknownCodec = 523;  // "Unknown '%s'"

// The AVI export.
inline constexpr int kWriteAvi = 556;                   // "Write AVI"
inline constexpr int kNoVideoClipsAudioOnly = 557;      // "There is no video clips in the project!\nWrite ..."
inline constexpr int kVideoStartsEmptyAudioOnly = 558;  // "Video starts from an empty frame!\nWrite audio only?"
inline constexpr int kCannotRecompressFrame = 559;      // "Can not recompress video frame at %s!\nCopy old ..."

inline constexpr int kPreparingVideo = 563;  // "Preparing Video"

// Unit words.
inline constexpr int kFrameUnit = 567;           // "fr"
inline constexpr int kMsUnit = 568;              // "ms"
inline constexpr int kBytes = 569;               // "bytes"
inline constexpr int kKilobytes = 570;           // "KB"
inline constexpr int kMegabytes = 571;           // "MB"
inline constexpr int kBytesPerSecond = 572;      // "bytes per second"
inline constexpr int kKilobytesPerSecond = 573;  // "KB/Sec"
inline constexpr int kMegabytesPerSecond = 574;  // "MB/Sec"
// Short names of the sample types: type t (1..7) is kSampleTypeNone + t.
inline constexpr int kSampleTypeNone = 575;  // "N" .. 582

// Effect lists.
inline constexpr int kEffectListFilter = 583;  // "Effects List Files (*.fxl)|*.fxl|All files (*.*)|*.*|"
inline constexpr int kNoAudioEffects = 584;    // " has not audio effects"
inline constexpr int kOneAudioEffect = 585;    // " has audio effect "
inline constexpr int kAudioEffectCount = 586;  // " has %d audio effects: "

}  // namespace ui_string
