// The program's side of every seam the lower layers leave open: the players
// the time-line drives, the media layer's services, the dialogs, the shell
// services and the hosts of the time-line's commands. InstallProgramSeams
// puts the real ones in; tests of a layer install their own instead.
#pragma once

class TimeLinePlayers;
class VFX;
class MessagerHost;

// The players of the program (the video player, the audio engine, the MIDI
// player, the wait dialogs, the tape deck, the transitions); they exist
// after InstallProgramSeams.
TimeLinePlayers* ProgramPlayers();
// The transition service; null before InstallProgramSeams.
VFX* ProgramTransitions();
// What the instance messenger asks of the time-line and the frame.
MessagerHost* ProgramMessagerHost();

// Installs every seam; call once on the main thread after the program-wide
// players exist (TheVideoPlayer, TheAudioPlayer, TheMidiPlayer).
void InstallProgramSeams();
// Puts the defaults back and frees what InstallProgramSeams made.
void RemoveProgramSeams();

// The program-wide players and seams as start-up makes them, for a program
// built in a process without OwlMain (tests, the instance fuzz target),
// and their end once the application is gone: also the MIDI player and
// the messenger it made, the effect lists, and the quit request its main
// window's end left with no loop to take it.
void StartProgramObjects();
void EndProgramObjects();

class MainTimeLineWindow;
// The seams that need the time-line window: the mixer window's and the
// effect-list dialogs' host over its engine. Removed with null.
void InstallTimeLineSeams(MainTimeLineWindow* timeline);
// Once the time-line's windows exist: the ones those hosts repaint.
void TimeLineSeamsWindowsMade(MainTimeLineWindow* timeline);
