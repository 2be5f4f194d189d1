// The kobrix program: a thin entry over the system library.
#include <cstdio>

#include "app/version.h"
#include "model/ini.h"

int main(int argc, char** argv) {
  IniRemoveStaleTemporaries();
  std::printf(
      "%s, a multitrack audio and video editor.\n"
      "Its windows are not built yet: this build holds the platform layer and the\n"
      "project model, which the test suite exercises (make test).\n",
      kKobrixVersion);
  return 0;
}
