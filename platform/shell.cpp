#include "platform/shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <thread>

namespace platform {

bool StartDetached(const std::vector<std::string>& argv, ChildProcess* child, std::string* error) {
  UniqueFd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!devNull.held()) {
    if (error) *error = "cannot open /dev/null";
    return false;
  }
  return LaunchArgv(argv, devNull.get(), devNull.get(), devNull.get(), LaunchOptions{}, child,
                    error);
}

bool OpenInDesktop(const std::string& folderOrUrl) {
  ChildProcess opener;
  if (!StartDetached({"xdg-open", folderOrUrl}, &opener)) return false;
  // xdg-open returns quickly once it has handed the target on; reap it off this thread.
  std::thread([child = std::move(opener)]() mutable { child.ReapAndRelease(); }).detach();
  return true;
}

}  // namespace platform
