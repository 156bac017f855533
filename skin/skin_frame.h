// A frameless window drawn by its skin: a title bar with an icon, the caption, the
// system-menu, minimize and close buttons, and the client area below it.
#pragma once

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include "skin/skin_style.h"

namespace skin {

class SkinTitleBar;

class SkinFrame : public QWidget, public Skinned {
  Q_OBJECT
 public:
  static constexpr int kTitleBarHeight = 25;
  enum class TitleButtons { kAll, kCloseOnly };

  explicit SkinFrame(QWidget* parent = nullptr, TitleButtons buttons = TitleButtons::kAll);

  // The whole window is width by height; the title bar takes its top rows.
  void setClientSize(int width, int height);
  // The area below the title bar, where the window's controls go.
  QWidget* clientArea() const { return client_; }
  QWidget* titleBar() const;

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void StyleChanged() override;

 private:
  void Relayout();

  SkinTitleBar* titleBar_;
  QWidget* client_;
};

// The window's emblem, drawn rather than loaded: a film strip with a play mark.
QPixmap WindowEmblem(int size, const StyleColors& colors);

}  // namespace skin
