// quorbit: the converter's window.
#include <QApplication>
#include <QScreen>

#include "main/dialogs.h"
#include "main/main_window.h"
#include "main/runner_link.h"
#include "platform/folders.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string appFolder = platform::ProgramFolder();
  quorbit::QtDialogs dialogs;
  quorbit::ProcessRunnerLink runner(appFolder);
  quorbit::TForm1 form(&dialogs, &runner, appFolder);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    form.move(screen->availableGeometry().center() - form.rect().center());
  }
  form.show();
  return app.exec();
}
