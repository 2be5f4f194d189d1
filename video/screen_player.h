// The codec-drawn sub-players: the frames go compressed to the draw handler
// of an installed codec, which decompresses and draws them itself,
// buffering as many frames ahead as it asks for. AVIScreenPlayer lets it
// draw on the full screen; AVICodecPlayer (codec_player.h) into a preview
// window. The codec is used from one thread at a time: the main thread
// while setting up, the display thread while playing.
#pragma once

#include <cstdint>

#include "platform/gui/gui.h"
#include "video/sub_player.h"

class AVIScreenPlayer : public AviSubPlayer {
 public:
  AVIScreenPlayer(const SubPlayerInfo& stream, float rate, const ICINFO* info);
  ~AVIScreenPlayer() override;

  int32_t Start(Film* segments, int32_t start, int32_t end, FilmListHead& films) override;
  void Finish(bool releaseCodec) override;
  int32_t ShowStill(VideoSource* source, int32_t frame, bool reinit) override;

  void ReleaseCodec() override;
  int32_t InitOutput(AVIVideoData* source, bool atStart) override;
  int32_t DisplayBody() override;
  int32_t PrepareKeyFrames() override;

  // Hands an entry's data (at base + its ring position) to the codec.
  bool DrawEntry(const FrameEntry& entry, const BYTE* base, DWORD flags, LONG time);

  float fps = 25.0f;
  int32_t rate = 25000;
  int32_t scale = 1000;
  HPALETTE paletteHandle = nullptr;
  bool drawBegun = false;

 protected:
  bool LoopDecode(FrameEntry& entry, DWORD flags) override;
  void LoopCodecMessage(UINT message) override;
  // Where the codec draws: the whole screen here.
  virtual void FillDrawBegin(ICDRAWBEGIN& begin);
  // Gets what FillDrawBegin needs; 0 or an error code.
  virtual int32_t PrepareTarget() { return 0; }
  virtual void SetWindowReady(bool ready) {}

  LRESULT Send(UINT message, DWORD_PTR a = 0, DWORD_PTR b = 0);
  bool OpenDrawCodec();
  // ICM_DRAW_BEGIN; 13 when the codec refuses.
  int32_t BeginDrawing();
  // ICM_DRAW_END after a successful begin.
  void EndDrawing();
  void DeletePalette();
  void MakePalette();

 private:
  bool DrawData(const BYTE* data, uint32_t size, DWORD flags, LONG time);
  bool DrawNull(LONG time);
  // A range that starts on a frame that is not a key frame: the frames from
  // its key frame are decoded into the codec, not shown.
  int32_t PrerollFromKeyFrame();
  // Fills the buffers the codec wants before Run.
  int32_t FillBuffers();
};
