// Globally unique ids: class ids (CLSID) and interface ids (IID), their
// braced text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and the 16 bytes
// in which files store them.
#pragma once

#include <cstring>

#include "platform/core/types.h"

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};
};
using CLSID = GUID;
using IID = GUID;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;
using REFIID = const GUID&;
using LPCLSID = CLSID*;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
  return IsEqualGUID(a, b);
}
constexpr bool IsEqualIID(REFIID a, REFIID b) {
  return IsEqualGUID(a, b);
}
constexpr bool operator==(REFGUID a, REFGUID b) {
  return IsEqualGUID(a, b);
}

inline constexpr GUID GUID_NULL{};
inline constexpr CLSID CLSID_NULL{};

// Length of the braced text form, without the terminator.
constexpr int kGuidTextLength = 38;
// Bytes of a GUID as files store it.
constexpr int kGuidByteSize = 16;

// The file layout: Data1, Data2 and Data3 little-endian, then the 8 bytes of
// Data4 as they stand.
void GuidToBytes(REFGUID guid, BYTE bytes[kGuidByteSize]);
GUID GuidFromBytes(const BYTE bytes[kGuidByteSize]);

// The braced form in upper-case hex into buffer of size characters; returns
// the characters written with the terminator (39), or 0 when size is too
// small.
int StringFromGUID2(REFGUID guid, LPSTR buffer, int size);
// Parses exactly the braced form (hex digits of either case, nothing before
// or after); false otherwise, guid untouched.
bool GuidFromText(const char* text, GUID* guid);
