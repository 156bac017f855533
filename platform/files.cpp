#include "platform/files.h"

#include <filesystem>

namespace platform {

namespace fs = std::filesystem;

bool DeleteFile(const std::string& path) {
  std::error_code ec;
  // A folder is not a file: refuse it rather than remove an empty folder by accident.
  if (fs::is_directory(fs::symlink_status(path, ec))) return false;
  return fs::remove(path, ec) && !ec;
}

bool CopyFile(const std::string& source, const std::string& destination) {
  std::error_code ec;
  return fs::copy_file(source, destination, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool CreateDirectory(const std::string& path) {
  std::error_code ec;
  return fs::create_directory(path, ec) && !ec;
}

}  // namespace platform
