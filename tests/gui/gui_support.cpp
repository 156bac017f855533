#include "gui_support.h"

#include <QImage>

#include <filesystem>

namespace gui_testing {

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return testing_support::WaitUntil(
      [&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return condition();
      },
      timeout);
}

void InstallEncoderPackage(const std::string& appFolder) {
  std::filesystem::copy_file(QUORBIT_APP_DIR "norcel.dll", appFolder + "/norcel.dll",
                             std::filesystem::copy_options::overwrite_existing);
}

void WriteJpeg(const std::string& path, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  if (!image.save(QString::fromStdString(path), "JPG"))
    throw std::runtime_error("cannot write the test's JPEG " + path);
}

std::vector<std::vector<std::string>> VisibleRows(const quorbit::TForm1& form) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < form.suiListView1->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = form.suiListView1->topLevelItem(i);
    rows.push_back(
        {item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString()});
  }
  return rows;
}

}  // namespace gui_testing
