// The input as a thumbnail file the probe left behind.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "main/jpeg_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputFile& file = fuzz::InputFile::Get();
  file.Write(data, size);
  int width = -1;
  int height = -1;
  // A JPEG image is 1 to 65535 pixels each way.
  if (quorbit::ReadJpegSize(file.path(), &width, &height))
    FUZZ_CHECK(width >= 1 && width <= 65535 && height >= 1 && height <= 65535);
  return 0;
}
