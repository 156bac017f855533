// The settings dialog on the real main window: layout, what each family shows, the presets and
// the size fields' follow rule, closing with OK, Cancel and the close button, and "Advanced...".
#include <QAbstractItemView>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "gui_support.h"
#include "main/command_line.h"
#include "main/settings_form.h"

namespace {

using namespace gui_testing;
using quorbit::DefaultProfiles;
using quorbit::OptionEntries;
using quorbit::OptionList;
using quorbit::OutputFamily;
using quorbit::OutputProfiles;
using quorbit::TForm1;
using quorbit::TsettingForm;
using testing_support::PrivateSystemFolder;
using testing_support::TempDir;

// Also records who owns each message.
class OwnerRecordingDialogs : public FakeDialogs {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                   Icon icon) override {
    owners.push_back(owner);
    FakeDialogs::ShowMessage(owner, text, caption, icon);
  }
  std::vector<QWidget*> owners;
};

const char* const kFamilyNames[] = {"AVI", "MPEG", "WMV", "MP3"};

class SettingsDialog : public ::testing::Test {
 protected:
  SettingsDialog() { Create(); }

  void Create() {
    dialog.reset();
    dialogs.messages.clear();
    dialogs.owners.clear();
    InstallEncoderPackage(app.path());
    form = std::make_unique<TForm1>(&dialogs, &runner, app.path());
    dialog = std::make_unique<TsettingForm>(form.get(), &dialogs);
  }

  // Checks the family in the main window as its user would.
  void MainFamily(OutputFamily family) {
    QRadioButton* radios[] = {form->suiaviRadioButton, form->suimpegRadioButton,
                              form->suiwmvRadioButton, form->suimp3RadioButton};
    radios[static_cast<int>(family)]->click();
  }
  // Shows the dialog without a modal loop, as "Advanced..." would.
  void Open() {
    dialog->show();
    QCoreApplication::processEvents();
  }

  // The user's pick from a drop-down list: open it, move to the entry, press Enter. False
  // when the user could not pick it (list disabled, or no such entry).
  bool Pick(QComboBox* box, const QString& entry) {
    const int index = box->findText(entry);
    if (!box->isEnabled() || index < 0) return false;
    box->showPopup();
    QAbstractItemView* view = box->view();
    view->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCoreApplication::processEvents();
    return box->currentIndex() == index && !view->isVisible();
  }
  // Replaces a field's text by typing, key by key.
  void Type(skin::SkinSpinEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
  }
  void PickRadio(QRadioButton* radio) { QTest::mouseClick(radio, Qt::LeftButton); }
  void ClickOk() { QTest::mouseClick(dialog->suiButton1, Qt::LeftButton); }
  void ClickCancel() { QTest::mouseClick(dialog->suiButton2, Qt::LeftButton); }
  void ClickTitleClose() {
    QTest::mouseClick(dialog->findChild<QToolButton*>("closeButton"), Qt::LeftButton);
  }

  // The nine controls as shown: "[entry]" for each list, width x height for the fields.
  std::string Shown() const {
    const TsettingForm& d = *dialog;
    auto list = [](const QComboBox* b) { return "[" + b->currentText().toStdString() + "]"; };
    return list(d.suivideocompressorComboBox) + list(d.suivideobitrateComboBox) +
           list(d.suivideoframerateComboBox) + list(d.suivideoframesizeComboBox) + " " +
           d.suiwidthSpinEdit->text().toStdString() + "x" +
           d.suiheightSpinEdit->text().toStdString() + " " + list(d.suiaudiobitrateComboBox) +
           list(d.suiaudiofrequencyComboBox) + list(d.suiaudiochannelComboBox);
  }
  // The controls that are disabled, by short name.
  std::string Locked() const {
    const TsettingForm& d = *dialog;
    const std::pair<const QWidget*, const char*> controls[] = {
        {d.suivideocompressorComboBox, "compressor"},
        {d.suivideobitrateComboBox, "bitrate"},
        {d.suivideoframerateComboBox, "framerate"},
        {d.suivideoframesizeComboBox, "framesize"},
        {d.suiwidthSpinEdit, "width"},
        {d.suiheightSpinEdit, "height"},
        {d.suiaudiobitrateComboBox, "audio"},
        {d.suiaudiofrequencyComboBox, "frequency"},
        {d.suiaudiochannelComboBox, "channels"}};
    std::string locked;
    for (const auto& [w, name] : controls) {
      if (w->isEnabled()) continue;
      if (!locked.empty()) locked += " ";
      locked += name;
    }
    return locked;
  }
  // The messages the dialog itself showed.
  std::vector<Message> DialogMessages() const {
    std::vector<Message> mine;
    for (size_t i = 0; i < dialogs.messages.size(); ++i) {
      if (dialogs.owners[i] == dialog.get()) mine.push_back(dialogs.messages[i]);
    }
    return mine;
  }

  PrivateSystemFolder system;
  TempDir app;
  OwnerRecordingDialogs dialogs;
  FakeRunner runner;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TsettingForm> dialog;
};

const char kAllVideo[] = "bitrate framerate framesize width height";

TEST_F(SettingsDialog, LayoutCaptionsTabOrderAndLists) {
  form->move(120, 80);
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Output Format Settings");
  EXPECT_EQ(dialog->size(), QSize(715, 425));
  EXPECT_EQ(dialog->geometry().center(), form->geometry().center());
  EXPECT_TRUE(dialog->findChild<QToolButton*>("closeButton")->isVisible());
  EXPECT_FALSE(dialog->findChild<QToolButton*>("minimizeButton")->isVisible());
  EXPECT_FALSE(dialog->findChild<QToolButton*>("systemMenuButton")->isVisible());
  EXPECT_EQ(dialog->Panel1->mapTo(dialog.get(), QPoint(0, 0)), QPoint(0, 25));
  EXPECT_EQ(dialog->Panel1->size(), QSize(715, 400));
  EXPECT_EQ(dialog->Panel1->grab().toImage().pixelColor(5, 5), QColor(Qt::white));
  EXPECT_EQ(dialog->font().family(), "MS Sans Serif");
  EXPECT_EQ(dialog->font().pointSize(), 8);

  struct Control {
    const char* name;
    const char* parent;
    QPoint place;
    int width;
    const char* caption;  // its own text, or the label beside it
  };
  const Control controls[] = {
      {"suiGroupBox1", "Panel1", {24, 16}, 649, "Output Format"},
      {"suiaviRadioButton", "suiGroupBox1", {24, 26}, 0, "AVI"},
      {"suimpegRadioButton", "suiGroupBox1", {80, 26}, 0, "MPEG"},
      {"suiwmvRadioButton", "suiGroupBox1", {152, 26}, 0, "WMV"},
      {"suimp3RadioButton", "suiGroupBox1", {216, 26}, 0, "MP3"},
      {"suiGroupBox2", "Panel1", {24, 99}, 649, "Video Options"},
      {"suivideocompressorComboBox", "suiGroupBox2", {104, 32}, 161, "Compressor:"},
      {"suivideobitrateComboBox", "suiGroupBox2", {336, 31}, 105, "Bitrate:"},
      {"suivideoframerateComboBox", "suiGroupBox2", {520, 31}, 105, "Framerate:"},
      {"suivideoframesizeComboBox", "suiGroupBox2", {104, 67}, 161, "Frame Size:"},
      {"suiwidthSpinEdit", "suiGroupBox2", {336, 64}, 105, "Width:"},
      {"suiheightSpinEdit", "suiGroupBox2", {520, 64}, 105, "Height:"},
      {"suiGroupBox3", "Panel1", {24, 224}, 649, "Audio Options"},
      {"suiaudiobitrateComboBox", "suiGroupBox3", {104, 32}, 145, "Bitrate:"},
      {"suiaudiofrequencyComboBox", "suiGroupBox3", {336, 32}, 105, "Frequency:"},
      {"suiaudiochannelComboBox", "suiGroupBox3", {520, 32}, 105, "Channels:"},
      {"suiButton1", "Panel1", {452, 336}, 97, "OK"},
      {"suiButton2", "Panel1", {560, 336}, 97, "Cancel"},
  };
  for (const Control& c : controls) {
    QWidget* w = dialog->findChild<QWidget*>(c.name);
    ASSERT_TRUE(w) << c.name;
    EXPECT_EQ(w->parentWidget()->objectName(), c.parent) << c.name;
    EXPECT_EQ(w->pos(), c.place) << c.name;
    if (c.width) {
      EXPECT_EQ(w->width(), c.width) << c.name;
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
      EXPECT_EQ(group->title(), c.caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      EXPECT_EQ(button->text(), c.caption) << c.name;
      EXPECT_GE(button->width(), button->sizeHint().width()) << c.name << " shows its caption";
    } else {
      // The label stands left of its control, in the same row, clear of the control before.
      QLabel* label = nullptr;
      for (QLabel* l : w->parentWidget()->findChildren<QLabel*>())
        if (l->buddy() == w) label = l;
      ASSERT_TRUE(label) << c.name;
      EXPECT_EQ(label->text(), c.caption) << c.name;
      EXPECT_LT(label->geometry().right(), w->x()) << c.name;
      EXPECT_EQ(label->geometry().center().y(), w->geometry().center().y()) << c.name;
      EXPECT_GE(label->width(), label->sizeHint().width()) << c.name;
      for (QWidget* other :
           w->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == label || qobject_cast<QLabel*>(other)) continue;
        EXPECT_FALSE(label->geometry().intersects(other->geometry()))
            << c.name << "'s label covers " << other->objectName().toStdString();
      }
    }
  }
  EXPECT_EQ(dialog->suiGroupBox1->height(), 73);
  EXPECT_EQ(dialog->suiGroupBox2->height(), 118);
  EXPECT_EQ(dialog->suiGroupBox3->height(), 81);
  EXPECT_TRUE(dialog->suiButton1->font().bold());
  EXPECT_FALSE(dialog->suiButton2->font().bold());

  const QStringList expectedOrder = {"suiaviRadioButton",
                                     "suimpegRadioButton",
                                     "suiwmvRadioButton",
                                     "suimp3RadioButton",
                                     "suivideobitrateComboBox",
                                     "suivideoframerateComboBox",
                                     "suivideoframesizeComboBox",
                                     "suiwidthSpinEdit",
                                     "suiheightSpinEdit",
                                     "suivideocompressorComboBox",
                                     "suiaudiobitrateComboBox",
                                     "suiaudiofrequencyComboBox",
                                     "suiaudiochannelComboBox",
                                     "suiButton1",
                                     "suiButton2"};
  QStringList order;
  QWidget* w = dialog->suiaviRadioButton;
  while (order.size() < expectedOrder.size()) {
    // Only the checked radio of the group is a tab stop; the chain holds all four.
    if (w->focusPolicy() != Qt::NoFocus) order << w->objectName();
    w = w->nextInFocusChain();
  }
  EXPECT_EQ(order.join(" ").toStdString(), expectedOrder.join(" ").toStdString());

  for (QComboBox* box : dialog->findChildren<QComboBox*>()) {
    EXPECT_FALSE(box->isEditable()) << box->objectName().toStdString();
    EXPECT_EQ(box->maxVisibleItems(), box == dialog->suiaudiochannelComboBox ? 8 : 20)
        << box->objectName().toStdString();
  }
}

TEST_F(SettingsDialog, EachFamilyLoadsItsOwnLists) {
  Open();
  QRadioButton* radios[] = {dialog->suiaviRadioButton, dialog->suimpegRadioButton,
                            dialog->suiwmvRadioButton, dialog->suimp3RadioButton};
  const std::pair<OptionList, QComboBox*> lists[] = {
      {OptionList::kCompressor, dialog->suivideocompressorComboBox},
      {OptionList::kVideoBitrate, dialog->suivideobitrateComboBox},
      {OptionList::kFrameRate, dialog->suivideoframerateComboBox},
      {OptionList::kFrameSize, dialog->suivideoframesizeComboBox},
      {OptionList::kAudioBitrate, dialog->suiaudiobitrateComboBox},
      {OptionList::kSampleRate, dialog->suiaudiofrequencyComboBox},
      {OptionList::kChannels, dialog->suiaudiochannelComboBox}};
  // MP3 first and AVI last, so that every family follows another one.
  for (int f : {3, 1, 2, 0}) {
    PickRadio(radios[f]);
    EXPECT_EQ(dialog->CheckedFamily(), static_cast<OutputFamily>(f));
    for (const auto& [list, box] : lists) {
      std::vector<std::string> shown;
      for (int i = 0; i < box->count(); ++i) shown.push_back(box->itemText(i).toStdString());
      EXPECT_EQ(shown, OptionEntries(static_cast<OutputFamily>(f), list))
          << kFamilyNames[f] << " " << box->objectName().toStdString();
    }
  }
}

// What the dialog shows after opening and the user's steps, closed with Cancel afterwards.
TEST_F(SettingsDialog, ShowsStoredValuesPresetsAndTheFollowRule) {
  struct Scenario {
    const char* name;
    OutputFamily mainFamily;
    std::function<void(OutputProfiles&)> stored;  // changes to the defaults before opening
    std::function<void()> steps;
    const char* shown;
    const char* locked;
  };
  auto pick = [&](auto member, const char* entry) {
    EXPECT_TRUE(Pick(dialog.get()->*member, entry)) << entry;
  };
  auto type = [&](const char* width, const char* height) {
    Type(dialog->suiwidthSpinEdit, width);
    Type(dialog->suiheightSpinEdit, height);
  };
  const auto compressor = &TsettingForm::suivideocompressorComboBox;
  const auto frameSize = &TsettingForm::suivideoframesizeComboBox;
  const std::vector<Scenario> scenarios = {
      {"WMV right after start", OutputFamily::kWmv, nullptr, nullptr,
       "[Windows Media Video V8][500 kbps][Original][Original] 0x0 [192 kbps][22050 Hz][Stereo]",
       ""},
      {"MPEG right after start", OutputFamily::kMpeg, nullptr, nullptr,
       "[MPEG1][1150 kbps][23.976 fps][352x240] 352x240 [224 kbps][44100 Hz][Stereo]", ""},
      {"MP3: the video lists say so and are locked", OutputFamily::kMp3, nullptr, nullptr,
       "[Not available][Not available][Not available][Not available] 0x0 "
       "[320 kbps][44100 Hz][Stereo]",
       "compressor bitrate framerate framesize width height"},
      {"VCD - PAL forces and locks its values", OutputFamily::kMpeg, nullptr,
       [&] { pick(compressor, "VCD - PAL"); },
       "[VCD - PAL][1150 kbps][25 fps][352x288] 352x288 [224 kbps][44100 Hz][Stereo]", kAllVideo},
      {"MPEG2 after VCD - PAL unlocks and keeps the values", OutputFamily::kMpeg, nullptr,
       [&] {
         pick(compressor, "VCD - PAL");
         pick(compressor, "MPEG2");
       },
       "[MPEG2][1150 kbps][25 fps][352x288] 352x288 [224 kbps][44100 Hz][Stereo]", ""},
      {"SVCD - PAL", OutputFamily::kMpeg, nullptr, [&] { pick(compressor, "SVCD - PAL"); },
       "[SVCD - PAL][2376 kbps][25 fps][Custom...] 480x576 [224 kbps][44100 Hz][Stereo]",
       kAllVideo},
      {"SVCD - NTSC forces the PAL values", OutputFamily::kMpeg, nullptr,
       [&] { pick(compressor, "SVCD - NTSC"); },
       "[SVCD - NTSC][2376 kbps][25 fps][Custom...] 480x576 [224 kbps][44100 Hz][Stereo]",
       kAllVideo},
      {"DVD - NTSC Widescreen", OutputFamily::kMpeg, nullptr,
       [&] { pick(compressor, "DVD - NTSC Widescreen"); },
       "[DVD - NTSC Widescreen][4000 kbps][29.97 fps][720x480] 720x480 [224 kbps][44100 Hz]"
       "[Stereo]",
       kAllVideo},
      {"a stored preset opens locked", OutputFamily::kMpeg,
       [](OutputProfiles& p) {
         p.mpegProfile = {
             "DVD - PAL Standard", "4000", "25", "720x576", "720", "576", "224", "44100", "Stereo"};
       },
       nullptr,
       "[DVD - PAL Standard][4000 kbps][25 fps][720x576] 720x576 [224 kbps][44100 Hz][Stereo]",
       kAllVideo},
      {"the dialog's own selection of a preset applies nothing", OutputFamily::kMpeg,
       [](OutputProfiles& p) {
         p.mpegProfile = {"VCD - PAL", "500", "24",    "320x240", "320",
                          "240",       "224", "44100", "Stereo"};
       },
       nullptr, "[VCD - PAL][500 kbps][24 fps][320x240] 320x240 [224 kbps][44100 Hz][Stereo]",
       kAllVideo},
      {"a compressor picked outside MPEG locks nothing", OutputFamily::kAvi, nullptr,
       [&] { pick(compressor, "Full Uncompressed"); },
       "[Full Uncompressed][500 kbps][Original][Original] 0x0 [128 kbps][44100 Hz][Stereo]", ""},
      {"typed 352 and 288", OutputFamily::kAvi, nullptr, [&] { type("352", "288"); },
       "[MS MPEG-4 Video Codec V2][500 kbps][Original][352x288] 352x288 [128 kbps][44100 Hz]"
       "[Stereo]",
       ""},
      {"typed 400 and 300", OutputFamily::kAvi, nullptr, [&] { type("400", "300"); },
       "[MS MPEG-4 Video Codec V2][500 kbps][Original][Custom...] 400x300 [128 kbps][44100 Hz]"
       "[Stereo]",
       ""},
      {"typed 0 and 0", OutputFamily::kMpeg, nullptr, [&] { type("0", "0"); },
       "[MPEG1][1150 kbps][23.976 fps][Original] 0x0 [224 kbps][44100 Hz][Stereo]", ""},
      {"typed texts are compared as texts", OutputFamily::kAvi, nullptr, [&] { type("080", "60"); },
       "[MS MPEG-4 Video Codec V2][500 kbps][Original][Custom...] 080x60 [128 kbps][44100 Hz]"
       "[Stereo]",
       ""},
      {"picked 176x144 fills the fields", OutputFamily::kAvi, nullptr,
       [&] { pick(frameSize, "176x144"); },
       "[MS MPEG-4 Video Codec V2][500 kbps][Original][176x144] 176x144 [128 kbps][44100 Hz]"
       "[Stereo]",
       ""},
      {"picked Custom... changes neither field", OutputFamily::kMpeg, nullptr,
       [&] { pick(frameSize, "Custom..."); },
       "[MPEG1][1150 kbps][23.976 fps][Custom...] 352x240 [224 kbps][44100 Hz][Stereo]", ""},
      {"picked Original empties the size", OutputFamily::kMpeg, nullptr,
       [&] { pick(frameSize, "Original"); },
       "[MPEG1][1150 kbps][23.976 fps][Original] 0x0 [224 kbps][44100 Hz][Stereo]", ""},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Create();
    if (s.stored) s.stored(form->profiles);
    MainFamily(s.mainFamily);
    Open();
    if (s.steps) s.steps();
    EXPECT_EQ(Shown(), s.shown);
    EXPECT_EQ(Locked(), s.locked);
    ClickCancel();
    EXPECT_FALSE(dialog->isVisible());
  }
}

TEST_F(SettingsDialog, PickingOriginalPassesThroughCustom) {
  MainFamily(OutputFamily::kMpeg);
  Open();
  QStringList selections;
  QObject::connect(dialog->suivideoframesizeComboBox, &QComboBox::currentIndexChanged,
                   [&] { selections << dialog->suivideoframesizeComboBox->currentText(); });
  ASSERT_TRUE(Pick(dialog->suivideoframesizeComboBox, "Original"));
  // The pick, then "0x240", then "0x0".
  EXPECT_EQ(selections, QStringList({"Original", "Custom...", "Original"}));
  EXPECT_EQ(Shown(), "[MPEG1][1150 kbps][23.976 fps][Original] 0x0 [224 kbps][44100 Hz][Stereo]");
}

// Closing: with OK (accepted or refused), Cancel, or the title bar's close button.
TEST_F(SettingsDialog, ClosingStoresOnlyWithOkAndOnlyTheCheckedFamily) {
  enum class Ending { kOk, kCancel, kTitleClose };
  struct Scenario {
    const char* name;
    OutputFamily mainFamily;
    std::function<void(OutputProfiles&)> stored;  // changes to the defaults before opening
    std::function<void()> steps;
    Ending ending;
    int warnings;    // messages "width and height" shown, all together
    bool staysOpen;  // the last OK was refused
    OutputFamily familyAfter;
    std::function<void(OutputProfiles&)> change;  // what closing changed in the records
  };
  auto pick = [&](auto member, const char* entry) {
    EXPECT_TRUE(Pick(dialog.get()->*member, entry)) << entry;
  };
  auto type = [&](const char* width, const char* height) {
    Type(dialog->suiwidthSpinEdit, width);
    Type(dialog->suiheightSpinEdit, height);
  };
  using D = TsettingForm;
  const std::vector<Scenario> scenarios = {
      {"Custom... 9 x 200 is refused, then 10 x 10 is stored", OutputFamily::kAvi, nullptr,
       [&] {
         pick(&D::suivideoframesizeComboBox, "Custom...");
         type("9", "200");
         ClickOk();
         EXPECT_TRUE(dialog->isVisible());
         EXPECT_EQ(Shown(),
                   "[MS MPEG-4 Video Codec V2][500 kbps][Original][Custom...] 9x200 "
                   "[128 kbps][44100 Hz][Stereo]")
             << "a refused OK leaves everything as the user left it";
         type("10", "10");
       },
       Ending::kOk, 1, false, OutputFamily::kAvi,
       [](OutputProfiles& p) {
         p.aviProfile.frameSize = "Custom...";
         p.aviProfile.frameWidth = "10";
         p.aviProfile.frameHeight = "10";
       }},
      {"Custom... 200 x 9 is refused", OutputFamily::kWmv, nullptr, [&] { type("200", "9"); },
       Ending::kOk, 1, true, OutputFamily::kWmv, nullptr},
      {"a negative width is refused", OutputFamily::kAvi, nullptr, [&] { type("-50", "200"); },
       Ending::kOk, 1, true, OutputFamily::kAvi, nullptr},
      {"an empty height is refused", OutputFamily::kMpeg, nullptr,
       [&] {
         pick(&D::suivideoframesizeComboBox, "320x240");
         dialog->suiheightSpinEdit->selectAll();
         QTest::keyClick(dialog->suiheightSpinEdit, Qt::Key_Backspace);
       },
       Ending::kOk, 1, true, OutputFamily::kMpeg, nullptr},
      {"MP3 never warns and changes only its three fields", OutputFamily::kAvi, nullptr,
       [&] {
         PickRadio(dialog->suimp3RadioButton);
         pick(&D::suiaudiobitrateComboBox, "128 kbps");
         pick(&D::suiaudiofrequencyComboBox, "22050 Hz");
         pick(&D::suiaudiochannelComboBox, "Mono");
       },
       Ending::kOk, 0, false, OutputFamily::kMp3,
       [](OutputProfiles& p) {
         p.mp3Profile.audioBitrate = "128";
         p.mp3Profile.sampleRate = "22050";
         p.mp3Profile.channels = "Mono";
       }},
      {"OK with MPEG while the main window had AVI", OutputFamily::kAvi, nullptr,
       [&] { PickRadio(dialog->suimpegRadioButton); }, Ending::kOk, 0, false, OutputFamily::kMpeg,
       nullptr},
      {"SVCD - NTSC is stored with the PAL values", OutputFamily::kMpeg, nullptr,
       [&] { pick(&D::suivideocompressorComboBox, "SVCD - NTSC"); }, Ending::kOk, 0, false,
       OutputFamily::kMpeg,
       [](OutputProfiles& p) {
         p.mpegProfile = {"SVCD - NTSC", "2376", "25",    "Custom...", "480",
                          "576",         "224",  "44100", "Stereo"};
       }},
      {"MPEG2 keeps what VCD - PAL forced", OutputFamily::kMpeg, nullptr,
       [&] {
         pick(&D::suivideocompressorComboBox, "VCD - PAL");
         pick(&D::suivideocompressorComboBox, "MPEG2");
         pick(&D::suivideoframerateComboBox, "29.97 fps");
       },
       Ending::kOk, 0, false, OutputFamily::kMpeg,
       [](OutputProfiles& p) {
         p.mpegProfile = {"MPEG2", "1150", "29.97", "352x288", "352",
                          "288",   "224",  "44100", "Stereo"};
       }},
      {"every WMV choice goes into wmvProfile alone", OutputFamily::kWmv, nullptr,
       [&] {
         pick(&D::suivideocompressorComboBox, "Windows Media Video V7");
         pick(&D::suivideobitrateComboBox, "750 kbps");
         pick(&D::suivideoframerateComboBox, "15 fps");
         pick(&D::suivideoframesizeComboBox, "176x144");
         pick(&D::suiaudiobitrateComboBox, "64 kbps");
         pick(&D::suiaudiofrequencyComboBox, "8000 Hz");
         pick(&D::suiaudiochannelComboBox, "Mono");
       },
       Ending::kOk, 0, false, OutputFamily::kWmv,
       [](OutputProfiles& p) {
         p.wmvProfile = {
             "Windows Media Video V7", "750", "15", "176x144", "176", "144", "64", "8000", "Mono"};
       }},
      {"switching families discards unconfirmed changes", OutputFamily::kAvi, nullptr,
       [&] {
         pick(&D::suivideobitrateComboBox, "900 kbps");
         type("400", "300");
         pick(&D::suiaudiochannelComboBox, "Mono");
         PickRadio(dialog->suimpegRadioButton);
         PickRadio(dialog->suiaviRadioButton);
         EXPECT_EQ(Shown(),
                   "[MS MPEG-4 Video Codec V2][500 kbps][Original][Original] 0x0 "
                   "[128 kbps][44100 Hz][Stereo]");
       },
       Ending::kOk, 0, false, OutputFamily::kAvi, nullptr},
      {"values matching no entry are kept", OutputFamily::kAvi,
       [](OutputProfiles& p) {
         p.aviProfile.videoBitrate = "640";
         p.aviProfile.channels = "Quad";
       },
       [&] {
         EXPECT_EQ(dialog->suivideobitrateComboBox->currentIndex(), -1);
         EXPECT_EQ(dialog->suiaudiochannelComboBox->currentIndex(), -1);
         pick(&D::suiaudiobitrateComboBox, "96 kbps");
       },
       Ending::kOk, 0, false, OutputFamily::kAvi,
       [](OutputProfiles& p) { p.aviProfile.audioBitrate = "96"; }},
      {"Cancel changes nothing", OutputFamily::kAvi, nullptr,
       [&] {
         pick(&D::suivideobitrateComboBox, "900 kbps");
         PickRadio(dialog->suiwmvRadioButton);
         pick(&D::suiaudiochannelComboBox, "Mono");
       },
       Ending::kCancel, 0, false, OutputFamily::kAvi, nullptr},
      {"the close button changes nothing, not even with a bad size", OutputFamily::kMpeg, nullptr,
       [&] {
         pick(&D::suivideocompressorComboBox, "MPEG2");
         type("5", "5");
         PickRadio(dialog->suiaviRadioButton);
         type("5", "5");
       },
       Ending::kTitleClose, 0, false, OutputFamily::kMpeg, nullptr},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Create();
    if (s.stored) s.stored(form->profiles);
    OutputProfiles expected = form->profiles;
    if (s.change) s.change(expected);
    MainFamily(s.mainFamily);
    const QString summaryBefore = form->formatLabel->text();
    Open();
    if (s.steps) s.steps();
    switch (s.ending) {
      case Ending::kOk:
        ClickOk();
        break;
      case Ending::kCancel:
        ClickCancel();
        break;
      case Ending::kTitleClose:
        ClickTitleClose();
        break;
    }
    const std::vector<Message> messages = DialogMessages();
    EXPECT_EQ(dialogs.messages.size(), messages.size()) << "every message is the dialog's";
    EXPECT_EQ(static_cast<int>(messages.size()), s.warnings);
    for (const Message& m : messages) {
      EXPECT_EQ(m.text, "The video width and height should not be less than 10.");
      EXPECT_EQ(m.caption, "Warning");
      EXPECT_EQ(m.icon, quorbit::Dialogs::Icon::None);
    }
    EXPECT_EQ(dialog->isVisible(), s.staysOpen);
    if (s.staysOpen) {
      // Nothing reached the main window; the dialog is still usable and Cancel ends it.
      for (OutputFamily f : quorbit::kOutputFamilies)
        EXPECT_EQ(form->profiles.For(f), expected.For(f)) << kFamilyNames[static_cast<int>(f)];
      EXPECT_EQ(form->SelectedFamily(), s.mainFamily);
      ClickCancel();
      EXPECT_FALSE(dialog->isVisible());
      continue;
    }
    for (OutputFamily f : quorbit::kOutputFamilies) {
      EXPECT_EQ(form->profiles.For(f), expected.For(f)) << kFamilyNames[static_cast<int>(f)];
    }
    EXPECT_EQ(form->SelectedFamily(), s.familyAfter);
    const std::string summary =
        quorbit::FormatSummary(s.familyAfter, form->profiles.For(s.familyAfter));
    EXPECT_EQ(form->formatLabel->text().toStdString(), summary);
    if (s.ending != Ending::kOk) {
      EXPECT_EQ(form->formatLabel->text(), summaryBefore);
    }
  }
}

TEST_F(SettingsDialog, KeysCloseOnlyThroughAFocusedButton) {
  Open();
  dialog->suiwidthSpinEdit->setFocus();
  int refused = 0;
  QObject::connect(dialog->suiwidthSpinEdit, &skin::SkinSpinEdit::keyRefused, [&] { ++refused; });
  QTest::keyClick(dialog->suiwidthSpinEdit, Qt::Key_Return);
  EXPECT_EQ(refused, 1);
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  QTest::keyClick(dialog->suiaudiobitrateComboBox, Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible()) << "Enter in a field and Escape close nothing";

  // Enter on the focused Cancel button presses it.
  QTest::keyClick(dialog->suiButton2, Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  // Space on the focused OK button presses it and stores.
  form->profiles.aviProfile.audioBitrate = "not listed";
  Open();
  Pick(dialog->suiaudiobitrateComboBox, "56 kbps");
  QTest::keyClick(dialog->suiButton1, Qt::Key_Space);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(form->profiles.aviProfile.audioBitrate, "56");
}

TEST_F(SettingsDialog, AdvancedHidesTheMainWindowWhileTheDialogIsModal) {
  form->show();
  QCoreApplication::processEvents();
  bool ranInside = false;
  // Played from inside the modal loop; a watchdog ends the loop should the dialog not close.
  QTimer::singleShot(0, dialog.get(), [&] {
    ranInside = true;
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(Pick(dialog->suivideobitrateComboBox, "1500 kbps"));
    PickRadio(dialog->suimpegRadioButton);
    EXPECT_EQ(Shown(),
              "[MPEG1][1150 kbps][23.976 fps][352x240] 352x240 [224 kbps][44100 Hz][Stereo]");
    EXPECT_TRUE(Pick(dialog->suivideobitrateComboBox, "1500 kbps"));
    ClickOk();
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, dialog.get(), [&] { dialog->hide(); });
  watchdog.start(20000);
  QTest::mouseClick(form->suiadvancedButton, Qt::LeftButton);
  ASSERT_TRUE(watchdog.isActive()) << "the dialog did not close";
  EXPECT_TRUE(ranInside);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->windowModality(), Qt::NonModal);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->suimpegRadioButton->isChecked());
  EXPECT_EQ(form->profiles.mpegProfile.videoBitrate, "1500");
  EXPECT_EQ(form->profiles.aviProfile, quorbit::DefaultProfile(OutputFamily::kAvi));
  EXPECT_EQ(form->formatLabel->text(),
            "MPEG1, video 1500 kbps, 23.976 fps, 352x240, audio 224 kbps, 44100 Hz, Stereo");

  // The same dialog opens again on the stored values; the close button ends it as Cancel.
  QTimer::singleShot(0, dialog.get(), [&] {
    EXPECT_EQ(Shown(),
              "[MPEG1][1500 kbps][23.976 fps][352x240] 352x240 [224 kbps][44100 Hz][Stereo]");
    EXPECT_TRUE(Pick(dialog->suivideobitrateComboBox, "100 kbps"));
    ClickTitleClose();
  });
  EXPECT_EQ(dialog->ShowModal(), TsettingForm::ModalResult::kCancel);
  EXPECT_EQ(form->profiles.mpegProfile.videoBitrate, "1500");
  watchdog.stop();
}

TEST_F(SettingsDialog, TheMainWindowForgetsADialogThatIsGone) {
  ASSERT_TRUE(form->showSettingsDialog);
  dialog.reset();
  EXPECT_FALSE(form->showSettingsDialog);
  QTest::mouseClick(form->suiadvancedButton, Qt::LeftButton);  // shows the main window again
  EXPECT_TRUE(form->isVisible());
}

}  // namespace
