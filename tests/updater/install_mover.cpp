// Finishes the staged install of the app folder given as its argument, saying "moving" first, so
// that a test can end it at random moments of the moves.
#include <cstdio>

#include "updater/staged_install.hpp"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::puts("moving");
  std::fflush(stdout);
  zentomi::PosixFileSystem files;
  const auto installed = zentomi::install_staged(files, argv[1]);
  if (!installed) {
    std::fprintf(stderr, "%s\n", installed.error().c_str());
    return 1;
  }
  std::puts("moved");
  return 0;
}
