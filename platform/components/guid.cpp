#include "platform/components/guid.h"

#include <cstdio>

void GuidToBytes(REFGUID guid, BYTE bytes[kGuidByteSize]) {
  bytes[0] = static_cast<BYTE>(guid.Data1);
  bytes[1] = static_cast<BYTE>(guid.Data1 >> 8);
  bytes[2] = static_cast<BYTE>(guid.Data1 >> 16);
  bytes[3] = static_cast<BYTE>(guid.Data1 >> 24);
  bytes[4] = static_cast<BYTE>(guid.Data2);
  bytes[5] = static_cast<BYTE>(guid.Data2 >> 8);
  bytes[6] = static_cast<BYTE>(guid.Data3);
  bytes[7] = static_cast<BYTE>(guid.Data3 >> 8);
  for (int i = 0; i < 8; ++i) bytes[8 + i] = guid.Data4[i];
}

GUID GuidFromBytes(const BYTE bytes[kGuidByteSize]) {
  GUID guid;
  guid.Data1 = static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
               (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
  guid.Data2 = static_cast<WORD>(bytes[4] | (bytes[5] << 8));
  guid.Data3 = static_cast<WORD>(bytes[6] | (bytes[7] << 8));
  for (int i = 0; i < 8; ++i) guid.Data4[i] = bytes[8 + i];
  return guid;
}

int StringFromGUID2(REFGUID guid, LPSTR buffer, int size) {
  if (buffer == nullptr || size < kGuidTextLength + 1) return 0;
  std::snprintf(buffer, static_cast<size_t>(size), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return kGuidTextLength + 1;
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// digits hex digits from text at *pos into *value.
bool ReadHex(const char* text, int* pos, int digits, unsigned long long* value) {
  unsigned long long v = 0;
  for (int i = 0; i < digits; ++i) {
    int d = HexValue(text[*pos + i]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<unsigned>(d);
  }
  *pos += digits;
  *value = v;
  return true;
}

}  // namespace

bool GuidFromText(const char* text, GUID* guid) {
  if (text == nullptr || guid == nullptr) return false;
  // Bounded scan: a text shorter than the form stops at its terminator,
  // which is never a hex digit or a separator.
  for (int i = 0; i < kGuidTextLength; ++i)
    if (text[i] == '\0') return false;
  if (text[kGuidTextLength] != '\0') return false;
  if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
      text[37] != '}')
    return false;
  GUID g;
  unsigned long long v = 0;
  int pos = 1;
  if (!ReadHex(text, &pos, 8, &v)) return false;
  g.Data1 = static_cast<DWORD>(v);
  ++pos;
  if (!ReadHex(text, &pos, 4, &v)) return false;
  g.Data2 = static_cast<WORD>(v);
  ++pos;
  if (!ReadHex(text, &pos, 4, &v)) return false;
  g.Data3 = static_cast<WORD>(v);
  ++pos;
  for (int i = 0; i < 8; ++i) {
    if (i == 2) ++pos;  // the last separator
    if (!ReadHex(text, &pos, 2, &v)) return false;
    g.Data4[i] = static_cast<BYTE>(v);
  }
  *guid = g;
  return true;
}
