// The one message the two programs exchange, and its codes.
#pragma once

#include <cstdint>

namespace common {

// Message number of every report and of the stop request.
constexpr uint32_t ProgressMessage = 1224;

// Codes, carried as the message's first parameter.
constexpr uint32_t JOB_STARTED = 7000;   // runner to main window: the encoder runs
constexpr uint32_t JOB_STOP = 7001;      // main window to runner: stop (sent); runner to main
                                         // window: the encoder wrote to its output (posted)
constexpr uint32_t JOB_PROGRESS = 7002;  // runner to main window: whole seconds encoded so far
constexpr uint32_t JOB_ENDED = 7003;     // runner to main window: the run is over (value below)

// Values of JOB_ENDED besides a probe's duration and a conversion's 0.
constexpr int32_t JOB_REFUSED = -1;         // no command, or the encoder could not be started
constexpr int32_t JOB_ENCODER_FAILED = -2;  // the encoder ended with a failure status or a signal

// Posted by the runner's reporter to the runner's own window to end it.
constexpr uint32_t WM_CLOSE_MESSAGE = 0x0010;

// Title of the runner's window, by which the main program finds it.
constexpr const char* RunnerWindowTitle = "tarvik2";

}  // namespace common
