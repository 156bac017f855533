// Small texts of the file list.
#pragma once

#include <string>

namespace quorbit {

// Whole seconds as hh:mm:ss; hours may have more than two digits (360000 -> "100:00:00").
std::string DurationToText(int seconds);

// True when path can be carried inside double quotes on an encoder command line: it holds
// no double quote, newline or carriage return.
bool IsSafeSourcePath(const std::string& path);

}  // namespace quorbit
