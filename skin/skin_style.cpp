#include "skin/skin_style.h"

namespace skin {

namespace {

StyleColors DeepBlueColors() {
  StyleColors c;
  c.form = QColor(0xff, 0xff, 0xff);
  c.control = QColor(0xf7, 0xf9, 0xfe);
  c.border = QColor(0x4a, 0x6f, 0xb0);
  c.font = QColor(0x12, 0x1f, 0x45);
  c.buttonFont = QColor(0x0d, 0x24, 0x5c);
  c.titleFont = QColor(0xff, 0xff, 0xff);
  c.titleTop = QColor(0x35, 0x6c, 0xc4);
  c.titleBottom = QColor(0x14, 0x36, 0x7a);
  c.buttonTop = QColor(0xf6, 0xf9, 0xff);
  c.buttonBottom = QColor(0xc4, 0xd6, 0xf3);
  c.buttonHover = QColor(0x1f, 0x5c, 0xd6);
  c.highlight = QColor(0x27, 0x5f, 0xc8);
  c.barTop = QColor(0x7d, 0xaa, 0xf2);
  c.barBottom = QColor(0x1d, 0x4f, 0xad);
  c.disabledFont = QColor(0x9a, 0xa3, 0xb5);
  return c;
}

}  // namespace

const StyleColors& ColorsOf(TsuiUIStyle) {
  static const StyleColors deepBlue = DeepBlueColors();
  return deepBlue;
}

}  // namespace skin
