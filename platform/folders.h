// The folders the programs work in: their own folder, the per-user system folder that holds
// the job file and the unpacked encoder, and the folder searched for theme files.
#pragma once

#include <string>

namespace platform {

// The folder of the running program file (from /proc/self/exe), ending in '/'.
// Empty when it cannot be determined.
std::string ProgramFolder();

// The per-user system folder, ending in '/': $QUORBIT_SYSTEM_DIR when set and not empty,
// otherwise $XDG_STATE_HOME/quorbit/system (default ~/.local/state/quorbit/system).
// Created with mode 0700 when missing; a folder of ours with wider permissions is
// narrowed to 0700, since the job file in it carries commands to run.
std::string SystemFolder();

// The folder searched for theme files after the program's folder, ending in '/':
// $QUORBIT_WINDOWS_DIR when set and not empty, otherwise $XDG_DATA_HOME/quorbit
// (default ~/.local/share/quorbit). Not created.
std::string WindowsFolder();

// text with a '/' appended when it does not already end in one (an empty text stays empty).
std::string WithTrailingSlash(const std::string& text);

// Creates path and missing parents with mode 0700. When path already exists, is a folder
// owned by this user and is open to others, it is narrowed to 0700. Returns false when
// path is not a usable folder afterwards.
bool EnsurePrivateFolder(const std::string& path);

}  // namespace platform
