#include "skin/skin_progress_bar.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "skin/skin_data.h"

namespace skin {

SkinProgressBar::SkinProgressBar(QWidget* parent) : QWidget(parent) {}

void SkinProgressBar::setMinimum(int value) {
  min_ = value;
  update();
}

void SkinProgressBar::setMaximum(int value) {
  max_ = value;
  update();
}

void SkinProgressBar::setPosition(int value) {
  position_ = value;
  update();
}

QString SkinProgressBar::caption() const {
  const double range = static_cast<double>(max_) - min_;
  if (range <= 0) return QStringLiteral("0%");
  const double percent = (static_cast<double>(position_) - min_) * 100.0 / range;
  return QString::number(static_cast<long long>(std::llround(percent))) + "%";
}

void SkinProgressBar::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(c.border, 1));
  p.setBrush(c.control);
  p.drawRoundedRect(frame, 2, 2);
  const double range = static_cast<double>(max_) - min_;
  const double share =
      range <= 0 ? 0.0 : std::clamp((static_cast<double>(position_) - min_) / range, 0.0, 1.0);
  // A theme's bar: its track and its filling, each stretched to the place it takes.
  const QImage track = themeBitmap(kProgressBar1), filling = themeBitmap(kProgressBar2);
  const QRectF inner = frame.adjusted(1.5, 1.5, -1.5, -1.5);
  if (!track.isNull()) p.drawImage(inner, track);
  if (share > 0 && !filling.isNull()) {
    QRectF filled = inner;
    filled.setWidth(filled.width() * share);
    p.drawImage(filled, filling);
  } else if (share > 0) {
    QRectF filled = inner;
    filled.setWidth(filled.width() * share);
    QLinearGradient g(filled.topLeft(), filled.bottomLeft());
    g.setColorAt(0, c.barTop);
    g.setColorAt(1, c.barBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(filled);
  }
  p.setPen(share >= 0.5 ? c.titleFont : c.font);
  p.setFont(font());
  p.drawText(rect(), Qt::AlignCenter, caption());
}

}  // namespace skin
