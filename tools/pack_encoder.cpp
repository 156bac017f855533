// Packaging step: turns the encoder executable into the package installed beside quorbit.
//
//   pack_encoder <encoder> <package>
//
// quorbit unpacks the package into the system folder at start-up.
#include <cstdio>

#include "common/text_codec.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <encoder> <package>\n", argv[0]);
    return 2;
  }
  try {
    common::ScrambleFile(argv[1], argv[2], common::UnpackSeed);
  } catch (const common::FileError& e) {
    std::fprintf(stderr, "pack_encoder: %s\n", e.what());
    return 1;
  }
  return 0;
}
