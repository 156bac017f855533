#include "skin/skin_combo_box.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>

namespace skin {

namespace {

constexpr int kArrowWidth = 17;

}  // namespace

SkinComboBox::SkinComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setAttribute(Qt::WA_Hover);
  StyleChanged();
}

void SkinComboBox::StyleChanged() {
  const StyleColors& c = colors();
  view()->setStyleSheet(QString("QAbstractItemView { background: %1; color: %2; border: 1px solid "
                                "%3; selection-background-color: %4; selection-color: %5; }")
                            .arg(c.control.name(), c.font.name(), c.border.name(),
                                 c.highlight.name(), c.titleFont.name()));
  update();
}

void SkinComboBox::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool lit = isEnabled() && (underMouse() || hasFocus());
  p.setPen(QPen(lit ? c.buttonHover : c.border, 1));
  p.setBrush(isEnabled() ? c.control : c.form);
  p.drawRect(r);

  // The drop-down button at the right edge.
  const QRectF button(r.right() - kArrowWidth + 1, r.top() + 1, kArrowWidth - 2, r.height() - 2);
  QLinearGradient face(button.topLeft(), button.bottomLeft());
  face.setColorAt(0, isEnabled() ? c.buttonTop : c.control);
  face.setColorAt(1, isEnabled() ? c.buttonBottom : c.control);
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawRect(button);
  QPainterPath arrow;
  const QPointF centre = button.center();
  arrow.moveTo(centre.x() - 3.5, centre.y() - 1.5);
  arrow.lineTo(centre.x() + 3.5, centre.y() - 1.5);
  arrow.lineTo(centre.x(), centre.y() + 2.5);
  arrow.closeSubpath();
  p.setBrush(isEnabled() ? c.buttonFont : c.disabledFont);
  p.drawPath(arrow);

  const QRect textArea = rect().adjusted(4, 0, -kArrowWidth - 2, 0);
  if (hasFocus() && isEnabled() && currentIndex() >= 0) {
    const QRect marked =
        p.fontMetrics().boundingRect(textArea, Qt::AlignVCenter | Qt::AlignLeft, currentText());
    p.fillRect(marked.adjusted(-2, 0, 2, 0), c.highlight);
    p.setPen(c.titleFont);
  } else {
    p.setPen(isEnabled() ? c.font : c.disabledFont);
  }
  p.setFont(font());
  p.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, currentText());
}

}  // namespace skin
