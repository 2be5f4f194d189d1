// qovtool1 [PATH]: the outside editor the program offers for a video whose
// parameters differ from the project's, and the collection's Convert AVI
// (with the selected tile's file, or none). It is started and left to
// itself; editing the file is the user's business there, so it only ends.
#include <cstdio>

int main(int argc, char** argv) {
  (void)argv;
  if (argc > 2) {
    std::fprintf(stderr, "usage: qovtool1 [PATH]\n");
    return 1;
  }
  return 0;
}
