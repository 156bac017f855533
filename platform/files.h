// Whole-file operations whose failures the callers mostly ignore.
#pragma once

#include <string>

namespace platform {

// Removes the file at path; false when it could not be removed (a missing file included).
bool DeleteFile(const std::string& path);

// Copies source over destination, replacing it; false on any failure.
bool CopyFile(const std::string& source, const std::string& destination);

// Creates one folder; false when it could not be created (an existing one included).
bool CreateDirectory(const std::string& path);

}  // namespace platform
