// The engine in this process, where its state can be looked at directly.
#include "runner/encoder_process.h"

#include <chrono>

#include <gtest/gtest.h>

#include "runner_support.h"

namespace {

using namespace runner_testing;
using testing_support::PrivateSystemFolder;
using testing_support::WaitUntil;

class Recorder : public runner::EncoderProcess {
 public:
  ~Recorder() override { Stop(); }
  std::atomic<int> started{0}, exited{0};

 protected:
  void OnStarted(const std::string&) override { ++started; }
  void OnExited() override { ++exited; }
};

TEST(EncoderProcess, ProbeCaptureIsBoundedAndComplete) {
  PrivateSystemFolder system;
  Recorder engine;
  engine.probe = true;
  ASSERT_TRUE(
      engine.Start("\"" + kFake + "\" \"err:Duration: 00:00:01.00\" bigerr:8388608", false));
  EXPECT_EQ(engine.started.load(), 1);
  ASSERT_TRUE(WaitUntil([&] { return engine.exited.load() == 1; }, std::chrono::seconds(60)));
  const std::string capture = engine.Capture();
  EXPECT_EQ(capture.size(), runner::EncoderProcess::kCaptureCapacity - 1);
  EXPECT_EQ(capture.rfind("Duration: 00:00:01.00", 0), 0u);
  EXPECT_EQ(capture.find_first_not_of('x', 21), std::string::npos);
}

TEST(EncoderProcess, FailedStartStartsNothingAndStopCanRepeat) {
  PrivateSystemFolder system;
  Recorder engine;
  EXPECT_FALSE(engine.Start("\"/nonexistent/encoder\" -i x", false));
  EXPECT_EQ(engine.started.load(), 0);
  const auto before = std::chrono::steady_clock::now();
  engine.Stop();
  engine.Stop();
  // Each call pauses its 700 ms even when there is nothing left to release.
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1400));
  EXPECT_EQ(engine.exited.load(), 0);
}

TEST(EncoderProcess, StopDuringARunReportsNoEnd) {
  PrivateSystemFolder system;
  Recorder engine;
  ASSERT_TRUE(engine.Start("\"" + kFake + "\" sleep:60000", false));
  EXPECT_TRUE(engine.isRunning());
  engine.Stop();
  EXPECT_FALSE(engine.isRunning());
  EXPECT_EQ(engine.exited.load(), 0);
}

}  // namespace
