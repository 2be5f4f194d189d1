// What adding a media file to the time-line asks of the rest of the program:
// the application's project frame rate and audio format, the clip
// collection and its frame, the question whether to convert a sound, the
// collection's own record of a clip, and the folder of the converter
// programs. The program installs its own at start-up; tests install theirs.
// The defaults stand for a program without those windows: nothing changes,
// there is no collection, the question is cancelled, and a clip only holds
// its sources.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/types.h"

class ClipItem;
class VideoSource;
class AudioSource;
class MidiSource;

// The answers of the convert question.
constexpr int kConvertYes = 1;
constexpr int kConvertCancel = 2;
constexpr int kConvertNo = 7;  // only when the sound is not compressed

class AddFileHost {
 public:
  virtual ~AddFileHost() = default;
  // The project takes a frame rate or an audio format (sample type as the
  // audio sources give it); the application may ask the user first.
  virtual void SetFrameRate(float rate);
  virtual void SetAudioFormat(int32_t rate, int32_t channels, int32_t sampleType);
  // The collection's frame exists.
  virtual bool CollectionFrameExists();
  // Shows the collection's frame when it is not shown.
  virtual void ShowCollection();
  // Adds the file to the collection as a tile; skip: 1 without its
  // picture, 2 without its sound.
  virtual void AddToCollection(const char* path, int32_t skip);
  // Asks whether to convert the sound of path to the project's rate;
  // channels and bits come in as proposals and go out as chosen.
  // compressed: the sound is neither PCM nor float, and No is not offered.
  virtual int AskConvert(HWND owner, const char* path, bool compressed, int32_t rate, int32_t& channels,
                         int32_t& bits);
  // A clip of the collection's kind over the sources (each gets a reference
  // of the clip's own), for the mouse to carry; null without memory.
  virtual ClipItem* MakeClip(const char* path, VideoSource* video, AudioSource* audio, MidiSource* midi);
  // Where QOVTOOL1.EXE and QOVTOOL2.EXE lie, without a trailing separator.
  virtual std::string ConverterFolder();
};

// Installs host (null: the defaults); returns the one before.
AddFileHost* SetAddFileHost(AddFileHost* host);
AddFileHost& CurrentAddFileHost();
