// Paths from their text back to their bytes: names that are not UTF-8 are found again by
// the text they show, when that text is theirs alone.
#include <filesystem>

#include <QFile>

#include <gtest/gtest.h>

#include "main/local_path.h"
#include "test_support.h"

namespace {

using quorbit::LocalPath;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

QString Shown(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

TEST(LocalPath, FindsTheBytesBehindTheTextWhenOnlyOneEntryShowsIt) {
  TempDir dir;
  const std::string latin = dir.File("caf\xe9");
  std::filesystem::create_directory(latin);
  WriteWholeFile(latin + "/clip \xff.flv", "");
  // Two names that show as the same text: neither can be told.
  WriteWholeFile(dir.File("twin\xfe.flv"), "");
  WriteWholeFile(dir.File("twin\xfd.flv"), "");
  struct Case {
    const char* name;
    QString text;
    std::string bytes;
  };
  const Case cases[] = {
      {"plain UTF-8", Shown(dir.File("gr\xc3\xbc\xc3\x9f.flv")),
       dir.File("gr\xc3\xbc\xc3\x9f.flv")},
      {"bad bytes in the folder and the name", Shown(latin + "/clip \xff.flv"),
       latin + "/clip \xff.flv"},
      {"a folder with a trailing slash", Shown(latin + "/"), latin + "/"},
      {"two entries show the same text", Shown(dir.File("twin\xfe.flv")),
       dir.File("twin\xef\xbf\xbd.flv")},
      {"nothing of that name", Shown(dir.File("gone\xff.flv")), dir.File("gone\xef\xbf\xbd.flv")},
      {"a relative path is left as it is", Shown("caf\xe9"), "caf\xef\xbf\xbd"},
  };
  for (const Case& c : cases) EXPECT_EQ(LocalPath(c.text), c.bytes) << c.name;
}

}  // namespace
