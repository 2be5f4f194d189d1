#include "platform/components/guid.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/components/audio_effect.h"
#include "platform/components/com.h"

namespace {

TEST(Guid, TextFormOfTheEffectInterface) {
  char text[40];
  ASSERT_EQ(StringFromGUID2(IID_IAudioEffect, text, sizeof text), 39);
  EXPECT_STREQ(text, "{7EC0C980-E8B3-11D0-B689-0040F600D847}");
  GUID back;
  ASSERT_TRUE(GuidFromText(text, &back));
  EXPECT_EQ(back, IID_IAudioEffect);
  // Too small a buffer gives 0 and writes nothing.
  char small[38] = "untouched";
  EXPECT_EQ(StringFromGUID2(IID_IAudioEffect, small, sizeof small), 0);
  EXPECT_STREQ(small, "untouched");
}

TEST(Guid, ParsingAcceptsOnlyTheBracedForm) {
  struct Case {
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {"{7ec0c980-e8b3-11d0-b689-0040f600d847}", true},
      {"{7EC0C980-E8B3-11D0-B689-0040F600D847}", true},
      {"7EC0C980-E8B3-11D0-B689-0040F600D847", false},
      {"{7EC0C980-E8B3-11D0-B689-0040F600D847}x", false},
      {"{7EC0C980-E8B3-11D0-B689-0040F600D84}", false},
      {"{7EC0C980-E8B3-11D0-B6890-040F600D847}", false},
      {"{7EC0C980-E8B3-11D0-B689-0040F600D8G7}", false},
      {"{7EC0C980+E8B3-11D0-B689-0040F600D847}", false},
      {"(7EC0C980-E8B3-11D0-B689-0040F600D847)", false},
      {"", false},
      {"KOBRIX.Gain", false},
  };
  for (const Case& c : cases) {
    GUID g{0x11111111};
    EXPECT_EQ(GuidFromText(c.text, &g), c.ok) << c.text;
    if (c.ok)
      EXPECT_EQ(g, IID_IAudioEffect) << c.text;
    else
      EXPECT_EQ(g.Data1, 0x11111111u) << c.text;
    CLSID clsid;
    EXPECT_EQ(CLSIDFromString(c.text, &clsid), c.ok ? NOERROR : CO_E_CLASSSTRING) << c.text;
  }
  EXPECT_FALSE(GuidFromText(nullptr, nullptr));
}

// Files hold Data1, Data2 and Data3 little-endian, then Data4 as it stands.
TEST(Guid, FileByteOrder) {
  const GUID g{0x01020304, 0x0506, 0x0708, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}};
  BYTE bytes[16];
  GuidToBytes(g, bytes);
  const BYTE expected[16] = {0x04, 0x03, 0x02, 0x01, 0x06, 0x05, 0x08, 0x07,
                             0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], expected[i]) << i;
  EXPECT_EQ(GuidFromBytes(bytes), g);

  GuidToBytes(IID_IAudioEffect, bytes);
  const BYTE effect[16] = {0x80, 0xC9, 0xC0, 0x7E, 0xB3, 0xE8, 0xD0, 0x11,
                           0xB6, 0x89, 0x00, 0x40, 0xF6, 0x00, 0xD8, 0x47};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], effect[i]) << i;
}

TEST(Guid, Comparison) {
  GUID a = IID_IAudioEffect;
  EXPECT_TRUE(IsEqualGUID(a, IID_IAudioEffect));
  a.Data4[7] ^= 1;
  EXPECT_FALSE(IsEqualGUID(a, IID_IAudioEffect));
  EXPECT_FALSE(IsEqualIID(IID_IUnknown, IID_IClassFactory));
  EXPECT_TRUE(IsEqualCLSID(GUID_NULL, CLSID_NULL));
}

}  // namespace
