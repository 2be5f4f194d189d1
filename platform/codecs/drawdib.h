// DrawDib: draws a DIB, uncompressed or in any format an installed codec
// decompresses, stretched into a rectangle of a device context.
//
// The conversion and stretching to 32-bit pixels happen here; putting the
// pixels into a DC is the window layer's part, which it installs as the
// presenter. Without a presenter, drawing into a DC fails.
#pragma once

#include "platform/codecs/dib.h"
#include "platform/codecs/vfw.h"
#include "platform/core/types.h"

DECLARE_HANDLE(HDRAWDIB);

constexpr UINT DDF_0001 = 0x0001;
constexpr UINT DDF_UPDATE = 0x0002;
constexpr UINT DDF_SAME_HDC = 0x0004;
constexpr UINT DDF_SAME_DRAW = 0x0008;
constexpr UINT DDF_DONTDRAW = 0x0010;
constexpr UINT DDF_ANIMATE = 0x0020;
constexpr UINT DDF_BUFFER = 0x0040;
constexpr UINT DDF_JUSTDRAWIT = 0x0080;
constexpr UINT DDF_FULLSCREEN = 0x0100;
constexpr UINT DDF_BACKGROUNDPAL = 0x0200;
constexpr UINT DDF_NOTKEYFRAME = 0x0400;
constexpr UINT DDF_HURRYUP = 0x0800;
constexpr UINT DDF_HALFTONE = 0x1000;

// DrawDibProfileDisplay results.
constexpr DWORD PD_CAN_DRAW_DIB = 0x0001;
constexpr DWORD PD_CAN_STRETCHDIB = 0x0002;
constexpr DWORD PD_STRETCHDIB_1_1_OK = 0x0004;
constexpr DWORD PD_STRETCHDIB_1_2_OK = 0x0008;
constexpr DWORD PD_STRETCHDIB_1_N_OK = 0x0010;

HDRAWDIB DrawDibOpen();
BOOL DrawDibClose(HDRAWDIB hdd);
// Prepares drawing lpbi's pictures (dxSrc × dySrc of them) into dxDst × dyDst.
BOOL DrawDibBegin(HDRAWDIB hdd, HDC hdc, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi, int dxSrc, int dySrc,
                  UINT wFlags);
BOOL DrawDibEnd(HDRAWDIB hdd);
// Draws the source rectangle (origin at the picture's top left corner) into
// the destination rectangle. lpbi null with DDF_SAME_DRAW: the format of
// DrawDibBegin. A width or height of -1 means the whole picture.
BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi,
                 LPVOID lpBits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT wFlags);
// Number of colours that changed in the DC's palette: always 0 here, since
// pictures are drawn in true colour.
UINT DrawDibRealize(HDRAWDIB hdd, HDC hdc, BOOL fBackground);
BOOL DrawDibStart(HDRAWDIB hdd, DWORD rate);
BOOL DrawDibStop(HDRAWDIB hdd);
DWORD DrawDibProfileDisplay(LPBITMAPINFOHEADER lpbi);

// Puts a top-down picture of 32-bit pixels (blue, green, red, unused) of
// width × height at (x, y) of hdc; hdc is null for the full screen. Returns
// whether it was drawn.
using DibPresenter = BOOL (*)(HDC hdc, int x, int y, int width, int height, const BYTE* pixels, int stride);
// Installs the presenter (the window layer does at start-up; tests may).
// Returns the previous one.
DibPresenter DrawDibSetPresenter(DibPresenter presenter);

// The full screen as a place to draw. A codec drawing to the full screen
// opens it when drawing begins and closes it when drawing ends; in between
// the presenter draws pictures given a null dc there. The window layer
// installs the target; it returns whether the screen could be had.
using DibScreenTarget = BOOL (*)(BOOL open);
DibScreenTarget DrawDibSetScreenTarget(DibScreenTarget target);
// Opens or closes the screen through the installed target; FALSE without one.
BOOL DrawDibScreen(BOOL open);

// The DIB-to-DIB part of DrawDib: converts the source rectangle (top-left
// origin) of an uncompressed (8, 16, 24 or 32 bits) or RLE8 picture, stretched
// by nearest pixel, into a top-down 32-bit picture of dstWidth × dstHeight.
// dst holds dstHeight rows of dstStride bytes. False for a format it cannot
// convert or a rectangle outside the picture.
BOOL DrawDibStretchToBgra(const BITMAPINFOHEADER* lpbi, const void* bits, int xSrc, int ySrc, int dxSrc,
                          int dySrc, BYTE* dst, int dstWidth, int dstHeight, int dstStride);
