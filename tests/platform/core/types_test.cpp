#include "platform/core/types.h"

#include <gtest/gtest.h>

// The stored formats rely on these widths; LP64 Linux must not widen them.
TEST(Types, WidthsMatchTheStoredFormats) {
  EXPECT_EQ(sizeof(DWORD), 4u);
  EXPECT_EQ(sizeof(LONG), 4u);
  EXPECT_EQ(sizeof(WORD), 2u);
  EXPECT_EQ(mmioFOURCC('R', 'I', 'F', 'F'), 0x46464952u);
  EXPECT_EQ(MAKELONG(0x1234, 0xABCD), 0xABCD1234u);
  EXPECT_EQ(HIWORD(0xABCD1234u), 0xABCD);
}
