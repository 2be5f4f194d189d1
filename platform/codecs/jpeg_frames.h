// Motion JPEG pictures decoded by libjpeg-turbo straight into a DIB: its
// upsampling and colour conversion run fused with the decoding, which costs
// less than libavcodec's decoding followed by a conversion. What it does not
// take (a frame of two fields, lossless or 12-bit coding, damage it stops
// at) is left to the caller's other decoder.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/codecs/dib.h"

namespace codecs {

class JpegFrames {
 public:
  JpegFrames();
  ~JpegFrames();
  JpegFrames(const JpegFrames&) = delete;
  JpegFrames& operator=(const JpegFrames&) = delete;

  // True when data held one picture of the DIB's size (24 or 32 bits) and
  // it is now in bits; false leaves bits in an unknown state.
  bool Decode(const BYTE* data, std::size_t size, const BITMAPINFOHEADER& out, void* bits);
  // The same picture as I420 (dib.h) of width × height, straight from the
  // coded planes: no colour conversion, only the range of MPEG video and,
  // for 4:2:2 pictures, chroma rows averaged in pairs. Takes YCbCr pictures
  // of 4:2:0 and 4:2:2; false for anything else.
  bool DecodeI420(const BYTE* data, std::size_t size, LONG width, LONG height, void* bits);
  // The value a full-range luma or chroma byte takes in an I420 picture.
  static BYTE MpegLuma(BYTE v);
  static BYTE MpegChroma(BYTE v);

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::vector<BYTE*> rows_;
  // One MCU row of the coded planes of an I420 decode and their row pointers.
  std::vector<BYTE> planes_[3];
  std::vector<BYTE*> planeRows_[3];
};

}  // namespace codecs
