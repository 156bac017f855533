// Handing things to the desktop, and starting programs that run on their own.
#pragma once

#include <string>
#include <vector>

#include "platform/process.h"

namespace platform {

// Starts argv detached: a session of its own, standard streams on /dev/null. The caller
// keeps *child to learn (through its pidfd) that the program has ended, and must reap it.
// False with *error set when the program cannot be started.
bool StartDetached(const std::vector<std::string>& argv, ChildProcess* child,
                   std::string* error = nullptr);

// Opens a folder or a web address in the desktop's handler (xdg-open). Returns once the
// handler has been started; false when it could not be. The handler is reaped in the
// background.
bool OpenInDesktop(const std::string& folderOrUrl);

}  // namespace platform
