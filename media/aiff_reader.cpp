#include "media/aiff_reader.h"

#include <algorithm>
#include <new>

#include "media/audio_chunks.h"
#include "media/audio_readers.h"
#include "model/error_codes.h"

aiFile::aiFile(const char* name) {
  if (!file_.Open(name)) throw aiExept{kErrFileMissing};
  size_ = std::max<std::int64_t>(file_.Size(), 0);
  top_ = new (std::nothrow) aiChunk{nullptr, 0, size_, 0};
  if (top_ == nullptr) throw aiExept{kErrNoMemory};
}

aiFile::~aiFile() {
  while (top_ != nullptr) {
    aiChunk* parent = top_->parent;
    delete top_;
    top_ = parent;
  }
}

void aiFile::Read(void* buffer, std::int64_t count) {
  if (count < 0 || file_.ReadAt(position_, buffer, count) != count) throw aiExept{kErrRead};
  position_ += count;
}

std::int64_t aiFile::Seek(std::int64_t offset, int origin) {
  const std::int64_t base = origin == 1 ? position_ : origin == 2 ? size_ : 0;
  position_ = std::max<std::int64_t>(base + offset, 0);
  return position_;
}

std::int64_t aiFile::End(const aiChunk& c) const {
  return std::min(c.start + c.size, size_);
}

void aiFile::FindChunk(FOURCC id) {
  const std::int64_t end = top_->start + top_->size;
  // Each step moves on by at least the 8-byte header, so the search ends;
  // bytes that cannot be a chunk id end it at once.
  while (position_ < end) {
    BYTE header[8];
    if (!headers_.Read(file_, position_, header, 8)) throw aiExept{kErrRead};
    position_ += 8;
    const std::int64_t size = ReadBE32(header + 4);
    if (!IsChunkId(ReadLE32(header))) break;
    if (ReadLE32(header) == id) {
      aiChunk* c = new (std::nothrow) aiChunk{top_, id, size, position_};
      if (c == nullptr) throw aiExept{kErrNoMemory};
      top_ = c;
      return;
    }
    position_ = headers_.NextChunk(file_, position_ + size, (size & 1) != 0, End(*top_), true);
  }
  Seek(top_->start, 0);
  throw aiExept{kErrInvalidFormat};
}

bool aiFile::LeaveChunk() {
  if (top_->parent == nullptr) return false;
  position_ = headers_.NextChunk(file_, top_->start + top_->size, (top_->size & 1) != 0, End(*top_->parent), true);
  aiChunk* parent = top_->parent;
  delete top_;
  top_ = parent;
  return true;
}

void aiFile::ReachFileEndWhenShort() {
  aiChunk& form = *top_;
  const auto read = [&](std::int64_t at, unsigned char* out, std::int64_t count) -> std::int64_t {
    return headers_.Read(file_, at, out, count) ? count : 0;
  };
  if (FormShortOfChunks(read, form.start, form.start + form.size, size_, true))
    form.size = std::max<std::int64_t>(size_ - form.start, 0);
}

DWORD ExtendedToRate(const BYTE* p) {
  const int exponent = ((p[0] & 0x7F) << 8) | p[1];
  if ((p[0] & 0x80) != 0 || exponent == 0x7FFF) return 0;
  std::uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa = (mantissa << 8) | p[2 + i];
  // value = mantissa x 2^(exponent - 16383 - 63)
  const int shift = exponent - 16383 - 63;
  if (mantissa == 0 || shift <= -64 || shift >= 0) return 0;
  const std::uint64_t value = mantissa >> -shift;
  return value > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(value);
}

namespace {
constexpr FOURCC kForm = mmioFOURCC('F', 'O', 'R', 'M');
constexpr FOURCC kAiff = mmioFOURCC('A', 'I', 'F', 'F');
constexpr FOURCC kAifc = mmioFOURCC('A', 'I', 'F', 'C');
constexpr FOURCC kComm = mmioFOURCC('C', 'O', 'M', 'M');
constexpr FOURCC kSsnd = mmioFOURCC('S', 'S', 'N', 'D');
constexpr FOURCC kNone = mmioFOURCC('N', 'O', 'N', 'E');
}  // namespace

void TReadWave::LoadAiff() {
  error = 0;
  handle_.Close();
  sampleType = kSampleLittleEndian;
  FreeFormat();
  dataChunk = AudioChunk();
  try {
    aiFile file(fileName);
    const std::int64_t fileSize = file.FileSize();

    file.FindChunk(kForm);
    // A FORM size never written (0) or short of its chunks: the file's length.
    file.ReachFileEndWhenShort();
    const std::int64_t formStart = file.Current().start;
    BYTE type[4];
    file.Read(type, 4);
    const FOURCC formType = ReadLE32(type);
    if (formType != kAiff && formType != kAifc) throw aiExept{kErrInvalidFormat};

    // "COMM" and "SSND" may come in either order: each search starts at the
    // first chunk of the form.
    file.FindChunk(kComm);
    if (file.Current().size < 18) throw aiExept{kErrInvalidFormat};
    BYTE comm[22] = {};
    file.Read(comm, file.Current().size < 22 ? 18 : 22);
    const WORD channels = ReadBE16(comm);
    const DWORD frames = ReadBE32(comm + 2);
    const WORD bits = ReadBE16(comm + 6);
    const DWORD rate = ExtendedToRate(comm + 8);
    const FOURCC compression = ReadLE32(comm + 18);
    file.LeaveChunk();

    file.Seek(formStart + 4, 0);
    file.FindChunk(kSsnd);
    BYTE offsetField[4];
    file.Read(offsetField, 4);
    const std::int64_t offset = ReadBE32(offsetField);
    const aiChunk& ssnd = file.Current();
    const std::int64_t dataOffset = ssnd.start + offset + 8;
    // A size too small for the SSND fields was never written (a writer
    // that did not come back to it): the samples reach the end of the
    // form, as far as COMM counts them.
    if (ssnd.size >= 8 && ssnd.size < 8 + offset) throw aiExept{kErrInvalidFormat};
    std::int64_t dataSize =
        ssnd.size >= 8 ? ssnd.size - 8 - offset : ssnd.parent->start + ssnd.parent->size - dataOffset;
    dataSize = std::max<std::int64_t>(0, std::min(dataSize, fileSize - dataOffset));

    switch (bits) {
      case 8: sampleType = kSampleSigned8; break;
      case 16: sampleType = kSampleBigEndian16; break;
      case 24: sampleType = kSampleBigEndian24; break;
      default: throw aiExept{kErrInvalidFormat};
    }
    const DWORD blockAlign = static_cast<DWORD>(channels) * (bits / 8);
    if (channels < 1 || channels > 2 || rate == 0 ||
        static_cast<std::uint64_t>(rate) * blockAlign > 0xFFFFFFFFull)
      throw aiExept{kErrInvalidFormat};
    if (!AllocateFormat(kWaveFormatFileSize)) throw aiExept{kErrNoMemory};
    format->wFormatTag = (compression == kNone || compression == 0) ? WAVE_FORMAT_PCM : 0xFFFF;
    format->nChannels = channels;
    format->wBitsPerSample = bits;
    format->nSamplesPerSec = rate;
    format->nBlockAlign = static_cast<WORD>(blockAlign);
    format->nAvgBytesPerSec = rate * blockAlign;
    format->cbSize = 0;

    dataSize = std::min<std::int64_t>(dataSize, static_cast<std::int64_t>(blockAlign) * frames);
    dataChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    dataChunk.dwDataOffset = dataOffset;
    dataChunk.available = dataSize;
    dataChunk.cksize = static_cast<DWORD>(std::min<std::int64_t>(dataSize, 0xFFFFFFFFll));
    length = AudioLengthMs(dataSize, format->nAvgBytesPerSec);
  } catch (const aiExept& e) {
    error = e.code;
    sampleType = kSampleLittleEndian;
    FreeFormat();
    dataChunk = AudioChunk();
    return;
  }
  SetFormat();
  ReopenForReaders();
}
