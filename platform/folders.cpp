#include "platform/folders.h"

#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

std::string EnvOr(const char* name) {
  const char* value = getenv(name);
  return value && *value ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = EnvOr("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid())) return pw->pw_dir ? pw->pw_dir : "";
  return "";
}

// $xdgVariable, or ~/fallback when it is unset; relative XDG values are ignored as the
// base-directory rules require.
std::string XdgFolder(const char* xdgVariable, const char* fallback) {
  std::string base = EnvOr(xdgVariable);
  if (base.empty() || base[0] != '/') base = HomeFolder() + "/" + fallback;
  return base;
}

}  // namespace

std::string WithTrailingSlash(const std::string& text) {
  if (text.empty() || text.back() == '/') return text;
  return text + "/";
}

bool EnsurePrivateFolder(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    // Create the parents first, one level at a time.
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
      mkdir(path.substr(0, slash).c_str(), 0700);
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (stat(path.c_str(), &st) != 0) return false;
  }
  if (!S_ISDIR(st.st_mode)) return false;
  if (st.st_uid == getuid() && (st.st_mode & 077) != 0) chmod(path.c_str(), 0700);
  return true;
}

std::string ProgramFolder() {
  char buffer[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return "";
  std::string exe(buffer, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash + 1);
}

std::string SystemFolder() {
  std::string folder = EnvOr("QUORBIT_SYSTEM_DIR");
  if (folder.empty()) folder = XdgFolder("XDG_STATE_HOME", ".local/state") + "/quorbit/system";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  EnsurePrivateFolder(folder);
  return WithTrailingSlash(folder);
}

std::string WindowsFolder() {
  std::string folder = EnvOr("QUORBIT_WINDOWS_DIR");
  if (folder.empty()) folder = XdgFolder("XDG_DATA_HOME", ".local/share") + "/quorbit";
  return WithTrailingSlash(folder);
}

}  // namespace platform
