// What the clip collection asks of the program around it: the clip frame's
// caption, its tool-bar buttons and status fields, and the application's
// choice of what a saved collection keeps. The program
// installs its own; tests install theirs. The defaults stand for a
// collection without a frame: nothing is shown, and a saved collection
// keeps pictures and waveforms.
#pragma once

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
};

// Installs shell (null: the defaults); returns the one before.
CollectionShell* SetCollectionShell(CollectionShell* shell);
CollectionShell& CurrentCollectionShell();
