// The skinned controls: the progress bar's caption, the window frame and its title bar,
// the panel's mouse reports, and that each look actually paints.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include "skin/skin_controls.h"
#include "skin/skin_frame.h"
#include "skin/skin_progress_bar.h"

namespace {

TEST(SkinProgressBar, CaptionIsTheRoundedShareOfTheRange) {
  struct Case {
    int min, max, position;
    const char* caption;
  } cases[] = {
      {0, 100, 0, "0%"},
      {0, 100, 100, "100%"},
      {0, 400, 220, "55%"},
      {0, 3, 1, "33%"},
      {0, 3, 2, "67%"},
      {0, 8, 1, "13%"},  // 12.5 rounds up
      {10, 20, 15, "50%"},
      {0, 0, 0, "0%"},
      {0, 0, 5, "0%"},  // empty range
      {5, 5, 5, "0%"},
      {10, 0, 5, "0%"},
      {0, 100, 150, "150%"},
      {0, 100, -20, "-20%"},
      {0, 2147483647, 2147483647, "100%"},
  };
  for (const Case& c : cases) {
    skin::SkinProgressBar bar;
    bar.setMaximum(c.max);
    bar.setMinimum(c.min);
    bar.setPosition(c.position);
    EXPECT_EQ(bar.caption().toStdString(), c.caption)
        << c.min << ".." << c.max << " at " << c.position;
    EXPECT_EQ(bar.position(), c.position) << "the position is kept as set";
  }
}

TEST(SkinProgressBar, FillGrowsWithThePosition) {
  skin::SkinProgressBar bar;
  bar.resize(200, 18);
  bar.setMaximum(100);
  auto filledAt = [&](int x) {
    const QImage image = bar.grab().toImage();
    return image.pixelColor(x, 9) != skin::ColorsOf(skin::TsuiUIStyle::DeepBlue).control;
  };
  bar.setPosition(0);
  EXPECT_FALSE(filledAt(20));
  bar.setPosition(50);
  EXPECT_TRUE(filledAt(20));
  EXPECT_FALSE(filledAt(180));
  bar.setPosition(500);  // beyond the range: drawn full, not past the frame
  EXPECT_TRUE(filledAt(180));
}

TEST(SkinFrame, TitleBarCarriesIconCaptionAndButtons) {
  skin::SkinFrame frame;
  frame.setWindowTitle("Some window");
  frame.setClientSize(400, 300);
  frame.show();
  EXPECT_EQ(frame.size(), QSize(400, 300));
  EXPECT_TRUE(frame.windowFlags() & Qt::FramelessWindowHint);
  QWidget* bar = frame.findChild<QWidget*>("titleBar");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->geometry(), QRect(0, 0, 400, skin::SkinFrame::kTitleBarHeight));
  EXPECT_EQ(frame.clientArea()->geometry(), QRect(0, 25, 400, 275));
  auto* text = frame.findChild<QLabel*>("titleText");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "Some window");
  auto* icon = frame.findChild<QLabel*>("titleIcon");
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
  for (const char* name : {"systemMenuButton", "minimizeButton", "closeButton"}) {
    auto* b = frame.findChild<QToolButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_TRUE(b->isVisible()) << name;
    EXPECT_TRUE(bar->rect().contains(b->geometry())) << name;
  }
  frame.findChild<QToolButton*>("closeButton")->click();
  EXPECT_FALSE(frame.isVisible());
}

TEST(SkinFrame, CloseOnlyFrameShowsNoMenuOrMinimize) {
  skin::SkinFrame frame(nullptr, skin::SkinFrame::TitleButtons::kCloseOnly);
  frame.setClientSize(300, 200);
  frame.show();
  EXPECT_FALSE(frame.findChild<QToolButton*>("systemMenuButton")->isVisible());
  EXPECT_FALSE(frame.findChild<QToolButton*>("minimizeButton")->isVisible());
  auto* close = frame.findChild<QToolButton*>("closeButton");
  EXPECT_TRUE(close->isVisible());
  EXPECT_EQ(close->geometry().right(), 300 - 4);
}

TEST(SkinPanel, ReportsEveryMouseButton) {
  skin::SkinPanel panel;
  panel.resize(100, 100);
  std::vector<Qt::MouseButton> seen;
  QObject::connect(&panel, &skin::SkinPanel::mouseDown,
                   [&](Qt::MouseButton b) { seen.push_back(b); });
  for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), b, b,
                      Qt::NoModifier);
    QApplication::sendEvent(&panel, &press);
  }
  EXPECT_EQ(seen,
            (std::vector<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}));
}

TEST(SkinControls, PaintInTheirLookAndGreyWhenDisabled) {
  const skin::StyleColors& c = skin::ColorsOf(skin::TsuiUIStyle::DeepBlue);
  skin::SkinPanel panel;
  panel.resize(50, 50);
  EXPECT_EQ(panel.grab().toImage().pixelColor(25, 25), c.form);

  skin::SkinButton button("OK");
  button.resize(80, 25);
  const QImage enabled = button.grab().toImage();
  EXPECT_NE(enabled.pixelColor(40, 3), c.form) << "the face is painted";
  button.setEnabled(false);
  EXPECT_NE(button.grab().toImage(), enabled) << "a disabled button looks different";

  skin::SkinCheckBox box("Check");
  box.resize(100, 19);
  box.setChecked(false);
  const QImage unchecked = box.grab().toImage();
  box.setChecked(true);
  EXPECT_NE(box.grab().toImage(), unchecked);
  // A click anywhere on the control toggles it, the caption included.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(80, 9), QPointF(80, 9), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(80, 9), QPointF(80, 9), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&box, &press);
  QApplication::sendEvent(&box, &release);
  EXPECT_FALSE(box.isChecked());

  skin::SkinFrame frame;
  frame.setClientSize(200, 100);
  // The title bar runs from the look's top colour to its bottom colour.
  const QImage title = frame.grab().toImage();
  auto near = [](const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           24;
  };
  EXPECT_TRUE(near(title.pixelColor(100, 0), c.titleTop));
  EXPECT_TRUE(near(title.pixelColor(100, 24), c.titleBottom));
  EXPECT_EQ(title.pixelColor(100, 60), c.form);
}

TEST(SkinControls, UIStyleIsAPropertyOfEachControl) {
  skin::SkinButton button("OK");
  EXPECT_EQ(button.UIStyle(), skin::TsuiUIStyle::DeepBlue);
  button.setUIStyle(skin::TsuiUIStyle::WinXP);
  EXPECT_EQ(button.UIStyle(), skin::TsuiUIStyle::WinXP);
  EXPECT_EQ(static_cast<int>(skin::TsuiUIStyle::FromThemeFile), 0);
  EXPECT_EQ(static_cast<int>(skin::TsuiUIStyle::BlueGlass), 5);
}

}  // namespace
