#include "main/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace quorbit {

void QtDialogs::ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                            Icon icon) {
  QMessageBox box(owner);
  box.setWindowTitle(caption);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  switch (icon) {
    case Icon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case Icon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case Icon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case Icon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  box.exec();
}

QStringList QtDialogs::ChooseFiles(QWidget* owner, const QString& title, const QString& filter) {
  QFileDialog dialog(owner, title, QString(), filter);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

bool QtDialogs::BrowseForFolder(QWidget* owner, const QString& title, QString* folder) {
  const QString chosen =
      QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return false;
  *folder = chosen;
  return true;
}

void QtDialogs::OpenInShell(const QString& target) {
  const QUrl url = target.contains("://") ? QUrl(target) : QUrl::fromLocalFile(target);
  QDesktopServices::openUrl(url);
}

}  // namespace quorbit
