// The size of a JPEG image, read with libjpeg without decoding the pixels.
#pragma once

#include <string>

namespace quorbit {

// Reads the width and height of the JPEG file at path. False when the file is missing,
// unreadable or not a JPEG image; a libjpeg error never ends the process.
bool ReadJpegSize(const std::string& path, int* width, int* height);

}  // namespace quorbit
