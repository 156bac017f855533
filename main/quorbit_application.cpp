#include "main/quorbit_application.h"

#include <cstdio>
#include <stdexcept>

namespace quorbit {

bool QuorbitApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    if (onException)
      onException(e);
    else
      std::fprintf(stderr, "quorbit: %s\n", e.what());
  } catch (...) {
    const std::runtime_error unknown("An unexpected error occurred.");
    if (onException)
      onException(unknown);
    else
      std::fprintf(stderr, "quorbit: %s\n", unknown.what());
  }
  return false;
}

}  // namespace quorbit
