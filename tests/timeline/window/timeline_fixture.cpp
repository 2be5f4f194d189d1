#include "timeline_fixture.h"

namespace timelinetest {

// clang-format off
DEFINE_RESPONSE_TABLE1(TestFrame, TDecoratedFrame)
  EV_COMMAND(kCmSettings, CmSettings),
END_RESPONSE_TABLE;
// clang-format on

}  // namespace timelinetest
