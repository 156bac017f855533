// quorbit: the converter's window.
#include <QScreen>

#include "main/dialogs.h"
#include "main/load_form.h"
#include "main/main_window.h"
#include "main/quorbit_application.h"
#include "main/runner_link.h"
#include "main/settings_form.h"
#include "platform/folders.h"

int main(int argc, char** argv) {
  quorbit::QuorbitApplication app(argc, argv);
  const std::string appFolder = platform::ProgramFolder();
  quorbit::QtDialogs dialogs;
  quorbit::ProcessRunnerLink runner(appFolder);
  quorbit::TForm1 form(&dialogs, &runner, appFolder);
  // Created hidden and reused for every opening; "Advanced..." shows it.
  quorbit::TsettingForm settingForm(&form, &dialogs);
  // The splash window stays hidden for the life of the process.
  quorbit::TloadForm loadForm(&form);
  // Whatever no handler caught: an error box, and the program goes on.
  app.onException = [&form](const std::exception& e) { form.ShowException(e); };
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    form.move(screen->availableGeometry().center() - form.rect().center());
  }
  form.show();
  return app.exec();
}
