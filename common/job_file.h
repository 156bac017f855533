// The job file: the one-shot hand-over of an encoder run from quorbit to norcel, and the
// main program's two calls on a runner (start one on a job, ask it to stop).
//
// The file is "simplequorbitcore.ini" in the system folder, section "Command":
//   M  "1" for a probe job, "0" for a conversion job (any non-zero number reads as a probe)
//   W  the receiving window's handle as a decimal integer (0: nobody receives reports)
//   C  the scrambled command line
// The system folder is private to its user (0700) and the file is created 0600.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/process.h"
#include "platform/window_messages.h"

namespace common {

// Longest C a job can carry: room for a command built from two 4096-byte paths and every
// option, many times over. A longer C is refused whole, never cut.
constexpr size_t kMaxScrambledCommand = 65535;

// systemFolder (ending in '/') + "simplequorbitcore.ini".
std::string JobFilePath(const std::string& systemFolder);

struct Job {
  platform::WindowHandle window = 0;  // W
  bool probe = false;                 // M != 0
  std::string command;                // C as read: still scrambled
  bool commandTooLong = false;        // C was longer than kMaxScrambledCommand
};

// Reads W, C and M from the job file in the system folder, then deletes the file. A missing
// file or key reads as 0 / empty.
Job ReadJob();

// Deletes the job file and writes M, W and C (the scrambled commandLine), in this order.
// False, with nothing written, when the scrambled command would exceed the bound or the
// file cannot be written.
bool WriteJobFile(bool probe, platform::WindowHandle window, const std::string& commandLine);

// WriteJobFile, then starts appFolder + "norcel" detached. *runner lets the caller notice a
// runner that ends without reporting; the caller reaps it. False when the job could not be
// written or the runner not started (*error says which).
bool WriteJob(const std::string& appFolder, bool probe, platform::WindowHandle window,
              const std::string& commandLine, platform::ChildProcess* runner,
              std::string* error = nullptr);

// Finds the runner's window and sends it the stop request; returns once the runner has
// stopped its encoder and has begun to end. False when no runner window exists or the
// runner ended before replying.
bool RequestStop();

}  // namespace common
