// WAVE format conversion: a new WAVE file from an audio source in another
// format, through the audio compression manager. Each entry returns 0 when
// done or when the user cancelled the format choice, 2 when memory is
// short, and 17 after a failure (its message was shown) or a cancel during
// the conversion.
#pragma once

#include <memory>
#include <string>

#include "platform/audioconv/acm.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class AudioData;
class ProgressMeter;

// PCM of the given rate, channels and bits.
int ConvertWaveToPcm(HWND window, AudioData* source, const char* destination, DWORD rate, WORD channels,
                     WORD bits);
// A PCM format the user picks.
int ConvertWaveToChosenPcm(HWND window, AudioData* source, const char* destination);
// Any format the user picks among those the source converts to.
int ConvertWaveToChosenFormat(HWND window, AudioData* source, const char* destination);

// A failed conversion; an empty text means the user cancelled.
class ConvertExept {
 public:
  explicit ConvertExept(const char* message) : text(message) {}
  std::string text;
};

// The bytes of one destination unit: whole blocks, just over 1 KB.
DWORD ConverterDestinationUnit(WORD blockAlign);

class Converter {
 public:
  enum class Choice { GivenPcm, ChosenPcm, ChosenAny };

  explicit Converter(AudioData* source);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // One conversion; given is the destination for Choice::GivenPcm.
  int Run(HWND window, const char* destination, Choice choice, const WAVEFORMATEX* given);

 private:
  struct Stage {
    HACMSTREAM stream = nullptr;
    bool prepared = false;
    bool opened = false;
    DWORD sourceSize = 0;
    DWORD destinationSize = 0;
    ACMSTREAMHEADER header;
    std::unique_ptr<BYTE[]> sourceBuffer;
    std::unique_ptr<BYTE[]> destinationBuffer;
    DWORD flags = 0;
    int idle = 0;  // conversions in a row that used nothing
  };

  // False when the user cancelled the choice.
  bool ChooseDestination(HWND window, Choice choice, const WAVEFORMATEX* given);
  void OpenStage(Stage& stage, WAVEFORMATEX* from, WAVEFORMATEX* to);
  void WriteHeader();
  void Convert(HWND window, const char* destination);
  void ConvertTwoStages(std::int64_t total);
  // One acmStreamConvert of count source bytes with the stage's flags.
  void Step(Stage& stage, DWORD count, bool end);
  // Reads the next source bytes at position into the first stage, converts
  // them and moves position past what the stage used; throws when the user
  // cancels.
  void StepFromSource(Stage& stage, std::int64_t* position);
  void Write(const BYTE* data, DWORD count);
  void Finish();
  WAVEFORMATEX* SourceFormat() { return reinterpret_cast<WAVEFORMATEX*>(sourceFormat_.get()); }
  WAVEFORMATEX* DestinationFormat() { return reinterpret_cast<WAVEFORMATEX*>(destinationFormat_.get()); }
  WAVEFORMATEX* PcmFormat() { return reinterpret_cast<WAVEFORMATEX*>(pcmFormat_.get()); }

  AudioData* source_;
  bool handleOpen_ = false;
  std::unique_ptr<BYTE[]> sourceFormat_;
  std::unique_ptr<BYTE[]> destinationFormat_;
  std::unique_ptr<BYTE[]> pcmFormat_;
  DWORD formatSize_ = 0;
  HMMIO file_ = nullptr;
  Stage stages_[2];
  bool twoStages_ = false;
  MMCKINFO riff_;
  MMCKINFO data_;
  bool riffOpen_ = false;
  bool dataOpen_ = false;
  LONG factPosition_ = -1;
  DWORD factValue_ = 0;
  std::unique_ptr<ProgressMeter> progress_;
  std::int64_t written_ = 0;     // bytes of the "data" chunk
  std::int64_t sourceUsed_ = 0;  // source bytes the first stage used
  std::int64_t pcmUsed_ = 0;     // intermediate bytes the second stage used
};
