// Theme files: the archive rules, the skin data chain, and the theme component the windows
// carry. Every theme is made here by the theme writer.
#include <filesystem>
#include <functional>

#include <QImage>

#include <gtest/gtest.h>

#include "platform/folders.h"
#include "skin/skin_controls.h"
#include "skin/skin_data.h"
#include "skin/skin_frame.h"
#include "skin/skin_theme.h"
#include "skin/theme_archive.h"
#include "test_support.h"
#include "theme_writer.h"

namespace {

namespace tw = theme_writer;
using skin::ArchiveResult;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

ArchiveResult Extract(const std::string& archive, const std::string& password,
                      std::string* member) {
  return skin::ExtractSkinData(reinterpret_cast<const uint8_t*>(archive.data()), archive.size(),
                               password, member);
}

TEST(ThemeArchive, ReadsOnlyWhatTheRulesAllow) {
  const std::string data = tw::SkinData(tw::OrangeEntries());
  auto with = [&](auto change) {
    tw::ZipOptions o;
    change(o);
    return tw::Zip(data, o);
  };
  const std::string plain = tw::Zip(data);
  std::string unreadable = plain;  // every deflate byte 0xff: an invalid block type
  const size_t start = 30 + std::string(skin::kSkinDataMember).size();
  for (size_t i = start; i < start + 8; ++i) unreadable[i] = '\xff';
  struct Case {
    const char* name;
    std::string archive, password;
    ArchiveResult expected;
  } cases[] = {
      {"deflated member", plain, "", ArchiveResult::kOk},
      {"member name in another case", with([](auto& o) { o.memberName = "SkinData.sk2"; }), "",
       ArchiveResult::kOk},
      {"beside other members", with([](auto& o) {
         o.otherMembers = {{"readme.txt", "hello"}, {"a/b.bmp", "x"}};
       }),
       "", ArchiveResult::kOk},
      {"password given for a plain member", plain, "secret", ArchiveResult::kOk},
      {"archive comment", with([](auto& o) { o.comment = "made by hand"; }), "",
       ArchiveResult::kNotAnArchive},
      {"bytes before PK", "XX" + plain, "", ArchiveResult::kNotAnArchive},
      {"byte after the end record", plain + '\0', "", ArchiveResult::kNotAnArchive},
      {"truncated", plain.substr(0, plain.size() / 2), "", ArchiveResult::kNotAnArchive},
      {"empty", "", "", ArchiveResult::kNotAnArchive},
      {"no skin data member", with([](auto& o) { o.memberName = "SKINDATA.SK3"; }), "",
       ArchiveResult::kNoMember},
      {"stored, not deflated", with([](auto& o) { o.stored = true; }), "",
       ArchiveResult::kUnsupported},
      {"encrypted, no password", with([](auto& o) { o.password = "orange"; }), "",
       ArchiveResult::kNeedsPassword},
      {"encrypted, right password", with([](auto& o) { o.password = "orange"; }), "orange",
       ArchiveResult::kOk},
      {"encrypted, wrong password", with([](auto& o) { o.password = "orange"; }), "lemon",
       ArchiveResult::kWrongPassword},
      {"encrypted with a data descriptor, right password", with([](auto& o) {
         o.password = "orange";
         o.dataDescriptor = true;
       }),
       "orange", ArchiveResult::kOk},
      {"declared size beyond the cap",
       with([](auto& o) { o.declaredSize = skin::kMaxSkinDataSize + 1; }), "",
       ArchiveResult::kTooLarge},
      {"declared size one short",
       with([&](auto& o) { o.declaredSize = static_cast<uint32_t>(data.size() - 1); }), "",
       ArchiveResult::kSizeMismatch},
      {"declared size one over",
       with([&](auto& o) { o.declaredSize = static_cast<uint32_t>(data.size() + 1); }), "",
       ArchiveResult::kSizeMismatch},
      {"damaged deflate stream", unreadable, "", ArchiveResult::kDamaged},
  };
  for (const Case& c : cases) {
    std::string member = "left over";
    EXPECT_EQ(Extract(c.archive, c.password, &member), c.expected) << c.name;
    EXPECT_EQ(member, c.expected == ArchiveResult::kOk ? data : "") << c.name;
  }
}

TEST(SkinData, ChainFilesEveryRecordButTheLast) {
  // Three records, the third ending the chain: two entries.
  skin::SkinTables tables;
  ASSERT_TRUE(skin::ParseSkinData(
      tw::SkinData({tw::Integer("SKIN2_FORMCOLOR", -5), tw::Text("NOTE", "a=b")}), &tables));
  EXPECT_EQ(tables.integers, std::vector<std::string>{"SKIN2_FORMCOLOR=-5"});
  EXPECT_EQ(tables.texts, std::vector<std::string>{"NOTE=a=b"});
  EXPECT_TRUE(tables.bytes.empty());
  EXPECT_TRUE(tables.bitmaps.empty());

  ASSERT_TRUE(skin::ParseSkinData(tw::SkinData(tw::OrangeEntries()), &tables));
  EXPECT_EQ(skin::LineValue(tables.bytes, "skin2_titlebtntrans"), "1");
  EXPECT_EQ(skin::LineValue(tables.integers, "SKIN2_TITLEBARCAPTIONTOP"), "6");
  EXPECT_EQ(skin::LineValue(tables.integers, "SKIN2_MISSING"), std::nullopt);
  ASSERT_NE(skin::FindBitmap(tables, "skin2_titlebar2"), nullptr);
  EXPECT_EQ(skin::FindBitmap(tables, "SKIN2_TITLEBAR2")->substr(0, 2), "BM");
}

TEST(SkinData, ShortIntegersUnknownTypesAndLongNames) {
  tw::Entry shortInt{"SHORT", 1, std::string("\xff\x7f", 2)};
  tw::Entry unknown{"LATER", 9, "whatever"};
  const std::string longName(64, 'N');
  std::string data = tw::SkinData({shortInt, unknown, tw::Byte(longName, 200)});
  // The unknown entry's data is never read, wherever it points.
  tw::Put32(&data, tw::RecordOffset(1) + 65, 0xfffffff0u);
  skin::SkinTables tables;
  ASSERT_TRUE(skin::ParseSkinData(data, &tables));
  EXPECT_EQ(tables.integers, std::vector<std::string>{"SHORT=32767"});
  EXPECT_EQ(tables.bytes, std::vector<std::string>{longName + "=200"});
}

TEST(SkinData, HostileDataIsRejected) {
  const std::vector<tw::Entry> entries = {tw::Integer("A", 1),
                                          tw::Bitmap("B", tw::SolidBmp(1, 1, 0)), tw::Byte("C", 1)};
  const std::string good = tw::SkinData(entries);
  auto patched = [&](size_t offset, uint32_t value) {
    std::string d = good;
    tw::Put32(&d, offset, value);
    return d;
  };
  auto one = [](tw::Entry e) { return tw::SkinData({e}); };
  std::vector<tw::Entry> many;
  for (size_t i = 0; i <= skin::kMaxEntryRecords; ++i) many.push_back(tw::Text("T", ""));
  const auto size = static_cast<uint32_t>(good.size());
  struct Case {
    const char* name;
    std::string data;
  } cases[] = {
      {"shorter than the header", good.substr(0, 23)},
      {"header size beyond the data", patched(12, size + 1)},
      {"first record outside the header", patched(20, static_cast<uint32_t>(tw::RecordOffset(4)))},
      {"record beyond the data", patched(tw::RecordOffset(1) + 73, size - 10)},
      {"chain back to the first record", patched(tw::RecordOffset(2) + 73, tw::kFirstRecord)},
      {"chain onto itself", patched(tw::RecordOffset(1) + 73, tw::RecordOffset(1))},
      {"data offset beyond the data", patched(tw::RecordOffset(0) + 65, size + 1)},
      {"data length past the end", patched(tw::RecordOffset(1) + 69, size)},
      {"data offset and length wrapping", patched(tw::RecordOffset(1) + 69, 0xffffffffu)},
      {"integer of five bytes", one({"I", 1, "12345"})},
      {"byte of two bytes", one({"B", 2, "12"})},
      {"byte of no bytes", one({"B", 2, ""})},
      {"empty bitmap", one({"P", 0, ""})},
      {"more records than any theme has", tw::SkinData(many)},
  };
  skin::SkinTables tables;
  ASSERT_TRUE(skin::ParseSkinData(good, &tables));
  for (const Case& c : cases) {
    tables.integers = {"stale=1"};
    EXPECT_FALSE(skin::ParseSkinData(c.data, &tables)) << c.name;
    EXPECT_TRUE(tables.integers.empty() && tables.bitmaps.empty()) << c.name;
  }
  // One entry fewer than the bound still reads.
  many.pop_back();
  many.pop_back();
  EXPECT_TRUE(skin::ParseSkinData(tw::SkinData(many), &tables));
  EXPECT_EQ(tables.texts.size(), skin::kMaxEntryRecords - 1);
}

// A window with a theme component, in private program, Windows, system and temporary
// folders.
class ThemeComponent : public ::testing::Test {
 protected:
  ThemeComponent()
      : windowsEnv_("QUORBIT_WINDOWS_DIR", windows_.path()),
        tmpEnv_("TMPDIR", tmp_.path()),
        frame_(new skin::SkinFrame),
        button_(new skin::SkinButton("Go", frame_->clientArea())),
        theme_(new skin::TsuiFileTheme(frame_.get())) {
    theme_->setProgramFolder(QString::fromStdString(program_.path()));
    skin::UseThemeFile(frame_.get(), theme_);
  }

  // The name the windows store, at a path where it is not.
  static QString StoredPath() { return "/nonexistent/skins/OneOrange.ssk"; }
  static QColor OrangeForm() { return QColor(QRgb(tw::kOrangeForm)); }

  bool TemporaryFolderEmpty() const { return std::filesystem::is_empty(tmp_.path()); }

  TempDir program_, windows_, tmp_;
  testing_support::PrivateSystemFolder system_;
  ScopedEnv windowsEnv_, tmpEnv_;
  std::unique_ptr<skin::SkinFrame> frame_;
  skin::SkinButton* button_;
  skin::TsuiFileTheme* theme_;
};

TEST_F(ThemeComponent, WithoutAThemeFileEverythingDrawsDeepBlue) {
  theme_->SetThemeFile(StoredPath());
  EXPECT_FALSE(theme_->Ready());
  EXPECT_EQ(theme_->ThemeFile(), "");
  EXPECT_EQ(theme_->GetColor(skin::kFormColor), 0);
  EXPECT_EQ(theme_->GetPosition(0), 0);
  EXPECT_FALSE(theme_->GetFlag(4));
  EXPECT_TRUE(theme_->GetBitmap(skin::kTitleBar2).isNull());
  EXPECT_EQ(button_->resolvedStyle(), skin::TsuiUIStyle::DeepBlue);
  EXPECT_EQ(frame_->colors().form, skin::ColorsOf(skin::TsuiUIStyle::DeepBlue).form);
}

TEST_F(ThemeComponent, LooksInEachPlaceInTurn) {
  const std::string orange = tw::Theme(tw::OrangeEntries());
  struct Case {
    const char* name;
    std::string folder;  // where the theme goes; the given path names it when it is there
    bool atGivenPath;
  } cases[] = {
      {"the given path", tmp_.path() + "/given", true},
      {"beside the program", program_.path(), false},
      {"the Windows folder", windows_.path(), false},
      {"the system folder", system_.folder(), false},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(c.folder);
    const std::string file = platform::WithTrailingSlash(c.folder) + "OneOrange.ssk";
    WriteWholeFile(file, orange);
    skin::TsuiFileTheme theme(frame_.get());
    theme.setProgramFolder(QString::fromStdString(program_.path()));
    theme.SetThemeFile(c.atGivenPath ? QString::fromStdString(file) : StoredPath());
    EXPECT_TRUE(theme.Ready()) << c.name;
    EXPECT_EQ(theme.ThemeFile().toStdString(), file) << c.name;
    std::filesystem::remove(file);
  }
}

TEST_F(ThemeComponent, ProgramFolderComesBeforeTheWindowsFolder) {
  auto withForm = [](uint32_t bgr) {
    auto entries = tw::OrangeEntries();
    entries.insert(entries.begin(), tw::Integer("SKIN2_FORMCOLOR", static_cast<int32_t>(bgr)));
    return tw::Theme(entries);
  };
  WriteWholeFile(windows_.File("OneOrange.ssk"), withForm(0x0000ff));
  WriteWholeFile(program_.File("OneOrange.ssk"), withForm(0x00ff00));
  theme_->SetThemeFile(StoredPath());
  ASSERT_TRUE(theme_->Ready());
  EXPECT_EQ(theme_->GetColor(skin::kFormColor), 0x00ff00);
}

TEST_F(ThemeComponent, LookupsReadTheLoadedTheme) {
  WriteWholeFile(program_.File("OneOrange.ssk"), tw::Theme(tw::OrangeEntries()));
  theme_->SetThemeFile(StoredPath());
  ASSERT_TRUE(theme_->Ready());
  EXPECT_EQ(theme_->GetColor(skin::kFormColor), 0xe0f1ff);  // stored red-low
  EXPECT_EQ(theme_->GetColor(skin::kTransColor), -1);       // missing
  EXPECT_EQ(theme_->GetPosition(2), 6);                     // SKIN2_TITLEBARCAPTIONTOP
  EXPECT_EQ(theme_->GetPosition(0), -1);
  EXPECT_TRUE(theme_->GetFlag(4));  // SKIN2_TITLEBTNTRANS
  EXPECT_FALSE(theme_->GetFlag(5));
  EXPECT_EQ(theme_->GetBitmap(skin::kTitleBar2).size(), QSize(4, 25));
  EXPECT_EQ(theme_->GetBitmap(skin::kTitleBar2).pixelColor(1, 1), QColor(QRgb(tw::kOrangeTitle)));
  EXPECT_TRUE(theme_->GetBitmap(skin::kButtonBitmap).isNull());
  EXPECT_EQ(theme_->GetColor(32), -1);
  EXPECT_TRUE(theme_->GetBitmap(-1).isNull());
  EXPECT_TRUE(TemporaryFolderEmpty());
}

TEST_F(ThemeComponent, ControlsDrawTheThemeOnceItIsReady) {
  frame_->setClientSize(200, 100);
  button_->setGeometry(10, 10, 80, 24);
  const QImage before = frame_->grab().toImage();
  EXPECT_EQ(button_->colors().buttonFont, skin::ColorsOf(skin::TsuiUIStyle::DeepBlue).buttonFont);

  WriteWholeFile(program_.File("OneOrange.ssk"), tw::Theme(tw::OrangeEntries()));
  theme_->SetThemeFile(StoredPath());
  ASSERT_TRUE(theme_->Ready());
  EXPECT_EQ(button_->resolvedStyle(), skin::TsuiUIStyle::FromThemeFile);
  EXPECT_EQ(button_->colors().buttonFont, QColor(QRgb(0x5c2a00)));
  const QImage after = frame_->grab().toImage();
  EXPECT_EQ(after.pixelColor(100, 15), QColor(QRgb(tw::kOrangeTitle)));  // title bar
  EXPECT_EQ(after.pixelColor(150, 80), OrangeForm());                    // client area
  EXPECT_NE(before.pixelColor(150, 80), after.pixelColor(150, 80));
}

TEST_F(ThemeComponent, PasswordOpensAnEncryptedTheme) {
  tw::ZipOptions locked;
  locked.password = "orange";
  WriteWholeFile(program_.File("OneOrange.ssk"), tw::Theme(tw::OrangeEntries(), locked));
  theme_->SetThemeFile(StoredPath());
  EXPECT_FALSE(theme_->Ready());
  EXPECT_EQ(theme_->ThemeFile().toStdString(), program_.File("OneOrange.ssk"));
  theme_->setPassword("lemon");
  EXPECT_FALSE(theme_->Ready());
  theme_->setPassword("orange");
  EXPECT_TRUE(theme_->Ready());
  EXPECT_EQ(frame_->colors().form, OrangeForm());
  EXPECT_TRUE(TemporaryFolderEmpty());
}

TEST_F(ThemeComponent, UnreadableFilesFailQuietlyAndKeepAnEarlierTheme) {
  std::string damaged = tw::Theme(tw::OrangeEntries());
  damaged[45] = static_cast<char>(damaged[45] ^ 0x55);
  std::string loop = tw::SkinData(tw::OrangeEntries());
  tw::Put32(&loop, tw::RecordOffset(3) + 73, tw::kFirstRecord);
  const std::string bad[] = {damaged, tw::Zip(loop), "PK not really", ""};
  for (const std::string& b : bad) {
    WriteWholeFile(program_.File("OneOrange.ssk"), b);
    skin::TsuiFileTheme fresh(frame_.get());
    fresh.setProgramFolder(QString::fromStdString(program_.path()));
    fresh.SetThemeFile(StoredPath());
    EXPECT_FALSE(fresh.Ready());
    EXPECT_EQ(fresh.GetColor(skin::kFormColor), 0);
  }
  EXPECT_TRUE(TemporaryFolderEmpty());

  const std::string good = program_.File("good.ssk");
  WriteWholeFile(good, tw::Theme(tw::OrangeEntries()));
  theme_->SetThemeFile(QString::fromStdString(good));
  ASSERT_TRUE(theme_->Ready());
  for (const std::string& b : bad) {
    WriteWholeFile(program_.File("OneOrange.ssk"), b);
    theme_->SetThemeFile(StoredPath());
    EXPECT_TRUE(theme_->Ready());
    EXPECT_EQ(theme_->ThemeFile().toStdString(), good);
    EXPECT_EQ(frame_->colors().form, OrangeForm());
  }
  // Nothing found anywhere changes nothing either.
  std::filesystem::remove(program_.File("OneOrange.ssk"));
  theme_->SetThemeFile(StoredPath());
  EXPECT_EQ(theme_->ThemeFile().toStdString(), good);
  EXPECT_TRUE(theme_->Ready());
}

TEST(SkinStyle, ResolveStyleAndTheFiveLooks) {
  skin::TsuiFileTheme unloaded(nullptr);
  using S = skin::TsuiUIStyle;
  EXPECT_EQ(skin::ResolveStyle(nullptr, S::FromThemeFile), S::DeepBlue);
  EXPECT_EQ(skin::ResolveStyle(&unloaded, S::FromThemeFile), S::DeepBlue);
  EXPECT_EQ(skin::ResolveStyle(nullptr, S::WinXP), S::WinXP);
  EXPECT_EQ(skin::ResolveStyle(&unloaded, S::Protein), S::Protein);
  const S looks[] = {S::MacOS, S::WinXP, S::DeepBlue, S::Protein, S::BlueGlass};
  for (S a : looks)
    for (S b : looks)
      if (a != b) {
        EXPECT_NE(skin::ColorsOf(a).titleTop, skin::ColorsOf(b).titleTop);
        EXPECT_NE(skin::ColorsOf(a).form, skin::ColorsOf(b).form);
      }
  EXPECT_EQ(static_cast<int>(S::BlueGlass), 5);
}

}  // namespace
