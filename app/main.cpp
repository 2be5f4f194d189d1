// The kobrix program: a thin entry over the system library.
#include <csignal>

#include "app/owl_main.h"
#include "model/ini.h"

int main(int argc, char** argv) {
  // A write to a connection whose other end is gone (the X server ended at
  // a logout, a reader of the output went away) fails and is reported by
  // the write; the signal would end the program before its work is kept.
  std::signal(SIGPIPE, SIG_IGN);
  IniRemoveStaleTemporaries();
  return OwlMain(argc, argv);
}
