// The MPEG export: a range of the time-line through the MPEG encoder
// component. The pictures of the range are decoded to 24-bit RGB at the size
// the settings dialog chooses and fed to the encoder frame by frame at the
// encoder's frame rate, the project's mix is fed beside them as 16-bit
// samples, and the blocks the encoder hands back are written to the file.
#pragma once

#include <cstdint>
#include <string>

#include "audio/mix_setup.h"
#include "platform/audio/wave.h"
#include "platform/codecs/dib.h"
#include "platform/components/guid.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class Film;
class VideoData;
class IClassFactory;
class IMpegEncoder;
class IMpegVideoSettings;
class IMpegAudioSettings;
class IMpegStreamSettings;

// Writes [start, end) ms into path: parts 1 the pictures of the video
// segment list that begins with segments (the segments a range collects
// for playing it), 2 the mix of the project's Film list films through the
// mixing record, streamed from the audio engine by the export itself.
// Asks for the settings and reports through message boxes over mainFrame;
// true when the file was written, and after a failure or a cancel no file
// is left.
bool ExportMpeg(HWND mainFrame, Film* segments, Film* films, uint32_t parts, const MixSetup& mix,
                int32_t start, int32_t end, const char* path);

// One project frame of the range: the source frame it shows, or no source
// before the first clip.
struct MpegFrameEntry {
  VideoData* source = nullptr;
  int32_t frame = -1;
};

// The export's connection to the encoder component. Each operation shows
// its own failure (caption "MPEG Encoder") and says whether it succeeded.
class MpegEncoder {
 public:
  explicit MpegEncoder(HWND owner) : owner_(owner) {}
  ~MpegEncoder() {
    Finish(false);
    Release();
  }
  MpegEncoder(const MpegEncoder&) = delete;
  MpegEncoder& operator=(const MpegEncoder&) = delete;

  // Components on this thread, the class the registry names, the object,
  // and its initialisation.
  bool Create();
  // Shuts the object down and lets go of it and of the components.
  void Release();
  bool SetStreamType(int32_t code);
  // format: of the pictures to be fed; its width and height are the
  // encoded size (a height of 241 to 243 or 481 to 486 lines is encoded at
  // 240 or 480).
  bool SetupVideo(const BITMAPINFOHEADER& format, int32_t formatCode, int32_t videoBitRate);
  bool SetupAudio(const WAVEFORMATEX& format, int32_t audioBitRate);
  bool Start();
  // A new file for the encoded stream.
  bool CreateFile(const char* path);
  bool FeedAudio(const void* data, int32_t bytes);
  // One picture in the format given to SetupVideo.
  bool FeedVideo(const void* data);
  // A picture of another format than the one set up (I420 planes).
  bool FeedVideo(const void* data, const BITMAPINFOHEADER& format);
  // Writes the blocks the encoder has ready; false after a failed write.
  bool Drain();
  bool GetFramePeriod(int32_t* timeBase, int32_t* period);
  // Ends the streams, writes what is left and closes the file; leaves the
  // object created. False when that failed; report: show why.
  bool Finish(bool report = true);
  void ShowText(const char* text);
  void ShowLastError();
  // Whether a file was made (and so must go after a failure).
  bool MadeFile() const { return madeFile_; }

  // Fills count entries of map for the project frames from firstFrame on
  // from the video films of the list that begins with first: 0, or error 33
  // for a clip whose source is not an AVI file.
  static int32_t BuildFrameMap(Film* first, int32_t firstFrame, MpegFrameEntry* map, int32_t count);
  static void FillFromFilm(Film* film, int32_t firstSourceFrame, int32_t count, MpegFrameEntry* map,
                           int32_t index);

 private:
  template <class Interface>
  Interface* Settings(Interface*& held, const IID& iid);

  HWND owner_;
  bool comInitialised_ = false;
  IClassFactory* factory_ = nullptr;
  IMpegEncoder* encoder_ = nullptr;
  IMpegVideoSettings* video_ = nullptr;
  IMpegAudioSettings* audio_ = nullptr;
  IMpegStreamSettings* stream_ = nullptr;
  bool initialised_ = false;
  bool audioSetUp_ = false;
  bool videoSetUp_ = false;
  bool started_ = false;
  HMMIO file_ = nullptr;
  bool madeFile_ = false;
  bool writeFailed_ = false;
  std::string path_;
  BITMAPINFOHEADER frameFormat_{};
};
