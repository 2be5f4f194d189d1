// Inside the codecs library: the table of installed codecs and the built-in
// codecs that fill it.
#pragma once

#include <string>
#include <vector>

#include "platform/codecs/drawdib.h"
#include "platform/codecs/vfw.h"

namespace codecs {

struct CodecEntry {
  VideoCodecDescription desc;  // name and description point into the strings below
  std::wstring name;
  std::wstring description;
  std::vector<FOURCC> aliases;  // further handler codes it answers to
  VideoCodecFactory factory = nullptr;
};

// Handler codes compare without regard to letter case ("MJPG" is "mjpg").
bool SameHandler(FOURCC a, FOURCC b);
bool EntryAnswers(const CodecEntry& entry, FOURCC handler);

void AppendUncompressedCodecs(std::vector<CodecEntry>& out);
void AppendFfmpegCodecs(std::vector<CodecEntry>& out);

// The presenter DrawDib and codec drawing hand their pictures to.
DibPresenter CurrentPresenter();

// A header whose size field and picture size codecs can work with: biSize
// from 40 bytes to 64 KB, a width and height (either way up) within the DIB
// limits of dib.h.
bool SaneFormat(const BITMAPINFOHEADER* bi);

// A 40-byte header of an uncompressed picture.
BITMAPINFOHEADER RgbHeader(LONG width, LONG height, WORD bitCount);

// The bytes of a format block: header, codec data up to biSize, colours.
std::size_t FormatBytes(const BITMAPINFOHEADER* bi);

}  // namespace codecs
