#include "platform/serial/serial.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/handle.h"
#include "platform/core/sync.h"
#include "support/simulated_deck.h"

namespace {

struct PortHandle {
  explicit PortHandle(const std::string& name) : h(OpenCommPort(name.c_str())) {}
  ~PortHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  HANDLE h;
};

std::vector<uint8_t> Exchange(HANDLE port, const std::vector<uint8_t>& packet, DWORD replySize) {
  DWORD moved = 0;
  EXPECT_TRUE(WriteComm(port, packet.data(), static_cast<DWORD>(packet.size()), &moved));
  EXPECT_EQ(moved, packet.size());
  std::vector<uint8_t> reply(replySize);
  EXPECT_TRUE(ReadComm(port, reply.data(), replySize, &moved));
  reply.resize(moved);
  return reply;
}

void SetHalfSecondTimeouts(HANDLE port) {
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 500;
  t.WriteTotalTimeoutConstant = 500;
  ASSERT_TRUE(SetCommTimeouts(port, &t));
}

TEST(SerialPort, NamesStandForDevices) {
  struct Case {
    const char* name;
    const char* device;  // null: no port
  };
  const Case cases[] = {
      {"COM1", "/dev/ttyS0"},  {"com2", "/dev/ttyS1"},        {"\\\\.\\COM10", "/dev/ttyS9"},
      {"/dev/pts/7", "/dev/pts/7"}, {"COM0", nullptr},       {"COM", nullptr},
      {"COMx", nullptr},       {"COM1x", nullptr},            {"LPT1", nullptr},
      {"", nullptr},           {"COM99999", nullptr},
  };
  for (const Case& c : cases) {
    char path[64] = "unchanged";
    const bool found = CommDevicePath(c.name, path, sizeof path);
    EXPECT_EQ(found, c.device != nullptr) << c.name;
    if (c.device != nullptr) {
      EXPECT_STREQ(path, c.device) << c.name;
    }
  }
}

TEST(SerialPort, WhatIsNoTerminalDoesNotOpen) {
  SetLastError(0);
  EXPECT_EQ(OpenCommPort("/dev/null"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenCommPort("/nonexistent/tty"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenCommPort("LPT1"), INVALID_HANDLE_VALUE);
}

TEST(SerialPort, StateReachesTheLineAndComesBack) {
  SimulatedDeck deck(SimulatedDeck::Kind::Betacam);
  ASSERT_TRUE(deck.ok());
  PortHandle port(deck.path());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  struct Case {
    DWORD baud;
    BYTE bits, parity, stop;
    bool twoStopBits;  // on the line
    speed_t speed;
  };
  const Case cases[] = {
      {38400, 8, ODDPARITY, TWOSTOPBITS, true, B38400},
      {9600, 7, EVENPARITY, ONESTOPBIT, false, B9600},
      {19200, 8, MARKPARITY, ONESTOPBIT, false, B19200},
      {4800, 6, SPACEPARITY, ONE5STOPBITS, true, B4800},
      {115200, 5, NOPARITY, ONESTOPBIT, false, B115200},
  };
  for (const Case& c : cases) {
    DCB dcb;
    ASSERT_TRUE(GetCommState(port.h, &dcb));
    dcb.BaudRate = c.baud;
    dcb.ByteSize = c.bits;
    dcb.fParity = 1;
    dcb.Parity = c.parity;
    dcb.StopBits = c.stop;
    ASSERT_TRUE(SetCommState(port.h, &dcb)) << c.baud;
    DCB back;
    ASSERT_TRUE(GetCommState(port.h, &back));
    EXPECT_EQ(back.BaudRate, c.baud);
    EXPECT_EQ(back.ByteSize, c.bits);
    EXPECT_EQ(back.Parity, c.parity);
    EXPECT_EQ(back.StopBits, c.stop);
    // The terminal itself, seen through another descriptor. A pseudo-terminal
    // keeps eight bits and no parity whatever it is told; speed, stop bits,
    // parity checking and raw mode it keeps.
    const int fd = open(deck.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    close(fd);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStopBits) << c.baud;
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ((t.c_iflag & INPCK) != 0, c.parity != NOPARITY) << c.baud;
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON), 0u);
  }
  DCB bad;
  ASSERT_TRUE(GetCommState(port.h, &bad));
  bad.BaudRate = 12345;
  SetLastError(0);
  EXPECT_FALSE(SetCommState(port.h, &bad));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  bad.BaudRate = 9600;
  bad.ByteSize = 9;
  EXPECT_FALSE(SetCommState(port.h, &bad));
}

TEST(SerialPort, ReadsAndWritesBytesWithinTheirTimeOuts) {
  SimulatedDeck deck(SimulatedDeck::Kind::Betacam);
  ASSERT_TRUE(deck.ok());
  PortHandle port(deck.path());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetHalfSecondTimeouts(port.h);
  COMMTIMEOUTS back;
  ASSERT_TRUE(GetCommTimeouts(port.h, &back));
  EXPECT_EQ(back.ReadTotalTimeoutConstant, 500u);
  EXPECT_EQ(back.WriteTotalTimeoutConstant, 500u);

  // Stop, then the time: every byte of the replies comes through unchanged
  // (0x0D and 0x11 among them would not on a cooked line).
  EXPECT_EQ(Exchange(port.h, {0x20, 0x00, 0x20}, 3), (std::vector<uint8_t>{0x10, 0x01, 0x11}));
  deck.SetPosition(13 * 60000 + 11 * 1000 + 17 * 40);
  const std::vector<uint8_t> time = Exchange(port.h, {0x61, 0x0C, 0x01, 0x6E}, 7);
  ASSERT_EQ(time.size(), 7u);
  EXPECT_EQ(time[0], 0x74);
  EXPECT_EQ(time[2], 0x17);
  EXPECT_EQ(time[3], 0x11);
  EXPECT_EQ(time[4], 0x13);

  // A silent deck: the read ends on its total with nothing, and succeeds.
  deck.SetBehaviour(SimulatedDeck::Behaviour::Silent);
  COMMTIMEOUTS quick;
  quick.ReadTotalTimeoutConstant = 20;
  ASSERT_TRUE(SetCommTimeouts(port.h, &quick));
  EXPECT_TRUE(Exchange(port.h, {0x20, 0x00, 0x20}, 3).empty());

  // Bytes waiting on the line are dropped by a purge of the input.
  deck.Inject({1, 2, 3});
  ASSERT_TRUE(PurgeComm(port.h, PURGE_RXCLEAR | PURGE_RXABORT));
  std::vector<uint8_t> left(3);
  DWORD got = 99;
  EXPECT_TRUE(ReadComm(port.h, left.data(), 3, &got));
  EXPECT_EQ(got, 0u);

  // Without totals and with the interval at its top a read takes what is there.
  deck.Inject({7});
  COMMTIMEOUTS atOnce;
  atOnce.ReadIntervalTimeout = MAXDWORD;
  ASSERT_TRUE(SetCommTimeouts(port.h, &atOnce));
  for (int i = 0; i < 200 && got == 0; ++i) {
    ASSERT_TRUE(ReadComm(port.h, left.data(), 3, &got));
    if (got == 0) Sleep(1);
  }
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(left[0], 7);
}

TEST(SerialPort, OtherHandlesAreRefused) {
  DCB dcb;
  SetLastError(0);
  EXPECT_FALSE(GetCommState(nullptr, &dcb));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  DWORD moved = 5;
  EXPECT_FALSE(ReadComm(event, &dcb, 1, &moved));
  EXPECT_EQ(moved, 0u);
  CloseHandle(event);
}

}  // namespace
