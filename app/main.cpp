// The kobrix program: a thin entry over the system library.
#include "app/owl_main.h"
#include "model/ini.h"

int main(int argc, char** argv) {
  IniRemoveStaleTemporaries();
  return OwlMain(argc, argv);
}
