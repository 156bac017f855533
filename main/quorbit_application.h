// The application object: no exception escapes into the event loop; whatever a handler
// did not catch goes to onException, and the program goes on.
#pragma once

#include <exception>
#include <functional>

#include <QApplication>

namespace quorbit {

class QuorbitApplication : public QApplication {
 public:
  QuorbitApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the error to the user; without it the error is written to standard error.
  std::function<void(const std::exception&)> onException;
};

}  // namespace quorbit
