// A stream tool library of the tests' own: it keeps every command it is
// given, and fails the one it is told to. A test hands it its script with
// the private command kFakeToolAttach.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/types.h"

constexpr int kFakeToolAttach = 99;

struct FakeToolCall {
  int command = -1;
  int32_t deviceId = 0;        // open
  HWND window = nullptr;       // open
  uint32_t value = 0;          // time division, tempo
  std::vector<uint8_t> bytes;  // a queued buffer's records
};

struct FakeToolScript {
  std::vector<FakeToolCall> calls;
  int failCommand = -1;
  int failResult = 0;
  int position = 0;  // what the position command answers

  std::vector<int> Commands() const {
    std::vector<int> out;
    for (const FakeToolCall& c : calls) out.push_back(c.command);
    return out;
  }
};
