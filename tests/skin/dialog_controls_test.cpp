// The controls of the settings dialog: the spin edit's typing and stepping rules and how it
// reads its number, the group box's mouse reports, and that the new controls paint.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "skin/skin_combo_box.h"
#include "skin/skin_group_box.h"
#include "skin/skin_spin_edit.h"

namespace {

using skin::SkinSpinEdit;

// Sends one key press as typing it would. In `keys`, '<' is Backspace, '^' Up, '_' Down and
// '#' Enter; every other character is typed as itself.
void Press(QWidget* w, char key) {
  int code = 0;
  QString text;
  switch (key) {
    case '<':
      code = Qt::Key_Backspace;
      text = "\b";
      break;
    case '^':
      code = Qt::Key_Up;
      break;
    case '_':
      code = Qt::Key_Down;
      break;
    case '#':
      code = Qt::Key_Return;
      text = "\r";
      break;
    default:
      code = QChar(key).toUpper().unicode();
      text = QString(QChar(key));
      break;
  }
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

TEST(SkinSpinEdit, TypingAcceptsDigitsAndMinusUpToThreeAndStepsWithoutLimits) {
  struct Case {
    const char* start;
    bool selectAll;  // the typing replaces the whole text
    const char* keys;
    const char* text;
    int refused;
  } cases[] = {
      {"", false, "352", "352", 0},
      {"", false, "1234", "123", 1},  // a fourth character is refused
      {"", false, "-5", "-5", 0},
      {"", false, "--9", "--9", 0},  // the minus is accepted anywhere
      {"", false, "1a2", "12", 1},
      {"", false, "x. +", "", 4},      // letters, punctuation, blank, plus
      {"12", false, "#", "12", 1},     // Enter is refused too
      {"123", false, "<4", "124", 0},  // Backspace is a control key
      {"123", true, "4", "4", 0},      // typing over a selection replaces it
      {"7", false, "^^", "9", 0},
      {"0", false, "__", "-2", 0},     // below zero: no lower limit
      {"999", false, "^", "1000", 0},  // no upper limit, and stepping is not cut to three
      {"-", false, "^", "1", 0},       // a text that is not a number steps from 0
      {"abc", false, "_", "-1", 0},
  };
  for (const Case& c : cases) {
    SkinSpinEdit edit;
    edit.setText(c.start);
    if (c.selectAll) edit.selectAll();
    int refused = 0;
    QObject::connect(&edit, &SkinSpinEdit::keyRefused, [&] { ++refused; });
    for (const char* k = c.keys; *k; ++k) Press(&edit, *k);
    EXPECT_EQ(edit.text().toStdString(), c.text) << c.start << " + " << c.keys;
    EXPECT_EQ(refused, c.refused) << c.start << " + " << c.keys;
  }
}

TEST(SkinSpinEdit, PastingObeysTheTypingRulesButCodeDoesNot) {
  SkinSpinEdit edit;
  edit.setText("");
  edit.insert("a1");  // what Paste and a drop do
  EXPECT_EQ(edit.text(), "");
  edit.insert("12");
  EXPECT_EQ(edit.text(), "12");
  edit.insert("34");
  EXPECT_EQ(edit.text(), "12");
  edit.setText("12345");
  EXPECT_EQ(edit.text(), "12345");
}

TEST(SkinSpinEdit, ButtonsStepByOneAndOnlyWhileEnabled) {
  SkinSpinEdit edit;
  edit.resize(105, 21);
  edit.show();
  EXPECT_EQ(edit.text(), "0");
  edit.upButton()->click();
  edit.upButton()->click();
  EXPECT_EQ(edit.text(), "2");
  edit.downButton()->click();
  EXPECT_EQ(edit.text(), "1");
  EXPECT_EQ(edit.upButton()->focusPolicy(), Qt::NoFocus);
  EXPECT_LT(edit.upButton()->geometry().bottom(), edit.downButton()->geometry().top());
  EXPECT_EQ(edit.upButton()->geometry().right(), edit.width() - 1);

  edit.setEnabled(false);
  edit.upButton()->click();
  EXPECT_EQ(edit.text(), "1");
}

TEST(SkinSpinEdit, TextCountsAsItsWholeNumberOrZero) {
  const std::pair<const char*, int> cases[] = {
      {"12", 12},         {"-7", -7}, {"007", 7}, {"0", 0},  {"", 0},   {"-", 0},
      {"1-2", 0},         {"abc", 0}, {" 5", 0},  {"+5", 0}, {"5 ", 0}, {"2147483647", 2147483647},
      {"99999999999", 0},  // too big for a number
  };
  for (const auto& [text, number] : cases) {
    EXPECT_EQ(skin::SpinEditNumber(text), number) << '"' << text << '"';
    SkinSpinEdit edit;
    edit.setText(text);
    EXPECT_EQ(edit.value(), number) << '"' << text << '"';
  }
}

TEST(SkinGroupBox, ReportsPressesOnItsFreeAreaOnly) {
  skin::SkinGroupBox group("Caption");
  group.resize(200, 100);
  SkinSpinEdit inside(&group);
  inside.setGeometry(100, 40, 80, 21);
  std::vector<Qt::MouseButton> seen;
  QObject::connect(&group, &skin::SkinGroupBox::mouseDown,
                   [&](Qt::MouseButton b) { seen.push_back(b); });
  auto press = [](QWidget* w, QPointF at, Qt::MouseButton b) {
    QMouseEvent event(QEvent::MouseButtonPress, at, w->mapToGlobal(at), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
  };
  for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) press(&group, {10, 50}, b);
  press(&inside, {5, 5}, Qt::LeftButton);
  EXPECT_EQ(seen, (std::vector<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton}));
}

TEST(SkinDialogControls, PaintInTheirLookAndGreyWhenDisabled) {
  const skin::StyleColors& c = skin::ColorsOf(skin::TsuiUIStyle::DeepBlue);

  skin::SkinComboBox combo;
  combo.addItems({"First", "Second"});
  combo.resize(120, 21);
  EXPECT_FALSE(combo.isEditable());
  const QImage enabled = combo.grab().toImage();
  EXPECT_EQ(enabled.pixelColor(0, 10), c.border);
  EXPECT_NE(enabled.pixelColor(combo.width() - 4, 3), c.control) << "the drop-down button";
  combo.setEnabled(false);
  EXPECT_NE(combo.grab().toImage(), enabled);

  SkinSpinEdit spin;
  spin.resize(105, 21);
  const QImage spinEnabled = spin.grab().toImage();
  spin.setEnabled(false);
  EXPECT_NE(spin.grab().toImage(), spinEnabled);

  skin::SkinGroupBox group("Caption");
  group.resize(200, 100);
  const QImage outline = group.grab().toImage();
  EXPECT_EQ(outline.pixelColor(100, 99), c.border) << "the bottom edge";
}

}  // namespace
