#include "skin/skin_theme.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QWidget>

#include "platform/folders.h"
#include "skin/skin_frame.h"
#include "skin/theme_archive.h"

namespace skin {
namespace {

// No theme archive comes near this; a larger file is not read into memory.
constexpr std::streamoff kMaxArchiveSize = static_cast<std::streamoff>(2 * kMaxSkinDataSize);

[[noreturn]] void Fail() {
  throw std::runtime_error("Failed to read skin file!");
}

std::string ReadArchive(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail();
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaxArchiveSize) Fail();
  in.seekg(0);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), size)) Fail();
  return bytes;
}

bool WriteNewFile(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && done == bytes.size();
}

// Removes the extracted skin data however the reading ends.
struct TemporaryFile {
  std::string path;
  ~TemporaryFile() {
    if (!path.empty()) ::unlink(path.c_str());
  }
};

// A decimal integer with an optional sign and nothing else.
bool ParseInteger(const std::string& text, int* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || end == text.c_str() || v < INT32_MIN || v > INT32_MAX)
    return false;
  *value = static_cast<int>(v);
  return true;
}

// A theme colour is stored with red in its low byte.
QColor FromThemeColor(int value) {
  return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

}  // namespace

Tsk2SkinFileReader::Tsk2SkinFileReader(const std::string& path, const std::string& password) {
  const std::string archive = ReadArchive(path);
  std::string member;
  const ArchiveResult result = ExtractSkinData(reinterpret_cast<const uint8_t*>(archive.data()),
                                               archive.size(), password, &member);
  if (result == ArchiveResult::kSizeMismatch) return;
  if (result != ArchiveResult::kOk) Fail();

  // The skin data goes through a file of its own in the temporary folder, as it always has.
  TemporaryFile extracted;
  extracted.path =
      QFile::encodeName(QDir::tempPath() + "/" + QUuid::createUuid().toString()).toStdString();
  if (!WriteNewFile(extracted.path, member)) Fail();
  member.clear();
  std::ifstream in(extracted.path, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) Fail();
  if (!ParseSkinData(data, &tables_)) Fail();
  for (const auto& [name, bytes] : tables_.bitmaps) {
    const QString key = QString::fromStdString(name).toUpper();
    if (bitmaps_.contains(key)) continue;
    bitmaps_.insert(key, QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                          static_cast<int>(bytes.size()), "BMP"));
  }
  ok_ = true;
}

QImage Tsk2SkinFileReader::bitmap(std::string_view name) const {
  return bitmaps_.value(QString::fromUtf8(name.data(), static_cast<int>(name.size())).toUpper());
}

bool TsuiFileThemeMgr::Load(const std::string& path, const std::string& password) {
  if (!QFileInfo(QFile::decodeName(path.c_str())).isFile()) return false;
  try {
    auto next = std::make_unique<Tsk2SkinFileReader>(path, password);
    if (!next->ok()) return false;
    reader_ = std::move(next);
    return true;
  } catch (...) {
    return false;
  }
}

TsuiFileTheme::TsuiFileTheme(QWidget* owner)
    : QObject(owner),
      owner_(owner),
      programFolder_(QString::fromStdString(platform::ProgramFolder())),
      colors_(ColorsOf(TsuiUIStyle::DeepBlue)) {}

void TsuiFileTheme::setPassword(const QString& password) {
  password_ = password;
  if (!password_.isEmpty()) SetThemeFile(themeFile_);
}

void TsuiFileTheme::SetThemeFile(const QString& path) {
  const bool hadThemeFile = !themeFile_.isEmpty();
  QString candidate = path;
  if (!QFileInfo(candidate).isFile()) {
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    const QString folders[] = {programFolder_, QString::fromStdString(platform::WindowsFolder()),
                               QString::fromStdString(platform::SystemFolder())};
    candidate.clear();
    for (const QString& folder : folders) {
      const QString there =
          QString::fromStdString(platform::WithTrailingSlash(folder.toStdString())) + name;
      if (!name.isEmpty() && QFileInfo(there).isFile()) {
        candidate = there;
        break;
      }
    }
    if (candidate.isEmpty()) return;
  }

  const bool loaded = manager_.Load(QFile::encodeName(candidate).toStdString(),
                                    QFile::encodeName(password_).toStdString());
  if (!loaded) {
    // An earlier theme keeps drawing; without one the controls stay DeepBlue.
    if (!manager_.reader()) {
      themeFile_ = candidate;
      ready_ = false;
    }
    return;
  }
  themeFile_ = candidate;
  ready_ = true;
  ReadColors();
  RefreshControls(hadThemeFile);
}

int TsuiFileTheme::IntegerOf(const char* key) const {
  if (!ready_ || !manager_.reader()) return 0;
  const auto text = LineValue(manager_.reader()->tables().integers, key);
  int value = 0;
  if (!text || !ParseInteger(*text, &value)) return -1;
  return value;
}

int TsuiFileTheme::GetColor(int index) const {
  if (index < 0 || index >= kColorKeyCount) return -1;
  return IntegerOf(kColorKeys[index]);
}

int TsuiFileTheme::GetPosition(int index) const {
  if (index < 0 || index >= kPositionKeyCount) return -1;
  return IntegerOf(kPositionKeys[index]);
}

QImage TsuiFileTheme::GetBitmap(int index) const {
  if (!ready_ || !manager_.reader() || index < 0 || index >= kBitmapKeyCount) return QImage();
  return manager_.reader()->bitmap(kBitmapKeys[index]);
}

bool TsuiFileTheme::GetFlag(int index) const {
  if (!ready_ || !manager_.reader() || index < 0 || index >= kFlagKeyCount) return false;
  const auto text = LineValue(manager_.reader()->tables().bytes, kFlagKeys[index]);
  int value = 0;
  return text && ParseInteger(*text, &value) && value != 0;
}

void TsuiFileTheme::ReadColors() {
  StyleColors c = ColorsOf(TsuiUIStyle::DeepBlue);
  auto take = [this](int key, QColor* field) {
    const int value = GetColor(key);
    if (value < 0) return false;
    *field = FromThemeColor(value);
    return true;
  };
  take(kFormColor, &c.form);
  const bool control = take(kControlColor, &c.control);
  const bool border = take(kControlBorderColor, &c.border);
  take(kControlFontColor, &c.font);
  take(kButtonFontColor, &c.buttonFont);
  take(kTitleFontColor, &c.titleFont);
  if (!take(kSelectedMenuColor, &c.highlight) && border) c.highlight = c.border;
  // What the theme does not name follows from what it does.
  if (border) {
    c.titleTop = c.border.lighter(125);
    c.titleBottom = c.border.darker(135);
    c.buttonHover = c.border.darker(125);
  }
  if (control) {
    c.buttonTop = c.control.lighter(104);
    c.buttonBottom = c.control.darker(118);
  }
  c.barTop = c.highlight.lighter(150);
  c.barBottom = c.highlight;
  colors_ = c;
}

void TsuiFileTheme::RefreshControls(bool hadThemeFile) {
  if (!owner_) return;
  QList<QWidget*> widgets = owner_->findChildren<QWidget*>();
  widgets.prepend(owner_);
  for (QWidget* widget : widgets) {
    auto* skinned = dynamic_cast<Skinned*>(widget);
    if (!skinned || skinned->FileTheme() != this) continue;
    skinned->setFileTheme(nullptr);
    skinned->setFileTheme(this);
    // A frame that drew an earlier theme lays out and paints its title bar anew.
    if (hadThemeFile && dynamic_cast<SkinFrame*>(widget)) widget->update();
  }
}

TsuiUIStyle ResolveStyle(const TsuiFileTheme* theme, TsuiUIStyle style) {
  if (style != TsuiUIStyle::FromThemeFile) return style;
  return theme && theme->Ready() ? TsuiUIStyle::FromThemeFile : TsuiUIStyle::DeepBlue;
}

void UseThemeFile(QWidget* window, TsuiFileTheme* theme) {
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* widget : widgets) {
    if (auto* skinned = dynamic_cast<Skinned*>(widget)) {
      skinned->setUIStyle(TsuiUIStyle::FromThemeFile);
      skinned->setFileTheme(theme);
    }
  }
}

TsuiFileTheme* Skinned::FileTheme() const {
  return theme_.data();
}

void Skinned::setFileTheme(TsuiFileTheme* theme) {
  theme_ = theme;
  StyleChanged();
}

TsuiUIStyle Skinned::resolvedStyle() const {
  return ResolveStyle(theme_.data(), style_);
}

const StyleColors& Skinned::colors() const {
  const TsuiUIStyle style = resolvedStyle();
  if (style == TsuiUIStyle::FromThemeFile) return theme_->colors();
  return ColorsOf(style);
}

QImage Skinned::themeBitmap(int key) const {
  if (resolvedStyle() != TsuiUIStyle::FromThemeFile) return QImage();
  return theme_->GetBitmap(key);
}

}  // namespace skin
