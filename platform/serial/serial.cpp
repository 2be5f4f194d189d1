#include "platform/serial/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/core/errors.h"
#include "platform/core/handle.h"
#include "platform/core/time.h"

namespace {

class CommPort : public KernelObject {
 public:
  explicit CommPort(int fd) : fd(fd) {}
  ~CommPort() override {
    if (fd >= 0) close(fd);
  }
  int fd;
  std::mutex lock;
  DCB state;
  COMMTIMEOUTS timeouts;
};

CommPort* PortOf(HANDLE handle) {
  auto* port = HandleAs<CommPort>(handle);
  if (port == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return port;
}

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case EBUSY:
      return ERROR_BUSY;
    case ENOTTY:
      return ERROR_INVALID_HANDLE;
    case EIO:
      return ERROR_IO_DEVICE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

struct Speed {
  DWORD baud;
  speed_t code;
};
constexpr Speed kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedCode(DWORD baud, speed_t* code) {
  for (const Speed& s : kSpeeds) {
    if (s.baud == baud) {
      *code = s.code;
      return true;
    }
  }
  return false;
}

DWORD BaudOf(speed_t code) {
  for (const Speed& s : kSpeeds) {
    if (s.code == code) return s.baud;
  }
  return 0;
}

// The settings the terminal holds now (stop bits 1.5 read as two).
DCB StateOf(const termios& t) {
  DCB d;
  d.BaudRate = BaudOf(cfgetospeed(&t));
  switch (t.c_cflag & CSIZE) {
    case CS5: d.ByteSize = 5; break;
    case CS6: d.ByteSize = 6; break;
    case CS7: d.ByteSize = 7; break;
    default: d.ByteSize = 8; break;
  }
  if ((t.c_cflag & PARENB) == 0) {
    d.Parity = NOPARITY;
  } else if (t.c_cflag & CMSPAR) {
    d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  } else {
    d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  }
  d.fParity = (t.c_iflag & INPCK) ? 1 : 0;
  d.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  return d;
}

// Milliseconds left of a total that started at start; INFINITE without one.
DWORD Left(DWORD total, DWORD start) {
  if (total == INFINITE) return INFINITE;
  const DWORD spent = GetTickCount() - start;
  return spent >= total ? 0 : total - spent;
}

// Waits for the descriptor in slices of real time, so that the deadline
// follows the program's clock even when a test drives it.
int WaitReady(int fd, short events, DWORD leftMs) {
  pollfd p{fd, events, 0};
  const int slice = leftMs == INFINITE ? 50 : static_cast<int>(std::min<DWORD>(leftMs, 5));
  int r;
  do {
    r = poll(&p, 1, slice);
  } while (r < 0 && errno == EINTR);
  if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) return -1;
  if (r > 0 && (p.revents & POLLHUP) && !(p.revents & events)) return -1;
  return r;
}

}  // namespace

bool CommDevicePath(LPCSTR name, char* path, DWORD size) {
  if (name == nullptr || path == nullptr || size == 0) return false;
  path[0] = '\0';
  const char* n = name;
  if (std::strncmp(n, "\\\\.\\", 4) == 0) n += 4;
  if (n[0] == '/') {
    if (std::strlen(n) >= size) return false;
    std::strcpy(path, n);
    return true;
  }
  if (std::toupper(static_cast<unsigned char>(n[0])) != 'C' ||
      std::toupper(static_cast<unsigned char>(n[1])) != 'O' ||
      std::toupper(static_cast<unsigned char>(n[2])) != 'M')
    return false;
  const char* digits = n + 3;
  if (*digits == '\0' || std::strlen(digits) > 3) return false;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  }
  const int number = std::atoi(digits);
  if (number < 1) return false;
  const int written = std::snprintf(path, size, "/dev/ttyS%d", number - 1);
  return written > 0 && static_cast<DWORD>(written) < size;
}

HANDLE OpenCommPort(LPCSTR name) {
  char path[4096];
  if (!CommDevicePath(name, path, sizeof path)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  int fd;
  do {
    fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    SetLastError(ErrorOf(errno));
    return INVALID_HANDLE_VALUE;
  }
  termios t{};
  if (!isatty(fd) || tcgetattr(fd, &t) != 0) {
    close(fd);
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  // Raw bytes both ways: no echo, no line editing, no translation.
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &t) != 0) {
    const int error = errno;
    close(fd);
    SetLastError(ErrorOf(error));
    return INVALID_HANDLE_VALUE;
  }
  auto* port = new CommPort(fd);
  port->state = StateOf(t);
  return ToHandle(port);
}

BOOL GetCommState(HANDLE handle, LPDCB dcb) {
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  if (dcb == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(port->lock);
  *dcb = port->state;
  return TRUE;
}

BOOL SetCommState(HANDLE handle, LPDCB dcb) {
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  speed_t speed;
  if (dcb == nullptr || !SpeedCode(dcb->BaudRate, &speed) || dcb->ByteSize < 5 || dcb->ByteSize > 8 ||
      dcb->Parity > SPACEPARITY || dcb->StopBits > TWOSTOPBITS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(port->lock);
  termios t{};
  if (tcgetattr(port->fd, &t) != 0) {
    SetLastError(ErrorOf(errno));
    return FALSE;
  }
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= kSizes[dcb->ByteSize - 5];
  switch (dcb->Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (dcb->fParity && dcb->Parity != NOPARITY) {
    t.c_iflag |= INPCK;
  } else {
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
  }
  // Termios has no one and a half: the line sends two.
  if (dcb->StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
  if (tcsetattr(port->fd, TCSANOW, &t) != 0) {
    const int error = errno;
    // A line that carries no parity and only eight bits (a pseudo-terminal)
    // takes the rest and says EINVAL: what it could take is set.
    termios now{};
    const tcflag_t kept = CSTOPB | CLOCAL | CREAD;
    if (error != EINVAL || tcgetattr(port->fd, &now) != 0 || cfgetospeed(&now) != speed ||
        (now.c_cflag & kept) != (t.c_cflag & kept) || (now.c_iflag & INPCK) != (t.c_iflag & INPCK)) {
      SetLastError(ErrorOf(error));
      return FALSE;
    }
  }
  port->state = *dcb;
  port->state.DCBlength = sizeof(DCB);
  return TRUE;
}

BOOL GetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  if (timeouts == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(port->lock);
  *timeouts = port->timeouts;
  return TRUE;
}

BOOL SetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  if (timeouts == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(port->lock);
  port->timeouts = *timeouts;
  return TRUE;
}

BOOL PurgeComm(HANDLE handle, DWORD flags) {
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  const bool in = (flags & (PURGE_RXCLEAR | PURGE_RXABORT)) != 0;
  const bool out = (flags & (PURGE_TXCLEAR | PURGE_TXABORT)) != 0;
  if (!in && !out) return TRUE;
  if (tcflush(port->fd, in && out ? TCIOFLUSH : in ? TCIFLUSH : TCOFLUSH) != 0) {
    SetLastError(ErrorOf(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL ReadComm(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD read) {
  if (read != nullptr) *read = 0;
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  if (count > 0 && buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  COMMTIMEOUTS t;
  {
    std::lock_guard<std::mutex> hold(port->lock);
    t = port->timeouts;
  }
  const bool atOnce =
      t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const uint64_t totalWide = static_cast<uint64_t>(t.ReadTotalTimeoutMultiplier) * count + t.ReadTotalTimeoutConstant;
  const DWORD total = t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0
                          ? INFINITE
                          : static_cast<DWORD>(std::min<uint64_t>(totalWide, INFINITE - 1));
  const DWORD interval = t.ReadIntervalTimeout == 0 || t.ReadIntervalTimeout == MAXDWORD ? INFINITE
                                                                                       : t.ReadIntervalTimeout;
  auto* bytes = static_cast<BYTE*>(buffer);
  DWORD got = 0;
  const DWORD start = GetTickCount();
  DWORD lastByte = start;
  while (got < count) {
    const ssize_t n = ::read(port->fd, bytes + got, count - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      lastByte = GetTickCount();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EIO) {
      SetLastError(ErrorOf(errno));
      if (read != nullptr) *read = got;
      return FALSE;
    }
    // Nothing there now (EIO: the other end of a pseudo-terminal is not
    // open at the moment; wait as for silence).
    if (atOnce) break;
    DWORD left = Left(total, start);
    if (got > 0 && interval != INFINITE) left = std::min(left, Left(interval, lastByte));
    if (left == 0) break;
    if (WaitReady(port->fd, POLLIN, left) < 0) {
      // A hung-up line reads as silence until the time-out.
      if (total == INFINITE) break;
      Sleep(std::min<DWORD>(left, 5));
    }
  }
  if (read != nullptr) *read = got;
  return TRUE;
}

BOOL WriteComm(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD written) {
  if (written != nullptr) *written = 0;
  CommPort* port = PortOf(handle);
  if (port == nullptr) return FALSE;
  if (count > 0 && buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  COMMTIMEOUTS t;
  {
    std::lock_guard<std::mutex> hold(port->lock);
    t = port->timeouts;
  }
  const uint64_t totalWide =
      static_cast<uint64_t>(t.WriteTotalTimeoutMultiplier) * count + t.WriteTotalTimeoutConstant;
  const DWORD total = totalWide == 0 ? INFINITE : static_cast<DWORD>(std::min<uint64_t>(totalWide, INFINITE - 1));
  const auto* bytes = static_cast<const BYTE*>(buffer);
  DWORD put = 0;
  const DWORD start = GetTickCount();
  while (put < count) {
    const ssize_t n = ::write(port->fd, bytes + put, count - put);
    if (n > 0) {
      put += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      SetLastError(ErrorOf(errno));
      if (written != nullptr) *written = put;
      return FALSE;
    }
    const DWORD left = Left(total, start);
    if (left == 0) break;
    if (WaitReady(port->fd, POLLOUT, left) < 0) {
      SetLastError(ERROR_IO_DEVICE);
      if (written != nullptr) *written = put;
      return FALSE;
    }
  }
  if (written != nullptr) *written = put;
  return TRUE;
}
