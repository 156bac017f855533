// The two keyed transforms both programs agree on byte for byte: job command lines and the web
// address travel as capital-letter text, and the encoder ships as a package whose first 1000
// bytes are scrambled.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace common {

// Raised when a file cannot be read or written; the text names the path and the system's reason.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Added to plain byte i (key byte i mod 4) before a byte becomes two letters.
inline constexpr std::array<uint8_t, 4> ScrambleKey = {0x03, 0x2D, 0x71, 0x6B};

// The seed under which the encoder package is scrambled and unpacked.
constexpr uint16_t UnpackSeed = 2879;

// Encodes plain bytes as twice as many capital letters, the first of each pair in 'A'..'J'.
// Never fails.
std::string ScrambleText(const std::string& plain);

// Reverses ScrambleText. Never fails: an odd last character is ignored and any other character
// simply yields whatever byte the pair arithmetic gives.
std::string UnscrambleText(const std::string& text);

// Replaces destinationPath by the unscrambled copy of sourcePath (same size; only bytes 0..999
// change). The destination is deleted first, so it is absent after any failure. afterFirstByte,
// when given, runs once after the first byte so the caller can handle pending window messages.
// Throws FileError "Cannot open file ..." when the source is missing, unreadable or shorter than
// 1000 bytes, and "Cannot create file ..." when the destination cannot be written.
void UnscrambleFile(const std::string& sourcePath, const std::string& destinationPath,
                    uint16_t seed, const std::function<void()>& afterFirstByte = {});

// The packaging direction: writes the scrambled copy of sourcePath that UnscrambleFile with the
// same seed turns back into it. Same deletion and errors as UnscrambleFile.
void ScrambleFile(const std::string& sourcePath, const std::string& destinationPath, uint16_t seed);

}  // namespace common
