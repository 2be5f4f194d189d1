// The codec-drawn sub-player that lets the codec draw into a preview window.
#pragma once

#include "video/screen_player.h"

class AVICodecPlayer : public AVIScreenPlayer {
 public:
  AVICodecPlayer(const SubPlayerInfo& stream, float rate, const ICINFO* info, HWND notify);
  ~AVICodecPlayer() override;

  void ResetPosition() override;
  // The codec follows the window's place and size.
  void UpdateView() override;
  void PaletteChanged() override {}

  HWND window = nullptr;

 protected:
  void FillDrawBegin(ICDRAWBEGIN& begin) override;
  int32_t PrepareTarget() override;
  void SetWindowReady(bool ready) override;
};
