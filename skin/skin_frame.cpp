#include "skin/skin_frame.h"

#include <QEvent>
#include <QFont>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include "skin/skin_data.h"

namespace skin {

namespace {

enum class Glyph { kMenu, kMinimize, kClose };

QIcon GlyphIcon(Glyph glyph, const QColor& colour) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
  switch (glyph) {
    case Glyph::kMenu:
      for (int y : {4, 8, 12}) p.drawLine(QPointF(3.5, y), QPointF(12.5, y));
      break;
    case Glyph::kMinimize:
      p.drawLine(QPointF(3.5, 12), QPointF(12.5, 12));
      break;
    case Glyph::kClose:
      p.drawLine(QPointF(4, 4), QPointF(12, 12));
      p.drawLine(QPointF(12, 4), QPointF(4, 12));
      break;
  }
  return QIcon(pm);
}

QToolButton* TitleButton(QWidget* parent, const char* name, Glyph glyph, const QColor& colour) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setIcon(GlyphIcon(glyph, colour));
  b->setIconSize(QSize(16, 16));
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setFixedSize(21, 19);
  return b;
}

// The windows name the classic desktop fonts; stand in metric-alike free fonts for them
// where they are not installed.
void InstallFontSubstitutes() {
  static const bool done = [] {
    const QStringList sans = {"Liberation Sans", "Arial", "DejaVu Sans"};
    for (const char* family : {"MS Sans Serif", "Tahoma"}) {
      if (QFont::substitutes(family).isEmpty()) QFont::insertSubstitutions(family, sans);
    }
    return true;
  }();
  (void)done;
}

}  // namespace

QPixmap WindowEmblem(int size, const StyleColors& colors) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF strip(0.5, size * 0.15, size - 1.0, size * 0.7);
  p.setPen(QPen(colors.titleFont, 1));
  p.setBrush(colors.barBottom);
  p.drawRoundedRect(strip, 2, 2);
  // Sprocket holes along both edges.
  p.setPen(Qt::NoPen);
  p.setBrush(colors.titleFont);
  const double hole = size / 8.0;
  for (double x = 2; x + hole < size - 1; x += hole * 2) {
    p.drawRect(QRectF(x, strip.top() + 1.5, hole, hole * 0.8));
    p.drawRect(QRectF(x, strip.bottom() - 1.5 - hole * 0.8, hole, hole * 0.8));
  }
  QPainterPath play;
  const QPointF c = strip.center();
  const double s = size * 0.16;
  play.moveTo(c.x() - s * 0.8, c.y() - s);
  play.lineTo(c.x() + s, c.y());
  play.lineTo(c.x() - s * 0.8, c.y() + s);
  play.closeSubpath();
  p.drawPath(play);
  return pm;
}

// The title bar: paints its gradient, carries the buttons, and drags the window.
class SkinTitleBar : public QWidget {
 public:
  SkinTitleBar(SkinFrame* frame, SkinFrame::TitleButtons buttons) : QWidget(frame), frame_(frame) {
    setObjectName("titleBar");
    icon_ = new QLabel(this);
    icon_->setObjectName("titleIcon");
    text_ = new QLabel(this);
    text_->setObjectName("titleText");
    QFont f = text_->font();
    f.setBold(true);
    text_->setFont(f);
    const QColor glyph = frame->colors().titleFont;
    menu_ = TitleButton(this, "systemMenuButton", Glyph::kMenu, glyph);
    minimize_ = TitleButton(this, "minimizeButton", Glyph::kMinimize, glyph);
    close_ = TitleButton(this, "closeButton", Glyph::kClose, glyph);
    const bool all = buttons == SkinFrame::TitleButtons::kAll;
    menu_->setVisible(all);
    minimize_->setVisible(all);
    auto* systemMenu = new QMenu(this);
    systemMenu->setObjectName("systemMenu");
    systemMenu->addAction("Minimize", frame, [frame] { frame->showMinimized(); });
    systemMenu->addAction("Close", frame, [frame] { frame->close(); });
    connect(menu_, &QToolButton::clicked, this, [this, systemMenu] {
      systemMenu->popup(menu_->mapToGlobal(QPoint(0, menu_->height())));
    });
    connect(minimize_, &QToolButton::clicked, frame, [frame] { frame->showMinimized(); });
    connect(close_, &QToolButton::clicked, frame, [frame] { frame->close(); });
    Restyle();
  }

  void SetTitle(const QString& title) { text_->setText(title); }

  void Restyle() {
    const StyleColors& c = frame_->colors();
    icon_->setPixmap(WindowEmblem(16, c));
    QPalette pal = text_->palette();
    pal.setColor(QPalette::WindowText, c.titleFont);
    text_->setPalette(pal);
    update();
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const int h = height();
    icon_->setGeometry(5, (h - 16) / 2, 16, 16);
    int right = width() - 3;
    for (QToolButton* b : {close_, minimize_, menu_}) {
      if (b->isHidden()) continue;
      right -= b->width();
      b->move(right, (h - b->height()) / 2);
      right -= 1;
    }
    text_->setGeometry(26, 0, std::max(0, right - 30), h);
  }

  void paintEvent(QPaintEvent*) override {
    const StyleColors& c = frame_->colors();
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, c.titleTop);
    g.setColorAt(1, c.titleBottom);
    p.fillRect(rect(), g);
    // A theme's title bar: its middle piece stretched between its two ends.
    const QImage fill = frame_->themeBitmap(kTitleBar2);
    if (fill.isNull()) return;
    const QImage left = frame_->themeBitmap(kTitleBar1), right = frame_->themeBitmap(kTitleBar3);
    const int l = left.isNull() ? 0 : std::min(left.width(), width() / 2);
    const int r = right.isNull() ? 0 : std::min(right.width(), width() / 2);
    p.drawImage(QRect(l, 0, width() - l - r, height()), fill);
    if (l > 0) p.drawImage(QRect(0, 0, l, height()), left);
    if (r > 0) p.drawImage(QRect(width() - r, 0, r, height()), right);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      if (QWindow* w = frame_->windowHandle()) w->startSystemMove();
    }
    event->accept();
  }

 private:
  SkinFrame* frame_;
  QLabel* icon_;
  QLabel* text_;
  QToolButton *menu_, *minimize_, *close_;
};

SkinFrame::SkinFrame(QWidget* parent, TitleButtons buttons)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  InstallFontSubstitutes();
  titleBar_ = new SkinTitleBar(this, buttons);
  client_ = new QWidget(this);
  client_->setObjectName("clientArea");
  client_->setAutoFillBackground(true);
  StyleChanged();
}

QWidget* SkinFrame::titleBar() const {
  return titleBar_;
}

void SkinFrame::setClientSize(int width, int height) {
  setFixedSize(width, height);
  Relayout();
}

void SkinFrame::Relayout() {
  titleBar_->setGeometry(0, 0, width(), kTitleBarHeight);
  client_->setGeometry(0, kTitleBarHeight, width(), std::max(0, height() - kTitleBarHeight));
}

void SkinFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) titleBar_->SetTitle(windowTitle());
  QWidget::changeEvent(event);
}

void SkinFrame::resizeEvent(QResizeEvent* event) {
  Relayout();
  QWidget::resizeEvent(event);
}

void SkinFrame::StyleChanged() {
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, colors().form);
  client_->setPalette(pal);
  titleBar_->Restyle();
}

}  // namespace skin
