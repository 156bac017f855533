#include "main/load_form.h"

#include "main/form_layout.h"
#include "platform/folders.h"

namespace quorbit {

TloadForm::TloadForm(QWidget* owner) : skin::SkinFrame(owner) {
  setObjectName("loadForm");
  setWindowTitle("Loading...");
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setClientSize(277, 88);
  suiProgressBar1 = new skin::SkinProgressBar(clientArea());
  suiProgressBar1->setObjectName("suiProgressBar1");
  suiProgressBar1->setGeometry(16, 20, 245, 18);
  suiProgressBar1->setMinimum(0);
  suiProgressBar1->setMaximum(100);
  suiProgressBar1->setPosition(0);
  suiFileTheme1 = LoadTheme(this, platform::ProgramFolder());
  suiProgressBar1->setUIStyle(skin::TsuiUIStyle::WinXP);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(300);
  connect(Timer1, &QTimer::timeout, this, &TloadForm::Timer1Timer);
}

void TloadForm::Timer1Timer() {
  int next = suiProgressBar1->position() + 10;
  if (next > 100) next = 20;
  suiProgressBar1->setPosition(next);
  if (next == 100) Timer1->stop();
}

}  // namespace quorbit
