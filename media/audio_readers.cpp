#include "media/audio_readers.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "media/audio_source_hooks.h"
#include "model/error_codes.h"

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kFact = mmioFOURCC('f', 'a', 'c', 't');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');
constexpr FOURCC kForm = mmioFOURCC('F', 'O', 'R', 'M');
constexpr FOURCC kAvi = mmioFOURCC('A', 'V', 'I', ' ');
constexpr FOURCC kHdrl = mmioFOURCC('h', 'd', 'r', 'l');
constexpr FOURCC kAvih = mmioFOURCC('a', 'v', 'i', 'h');
constexpr FOURCC kStrl = mmioFOURCC('s', 't', 'r', 'l');
constexpr FOURCC kStrf = mmioFOURCC('s', 't', 'r', 'f');
constexpr FOURCC kAuds = mmioFOURCC('a', 'u', 'd', 's');
constexpr FOURCC kMovi = mmioFOURCC('m', 'o', 'v', 'i');
constexpr FOURCC kIdx1 = mmioFOURCC('i', 'd', 'x', '1');

// A wave format record holds at most 18 bytes and 65535 extra bytes.
constexpr DWORD kMaxFormatSize = 18 + 65535;
constexpr std::int64_t kMaxFileOffset = 0xFFFFFFFFll;

// Reads a whole "fmt " or "strf" chunk; false when it is cut short or larger
// than any format record.
bool ReadFormatChunk(AudioChunkWalker& walker, const AudioChunk& chunk, std::vector<BYTE>* bytes) {
  if (chunk.cksize > kMaxFormatSize || chunk.available < chunk.cksize) return false;
  bytes->resize(chunk.cksize);
  return walker.ReadExact(chunk.dwDataOffset, bytes->data(), chunk.cksize);
}

// The length of compressed data in milliseconds: from the "fact" chunk's
// sample count when the data could hold that many samples, since encoders
// state the byte rate of some formats wrongly (ffmpeg's IMA ADPCM); from the
// byte rate otherwise.
LONG CompressedLengthMs(const WAVEFORMATEX& f, std::int64_t dataBytes, LONG fact) {
  std::int64_t most = 0;
  if (f.nChannels > 0) {
    // At least one bit per sample, and wBitsPerSample bits where it is stated.
    const std::int64_t bits = std::max<std::int64_t>(f.wBitsPerSample, 1) * f.nChannels;
    most = (dataBytes * 8 + bits - 1) / bits;
  }
  if (fact <= 0 || fact > most || f.nSamplesPerSec == 0) return AudioLengthMs(dataBytes, f.nAvgBytesPerSec);
  const std::int64_t ms = (std::int64_t{fact} * 1000 + f.nSamplesPerSec / 2) / f.nSamplesPerSec;
  return static_cast<LONG>(std::min<std::int64_t>(ms, std::numeric_limits<LONG>::max()));
}

// The sample count of a "fact" chunk in RIFF; -1 when there is none.
LONG ReadFact(AudioChunkWalker& walker, const AudioChunk& riff) {
  AudioChunk fact;
  BYTE v[4];
  if (walker.FindIn(riff, kFact, 0, &fact) && fact.cksize == 4 && walker.ReadExact(fact.dwDataOffset, v, 4))
    return static_cast<LONG>(ReadLE32(v));
  return -1;
}

bool IsPcmTag(WORD tag) { return tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT; }

// Fills the rest of a read with silence: by 32-bit words, then bytes.
void FillTail(BYTE* p, std::int64_t count, BYTE value) {
  if (count <= 0) return;
  const std::uint32_t word = value * 0x01010101u;
  std::int64_t i = 0;
  for (; i + 4 <= count; i += 4) std::memcpy(p + i, &word, 4);
  for (; i < count; ++i) p[i] = value;
}

// Reads from sample data of dataSize bytes at dataOffset; the part of the
// request past the data is silence. Returns the bytes read.
LONG ReadData(AudioFileHandle& handle, std::int64_t dataOffset, std::int64_t dataSize, void* buffer,
              std::int64_t position, LONG count, BYTE silence) {
  if (!handle.IsOpen() || buffer == nullptr || count <= 0) return 0;
  std::int64_t got = 0;
  if (position >= 0 && position < dataSize) {
    got = handle.ReadAt(dataOffset + position, buffer, std::min<std::int64_t>(count, dataSize - position));
    if (got < 0) got = 0;
  }
  FillTail(static_cast<BYTE*>(buffer) + got, count - got, silence);
  return static_cast<LONG>(got);
}

}  // namespace

// ---------------------------------------------------------- AudioFileReader

// The open count and the handle change together under openLock: the engine's
// command thread ends its reading while the main thread may begin one.

bool AudioFileReader::BeginRead() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (error != 0) return false;
  if (openCount == 0 && !handle_.IsOpen() && !handle_.Open(fileName)) {
    error = kErrFileMissing;
    return false;
  }
  ++openCount;
  NotifyOpenStateChanged();
  return true;
}

void AudioFileReader::EndRead() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (openCount <= 0) return;
  if (--openCount == 0) {
    handle_.Close();
    NotifyOpenStateChanged();
  }
}

bool AudioFileReader::CloseFile() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (!handle_.IsOpen()) return false;
  handle_.Close();
  return true;
}

bool AudioFileReader::Reopen() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (openCount == 0 || handle_.IsOpen() || handle_.Open(fileName)) {
    error = 0;
    return true;
  }
  error = kErrFileMissing;
  return false;
}

bool AudioFileReader::OpenHandle() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (error != 0) return false;
  if (openCount > 0 || handle_.IsOpen()) return true;
  if (handle_.Open(fileName)) return true;
  error = kErrFileMissing;
  return false;
}

void AudioFileReader::CloseHandle() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (openCount == 0) handle_.Close();
}

// ---------------------------------------------------------------- TReadWave

TReadWave::TReadWave(const char* fileName) : AudioFileReader(fileName) { ReadHeader(); }

TReadWave::~TReadWave() {
  FreeEverything();
  openCount = 0;
}

void TReadWave::FreeEverything() {
  FreePeaks();
  handle_.Close();
  FreeFormat();
}

bool TReadWave::Open(const char* name) {
  AudioData::Open(name);
  FreeEverything();
  ReadHeader();
  return error == 0;
}

void TReadWave::ReopenForReaders() {
  if (openCount > 0 && !handle_.Open(fileName)) {
    error = kErrFileMissing;
    openCount = 0;
  }
}

void TReadWave::ReadHeader() {
  error = 0;
  sampleType = kSampleLittleEndian;
  dataChunk = AudioChunk();
  handle_.Close();
  FreeFormat();
  if (!handle_.Open(fileName)) {
    error = kErrFileMissing;
    return;
  }
  const std::int64_t fileSize = handle_.Size();
  AudioChunkWalker walker(handle_, std::max<std::int64_t>(fileSize, 0));
  BYTE magic[4];
  if (walker.ReadExact(0, magic, 4) && ReadLE32(magic) == kForm) {
    handle_.Close();
    LoadAiff();
    return;
  }

  // Sizes past the end of the file (a cut-off file) or never written (a
  // killed recording): read what is there.
  AudioChunk riff, fmt, data;
  std::vector<BYTE> bytes;
  int result = 0;
  if (!walker.FindForm(kWave, &riff) || !walker.FindIn(riff, kFmt, 0, &fmt) ||
      !ReadFormatChunk(walker, fmt, &bytes)) {
    result = kErrInvalidFormat;
  } else {
    result = LoadFormatRecord(bytes.data(), static_cast<DWORD>(bytes.size()));
  }
  if (result == 0) {
    SetFormat();
    factLength = IsPcmTag(format->wFormatTag) ? 0 : ReadFact(walker, riff);
    if (walker.FindIn(riff, kData, 0, &data)) {
      walker.TakeUnwrittenData(riff, &data);
    } else {
      FreeFormat();
      result = kErrInvalidFormat;
    }
  }
  handle_.Close();
  if (result != 0) {
    error = result;
    return;
  }
  dataChunk = data;
  dataChunk.cksize = static_cast<DWORD>(data.available);
  length = IsPcmTag(format->wFormatTag) ? AudioLengthMs(dataChunk.available, format->nAvgBytesPerSec)
                                         : CompressedLengthMs(*format, dataChunk.available, factLength);
  ReopenForReaders();
}

DWORD TReadWave::LengthInSamples() {
  if (format == nullptr || format->nBlockAlign == 0) return 0;
  return static_cast<DWORD>(dataChunk.available / format->nBlockAlign);
}

LONG TReadWave::ReadBytes(void* buffer, std::int64_t position, LONG count) {
  // Silence as the file stores it: 128 for unsigned 8-bit, 0 for signed.
  const BYTE silence =
      format != nullptr && format->wBitsPerSample == 8 && sampleType != kSampleSigned8 ? 128 : 0;
  return ReadData(handle_, dataChunk.dwDataOffset, dataChunk.available, buffer, position, count, silence);
}

// ------------------------------------------------------------ TReadAVIAudio

TReadAVIAudio::TReadAVIAudio(const char* fileName) : AudioFileReader(fileName) { ReadHeader(); }

TReadAVIAudio::~TReadAVIAudio() {
  handle_.Close();
  FreeEverything();
}

void TReadAVIAudio::FreeEverything() {
  FreePeaks();
  FreeFormat();
  index.reset();
  indexCount = 0;
  totalBytes = 0;
}

FOURCC TReadAVIAudio::AudioChunkIdOf(int stream) {
  return MAKEAVICKID(cktypeWAVEbytes, static_cast<unsigned>(stream));
}

bool TReadAVIAudio::Open(const char* name) {
  AudioData::Open(name);
  if (openCount != 0) handle_.Close();
  FreeEverything();
  ReadHeader();
  return error == 0;
}

void TReadAVIAudio::ReadHeader() {
  error = 0;
  FreeEverything();
  mainHeader = MainAVIHeader{};
  std::memset(streamHeaders, 0, sizeof streamHeaders);
  sampleType = kSampleLittleEndian;
  audioStream = -1;
  audioChunkId = 0;
  AudioFileHandle file;
  if (!file.Open(fileName)) {
    error = kErrInvalidFormat;
    openCount = 0;
    return;
  }
  AudioChunkWalker walker(file, std::max<std::int64_t>(file.Size(), 0));
  const int result = Parse(walker);
  file.Close();
  if (result != 0 || indexCount == 0) {
    FreeEverything();
    error = result != 0 ? result : kErrInvalidFormat;
    openCount = 0;
    return;
  }
  SetFormat();
  length = AudioLengthMs(totalBytes, format->nAvgBytesPerSec);
  if (openCount > 0 && !handle_.IsOpen() && !handle_.Open(fileName)) error = kErrFileMissing;
}

int TReadAVIAudio::Parse(AudioChunkWalker& walker) {
  AudioChunk hdrl, avih;
  if (!walker.FindForm(kAvi, &riffChunk) ||
      !walker.FindIn(riffChunk, kListId, kHdrl, &hdrl) || !walker.FindIn(hdrl, kAvih, 0, &avih))
    return kErrInvalidFormat;
  // The header field holds 56 bytes; a longer chunk's extra bytes are skipped.
  BYTE h[kAviMainHeaderSize];
  if (avih.cksize < sizeof h || !walker.ReadExact(avih.dwDataOffset, h, sizeof h)) return kErrInvalidFormat;
  ReadMainAviHeader(h, &mainHeader);

  std::int64_t position = walker.Next(avih, hdrl.DataEnd());
  for (DWORD i = 0; i < mainHeader.dwStreams; ++i) {
    // Only 16 stream headers are kept: an audio stream after them is refused.
    if (i >= kMaxStreams) return kErrInvalidFormat;
    AudioChunk strl, strh;
    if (!walker.Find(position, hdrl.DataEnd(), kListId, kStrl, &strl)) return kErrInvalidFormat;
    position = walker.Next(strl, hdrl.DataEnd());
    if (!walker.ChunkAt(strl.dwDataOffset + 4, strl.DataEnd(), &strh) || strh.available < 8)
      return kErrInvalidFormat;
    const std::int64_t n = std::min<std::int64_t>(strh.available, sizeof streamHeaders[i]);
    if (!walker.ReadExact(strh.dwDataOffset, streamHeaders[i], n)) return kErrInvalidFormat;
    if (ReadLE32(streamHeaders[i]) != kAuds) continue;
    audioStream = static_cast<LONG>(i);
    audioChunkId = AudioChunkIdOf(static_cast<int>(i));
    AudioChunk strf;
    std::vector<BYTE> bytes;
    if (!walker.Find(walker.Next(strh, strl.DataEnd()), strl.DataEnd(), kStrf, 0, &strf) || !ReadFormatChunk(walker, strf, &bytes))
      return kErrInvalidFormat;
    const int result = LoadFormatRecord(bytes.data(), static_cast<DWORD>(bytes.size()));
    if (result != 0) return result;
    break;
  }
  if (audioStream < 0) return kErrInvalidFormat;

  AudioChunk movi;
  if (!walker.FindIn(riffChunk, kListId, kMovi, &movi)) return kErrInvalidFormat;
  if ((mainHeader.dwFlags & AVIF_HASINDEX) != 0) {
    if (ReadIndex(walker, movi) == 0 && indexCount > 0) return kErrOk;
    index.reset();
    indexCount = 0;
    totalBytes = 0;
  }
  return RebuildIndex(walker, movi);
}

bool TReadAVIAudio::AddEntry(LONG& capacity, const AudioIndexEntry& entry) {
  if (indexCount == std::numeric_limits<LONG>::max()) return false;
  if (indexCount == capacity) {
    const LONG grown = capacity + 256;
    std::unique_ptr<AudioIndexEntry[]> bigger(new (std::nothrow) AudioIndexEntry[grown]);
    if (!bigger) return false;
    std::copy(index.get(), index.get() + indexCount, bigger.get());
    index = std::move(bigger);
    capacity = grown;
  }
  index[indexCount++] = entry;
  totalBytes += entry.dwChunkLength;
  return true;
}

int TReadAVIAudio::ReadIndex(AudioChunkWalker& walker, const AudioChunk& movi) {
  const std::int64_t D = movi.dwDataOffset;
  const std::int64_t E = movi.DataEnd();
  AudioChunk idx1;
  if (!walker.FindIn(riffChunk, kIdx1, 0, &idx1)) return kErrInvalidFormat;
  const std::int64_t count = idx1.available / 16;
  if (count == 0) return kErrInvalidFormat;
  std::vector<BYTE> entries;
  try {
    entries.resize(static_cast<std::size_t>(count * 16));
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  if (!walker.ReadExact(idx1.dwDataOffset, entries.data(), count * 16)) return kErrInvalidFormat;

  std::int64_t largest = -1, largestSize = 0, smallest = std::numeric_limits<std::int64_t>::max();
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t offset = ReadLE32(&entries[i * 16 + 8]);
    if (offset > largest) {
      largest = offset;
      largestSize = ReadLE32(&entries[i * 16 + 12]);
    }
    smallest = std::min(smallest, offset);
  }
  std::int64_t correction = D + 8;
  if (smallest > D) {
    // Offsets may be file positions. When the relative reading also fits the
    // index is ambiguous; when the absolute one runs past "movi" it is wrong.
    if (D + 8 + largest + largestSize <= E) return kErrInvalidFormat;
    if (largest + largestSize > E) return kErrInvalidFormat;
    correction = 8;
  }

  LONG capacity = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    const BYTE* e = &entries[i * 16];
    AudioIndexEntry entry;
    entry.ckid = ReadLE32(e);
    if (entry.ckid != audioChunkId) continue;
    entry.dwFlags = ReadLE32(e + 4);
    entry.dwChunkLength = ReadLE32(e + 12);
    const std::int64_t data = ReadLE32(e + 8) + correction;
    // An entry whose data lies outside "movi" means a damaged index.
    if (data < D + 4 || data + entry.dwChunkLength > E || data > kMaxFileOffset) return kErrInvalidFormat;
    entry.dwChunkOffset = static_cast<DWORD>(data);
    if (!AddEntry(capacity, entry)) return kErrNoMemory;
  }
  return kErrOk;
}

int TReadAVIAudio::RebuildIndex(AudioChunkWalker& walker, const AudioChunk& movi) {
  LONG capacity = 0;
  std::int64_t position = movi.dwDataOffset + 4;
  AudioChunk c;
  while (walker.ChunkAt(position, movi.DataEnd(), &c)) {
    if (c.ckid == audioChunkId) {
      if (c.dwDataOffset > kMaxFileOffset) break;
      AudioIndexEntry entry;
      entry.ckid = c.ckid;
      entry.dwFlags = 0x10;
      entry.dwChunkOffset = static_cast<DWORD>(c.dwDataOffset);
      entry.dwChunkLength = static_cast<DWORD>(c.available);  // a cut-off last chunk counts what is there
      if (!AddEntry(capacity, entry)) return kErrNoMemory;
      position = walker.Next(c, movi.DataEnd());
    } else if (c.ckid == kListId) {
      position = c.dwDataOffset + 4;  // into the list ("rec "): its chunks come next
    } else {
      position = walker.Next(c, movi.DataEnd());
    }
  }
  return kErrOk;
}

DWORD TReadAVIAudio::LengthInSamples() {
  if (format == nullptr || format->nBlockAlign == 0) return 0;
  return static_cast<DWORD>(std::min<std::int64_t>(totalBytes / format->nBlockAlign, 0xFFFFFFFFll));
}

LONG TReadAVIAudio::ReadBytes(void* buffer, std::int64_t position, LONG count) {
  if (!handle_.IsOpen() || buffer == nullptr || count <= 0 || position < 0) return 0;
  std::int64_t p = std::min(position, totalBytes);
  std::int64_t n = std::min<std::int64_t>(count, totalBytes - p);
  BYTE* out = static_cast<BYTE*>(buffer);
  LONG done = 0;
  std::int64_t start = 0;  // where the current entry starts in the sound
  for (LONG i = 0; i < indexCount && n > 0; ++i) {
    const AudioIndexEntry& e = index[i];
    if (p < start + e.dwChunkLength) {
      const std::int64_t k = std::min<std::int64_t>(n, start + e.dwChunkLength - p);
      const std::int64_t got = handle_.ReadAt(static_cast<std::int64_t>(e.dwChunkOffset) + (p - start), out, k);
      if (got <= 0) break;
      out += got;
      p += got;
      n -= got;
      done += static_cast<LONG>(got);
      if (got < k) break;
    }
    start += e.dwChunkLength;
  }
  return done;
}

// -------------------------------------------------------- TReadTmpAudioFile

TReadTmpAudioFile::TReadTmpAudioFile(const char* fileName) : AudioData(fileName) {
  // The file exists only while the engine keeps it: a missing one is "does
  // not exist" rather than the base's "can not open".
  error = 0;
  if (!handle_.Open(this->fileName)) {
    error = kErrFileMissing;
    return;
  }
  fileSize = std::max<std::int64_t>(handle_.Size(), 0);
  handle_.Close();
  const WAVEFORMATEX out = CurrentAudioSourceHooks().OutputFormat();
  if (!AllocateFormat(kWaveFormatFileSize)) {
    error = kErrNoMemory;
    return;
  }
  *format = out;
  format->cbSize = 0;
  if (format->nAvgBytesPerSec == 0 || format->nBlockAlign == 0) {
    error = kErrInvalidFormat;
    return;
  }
  length = AudioLengthMs(fileSize, format->nAvgBytesPerSec);
  SetFormat();
}

TReadTmpAudioFile::~TReadTmpAudioFile() {
  handle_.Close();
  FreeFormat();
}

bool TReadTmpAudioFile::BeginRead() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (error != 0) return false;
  if (openCount == 0 && !handle_.IsOpen()) {
    if (!handle_.Open(fileName)) {
      error = kErrFileMissing;
      return false;
    }
    // The engine rewrites the file between plays: take its size now.
    fileSize = std::max<std::int64_t>(handle_.Size(), 0);
  }
  ++openCount;
  return true;
}

void TReadTmpAudioFile::EndRead() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (openCount <= 0) return;
  if (--openCount == 0) handle_.Close();
}

DWORD TReadTmpAudioFile::LengthInSamples() {
  if (format == nullptr || format->nBlockAlign == 0) return 0;
  return static_cast<DWORD>(std::min<std::int64_t>(fileSize / format->nBlockAlign, 0xFFFFFFFFll));
}

bool TReadTmpAudioFile::OpenHandle() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (error != 0) return false;
  if (openCount > 0 || handle_.IsOpen()) return true;
  if (handle_.Open(fileName)) {
    fileSize = std::max<std::int64_t>(handle_.Size(), 0);
    return true;
  }
  error = kErrFileMissing;
  return false;
}

void TReadTmpAudioFile::CloseHandle() {
  std::lock_guard<std::recursive_mutex> hold(openLock);
  if (openCount == 0) handle_.Close();
}

LONG TReadTmpAudioFile::ReadBytes(void* buffer, std::int64_t position, LONG count) {
  const BYTE silence = format != nullptr && format->wBitsPerSample == 8 ? 128 : 0;
  return ReadData(handle_, 0, fileSize, buffer, position, count, silence);
}

// ------------------------------------------------------------- ReadWaveInfo

bool ReadWaveInfo(const char* path, WaveInfo* info) {
  if (info == nullptr) return false;
  info->length = -1;
  AudioFileHandle file;
  if (path == nullptr || !file.Open(path)) return false;
  AudioChunkWalker walker(file, std::max<std::int64_t>(file.Size(), 0));
  AudioChunk riff, fmt, data;
  BYTE bytes[18] = {};
  if (!walker.FindForm(kWave, &riff) || !walker.FindIn(riff, kFmt, 0, &fmt) || fmt.available < fmt.cksize)
    return false;
  const DWORD n = std::min<DWORD>(fmt.cksize, sizeof bytes);
  if (!walker.ReadExact(fmt.dwDataOffset, bytes, n)) return false;
  WAVEFORMATEX& f = info->format;
  f = WAVEFORMATEX{};
  f.wFormatTag = ReadLE16(bytes);
  f.nChannels = ReadLE16(bytes + 2);
  f.nSamplesPerSec = ReadLE32(bytes + 4);
  f.nAvgBytesPerSec = ReadLE32(bytes + 8);
  f.nBlockAlign = ReadLE16(bytes + 12);
  f.wBitsPerSample = ReadLE16(bytes + 14);
  f.cbSize = ReadLE16(bytes + 16);
  if (!walker.FindIn(riff, kData, 0, &data)) return false;
  walker.TakeUnwrittenData(riff, &data);
  info->length = IsPcmTag(f.wFormatTag) ? AudioLengthMs(data.available, f.nAvgBytesPerSec)
                                        : CompressedLengthMs(f, data.available, ReadFact(walker, riff));
  return true;
}
