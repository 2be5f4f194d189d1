// The hand-drawn sub-player: it decompresses each frame with an installed
// codec and draws the picture itself with DrawDib into its preview window.
// A picture that rests on a cached predecessor rather than on a key frame
// of the same run shows inside a red frame until the next key frame.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/codecs/drawdib.h"
#include "platform/gui/gui.h"
#include "video/sub_player.h"

class AVIHandPlayer : public AviSubPlayer {
 public:
  AVIHandPlayer(const SubPlayerInfo& stream, float rate, const ICINFO* info, HWND notify);
  ~AVIHandPlayer() override;

  int32_t Start(Film* segments, int32_t start, int32_t end, FilmListHead& films) override;
  void Finish(bool releaseCodec) override;
  StartFrameRecord* CreateKeyFrame(VideoSource* source, int32_t frame) override;
  int32_t ShowStill(VideoSource* source, int32_t frame, bool reinit) override;

  void ReleaseCodec() override;
  int32_t InitOutput(AVIVideoData* source, bool atStart) override;
  int32_t DisplayBody() override;
  void UpdateView() override;
  void PaletteChanged() override;
  // A cut's record made without a picture gets one decoded now.
  int32_t FillKeyFrame(TKeyFrame& record) override;

  // Decodes an entry's data (at base + its ring position) or copies its
  // cached picture into the frame buffer.
  bool DecodeEntry(const FrameEntry& entry, const BYTE* base, DWORD flags);
  // Draws the frame buffer into target; with checkSize the drawing follows
  // a changed client size, without it the window is brought up first.
  bool DrawImage(HDC target, bool checkSize);
  // Decodes source's frame into the frame buffer, from its key frame or
  // from the picture on screen; size becomes the picture's bytes, code an
  // error code (0 when all went well).
  BYTE* DecodeTo(AVIVideoData* source, int32_t frame, uint32_t* size, int32_t* code);

 protected:
  bool LoopDecode(FrameEntry& entry, DWORD flags) override;
  bool LoopDraw() override;

 private:
  bool OpenCodec();
  uint32_t OutputImageSize() const;
  const BITMAPINFOHEADER* OutFormat() const {
    return reinterpret_cast<const BITMAPINFOHEADER*>(outFormat.get());
  }
  BITMAPINFOHEADER* OutFormat() { return reinterpret_cast<BITMAPINFOHEADER*>(outFormat.get()); }
  bool Decompress(const BYTE* data, uint32_t size, DWORD flags);
  // Turns the codec's output format into top-down 32 bits when it takes those.
  void PreferDrawnAsTheyAre(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
  void ClientSize(int32_t* width, int32_t* height) const;

  HDRAWDIB drawDib = nullptr;
  std::unique_ptr<BYTE[]> frameBuffer;
  uint32_t frameBufferSize = 0;
  std::unique_ptr<BYTE[]> outFormat;
  HPEN redPen_ = nullptr;
  std::unique_ptr<BYTE[]> readBuffer_;  // compressed frames read by DecodeTo
  uint32_t readBufferSize_ = 0;
};
