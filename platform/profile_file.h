// Profile (INI) files: named values in [sections] of a plain text file.
//
// Rules shared by reading and writing:
//  - Section and key names are compared without regard to ASCII case.
//  - Names and values are trimmed of blanks and tabs; after trimming, a value loses one pair of
//    matching surrounding quotes (both " or both ').
//  - Lines end in CR LF, LF or a lone CR; a UTF-8 byte order mark at the start is skipped.
//  - A line whose first non-blank character is ';' is a comment; a line in a section without
//    '=' is ignored, and so is everything before the first section.
//  - Only the first section of a given name counts, and within it only the first key of a
//    given name.
//  - Text is 8-bit and never converted.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Returns the value of key in section of the file at path, or defaultValue when the file,
// the section or the key is missing. Either result keeps at most bufferSize-1 bytes.
std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, size_t bufferSize,
                              const std::string& path);

// Returns the value of key read as a decimal integer with an optional sign, up to the first
// other character ("42A" is 42, "B" is 0); overflow wraps modulo 2^32. A missing file,
// section or key, or an empty value, gives defaultValue.
int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& path);

// Sets key in section to value (written as given), creating the file and the section when
// missing; a new key goes after the last non-blank line of its section. Every other line
// keeps its bytes and new lines take the file's line-end style. The file is replaced
// atomically, so readers see either the old or the new file; a new file gets mode 0600, an
// existing one keeps its mode. Returns false, leaving the file untouched, on failure.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path);

}  // namespace platform
