// The splash window "Loading...": created hidden at start-up and never shown; its bar runs
// on its own timer once started.
#pragma once

#include <QTimer>

#include "skin/skin_frame.h"
#include "skin/skin_progress_bar.h"
#include "skin/skin_theme.h"

namespace quorbit {

class TloadForm : public skin::SkinFrame {
  Q_OBJECT
 public:
  explicit TloadForm(QWidget* owner = nullptr);

  skin::TsuiFileTheme* suiFileTheme1;
  skin::SkinProgressBar* suiProgressBar1;
  QTimer* Timer1;  // 300 ms, stopped at creation

  // One tick: the bar advances by 10, starts again at 20 when it would pass 100, and the
  // timer stops when the bar stands at exactly 100.
  void Timer1Timer();
};

}  // namespace quorbit
