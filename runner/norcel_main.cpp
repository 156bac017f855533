// norcel: runs one encoder job from the job file and reports to the window it names.
#include "runner/runner_window.h"

int main() {
  return runner::RunnerApp().Run();
}
