// A window's theme file: finding it, loading it, and the lookups controls draw from.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

#include "skin/skin_data.h"
#include "skin/skin_style.h"

class QWidget;

namespace skin {

// The skin data of one theme archive, with its bitmaps decoded.
class Tsk2SkinFileReader {
 public:
  // Reads the archive at `path`. Throws std::runtime_error("Failed to read skin file!") for a
  // file that is not a readable theme; ok() is false for one whose skin data inflated to
  // another size than it declares.
  Tsk2SkinFileReader(const std::string& path, const std::string& password);

  bool ok() const { return ok_; }
  const SkinTables& tables() const { return tables_; }
  // The decoded bitmap filed under `name` (any case); a null image when there is none or
  // it is not a bitmap Qt can read.
  QImage bitmap(std::string_view name) const;

 private:
  bool ok_ = false;
  SkinTables tables_;
  QHash<QString, QImage> bitmaps_;  // by upper-case name
};

// Holds the reader of the loaded theme file.
class TsuiFileThemeMgr {
 public:
  // Loads the theme at `path`. False when there is no file there or it cannot be read; the
  // reader loaded before stays then.
  bool Load(const std::string& path, const std::string& password);
  const Tsk2SkinFileReader* reader() const { return reader_.get(); }

 private:
  std::unique_ptr<Tsk2SkinFileReader> reader_;
};

// The theme component of a window. Controls whose style is FromThemeFile and whose
// FileTheme is this component draw from its file while it is Ready.
class TsuiFileTheme : public QObject {
  Q_OBJECT
 public:
  explicit TsuiFileTheme(QWidget* owner);

  const QString& ThemeFile() const { return themeFile_; }
  const QString& Password() const { return password_; }
  // A non-empty password loads the current theme file again with it.
  void setPassword(const QString& password);
  bool Ready() const { return ready_; }

  // Looks for the file at `path`, then under its file name in the program's folder, the
  // Windows folder and the system folder; loads the first found. Finding none changes
  // nothing. A file that cannot be read leaves an earlier theme in place, silently.
  void SetThemeFile(const QString& path);

  // Where "beside the program" is; the running program's folder unless set.
  void setProgramFolder(const QString& folder) { programFolder_ = folder; }

  // The value under colour key 0..31 or position key 0..8: -1 when missing or not a
  // number, 0 when no theme is loaded.
  int GetColor(int index) const;
  int GetPosition(int index) const;
  // The bitmap under key 0..33; a null image when there is none.
  QImage GetBitmap(int index) const;
  // The byte under flag key 0..8 is non-zero.
  bool GetFlag(int index) const;

  // The colours the theme paints with: its own where it names them, DeepBlue's elsewhere.
  const StyleColors& colors() const { return colors_; }

 private:
  int IntegerOf(const char* key) const;
  void ReadColors();
  void RefreshControls(bool hadThemeFile);

  QWidget* owner_;
  QString themeFile_, password_, programFolder_;
  bool ready_ = false;
  TsuiFileThemeMgr manager_;
  StyleColors colors_;
};

// The style a control draws in: its own unless FromThemeFile; FromThemeFile while the theme
// exists and is Ready; DeepBlue otherwise.
TsuiUIStyle ResolveStyle(const TsuiFileTheme* theme, TsuiUIStyle style);

// Sets every skinned control of the window, the window itself included, to draw from the
// theme file.
void UseThemeFile(QWidget* window, TsuiFileTheme* theme);

}  // namespace skin
