#include "main/local_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>

namespace quorbit {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The one entry of folder whose name decodes to name, or empty.
std::string EntryShownAs(const std::string& folder, const QString& name) {
  DIR* d = opendir(folder.empty() ? "/" : folder.c_str());
  if (!d) return "";
  std::string found;
  int matches = 0;
  while (dirent* e = readdir(d)) {
    if (QFile::decodeName(QByteArray(e->d_name)) == name) {
      found = e->d_name;
      ++matches;
    }
  }
  closedir(d);
  return matches == 1 ? found : "";
}

}  // namespace

std::string LocalPath(const QString& path) {
  const std::string encoded = QFile::encodeName(path).toStdString();
  if (!path.startsWith('/') || !path.contains(QChar::ReplacementCharacter) || Exists(encoded))
    return encoded;
  std::string local;  // the bytes found so far, without a trailing '/'
  for (const QString& name : path.split('/', Qt::SkipEmptyParts)) {
    std::string next = local + "/" + QFile::encodeName(name).toStdString();
    if (!Exists(next) && name.contains(QChar::ReplacementCharacter)) {
      const std::string entry = EntryShownAs(local, name);
      if (entry.empty()) return encoded;
      next = local + "/" + entry;
    }
    local = next;
  }
  // A trailing '/' (a folder typed with one) is kept.
  return path.endsWith('/') ? local + "/" : local;
}

}  // namespace quorbit
