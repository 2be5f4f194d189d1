// What the clip collection asks of the program around it: the clip frame's
// caption, its tool-bar buttons and status fields, the application's
// choice of what a saved collection keeps, and the application's setters of
// the project's frame rate and audio format. The program installs its own;
// tests install theirs. The defaults stand for a collection without a
// frame: nothing is shown, a saved collection keeps pictures and
// waveforms, and the project's parameters stay.
#pragma once

class VideoData;

class CollectionShell {
 public:
  virtual ~CollectionShell() = default;
  // The frame's caption shows whether the collection differs from its file.
  virtual void ShowModified(bool modified);
  // The view buttons show the view mode (1..4).
  virtual void ShowViewMode(int mode);
  // The Skip Video and Skip Audio buttons are down for skip modes 1 and 2.
  virtual void ShowSkipMode(int skipMode);
  // The status fields: the selected clip's in, out and duration texts and
  // its file; all empty when no clip is selected.
  virtual void ShowClipStatus(const char* in, const char* out, const char* duration, const char* path);
  // Whether a saved collection keeps each clip's face picture, and the
  // waveform overviews of its sounds.
  virtual bool SavePostage();
  virtual bool SaveWaveform();
  // The project takes the frame rate of a video source, or an audio format
  // (sample type as the audio sources give it). The application asks the
  // time-line first, which may refuse.
  virtual void SetFrameRateFromVideo(VideoData* video);
  virtual void SetAudioFormat(int rate, int channels, int sampleType);
};

// Installs shell (null: the defaults); returns the one before.
CollectionShell* SetCollectionShell(CollectionShell* shell);
CollectionShell& CurrentCollectionShell();
