#include "platform/window_messages.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using platform::ChildProcess;
using platform::FindWindowByTitle;
using platform::MessageWindow;
using platform::PostWindowMessage;
using platform::SendWindowMessage;
using platform::WindowMessage;
using testing_support::FileExists;
using testing_support::PrivateSystemFolder;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;

const std::string kPeer = std::string(QUORBIT_TEST_BIN_DIR) + "window_peer";

// Runs a message window on a thread of its own until stopped.
class WindowThread {
 public:
  explicit WindowThread(const std::string& title, MessageWindow::Handler handler)
      : handler_(std::move(handler)) {
    window_ = MessageWindow::Open(title);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{window_->fd(), POLLIN, 0};
        poll(&p, 1, 20);
        window_->Dispatch(handler_);
      }
    });
  }
  ~WindowThread() {
    stop_ = true;
    thread_.join();
  }
  platform::WindowHandle handle() const { return window_->handle(); }

 private:
  MessageWindow::Handler handler_;
  std::unique_ptr<MessageWindow> window_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

int RunPeer(const std::vector<std::string>& args) {
  std::vector<std::string> argv{kPeer};
  argv.insert(argv.end(), args.begin(), args.end());
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  ChildProcess child;
  std::string error;
  bool ok = platform::LaunchArgv(argv, null, null, null, {}, &child, &error);
  close(null);
  if (!ok) return -1;
  int status = 0;
  child.ReapAndRelease(&status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MessageWindow, FoundByTitleWhileOpenAndNotAfterClose) {
  PrivateSystemFolder system;
  auto window = MessageWindow::Open("tarvik2");
  ASSERT_TRUE(window);
  EXPECT_NE(window->handle(), 0u);
  EXPECT_LT(window->handle(), 0x80000000u);
  EXPECT_EQ(FindWindowByTitle("tarvik2"), window->handle());
  EXPECT_EQ(FindWindowByTitle("tarvik"), 0u);
  EXPECT_EQ(FindWindowByTitle("tarvik22"), 0u);
  auto untitled = MessageWindow::Open("");
  ASSERT_TRUE(untitled);
  EXPECT_NE(untitled->handle(), window->handle());

  window->Close();
  EXPECT_EQ(FindWindowByTitle("tarvik2"), 0u);
  EXPECT_FALSE(PostWindowMessage(window->handle(), 1224, 7000, 0));
  struct stat st {};
  ASSERT_EQ(stat((system.folder() + "windows").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(MessageWindow, PostsFromFourThreadsKeepEachThreadsOrder) {
  PrivateSystemFolder system;
  auto window = MessageWindow::Open("");
  ASSERT_TRUE(window);
  constexpr int kThreads = 4, kPosts = 1000;
  std::vector<std::thread> posters;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kPosts; ++i)
        if (!PostWindowMessage(window->handle(), 1224, static_cast<uint32_t>(t), i)) ++failures;
    });
  }
  std::map<uint32_t, std::vector<int32_t>> received;
  int total = 0;
  EXPECT_TRUE(WaitUntil(
      [&] {
        window->Dispatch([&](const WindowMessage& m) {
          EXPECT_EQ(m.message, 1224u);
          EXPECT_FALSE(m.sent);
          received[m.wParam].push_back(m.lParam);
          ++total;
          return 0;
        });
        return total == kThreads * kPosts;
      },
      std::chrono::seconds(60)));
  for (auto& p : posters) p.join();
  EXPECT_EQ(failures.load(), 0);
  for (int t = 0; t < kThreads; ++t) {
    const auto& seq = received[static_cast<uint32_t>(t)];
    ASSERT_EQ(seq.size(), static_cast<size_t>(kPosts)) << "thread " << t;
    for (int i = 0; i < kPosts; ++i) ASSERT_EQ(seq[static_cast<size_t>(i)], i) << "thread " << t;
  }
}

TEST(MessageWindow, SendReturnsTheHandlersReply) {
  PrivateSystemFolder system;
  WindowThread receiver("receiver", [](const WindowMessage& m) {
    return m.sent ? static_cast<int32_t>(m.wParam) * 2 + m.lParam : -99;
  });
  int32_t reply = 0;
  ASSERT_TRUE(SendWindowMessage(receiver.handle(), 1224, 7001, 5, &reply));
  EXPECT_EQ(reply, 14007);
  ASSERT_TRUE(SendWindowMessage(FindWindowByTitle("receiver"), 1224, 1, -3, &reply));
  EXPECT_EQ(reply, -1);
}

TEST(MessageWindow, SendFailsForMissingAndClosingWindows) {
  PrivateSystemFolder system;
  int32_t reply = 0;
  EXPECT_FALSE(SendWindowMessage(0, 1224, 7001, 0, &reply));
  EXPECT_FALSE(SendWindowMessage(12345, 1224, 7001, 0, &reply));

  // A handler that closes its window still answers the message in hand, and the window
  // is unfindable by the time the reply arrives.
  auto window = MessageWindow::Open("closing");
  ASSERT_TRUE(window);
  std::atomic<bool> found{true};
  std::thread sender([&] {
    int32_t r = 0;
    EXPECT_TRUE(SendWindowMessage(window->handle(), 1224, 7001, 0, &r));
    EXPECT_EQ(r, 1);
    found = FindWindowByTitle("closing") != 0;
  });
  EXPECT_TRUE(WaitUntil([&] {
    window->Dispatch([&](const WindowMessage&) {
      window->Close();
      return 1;
    });
    return window->closed();
  }));
  sender.join();
  EXPECT_FALSE(found);
}

TEST(MessageWindow, SendToAWindowWhoseProcessIsKilledFailsPromptly) {
  PrivateSystemFolder system;
  TempDir dir;
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  ChildProcess peer;
  ASSERT_TRUE(platform::LaunchArgv({kPeer, "own", "silent", dir.File("handle")}, null, null, null,
                                   {}, &peer, nullptr));
  close(null);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(dir.File("handle")); }));
  const auto handle =
      static_cast<platform::WindowHandle>(std::stoul(ReadWholeFile(dir.File("handle"))));
  EXPECT_EQ(FindWindowByTitle("silent"), handle);

  std::atomic<bool> done{false}, result{true};
  std::thread sender([&] {
    int32_t r = 0;
    result = SendWindowMessage(handle, 1224, 7001, 0, &r);
    done = true;
  });
  // The peer never serves messages, so the sender waits until the peer dies.
  EXPECT_FALSE(WaitUntil([&] { return done.load(); }, std::chrono::milliseconds(300)));
  peer.KillAndRelease();
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }, std::chrono::seconds(1)));
  sender.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(FindWindowByTitle("silent"), 0u);
  EXPECT_FALSE(PostWindowMessage(handle, 1224, 7000, 0));
}

TEST(MessageWindow, AnotherUserCannotReachOrFindAWindow) {
  PrivateSystemFolder system;
  auto window = MessageWindow::Open("private");
  ASSERT_TRUE(window);
  // The same user can, from another process.
  EXPECT_EQ(RunPeer({"post", std::to_string(window->handle())}), 0);
  EXPECT_EQ(RunPeer({"find", "private"}), 0);
  if (geteuid() != 0) {
    // Without a second user id, the folder's permission bits are what keeps others out.
    struct stat st {};
    ASSERT_EQ(stat((system.folder() + "windows").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    return;
  }
  EXPECT_EQ(RunPeer({"--as-uid", "65534", "post", std::to_string(window->handle())}), 1);
  EXPECT_EQ(RunPeer({"--as-uid", "65534", "find", "private"}), 1);
  // Only the same-user post arrived.
  int posts = 0;
  window->Dispatch([&](const WindowMessage&) { return ++posts; });
  EXPECT_EQ(posts, 1);
}

}  // namespace
