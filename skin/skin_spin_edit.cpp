#include "skin/skin_spin_edit.h"

#include <algorithm>
#include <climits>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace skin {

namespace {

constexpr int kButtonWidth = 15;

// One half of the up-down pair, painted in the control's look.
class SpinButton : public QAbstractButton {
 public:
  SpinButton(SkinSpinEdit* edit, bool up) : QAbstractButton(edit), edit_(edit), up_(up) {
    setObjectName(up ? "upButton" : "downButton");
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setAutoRepeat(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const StyleColors& c = edit_->colors();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    const bool down = isDown();
    face.setColorAt(0, !isEnabled() ? c.control : down ? c.buttonBottom : c.buttonTop);
    face.setColorAt(1, !isEnabled() ? c.control : down ? c.buttonTop : c.buttonBottom);
    p.setPen(QPen(c.border, 1));
    p.setBrush(face);
    p.drawRect(r);
    QPainterPath arrow;
    const QPointF centre = r.center();
    const double dy = up_ ? -1.5 : 1.5;
    arrow.moveTo(centre.x() - 3, centre.y() - dy);
    arrow.lineTo(centre.x() + 3, centre.y() - dy);
    arrow.lineTo(centre.x(), centre.y() + dy);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? c.buttonFont : c.disabledFont);
    p.drawPath(arrow);
  }

 private:
  SkinSpinEdit* edit_;
  bool up_;
};

bool IsControlText(const QString& text) {
  return std::all_of(text.begin(), text.end(),
                     [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7f; });
}

}  // namespace

int SpinEditNumber(const QString& text) {
  static const QRegularExpression number("\\A-?[0-9]+\\z");
  if (!number.match(text).hasMatch()) return 0;
  bool ok = false;
  const int n = text.toInt(&ok, 10);
  return ok ? n : 0;
}

SkinSpinEdit::SkinSpinEdit(QWidget* parent) : QLineEdit(parent) {
  setText("0");
  // What typing filters key by key, pasting and dropping must not get round either; text
  // set from code is not checked.
  setValidator(new QRegularExpressionValidator(
      QRegularExpression(QString("[-0-9]{0,%1}").arg(kMaxLength)), this));
  up_ = new SpinButton(this, true);
  down_ = new SpinButton(this, false);
  connect(up_, &QAbstractButton::clicked, this, [this] { stepBy(1); });
  connect(down_, &QAbstractButton::clicked, this, [this] { stepBy(-1); });
  setTextMargins(0, 0, kButtonWidth, 0);
  StyleChanged();
}

int SkinSpinEdit::value() const {
  return SpinEditNumber(text());
}

void SkinSpinEdit::stepBy(int delta) {
  const long long next = static_cast<long long>(value()) + delta;
  setText(QString::number(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

void SkinSpinEdit::Refuse() {
  QApplication::beep();
  emit keyRefused();
}

void SkinSpinEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
      stepBy(1);
      event->accept();
      return;
    case Qt::Key_Down:
      stepBy(-1);
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Refuse();
      event->accept();
      return;
    default:
      break;
  }
  const QString typed = event->text();
  const bool shortcut =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (shortcut || typed.isEmpty() || IsControlText(typed)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const bool allowed = std::all_of(typed.begin(), typed.end(),
                                   [](QChar ch) { return (ch >= '0' && ch <= '9') || ch == '-'; });
  const int kept = text().length() - selectedText().length();
  if (!allowed || kept + typed.length() > kMaxLength) {
    Refuse();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void SkinSpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  const int half = height() / 2;
  up_->setGeometry(width() - kButtonWidth, 0, kButtonWidth, half);
  down_->setGeometry(width() - kButtonWidth, half, kButtonWidth, height() - half);
}

void SkinSpinEdit::StyleChanged() {
  const StyleColors& c = colors();
  setStyleSheet(QString("QLineEdit { background: %1; color: %2; border: 1px solid %3; "
                        "padding: 0 2px; } QLineEdit:disabled { color: %4; background: %5; }")
                    .arg(c.control.name(), c.font.name(), c.border.name(), c.disabledFont.name(),
                         c.form.name()));
  up_->update();
  down_->update();
}

}  // namespace skin
