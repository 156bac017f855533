#include "skin/skin_controls.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace skin {

namespace {

QColor TextColour(const QWidget* w, const QColor& normal, const StyleColors& c) {
  return w->isEnabled() ? normal : c.disabledFont;
}

}  // namespace

// ---- Panel -------------------------------------------------------------------------------

SkinPanel::SkinPanel(QWidget* parent) : QWidget(parent) {}

void SkinPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colors().form);
}

void SkinPanel::mousePressEvent(QMouseEvent* event) {
  emit mouseDown(event->button());
  event->accept();
}

// ---- Buttons -----------------------------------------------------------------------------

SkinButton::SkinButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setAttribute(Qt::WA_Hover);
}

void SkinButton::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient face(r.topLeft(), r.bottomLeft());
  const bool down = isDown() || isChecked();
  face.setColorAt(0, down ? c.buttonBottom : c.buttonTop);
  face.setColorAt(1, down ? c.buttonTop : c.buttonBottom);
  if (!isEnabled()) {
    face.setColorAt(0, c.control);
    face.setColorAt(1, c.control);
  }
  const bool lit = isEnabled() && (underMouse() || hasFocus());
  p.setPen(QPen(lit ? c.buttonHover : c.border, lit ? 1.5 : 1.0));
  p.setBrush(face);
  p.drawRoundedRect(r, 3, 3);
  p.setPen(TextColour(this, c.buttonFont, c));
  p.setFont(font());
  p.drawText(rect().translated(down ? 1 : 0, down ? 1 : 0), Qt::AlignCenter, text());
}

SkinLinkButton::SkinLinkButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
}

void SkinLinkButton::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setPen(TextColour(this, isDown() ? c.buttonHover : c.highlight, c));
  p.setFont(font());
  p.drawText(rect(), Qt::AlignCenter, text());
}

SkinImageButton::SkinImageButton(QWidget* parent) : QPushButton(parent) {
  setFocusPolicy(Qt::TabFocus);
}

void SkinImageButton::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
  QLinearGradient face(r.topLeft(), r.bottomRight());
  face.setColorAt(0, c.barTop);
  face.setColorAt(1, c.barBottom);
  p.setPen(QPen(c.border, 1));
  p.setBrush(face);
  p.drawRoundedRect(r, 6, 6);
  // A play mark.
  const QPointF centre = r.center();
  const double s = r.height() * 0.22;
  QPainterPath mark;
  mark.moveTo(centre.x() - s * 0.8, centre.y() - s);
  mark.lineTo(centre.x() + s, centre.y());
  mark.lineTo(centre.x() - s * 0.8, centre.y() + s);
  mark.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(c.titleFont);
  p.drawPath(mark);
}

// ---- Radio button and check box ----------------------------------------------------------

SkinRadioButton::SkinRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent) {}

void SkinRadioButton::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int d = 13;
  const QRectF dot(1.5, (height() - d) / 2.0, d - 1, d - 1);
  p.setPen(QPen(hasFocus() ? c.buttonHover : c.border, 1));
  p.setBrush(isEnabled() ? c.control : c.form);
  p.drawEllipse(dot);
  if (isChecked()) {
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? c.highlight : c.disabledFont);
    p.drawEllipse(dot.adjusted(3, 3, -3, -3));
  }
  p.setPen(TextColour(this, c.font, c));
  p.setFont(font());
  p.drawText(QRect(d + 5, 0, width() - d - 5, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

SkinCheckBox::SkinCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void SkinCheckBox::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int d = 13;
  const QRectF box(1.5, (height() - d) / 2.0, d - 1, d - 1);
  p.setPen(QPen(hasFocus() ? c.buttonHover : c.border, 1));
  p.setBrush(isEnabled() ? c.control : c.form);
  p.drawRoundedRect(box, 2, 2);
  if (isChecked()) {
    QPainterPath tick;
    tick.moveTo(box.left() + 2.5, box.center().y());
    tick.lineTo(box.left() + box.width() * 0.42, box.bottom() - 2.5);
    tick.lineTo(box.right() - 2, box.top() + 2.5);
    p.setPen(QPen(isEnabled() ? c.highlight : c.disabledFont, 2, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
  }
  p.setPen(TextColour(this, c.font, c));
  p.setFont(font());
  p.drawText(QRect(d + 5, 0, width() - d - 5, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

// ---- Edit and list view ------------------------------------------------------------------

SkinEdit::SkinEdit(QWidget* parent) : QLineEdit(parent) {
  StyleChanged();
}

void SkinEdit::StyleChanged() {
  const StyleColors& c = colors();
  setStyleSheet(QString("QLineEdit { background: %1; color: %2; border: 1px solid %3; "
                        "padding: 0 2px; } QLineEdit:disabled { color: %4; background: %5; }")
                    .arg(c.control.name(), c.font.name(), c.border.name(), c.disabledFont.name(),
                         c.form.name()));
}

SkinListView::SkinListView(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setItemsExpandable(false);
  header()->setSectionsMovable(false);
  StyleChanged();
}

void SkinListView::StyleChanged() {
  const StyleColors& c = colors();
  setStyleSheet(
      QString("QTreeWidget { background: %1; color: %2; border: 1px solid %3; "
              "selection-background-color: %4; selection-color: %5; } "
              "QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
              "stop:0 %6, stop:1 %7); color: %8; border: 0; border-right: 1px solid %3; "
              "border-bottom: 1px solid %3; padding: 1px 4px; }")
          .arg(c.control.name(), c.font.name(), c.border.name(), c.highlight.name(),
               c.titleFont.name(), c.buttonTop.name(), c.buttonBottom.name(), c.buttonFont.name()));
}

}  // namespace skin
