#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "test_support.h"

namespace {

using testing_support::ScopedEnv;
using testing_support::TempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(Folders, ProgramFolderIsThisTestsFolder) {
  EXPECT_EQ(platform::ProgramFolder(), QUORBIT_TEST_BIN_DIR);
}

TEST(Folders, SystemFolderFromEnvironmentIsCreatedPrivate) {
  TempDir dir;
  ScopedEnv env("QUORBIT_SYSTEM_DIR", dir.File("sys/nested"));
  EXPECT_EQ(platform::SystemFolder(), dir.File("sys/nested") + "/");
  EXPECT_EQ(ModeOf(dir.File("sys/nested")), 0700u);
  // An existing folder open to others is narrowed.
  chmod(dir.File("sys/nested").c_str(), 0755);
  platform::SystemFolder();
  EXPECT_EQ(ModeOf(dir.File("sys/nested")), 0700u);
}

TEST(Folders, PerUserDefaultsFollowXdgAndHome) {
  TempDir dir;
  ScopedEnv noSystem("QUORBIT_SYSTEM_DIR", std::nullopt);
  ScopedEnv noWindows("QUORBIT_WINDOWS_DIR", std::nullopt);
  ScopedEnv home("HOME", dir.File("home"));
  {
    ScopedEnv state("XDG_STATE_HOME", std::nullopt);
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(platform::SystemFolder(), dir.File("home/.local/state/quorbit/system/"));
    EXPECT_EQ(ModeOf(dir.File("home/.local/state/quorbit/system")), 0700u);
    EXPECT_EQ(platform::WindowsFolder(), dir.File("home/.local/share/quorbit/"));
  }
  ScopedEnv state("XDG_STATE_HOME", dir.File("state"));
  ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
  EXPECT_EQ(platform::SystemFolder(), dir.File("state/quorbit/system/"));
  EXPECT_EQ(platform::WindowsFolder(), dir.File("data/quorbit/"));
  ScopedEnv windows("QUORBIT_WINDOWS_DIR", dir.File("win"));
  EXPECT_EQ(platform::WindowsFolder(), dir.File("win/"));
}

TEST(Files, DeleteCopyAndCreateReportFailureWithoutThrowing) {
  TempDir dir;
  testing_support::WriteWholeFile(dir.File("a"), "first");
  testing_support::WriteWholeFile(dir.File("b"), "second, longer");
  EXPECT_TRUE(platform::CopyFile(dir.File("a"), dir.File("b")));
  EXPECT_EQ(testing_support::ReadWholeFile(dir.File("b")), "first");
  EXPECT_FALSE(platform::CopyFile(dir.File("missing"), dir.File("c")));
  EXPECT_TRUE(platform::DeleteFile(dir.File("a")));
  EXPECT_FALSE(platform::DeleteFile(dir.File("a")));
  EXPECT_TRUE(platform::CreateDirectory(dir.File("d")));
  EXPECT_FALSE(platform::CreateDirectory(dir.File("d")));
  EXPECT_FALSE(platform::DeleteFile(dir.File("d")));  // a folder is not deleted as a file
  EXPECT_FALSE(platform::CreateDirectory(dir.File("x/y")));
}

}  // namespace
