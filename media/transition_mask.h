// What the transition renderer mixes two frames with: a weight mask for a
// transition kind and step, blends of two frames through a mask at each
// depth, and the PackBits decoder of a circular buffer. Plain functions
// over caller-owned buffers.
//
// Mask: width x height bytes, row 0 (the top of the picture) first; 255
// takes frame A (outgoing), 0 frame B (incoming). Frames: packed DIB rows,
// bottom-up, width x bytes per pixel each, so mask row r applies to buffer
// row height - 1 - r.
#pragma once

#include "platform/core/types.h"

// Kinds: 0 cross-fade, 1 wipe from the left, 2 from the right, 3 from the
// top, 4 from the bottom; any other a plain fade. step of steps (0 <= step
// < steps); soft is the width of a wipe's ramp (0: a hard edge). Even and
// odd rows are the two fields of the frame, a half step apart.
void MakeTransitionMask(int kind, int soft, BYTE* mask, int width, int height, int step, int steps);

// Each output byte = (a x m + b x (255 - m) + 127) / 255 with the pixel's
// mask byte m.
void BlendMask32(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out);
void BlendMask24(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out);
void BlendMask16(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out);
void BlendMask8(const BYTE* mask, int width, int height, const BYTE* a, const BYTE* b, BYTE* out);
// Every byte of width x height x bitsPerPixel / 8 with the one weight mask[0].
void BlendConst(const BYTE* mask, int width, int height, int bitsPerPixel, const BYTE* a, const BYTE* b,
                BYTE* out);

// Unpacks PackBits data of sourceLength bytes at sourceIndex to targetIndex,
// source and target in the same ring of ringSize bytes, until the source is
// used up or targetCount bytes are written (a run is written whole). Indexes
// wrap at the ring's end; nothing outside the ring is touched, and a
// literal run longer than the data left copies only what is there.
void DecodeRLE(int sourceIndex, int sourceLength, int targetIndex, int targetCount, BYTE* ring, int ringSize);
