// The windows carry a theme component: every skinned control draws from "OneOrange.ssk"
// when it is found, and in DeepBlue when it is not.
#include <QFileInfo>

#include <gtest/gtest.h>

#include "gui_support.h"
#include "main/form_layout.h"
#include "main/load_form.h"
#include "main/settings_form.h"
#include "theme_writer.h"

namespace {

using namespace gui_testing;
using skin::TsuiUIStyle;

// Every skinned control of the window (the window too) that does not draw from `theme`.
std::vector<std::string> NotOnTheme(QWidget* window, const skin::TsuiFileTheme* theme) {
  std::vector<std::string> off;
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* w : widgets) {
    auto* s = dynamic_cast<skin::Skinned*>(w);
    if (s && (s->UIStyle() != TsuiUIStyle::FromThemeFile || s->FileTheme() != theme))
      off.push_back(w->objectName().toStdString());
  }
  return off;
}

class ThemedWindows : public ::testing::Test {
 protected:
  ThemedWindows() { InstallEncoderPackage(app_.path()); }

  testing_support::PrivateSystemFolder system_;
  testing_support::TempDir app_;
  FakeDialogs dialogs_;
  FakeRunner runner_;
};

TEST_F(ThemedWindows, WithoutTheThemeFileTheWindowsDrawDeepBlueAndSayNothing) {
  quorbit::TForm1 form(&dialogs_, &runner_, app_.path());
  quorbit::TsettingForm settings(&form, &dialogs_);
  form.show();
  QCoreApplication::processEvents();
  for (skin::SkinFrame* window :
       {static_cast<skin::SkinFrame*>(&form), static_cast<skin::SkinFrame*>(&settings)}) {
    auto* theme = window->findChild<skin::TsuiFileTheme*>("suiFileTheme1");
    ASSERT_NE(theme, nullptr);
    EXPECT_FALSE(theme->Ready());
    EXPECT_EQ(theme->ThemeFile(), "");
    EXPECT_EQ(NotOnTheme(window, theme), std::vector<std::string>{});
    EXPECT_EQ(window->resolvedStyle(), TsuiUIStyle::DeepBlue);
  }
  EXPECT_EQ(form.suiconvertButton->colors().buttonFont,
            skin::ColorsOf(TsuiUIStyle::DeepBlue).buttonFont);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(ThemedWindows, TheThemeBesideTheProgramIsFoundAndDrawn) {
  ASSERT_FALSE(QFileInfo::exists(quorbit::kThemeFile));
  const std::string file = app_.File("OneOrange.ssk");
  testing_support::WriteWholeFile(file, theme_writer::Theme(theme_writer::OrangeEntries()));
  quorbit::TForm1 form(&dialogs_, &runner_, app_.path());
  quorbit::TsettingForm settings(&form, &dialogs_);
  for (skin::SkinFrame* window :
       {static_cast<skin::SkinFrame*>(&form), static_cast<skin::SkinFrame*>(&settings)}) {
    auto* theme = window->findChild<skin::TsuiFileTheme*>("suiFileTheme1");
    ASSERT_NE(theme, nullptr);
    EXPECT_TRUE(theme->Ready());
    EXPECT_EQ(theme->ThemeFile().toStdString(), file);
    EXPECT_EQ(NotOnTheme(window, theme), std::vector<std::string>{});
    EXPECT_EQ(window->colors().form, QColor(QRgb(theme_writer::kOrangeForm)));
  }
  EXPECT_EQ(form.suiProgressBar1->resolvedStyle(), TsuiUIStyle::FromThemeFile);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST(ThemedSplash, ItsBarKeepsItsOwnLook) {
  quorbit::TloadForm loadForm;
  auto* theme = loadForm.findChild<skin::TsuiFileTheme*>("suiFileTheme1");
  ASSERT_NE(theme, nullptr);
  EXPECT_EQ(loadForm.UIStyle(), TsuiUIStyle::FromThemeFile);
  EXPECT_EQ(loadForm.suiProgressBar1->UIStyle(), TsuiUIStyle::WinXP);
  EXPECT_EQ(loadForm.suiProgressBar1->FileTheme(), theme);
  EXPECT_EQ(loadForm.suiProgressBar1->colors().barBottom,
            skin::ColorsOf(TsuiUIStyle::WinXP).barBottom);
}

}  // namespace
