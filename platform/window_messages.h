// Message windows: how quorbit and norcel talk. A process opens a message window and gets a
// handle; any process of the same user with the same system folder can post to it (no
// reply), send to it (blocks for the reply), or find it by its title.
//
// Each window is a Unix seqpacket socket in the private folder SystemFolder() + "windows",
// mode 0700, so other users cannot reach it; connections from another user id are dropped
// as well. Every post or send is one connection carrying one message, which is why a post
// from one process arrives after every post of that process that returned before it began.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/process.h"

namespace platform {

// A window handle: never 0 for an open window, and below 2^31 so it survives as a
// positive decimal integer in a profile file.
using WindowHandle = uint32_t;

struct WindowMessage {
  uint32_t message = 0;
  uint32_t wParam = 0;
  int32_t lParam = 0;
  bool sent = false;  // true when the sender waits for the handler's result
};

class MessageWindow {
 public:
  // Opens a window with the given title (empty: a window nobody can find by title).
  // Returns nullptr and sets *error when the socket cannot be created.
  static std::unique_ptr<MessageWindow> Open(const std::string& title,
                                             std::string* error = nullptr);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  WindowHandle handle() const { return handle_; }
  // Readable when messages may be waiting; the owner polls it (or hands it to a
  // QSocketNotifier) and then calls Dispatch.
  int fd() const { return epoll_.get(); }
  bool closed() const { return closed_; }

  // Hands every message waiting now to handler, in arrival order, on the calling thread.
  // The handler's result is the reply of a sent message and is ignored for a post.
  // Does not block. The handler may call Close(): the current message still gets its
  // reply, the rest are dropped (their senders see a failure).
  using Handler = std::function<int32_t(const WindowMessage&)>;
  void Dispatch(const Handler& handler);

  // Makes the window unfindable and unreachable at once and releases it. Safe to repeat.
  void Close();

 private:
  MessageWindow() = default;
  void AcceptPending();
  // Serves the oldest connections in order; false when the oldest has no packet yet.
  bool ServeQueue(const Handler& handler);
  void ReleaseSockets();

  WindowHandle handle_ = 0;
  std::string socketPath_;
  std::string titlePath_;
  UniqueFd listener_;
  UniqueFd epoll_;
  // Accepted connections, oldest first. They are served strictly in this order, so a post
  // whose packet is still on its way holds back the posts that connected after it.
  struct Pending {
    int fd;
    std::chrono::steady_clock::time_point accepted;
  };
  std::deque<Pending> queue_;
  int watchedFd_ = -1;  // the oldest connection, while epoll waits for its packet
  bool closed_ = false;
  bool dispatching_ = false;
};

// Posts a message to the window and returns once it is queued there. False when the
// window does not exist (any more) or its queue stays full for a few seconds.
bool PostWindowMessage(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam);

// Sends a message and waits, without a time limit, for the handler's result. Fails
// (returns false) instead of hanging when the window does not exist, is closed, or its
// process ends before it has replied.
bool SendWindowMessage(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam,
                       int32_t* result);

// The handle of a live window with exactly this title, or 0. Windows of ended processes
// and closed windows are never found.
WindowHandle FindWindowByTitle(const std::string& title);

}  // namespace platform
