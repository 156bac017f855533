#include "skin/skin_style.h"

namespace skin {

namespace {

// Each look: form, control, border, font, button font, title font, title gradient, button
// gradient, hover outline, highlight, bar gradient, disabled font.
struct Look {
  QRgb form, control, border, font, buttonFont, titleFont, titleTop, titleBottom, buttonTop,
      buttonBottom, buttonHover, highlight, barTop, barBottom, disabledFont;
};

constexpr Look kLooks[] = {
    // MacOS: brushed silver with a graphite title and an aqua highlight.
    {0xeeeeee, 0xfbfbfb, 0x8c8c8c, 0x1e1e1e, 0x1e1e1e, 0x202020, 0xe4e4e4, 0xb4b4b4, 0xffffff,
     0xd8d8d8, 0x3d7fe0, 0x3d7fe0, 0x9cc6fa, 0x2f6fd8, 0xa0a0a0},
    // WinXP: a warm beige form under a royal blue title, a green bar.
    {0xece9d8, 0xffffff, 0x7f9db9, 0x000000, 0x000000, 0xffffff, 0x3a80f3, 0x0a3fbf, 0xffffff,
     0xd6d0c0, 0xf6b442, 0x316ac5, 0x8fe38b, 0x2aa52a, 0xaca899},
    // DeepBlue.
    {0xffffff, 0xf7f9fe, 0x4a6fb0, 0x121f45, 0x0d245c, 0xffffff, 0x356cc4, 0x14367a, 0xf6f9ff,
     0xc4d6f3, 0x1f5cd6, 0x275fc8, 0x7daaf2, 0x1d4fad, 0x9aa3b5},
    // Protein: leaf green over a pale mint form.
    {0xf1f8ef, 0xffffff, 0x5a9a4c, 0x1d3318, 0x1d3318, 0xffffff, 0x6fbf52, 0x2f7a22, 0xfbfff9,
     0xcfe8c6, 0x3f8f2e, 0x3f8f2e, 0xa6e08f, 0x3b8a2b, 0x9fb09a},
    // BlueGlass: pale cyan glass with a teal title.
    {0xeaf6fb, 0xfdffff, 0x5aa6c4, 0x103544, 0x103544, 0xffffff, 0x7fd0ea, 0x1f7f9f, 0xffffff,
     0xbfe6f3, 0x1f98c4, 0x2a9cc8, 0xa4e6f7, 0x2189b3, 0x96adb6},
};

StyleColors ColorsOfLook(const Look& look) {
  StyleColors c;
  c.form = QColor(look.form);
  c.control = QColor(look.control);
  c.border = QColor(look.border);
  c.font = QColor(look.font);
  c.buttonFont = QColor(look.buttonFont);
  c.titleFont = QColor(look.titleFont);
  c.titleTop = QColor(look.titleTop);
  c.titleBottom = QColor(look.titleBottom);
  c.buttonTop = QColor(look.buttonTop);
  c.buttonBottom = QColor(look.buttonBottom);
  c.buttonHover = QColor(look.buttonHover);
  c.highlight = QColor(look.highlight);
  c.barTop = QColor(look.barTop);
  c.barBottom = QColor(look.barBottom);
  c.disabledFont = QColor(look.disabledFont);
  return c;
}

}  // namespace

const StyleColors& ColorsOf(TsuiUIStyle style) {
  static const StyleColors looks[] = {ColorsOfLook(kLooks[0]), ColorsOfLook(kLooks[1]),
                                      ColorsOfLook(kLooks[2]), ColorsOfLook(kLooks[3]),
                                      ColorsOfLook(kLooks[4])};
  switch (style) {
    case TsuiUIStyle::MacOS:
      return looks[0];
    case TsuiUIStyle::WinXP:
      return looks[1];
    case TsuiUIStyle::Protein:
      return looks[3];
    case TsuiUIStyle::BlueGlass:
      return looks[4];
    case TsuiUIStyle::FromThemeFile:
    case TsuiUIStyle::DeepBlue:
      break;
  }
  return looks[2];
}

}  // namespace skin
