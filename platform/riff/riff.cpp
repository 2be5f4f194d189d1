#include "platform/riff/riff.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/paths.h"

namespace {

constexpr std::int64_t kMaxPosition = 0x7FFFFFFF;
constexpr std::int64_t kMaxChunkEnd = 0xFFFFFFFFll;
constexpr size_t kBufferSize = 64 * 1024;
constexpr size_t kHeaderBlockSize = 4096;
constexpr DWORD kAccessMask = 0x3;

// The value MMIO_DELETE hands back: success, but no file.
HMMIO const kDeletedMarker = reinterpret_cast<HMMIO>(static_cast<std::uintptr_t>(1));

DWORD Le32(const unsigned char* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

void PutLe32(unsigned char* p, DWORD v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

class MmioFile {
 public:
  MmioFile(int fd, DWORD access, bool buffered) : fd_(fd), access_(access) {
    if (buffered && access_ == MMIO_READ) buffer_.resize(kBufferSize);
  }
  ~MmioFile() {
    if (fd_ >= 0) close(fd_);
  }

  bool CanRead() const { return access_ == MMIO_READ || access_ == MMIO_READWRITE; }
  bool CanWrite() const { return access_ == MMIO_WRITE || access_ == MMIO_READWRITE; }

  std::int64_t position() const { return position_; }
  void set_position(std::int64_t p) { position_ = p; }

  // -1 when the size cannot be had.
  std::int64_t Size() const {
    struct stat info;
    if (fstat(fd_, &info) != 0) return -1;
    return info.st_size;
  }

  // Reads up to count bytes at offset; the count read, or -1.
  std::int64_t ReadAt(std::int64_t offset, void* out, size_t count) {
    if (!buffer_.empty() && count < buffer_.size()) return ReadBuffered(offset, out, count);
    return ReadDirect(offset, out, count);
  }

  // A chunk header (count of at most 12 bytes): from the read buffer, or
  // else from a small block read ahead, so that a walk over many chunks
  // does not cost a read per header. The block serves the walk only and
  // is dropped by every write through this handle.
  std::int64_t ReadHeaderAt(std::int64_t offset, void* out, size_t count) {
    if (!buffer_.empty()) return ReadBuffered(offset, out, count);
    if (offset < header_start_ || offset + static_cast<std::int64_t>(count) > header_start_ + header_length_) {
      if (!header_) header_ = std::make_unique<char[]>(kHeaderBlockSize);
      const std::int64_t got = ReadDirect(offset, header_.get(), kHeaderBlockSize);
      if (got < 0) return -1;
      header_start_ = offset;
      header_length_ = got;
    }
    const std::int64_t take =
        std::min<std::int64_t>(static_cast<std::int64_t>(count), header_start_ + header_length_ - offset);
    std::memcpy(out, header_.get() + (offset - header_start_), static_cast<size_t>(take));
    return take;
  }

  // Never touches the read buffer, which belongs to the handle's owner.
  std::int64_t ReadAtDirect(std::int64_t offset, void* out, size_t count) { return ReadDirect(offset, out, count); }

  bool WriteAt(std::int64_t offset, const void* in, size_t count) {
    header_length_ = 0;
    const char* p = static_cast<const char*>(in);
    while (count > 0) {
      ssize_t n = pwrite(fd_, p, count, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      offset += n;
      count -= static_cast<size_t>(n);
    }
    return true;
  }

  void DropBuffer() {
    window_length_ = 0;
    header_length_ = 0;
  }

  int Close() {
    int rc = close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  std::int64_t ReadDirect(std::int64_t offset, void* out, size_t count) {
    char* p = static_cast<char*>(out);
    size_t done = 0;
    while (done < count) {
      ssize_t n = pread(fd_, p + done, count - done, offset + static_cast<std::int64_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -1;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return static_cast<std::int64_t>(done);
  }

  std::int64_t ReadBuffered(std::int64_t offset, void* out, size_t count) {
    char* p = static_cast<char*>(out);
    size_t done = 0;
    while (done < count) {
      std::int64_t at = offset + static_cast<std::int64_t>(done);
      if (at < window_start_ || at >= window_start_ + static_cast<std::int64_t>(window_length_)) {
        std::int64_t got = ReadDirect(at, buffer_.data(), buffer_.size());
        if (got < 0) return done > 0 ? static_cast<std::int64_t>(done) : -1;
        window_start_ = at;
        window_length_ = static_cast<size_t>(got);
        if (got == 0) break;
      }
      size_t inside = static_cast<size_t>(at - window_start_);
      size_t take = std::min(count - done, window_length_ - inside);
      std::memcpy(p + done, buffer_.data() + inside, take);
      done += take;
    }
    return static_cast<std::int64_t>(done);
  }

  int fd_;
  DWORD access_;
  std::int64_t position_ = 0;
  std::vector<char> buffer_;  // read-only handles with MMIO_ALLOCBUF
  std::int64_t window_start_ = 0;
  size_t window_length_ = 0;
  std::unique_ptr<char[]> header_;  // made by the first walk that needs it
  std::int64_t header_start_ = 0;
  std::int64_t header_length_ = 0;
};

// Chunk headers for NextChunkStart, from the handle's header block.
auto HeaderReader(MmioFile* f) {
  return [f](std::int64_t at, unsigned char* out, std::int64_t count) {
    return f->ReadHeaderAt(at, out, static_cast<size_t>(count));
  };
}

MmioFile* FromHandle(HMMIO handle) {
  if (reinterpret_cast<std::uintptr_t>(handle) < 4096) return nullptr;
  return reinterpret_cast<MmioFile*>(handle);
}

MMRESULT OpenError(int error, const std::string& path) {
  switch (error) {
    case ENOENT: {
      std::string folder = PathFolder(path);
      struct stat info;
      if (!folder.empty() && (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
        return MMIOERR_PATHNOTFOUND;
      }
      return MMIOERR_FILENOTFOUND;
    }
    case ENOTDIR:
      return MMIOERR_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return MMIOERR_ACCESSDENIED;
    case EMFILE:
    case ENFILE:
      return MMIOERR_TOOMANYOPENFILES;
    case ENOMEM:
      return MMIOERR_OUTOFMEMORY;
    default:
      return MMIOERR_CANNOTOPEN;
  }
}

HMMIO FailOpen(LPMMIOINFO info, MMRESULT code) {
  if (info != nullptr) info->wErrorRet = code;
  return nullptr;
}

}  // namespace

HMMIO mmioOpen(LPCSTR name, LPMMIOINFO info, DWORD flags) {
  if (info != nullptr) info->wErrorRet = 0;
  if (name == nullptr || name[0] == '\0') return FailOpen(info, MMIOERR_FILENOTFOUND);
  std::string path = NativePath(name);
  if (flags & MMIO_DELETE) {
    if (unlink(path.c_str()) != 0) {
      SetLastErrorFromErrno(errno);
      return FailOpen(info, OpenError(errno, path));
    }
    return kDeletedMarker;
  }
  DWORD access = flags & kAccessMask;
  int mode;
  switch (access) {
    case MMIO_READ:
      mode = O_RDONLY;
      break;
    case MMIO_WRITE:
      mode = O_WRONLY;
      break;
    case MMIO_READWRITE:
      mode = O_RDWR;
      break;
    default:
      return FailOpen(info, MMIOERR_CANNOTOPEN);
  }
  const bool isPrivate = (flags & MMIO_PRIVATE) != 0;
  // Never held up in the open by a FIFO or a device: what the file is is
  // asked of the open file below.
  auto openAs = [&path](int how, int& fd) {
    do {
      fd = open(path.c_str(), how | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd >= 0;
  };
  int fd = -1;
  if (isPrivate) {
    mode |= O_NOFOLLOW;
    // A new file is made 0600; one that is there is emptied only once it is
    // known to be ours.
    bool made = false;
    if (flags & MMIO_CREATE) {
      do {
        fd = open(path.c_str(), mode | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
      } while (fd < 0 && errno == EINTR);
      made = fd >= 0;
      if (!made && errno == EEXIST) openAs(mode, fd);
    } else {
      openAs(mode, fd);
    }
    struct stat status;
    if (fd >= 0 && !made &&
        (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != getuid() ||
         ((flags & MMIO_CREATE) && ftruncate(fd, 0) != 0))) {
      close(fd);
      SetLastError(ERROR_ACCESS_DENIED);
      return FailOpen(info, MMIOERR_ACCESSDENIED);
    }
  } else {
    // Creating for reading only makes an empty file that can be read.
    openAs((flags & MMIO_CREATE) ? mode | O_CREAT | O_TRUNC : mode, fd);
  }
  if (fd < 0) {
    int error = errno;
    SetLastErrorFromErrno(error);
    return FailOpen(info, OpenError(error, path));
  }
  struct stat status;
  // Only a regular file is read: a FIFO would wait for a writer for ever,
  // a device never end. A device may still be written (/dev/full).
  auto usable = [access](const struct stat& st) {
    return S_ISREG(st.st_mode) || (access == MMIO_WRITE && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)));
  };
  if (fstat(fd, &status) != 0 || !usable(status)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return FailOpen(info, MMIOERR_ACCESSDENIED);
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return reinterpret_cast<HMMIO>(new MmioFile(fd, access, (flags & MMIO_ALLOCBUF) != 0));
}

MMRESULT mmioClose(HMMIO file, UINT flags) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr) return MMIOERR_CANNOTCLOSE;
  int rc = f->Close();
  delete f;
  return rc == 0 ? 0 : MMIOERR_CANNOTWRITE;
}

LONG mmioRead(HMMIO file, void* buffer, LONG count) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr || count < 0 || (buffer == nullptr && count > 0) || !f->CanRead()) return -1;
  if (count == 0) return 0;
  std::int64_t got = f->ReadAt(f->position(), buffer, static_cast<size_t>(count));
  if (got < 0) return -1;
  f->set_position(f->position() + got);
  return static_cast<LONG>(got);
}

LONG mmioReadAt(HMMIO file, void* buffer, LONG count, LONGLONG offset) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr || count < 0 || offset < 0 || (buffer == nullptr && count > 0) || !f->CanRead()) return -1;
  if (count == 0) return 0;
  return static_cast<LONG>(f->ReadAtDirect(offset, buffer, static_cast<size_t>(count)));
}

LONG mmioWrite(HMMIO file, const void* buffer, LONG count) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr || count < 0 || (buffer == nullptr && count > 0) || !f->CanWrite()) return -1;
  if (count == 0) return 0;
  if (!f->WriteAt(f->position(), buffer, static_cast<size_t>(count))) return -1;
  f->set_position(f->position() + count);
  return count;
}

LONG mmioSeek(HMMIO file, LONG offset, int origin) {
  std::int64_t before = mmioSeek64(file, 0, SEEK_CUR);
  if (before < 0) return -1;
  std::int64_t moved = mmioSeek64(file, offset, origin);
  if (moved < 0) return -1;
  if (moved > kMaxPosition) {
    mmioSeek64(file, before, SEEK_SET);  // not expressible: stay where it was
    return -1;
  }
  return static_cast<LONG>(moved);
}

LONGLONG mmioSeek64(HMMIO file, LONGLONG offset, int origin) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr) return -1;
  std::int64_t base;
  switch (origin) {
    case SEEK_SET:
      base = 0;
      break;
    case SEEK_CUR:
      base = f->position();
      break;
    case SEEK_END:
      base = f->Size();
      if (base < 0) return -1;
      break;
    default:
      return -1;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
  f->set_position(target);
  return target;
}

MMRESULT mmioFlush(HMMIO file, UINT flags) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr) return MMIOERR_CANNOTWRITE;
  if (flags & MMIO_EMPTYBUF) f->DropBuffer();
  return 0;
}

MMRESULT mmioDescend(HMMIO file, LPMMCKINFO ck, const MMCKINFO* parent, UINT flags) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr || ck == nullptr || !f->CanRead()) return MMIOERR_CANNOTREAD;
  std::int64_t limit = f->Size();
  if (limit < 0) return MMIOERR_CANNOTREAD;
  // A parent still being written has no final size yet.
  if (parent != nullptr && (parent->dwFlags & MMIO_DIRTY) == 0) {
    limit = std::min<std::int64_t>(limit, static_cast<std::int64_t>(parent->dwDataOffset) + parent->cksize);
  }
  FOURCC wanted_id = ck->ckid;
  FOURCC wanted_type = ck->fccType;
  if (flags & MMIO_FINDRIFF) wanted_id = FOURCC_RIFF;
  if (flags & MMIO_FINDLIST) wanted_id = FOURCC_LIST;
  bool by_id = (flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST)) != 0;
  bool by_type = (flags & (MMIO_FINDRIFF | MMIO_FINDLIST)) != 0;

  std::int64_t pos = f->position();
  for (;;) {
    unsigned char header[12];
    if (pos + 8 > limit || pos + 8 > kMaxChunkEnd || f->ReadHeaderAt(pos, header, 8) != 8)
      return MMIOERR_CHUNKNOTFOUND;
    FOURCC id = Le32(header);
    // What cannot be a chunk is no chunk: a walk over zeros ends here.
    if (!IsChunkId(id)) return MMIOERR_CHUNKNOTFOUND;
    DWORD size = Le32(header + 4);
    std::int64_t data = pos + 8;
    std::int64_t end = data + size;
    bool is_list = id == FOURCC_RIFF || id == FOURCC_LIST;
    bool fits = end <= limit;
    FOURCC type = 0;
    if (is_list) {
      // A RIFF whose size was never written (0) still says what form it is.
      if ((size < 4 && id != FOURCC_RIFF) || data + 4 > limit || f->ReadHeaderAt(data, header + 8, 4) != 4) {
        fits = false;
      } else {
        type = Le32(header + 8);
        fits = fits && size >= 4;
      }
    }
    bool match = !by_id || (id == wanted_id && (!by_type || (is_list && type == wanted_type)));
    if (match) {
      ck->ckid = id;
      ck->cksize = size;
      ck->fccType = type;
      ck->dwDataOffset = static_cast<DWORD>(data);
      ck->dwFlags = 0;
      if (!fits) {
        // Refused; the caller may still look at the header and the data.
        f->set_position(data);
        return MMIOERR_INVALIDFILE;
      }
      f->set_position(data + (is_list ? 4 : 0));
      return 0;
    }
    // A length that runs past the end cannot be stepped over.
    if (!fits) return MMIOERR_CHUNKNOTFOUND;
    pos = NextChunkStart(HeaderReader(f), end, (size & 1) != 0, limit);
  }
}

MMRESULT mmioAscend(HMMIO file, LPMMCKINFO ck, UINT flags) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr || ck == nullptr) return MMIOERR_CANNOTSEEK;
  std::int64_t data = ck->dwDataOffset;
  if (ck->dwFlags & MMIO_DIRTY) {
    std::int64_t end = f->position();
    if (end < data || data < 8) return MMIOERR_CANNOTSEEK;
    if (end - data > kMaxChunkEnd) return MMIOERR_CANNOTEXPAND;
    DWORD size = static_cast<DWORD>(end - data);
    if (size != ck->cksize) {
      unsigned char field[4];
      PutLe32(field, size);
      if (!f->WriteAt(data - 4, field, 4)) return MMIOERR_CANNOTWRITE;
      ck->cksize = size;
    }
    if (size & 1) {
      const unsigned char pad = 0;
      if (!f->WriteAt(end, &pad, 1)) return MMIOERR_CANNOTWRITE;
    }
    ck->dwFlags &= ~MMIO_DIRTY;
  }
  const std::int64_t end = data + ck->cksize;
  const bool odd = (ck->cksize & 1) != 0;
  std::int64_t next = end + (odd ? 1 : 0);
  const std::int64_t size = f->CanRead() ? f->Size() : -1;
  if (size >= 0) next = NextChunkStart(HeaderReader(f), end, odd, size);
  f->set_position(next);
  return 0;
}

MMRESULT mmioCreateChunk(HMMIO file, LPMMCKINFO ck, UINT flags) {
  MmioFile* f = FromHandle(file);
  if (f == nullptr || ck == nullptr || !f->CanWrite()) return MMIOERR_CANNOTWRITE;
  if (flags & MMIO_CREATERIFF) ck->ckid = FOURCC_RIFF;
  if (flags & MMIO_CREATELIST) ck->ckid = FOURCC_LIST;
  bool is_list = (flags & (MMIO_CREATERIFF | MMIO_CREATELIST)) != 0;
  std::int64_t pos = f->position();
  size_t length = is_list ? 12 : 8;
  if (pos + static_cast<std::int64_t>(length) > kMaxChunkEnd) return MMIOERR_CANNOTEXPAND;
  unsigned char header[12];
  PutLe32(header, ck->ckid);
  PutLe32(header + 4, ck->cksize);
  PutLe32(header + 8, ck->fccType);
  if (!f->WriteAt(pos, header, length)) return MMIOERR_CANNOTWRITE;
  ck->dwDataOffset = static_cast<DWORD>(pos + 8);
  ck->dwFlags = MMIO_DIRTY;
  f->set_position(pos + static_cast<std::int64_t>(length));
  return 0;
}
