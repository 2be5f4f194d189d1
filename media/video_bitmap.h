// Thumbnails of video frames and the program's stock bitmaps. Pixel rows of
// 3 bytes (blue, green, red, top row first, no row padding) become device
// bitmaps, halved or quartered with box filters and, on screens of 256
// colours or fewer, dithered onto the shared 216-colour palette.
// Thumbnails are shared by (source, a, b, scale) with a reference count.
// The shared drawing state lives in TEBitmapInit, one instance for the
// program's lifetime. Everything here runs on the main thread; only the
// reference counts may be released from another.
#pragma once

#include "model/media_interfaces.h"
#include "platform/core/types.h"
#include "platform/gui/gdi.h"

class VideoData;

constexpr int kStockBitmapSlots = 36;
constexpr int kStockResourceSlots = 31;  // slots 0..30 come from resources
constexpr int kThumbnailFrameWidth = 128;
constexpr int kThumbnailFrameHeight = 96;
constexpr int kThumbnailFrameBytes = kThumbnailFrameWidth * kThumbnailFrameHeight * 3;

class TEBitmap {
 public:
  // From pixel rows: kind 3 keeps width x height, kind 4 halves both.
  TEBitmap(HDC dc, const BYTE* pixels, int kind, int width, int height);
  // From pixel rows: (width >> scale) x (height >> scale), kind 3, 4 or 5
  // for scale 0, 1 or 2.
  TEBitmap(HDC dc, int scale, const BYTE* pixels, int width, int height);
  // A bitmap resource, with the kind as passed.
  TEBitmap(HDC dc, int resourceId, int kind);
  ~TEBitmap();
  TEBitmap(const TEBitmap&) = delete;
  TEBitmap& operator=(const TEBitmap&) = delete;

  void Draw(HDC dc, int x, int y);
  void DrawPart(HDC dc, int x, int y, int sourceX, int sourceY, int width, int height);

  int kind = 3;   // 3 full size, 4 halved, 5 quartered
  int width = 0;  // read back from the bitmap
  int height = 0;
  HBITMAP bitmap = nullptr;  // owned

 private:
  void Create(HDC dc, int width, int height);
  void Upload(const BYTE* pixels, int sourceWidth, int sourceHeight);
};

// Films hold their first and last pictures as Thumbnails.
class TEVideoBitmap : public TEBitmap, public Thumbnail {
 public:
  // The thumbnail of (source, a, b, scale) with one more reference, built
  // from the 128 x 96 rows when it is not cached; null for a null source or
  // a scale outside 0..2.
  static TEVideoBitmap* Get(HDC dc, int scale, VideoData* source, LONG a, LONG b, const BYTE* pixels);
  // The same; on a miss the source renders its frame at time a (a source
  // that cannot gives a black thumbnail, cached like any other).
  static TEVideoBitmap* GetFromSource(HDC dc, int scale, VideoData* source, LONG a, LONG b);
  void AddRef() override;
  // Every holder's release; the last one unlinks and deletes.
  void Release() override;
  void Unlink();
  // The source's file changed: its holders let go, and the thumbnails still
  // held stay drawable but are found no more.
  static void DropSource(VideoData* source);
  // View modes 1 and 3: kind 3 at 128 x 96; others kind 4 at 64 x 48.
  static void SetThumbnailMode(int viewMode);
  static TEVideoBitmap* Head();

  TEVideoBitmap* next = nullptr;
  TEVideoBitmap* prev = nullptr;
  LONG volatile refCount = 0;
  int scale = 0;
  VideoData* source = nullptr;  // not owned; null once the source changed
  LONG a = 0;                   // time of the frame in the source, ms
  LONG b = 0;

 private:
  TEVideoBitmap(HDC dc, int scale, const BYTE* pixels, VideoData* source, LONG a, LONG b);
  ~TEVideoBitmap() override = default;
  static TEVideoBitmap* Find(VideoData* source, LONG a, LONG b, int scale);
};

// What the thumbnails ask of the video sources and of the windows that
// hold them. The program installs its implementation; tests their own.
class VideoBitmapHooks {
 public:
  virtual ~VideoBitmapHooks() = default;
  // The source's 128 x 96 picture at ms into pixels (the source's own
  // thumbnail operation); false when it cannot.
  virtual bool RenderThumbnail(VideoData* source, BYTE* pixels, LONG ms);
  // A changed source's holders let go of what they hold of it: the Film
  // list's and the clip clipboard's key frames and in and out thumbnails,
  // the undo snapshots, the clip collection's tiles.
  virtual void ReleaseHoldersOf(VideoData* source);
};
VideoBitmapHooks* SetVideoBitmapHooks(VideoBitmapHooks* hooks);
VideoBitmapHooks& CurrentVideoBitmapHooks();

class TEBitmapInit {
 public:
  // Reads the screen's depth and builds the shared objects.
  TEBitmapInit();
  ~TEBitmapInit();
  TEBitmapInit(const TEBitmapInit&) = delete;
  TEBitmapInit& operator=(const TEBitmapInit&) = delete;

  static bool Exists();
  static HDC MemoryDC();
  static HDC SecondDC();
  static bool TrueColour();
  static HPALETTE Palette();  // null on true-colour screens
  // The header of every row upload: a BITMAPINFOHEADER and 256 colour
  // indexes 0..255.
  static const BITMAPINFOHEADER& DibHeader();
  static BYTE* FrameBuffer();  // kThumbnailFrameBytes

  // The clip collection's current thumbnail kind and size.
  static int ThumbnailKind();
  static int ThumbnailWidth();
  static int ThumbnailHeight();
  static void SetThumbnailKind(int kind, int width, int height);

  // Slots 0..30 from resources, once; later calls load nothing.
  static void LoadStockBitmaps(HINSTANCE instance);
  static TEBitmap* StockBitmaps[kStockBitmapSlots];
  // The loaded stock bitmap of a resource id; null before loading or for
  // an id that is not among them.
  static TEBitmap* StockBitmap(int resourceId);

  // Nothing on true-colour screens or for a null window.
  static void RealizePalette(HWND window);
  static void RealizePaletteAndUpdate(HWND window);
  static void UnrealizePalette(HWND window);
  // On palette screens: the shared palette selected and realised in dc.
  static void SelectPaletteInto(HDC dc);

 private:
  // Only the instance that built the shared objects takes them down.
  bool owner_ = false;
};
