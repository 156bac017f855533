#include "main/probe_text.h"

namespace quorbit {
namespace {
std::string TwoDigits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}
}  // namespace

std::string DurationToText(int seconds) {
  return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds % 3600 / 60) + ":" +
         TwoDigits(seconds % 60);
}

bool IsSafeSourcePath(const std::string& path) {
  return path.find_first_of("\"\r\n") == std::string::npos;
}

}  // namespace quorbit
