// A second process for the message-window tests.
//   window_peer [--as-uid N] own TITLE FILE   open a window, write its handle to FILE, then
//                                             sleep without ever serving a message
//   window_peer [--as-uid N] post HANDLE      exit 0 when the post went through, else 1
//   window_peer [--as-uid N] find TITLE       exit 0 when a window with TITLE is found, else 1
#include <grp.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/window_messages.h"

int main(int argc, char** argv) {
  int i = 1;
  if (i + 1 < argc && std::string(argv[i]) == "--as-uid") {
    const uid_t uid = static_cast<uid_t>(atoi(argv[i + 1]));
    if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) return 3;
    i += 2;
  }
  if (i + 1 >= argc) return 2;
  const std::string op = argv[i], arg = argv[i + 1];
  if (op == "own" && i + 2 < argc) {
    auto window = platform::MessageWindow::Open(arg);
    if (!window) return 4;
    const std::string file = argv[i + 2];
    std::ofstream(file + ".tmp") << window->handle();
    rename((file + ".tmp").c_str(), file.c_str());
    for (;;) pause();
  }
  if (op == "post")
    return platform::PostWindowMessage(static_cast<uint32_t>(atol(arg.c_str())), 1, 2, 3) ? 0 : 1;
  if (op == "find") return platform::FindWindowByTitle(arg) != 0 ? 0 : 1;
  return 2;
}
