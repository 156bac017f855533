// The skinned controls the windows are built from: panel, buttons, radio buttons, check
// boxes, edit and list view. Each paints itself in its look (UIStyle).
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QWidget>

#include "skin/skin_style.h"

namespace skin {

// A plain area in the form colour. Reports every mouse press on its free area, so a window
// can be dragged from it.
class SkinPanel : public QWidget, public Skinned {
  Q_OBJECT
 public:
  explicit SkinPanel(QWidget* parent = nullptr);

 signals:
  void mouseDown(Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void StyleChanged() override { update(); }
};

// A push button with a gradient face and a bordered outline.
class SkinButton : public QPushButton, public Skinned {
  Q_OBJECT
 public:
  explicit SkinButton(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void StyleChanged() override { update(); }
};

// A flat button showing only its underlined caption, like a link.
class SkinLinkButton : public QPushButton, public Skinned {
  Q_OBJECT
 public:
  explicit SkinLinkButton(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void StyleChanged() override { update(); }
};

// A decorative square button carrying a drawn emblem.
class SkinImageButton : public QPushButton, public Skinned {
  Q_OBJECT
 public:
  explicit SkinImageButton(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void StyleChanged() override { update(); }
};

class SkinRadioButton : public QRadioButton, public Skinned {
  Q_OBJECT
 public:
  explicit SkinRadioButton(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
  void StyleChanged() override { update(); }
};

class SkinCheckBox : public QCheckBox, public Skinned {
  Q_OBJECT
 public:
  explicit SkinCheckBox(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
  void StyleChanged() override { update(); }
};

// A one-line edit with a flat outline.
class SkinEdit : public QLineEdit, public Skinned {
  Q_OBJECT
 public:
  explicit SkinEdit(QWidget* parent = nullptr);

 protected:
  void StyleChanged() override;
};

// A report-style list: rows with columns, a header, whole-row selection, one row at a time.
class SkinListView : public QTreeWidget, public Skinned {
  Q_OBJECT
 public:
  explicit SkinListView(QWidget* parent = nullptr);

 protected:
  void StyleChanged() override;
};

}  // namespace skin
