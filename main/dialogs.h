// The main program's one seam for everything that waits for the user or hands something to
// the desktop: message boxes, the file-open dialog, the folder browser, opening a folder or
// a web page. The windows call these; tests answer them without a modal loop.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace quorbit {

class Dialogs {
 public:
  enum class Icon { None, Information, Warning, Error };

  virtual ~Dialogs() = default;

  // A modal message box with one OK button, owned by owner; returns when it is closed.
  virtual void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                           Icon icon) = 0;

  // The file-open dialog: several existing files may be chosen. Empty on cancel.
  virtual QStringList ChooseFiles(QWidget* owner, const QString& title, const QString& filter) = 0;

  // The folder browser. True with *folder set when the user chose a folder.
  virtual bool BrowseForFolder(QWidget* owner, const QString& title, QString* folder) = 0;

  // Opens a folder or a web address in the desktop's handler.
  virtual void OpenInShell(const QString& target) = 0;
};

// The real thing: QMessageBox, QFileDialog and QDesktopServices.
class QtDialogs : public Dialogs {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption, Icon icon) override;
  QStringList ChooseFiles(QWidget* owner, const QString& title, const QString& filter) override;
  bool BrowseForFolder(QWidget* owner, const QString& title, QString* folder) override;
  void OpenInShell(const QString& target) override;
};

}  // namespace quorbit
