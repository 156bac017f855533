#include "main/settings_form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QHideEvent>
#include <QShowEvent>
#include <QWindow>

#include "main/form_layout.h"
#include "main/main_window.h"

namespace quorbit {

namespace {

constexpr int kClientWidth = 715, kClientHeight = 425;
constexpr int kControlHeight = 21, kButtonHeight = 25, kRadioHeight = 19;
constexpr int kLabelGap = 6;
// Below this a custom width or height is refused.
constexpr int kMinimumCustomSize = 10;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
std::string S(const QString& s) {
  return s.toStdString();
}

// A caption to the left of its control, in the same row, ending just before it.
void LabelLeftOf(QWidget* control, const char* name, const QString& text) {
  auto* label = new QLabel(text, control->parentWidget());
  label->setObjectName(name);
  label->setBuddy(control);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // A press on a caption is a press on a control, not on the group behind it.
  label->setAttribute(Qt::WA_NoMousePropagation);
  const int width = label->sizeHint().width();
  label->setGeometry(control->x() - kLabelGap - width, control->y(), width, control->height());
}

// The field's number in decimal, without its sign.
std::string Magnitude(int number) {
  const unsigned long long magnitude = number < 0 ? 0ULL - static_cast<unsigned long long>(number)
                                                  : static_cast<unsigned long long>(number);
  return std::to_string(magnitude);
}

}  // namespace

TsettingForm::TsettingForm(TForm1* mainWindow, Dialogs* dialogs)
    : skin::SkinFrame(nullptr, skin::SkinFrame::TitleButtons::kCloseOnly),
      mainWindow_(mainWindow),
      dialogs_(dialogs) {
  BuildControls();
  mainWindow_->showSettingsDialog = [this] { ShowModal(); };
}

TsettingForm::~TsettingForm() {
  mainWindow_->showSettingsDialog = nullptr;
}

void TsettingForm::BuildControls() {
  setObjectName("settingForm");
  setWindowTitle("Output Format Settings");
  setFont(ControlFont());
  setClientSize(kClientWidth, kClientHeight);

  Panel1 = Place(new skin::SkinPanel(clientArea()), "Panel1", 0, 0, kClientWidth,
                 kClientHeight - skin::SkinFrame::kTitleBarHeight);
  connect(Panel1, &skin::SkinPanel::mouseDown, this, &TsettingForm::Panel1MouseDown);

  suiGroupBox1 =
      Place(new skin::SkinGroupBox("Output Format", Panel1), "suiGroupBox1", 24, 16, 649, 73);
  connect(suiGroupBox1, &skin::SkinGroupBox::mouseDown, this, &TsettingForm::suiGroupBox1MouseDown);
  suiaviRadioButton = Place(new skin::SkinRadioButton("AVI", suiGroupBox1), "suiaviRadioButton", 24,
                            26, 37, kRadioHeight);
  suimpegRadioButton = Place(new skin::SkinRadioButton("MPEG", suiGroupBox1), "suimpegRadioButton",
                             80, 26, 51, kRadioHeight);
  suiwmvRadioButton = Place(new skin::SkinRadioButton("WMV", suiGroupBox1), "suiwmvRadioButton",
                            152, 26, 47, kRadioHeight);
  suimp3RadioButton = Place(new skin::SkinRadioButton("MP3", suiGroupBox1), "suimp3RadioButton",
                            216, 26, 42, kRadioHeight);
  for (QWidget* radio : std::initializer_list<QWidget*>{suiaviRadioButton, suimpegRadioButton,
                                                        suiwmvRadioButton, suimp3RadioButton})
    radio->resize(std::max(radio->width(), radio->sizeHint().width()), radio->height());
  suiaviRadioButton->setChecked(true);

  suiGroupBox2 =
      Place(new skin::SkinGroupBox("Video Options", Panel1), "suiGroupBox2", 24, 99, 649, 118);
  connect(suiGroupBox2, &skin::SkinGroupBox::mouseDown, this, &TsettingForm::suiGroupBox2MouseDown);
  suivideocompressorComboBox = Place(new skin::SkinComboBox(suiGroupBox2),
                                     "suivideocompressorComboBox", 104, 32, 161, kControlHeight);
  suivideobitrateComboBox = Place(new skin::SkinComboBox(suiGroupBox2), "suivideobitrateComboBox",
                                  336, 31, 105, kControlHeight);
  suivideoframerateComboBox = Place(new skin::SkinComboBox(suiGroupBox2),
                                    "suivideoframerateComboBox", 520, 31, 105, kControlHeight);
  suivideoframesizeComboBox = Place(new skin::SkinComboBox(suiGroupBox2),
                                    "suivideoframesizeComboBox", 104, 67, 161, kControlHeight);
  suiwidthSpinEdit =
      Place(new skin::SkinSpinEdit(suiGroupBox2), "suiwidthSpinEdit", 336, 64, 105, kControlHeight);
  suiheightSpinEdit = Place(new skin::SkinSpinEdit(suiGroupBox2), "suiheightSpinEdit", 520, 64, 105,
                            kControlHeight);
  LabelLeftOf(suivideocompressorComboBox, "compressorLabel", "Compressor:");
  LabelLeftOf(suivideobitrateComboBox, "videobitrateLabel", "Bitrate:");
  LabelLeftOf(suivideoframerateComboBox, "framerateLabel", "Framerate:");
  LabelLeftOf(suivideoframesizeComboBox, "framesizeLabel", "Frame Size:");
  LabelLeftOf(suiwidthSpinEdit, "widthLabel", "Width:");
  LabelLeftOf(suiheightSpinEdit, "heightLabel", "Height:");

  suiGroupBox3 =
      Place(new skin::SkinGroupBox("Audio Options", Panel1), "suiGroupBox3", 24, 224, 649, 81);
  connect(suiGroupBox3, &skin::SkinGroupBox::mouseDown, this, &TsettingForm::suiGroupBox3MouseDown);
  suiaudiobitrateComboBox = Place(new skin::SkinComboBox(suiGroupBox3), "suiaudiobitrateComboBox",
                                  104, 32, 145, kControlHeight);
  suiaudiofrequencyComboBox = Place(new skin::SkinComboBox(suiGroupBox3),
                                    "suiaudiofrequencyComboBox", 336, 32, 105, kControlHeight);
  suiaudiochannelComboBox = Place(new skin::SkinComboBox(suiGroupBox3), "suiaudiochannelComboBox",
                                  520, 32, 105, kControlHeight);
  LabelLeftOf(suiaudiobitrateComboBox, "audiobitrateLabel", "Bitrate:");
  LabelLeftOf(suiaudiofrequencyComboBox, "frequencyLabel", "Frequency:");
  LabelLeftOf(suiaudiochannelComboBox, "channelLabel", "Channels:");

  for (OptionList list : kOptionLists) ListFor(list)->setMaxVisibleItems(20);
  suiaudiochannelComboBox->setMaxVisibleItems(8);

  suiButton1 = Place(new skin::SkinButton("OK", Panel1), "suiButton1", 452, 336, 97, kButtonHeight);
  suiButton1->setFont(ControlFont(true));
  suiButton2 =
      Place(new skin::SkinButton("Cancel", Panel1), "suiButton2", 560, 336, 97, kButtonHeight);
  // Neither button is a default button, but Enter presses the one that has the focus.
  suiButton1->setAutoDefault(true);
  suiButton2->setAutoDefault(true);

  QWidget* order[] = {suiaviRadioButton,
                      suimpegRadioButton,
                      suiwmvRadioButton,
                      suimp3RadioButton,
                      suivideobitrateComboBox,
                      suivideoframerateComboBox,
                      suivideoframesizeComboBox,
                      suiwidthSpinEdit,
                      suiheightSpinEdit,
                      suivideocompressorComboBox,
                      suiaudiobitrateComboBox,
                      suiaudiofrequencyComboBox,
                      suiaudiochannelComboBox,
                      suiButton1,
                      suiButton2};
  for (size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);

  // A radio runs its handler when it becomes checked, whether by the user or by the dialog.
  const std::pair<skin::SkinRadioButton*, void (TsettingForm::*)()> radios[] = {
      {suiaviRadioButton, &TsettingForm::suiaviRadioButtonClick},
      {suimpegRadioButton, &TsettingForm::suimpegRadioButtonClick},
      {suiwmvRadioButton, &TsettingForm::suiwmvRadioButtonClick},
      {suimp3RadioButton, &TsettingForm::suimp3RadioButtonClick},
  };
  for (const auto& [radio, handler] : radios) {
    connect(radio, &QRadioButton::toggled, this, [this, handler = handler](bool checked) {
      if (checked) (this->*handler)();
    });
  }
  // Only the user's own pick runs a list's handler; the dialog's selections do not.
  connect(suivideocompressorComboBox, &QComboBox::activated, this,
          &TsettingForm::suivideocompressorComboBoxChange);
  connect(suivideoframesizeComboBox, &QComboBox::activated, this,
          &TsettingForm::suivideoframesizeComboBoxChange);
  connect(suiwidthSpinEdit, &QLineEdit::textChanged, this, &TsettingForm::suiwidthSpinEditChange);
  connect(suiheightSpinEdit, &QLineEdit::textChanged, this, &TsettingForm::suiheightSpinEditChange);
  connect(suiButton1, &QPushButton::clicked, this, [this] { CloseWith(ModalResult::kOk); });
  connect(suiButton2, &QPushButton::clicked, this, [this] { CloseWith(ModalResult::kCancel); });
  suiFileTheme1 = LoadTheme(this, mainWindow_->appFolder);
}

// ---- Showing and closing -----------------------------------------------------------------

TsettingForm::ModalResult TsettingForm::ShowModal() {
  // Already showing: a second modal loop over the same dialog would never be left cleanly.
  if (isVisible()) return ModalResult::kCancel;
  modalResult_ = ModalResult::kNone;
  closedWith_ = ModalResult::kCancel;
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  connect(this, &TsettingForm::hidden, &loop, &QEventLoop::quit);
  show();
  if (isVisible()) loop.exec(QEventLoop::DialogExec);
  setWindowModality(Qt::NonModal);
  return closedWith_;
}

void TsettingForm::showEvent(QShowEvent* event) {
  skin::SkinFrame::showEvent(event);
  if (event->spontaneous()) return;
  move(mainWindow_->geometry().center() - rect().center());
  FormShow();
}

void TsettingForm::hideEvent(QHideEvent* event) {
  skin::SkinFrame::hideEvent(event);
  if (!event->spontaneous()) emit hidden();
}

void TsettingForm::CloseWith(ModalResult result) {
  modalResult_ = result;
  close();
}

void TsettingForm::closeEvent(QCloseEvent* event) {
  // The title bar's close button and every other way of closing leave no result.
  const ModalResult result = modalResult_;
  modalResult_ = ModalResult::kNone;
  if (!FormClose(result)) {
    event->ignore();
    return;
  }
  closedWith_ = result == ModalResult::kOk ? ModalResult::kOk : ModalResult::kCancel;
  event->accept();
}

void TsettingForm::FormShow() {
  skin::SkinRadioButton* const mine[] = {suiaviRadioButton, suimpegRadioButton, suiwmvRadioButton,
                                         suimp3RadioButton};
  const skin::SkinRadioButton* const theirs[] = {
      mainWindow_->suiaviRadioButton, mainWindow_->suimpegRadioButton,
      mainWindow_->suiwmvRadioButton, mainWindow_->suimp3RadioButton};
  for (size_t i = 0; i < std::size(mine); ++i) mine[i]->setChecked(theirs[i]->isChecked());
  // The radio may not have changed, and then no handler has loaded the controls.
  LoadFamilyControls();
}

bool TsettingForm::FormClose(ModalResult result) {
  if (result != ModalResult::kOk) return true;
  const OutputFamily family = CheckedFamily();
  if (family != OutputFamily::kMp3) {
    const int sizes = suivideoframesizeComboBox->count();
    const bool custom = sizes > 0 && suivideoframesizeComboBox->currentIndex() == sizes - 1;
    if (custom && (suiwidthSpinEdit->value() < kMinimumCustomSize ||
                   suiheightSpinEdit->value() < kMinimumCustomSize)) {
      dialogs_->ShowMessage(this, "The video width and height should not be less than 10.",
                            "Warning", Dialogs::Icon::None);
      return false;
    }
  }

  skin::SkinRadioButton* const theirs[] = {
      mainWindow_->suiaviRadioButton, mainWindow_->suimpegRadioButton,
      mainWindow_->suiwmvRadioButton, mainWindow_->suimp3RadioButton};
  const skin::SkinRadioButton* const mine[] = {suiaviRadioButton, suimpegRadioButton,
                                               suiwmvRadioButton, suimp3RadioButton};
  for (size_t i = 0; i < std::size(mine); ++i) theirs[i]->setChecked(mine[i]->isChecked());

  OutputProfile& record = mainWindow_->profiles.For(family);
  // A list left without a selection (its stored value matched no entry) keeps the old value.
  auto take = [this, &record](OptionList list, std::string OutputProfile::*field) {
    const skin::SkinComboBox* box = ListFor(list);
    if (box->currentIndex() >= 0) record.*field = StoredValue(list, S(box->currentText()));
  };
  if (family != OutputFamily::kMp3) {
    take(OptionList::kCompressor, &OutputProfile::videoCodec);
    take(OptionList::kVideoBitrate, &OutputProfile::videoBitrate);
    take(OptionList::kFrameRate, &OutputProfile::frameRate);
    take(OptionList::kFrameSize, &OutputProfile::frameSize);
    record.frameWidth = Magnitude(suiwidthSpinEdit->value());
    record.frameHeight = Magnitude(suiheightSpinEdit->value());
  }
  take(OptionList::kAudioBitrate, &OutputProfile::audioBitrate);
  take(OptionList::kSampleRate, &OutputProfile::sampleRate);
  take(OptionList::kChannels, &OutputProfile::channels);

  switch (family) {
    case OutputFamily::kAvi:
      mainWindow_->suiaviRadioButtonClick();
      break;
    case OutputFamily::kMpeg:
      mainWindow_->suimpegRadioButtonClick();
      break;
    case OutputFamily::kWmv:
      mainWindow_->suiwmvRadioButtonClick();
      break;
    case OutputFamily::kMp3:
      mainWindow_->suimp3RadioButtonClick();
      break;
  }
  return true;
}

// ---- Loading a family --------------------------------------------------------------------

OutputFamily TsettingForm::CheckedFamily() const {
  if (suimpegRadioButton->isChecked()) return OutputFamily::kMpeg;
  if (suiwmvRadioButton->isChecked()) return OutputFamily::kWmv;
  if (suimp3RadioButton->isChecked()) return OutputFamily::kMp3;
  return OutputFamily::kAvi;
}

skin::SkinComboBox* TsettingForm::ListFor(OptionList list) const {
  switch (list) {
    case OptionList::kCompressor:
      return suivideocompressorComboBox;
    case OptionList::kVideoBitrate:
      return suivideobitrateComboBox;
    case OptionList::kFrameRate:
      return suivideoframerateComboBox;
    case OptionList::kFrameSize:
      return suivideoframesizeComboBox;
    case OptionList::kAudioBitrate:
      return suiaudiobitrateComboBox;
    case OptionList::kSampleRate:
      return suiaudiofrequencyComboBox;
    case OptionList::kChannels:
      break;
  }
  return suiaudiochannelComboBox;
}

void TsettingForm::Refill(OptionList list, OutputFamily family) {
  skin::SkinComboBox* box = ListFor(list);
  box->clear();
  for (const std::string& entry : OptionEntries(family, list)) box->addItem(Q(entry));
  // Adding to an empty list selects its first entry; a refilled list starts with none.
  box->setCurrentIndex(-1);
}

void TsettingForm::Select(OptionList list, OutputFamily family, const std::string& value) {
  const std::optional<std::size_t> index = FindEntry(family, list, value);
  ListFor(list)->setCurrentIndex(index ? static_cast<int>(*index) : -1);
}

void TsettingForm::SetVideoChoicesEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           suivideobitrateComboBox, suivideoframerateComboBox, suivideoframesizeComboBox,
           suiwidthSpinEdit, suiheightSpinEdit})
    w->setEnabled(enabled);
}

void TsettingForm::LoadFamilyControls() {
  const OutputFamily family = CheckedFamily();
  const OutputProfile& profile = mainWindow_->profiles.For(family);

  if (family == OutputFamily::kMp3) {
    for (OptionList list :
         {OptionList::kAudioBitrate, OptionList::kSampleRate, OptionList::kChannels})
      Refill(list, family);
    // The video lists offer their single "Not available" entry.
    for (OptionList list : {OptionList::kCompressor, OptionList::kVideoBitrate,
                            OptionList::kFrameRate, OptionList::kFrameSize}) {
      Refill(list, family);
      ListFor(list)->setCurrentIndex(0);
      ListFor(list)->setEnabled(false);
    }
    suiwidthSpinEdit->setText("0");
    suiheightSpinEdit->setText("0");
    suiwidthSpinEdit->setEnabled(false);
    suiheightSpinEdit->setEnabled(false);
  } else {
    for (OptionList list : {OptionList::kVideoBitrate, OptionList::kFrameSize,
                            OptionList::kAudioBitrate, OptionList::kSampleRate,
                            OptionList::kChannels, OptionList::kCompressor, OptionList::kFrameRate})
      Refill(list, family);
    suivideocompressorComboBox->setEnabled(true);
    if (family != OutputFamily::kMpeg) SetVideoChoicesEnabled(true);
    Select(OptionList::kCompressor, family, profile.videoCodec);
    Select(OptionList::kVideoBitrate, family, profile.videoBitrate);
    Select(OptionList::kFrameRate, family, profile.frameRate);
    Select(OptionList::kFrameSize, family, profile.frameSize);
    // Each text change runs the follow rule, which settles the frame-size list.
    suiwidthSpinEdit->setText(Q(profile.frameWidth));
    suiheightSpinEdit->setText(Q(profile.frameHeight));
    if (family == OutputFamily::kMpeg)
      SetVideoChoicesEnabled(ChoicesOffered(family, profile.videoCodec).videoChoices);
  }
  Select(OptionList::kAudioBitrate, family, profile.audioBitrate);
  Select(OptionList::kSampleRate, family, profile.sampleRate);
  Select(OptionList::kChannels, family, profile.channels);
}

void TsettingForm::suiaviRadioButtonClick() {
  LoadFamilyControls();
}
void TsettingForm::suimpegRadioButtonClick() {
  LoadFamilyControls();
}
void TsettingForm::suiwmvRadioButtonClick() {
  LoadFamilyControls();
}
void TsettingForm::suimp3RadioButtonClick() {
  LoadFamilyControls();
}

// ---- The user's picks and the size fields ------------------------------------------------

void TsettingForm::suivideocompressorComboBoxChange() {
  if (!suimpegRadioButton->isChecked()) return;
  const MpegTargetPreset* preset =
      FindMpegTargetPreset(S(suivideocompressorComboBox->currentText()));
  if (!preset) {
    // A plain codec: whatever a preset forced stays in place, now editable.
    SetVideoChoicesEnabled(true);
    return;
  }
  SetVideoChoicesEnabled(false);
  Select(OptionList::kVideoBitrate, OutputFamily::kMpeg, FirstWord(preset->videoBitrateEntry));
  Select(OptionList::kFrameRate, OutputFamily::kMpeg, FirstWord(preset->frameRateEntry));
  Select(OptionList::kFrameSize, OutputFamily::kMpeg, FirstWord(preset->frameSizeEntry));
  suiwidthSpinEdit->setText(Q(preset->frameWidth));
  suiheightSpinEdit->setText(Q(preset->frameHeight));
}

void TsettingForm::suivideoframesizeComboBoxChange() {
  const QString entry = suivideoframesizeComboBox->currentText();
  if (entry == kOriginal) {
    suiwidthSpinEdit->setText("0");
    suiheightSpinEdit->setText("0");
    return;
  }
  const int x = entry.indexOf('x');
  // "Custom..." keeps the fields as they are; so does anything that is not a size.
  if (entry == kCustomSize || x < 0) return;
  suiwidthSpinEdit->setText(entry.left(x));
  suiheightSpinEdit->setText(entry.mid(x + 1));
}

void TsettingForm::suiwidthSpinEditChange() {
  FollowSizeFields();
}
void TsettingForm::suiheightSpinEditChange() {
  FollowSizeFields();
}

void TsettingForm::FollowSizeFields() {
  // The texts as typed, not their numbers: "080" matches no entry.
  QString key = suiwidthSpinEdit->text() + "x" + suiheightSpinEdit->text();
  if (key == "0x0") key = kOriginal;
  skin::SkinComboBox* sizes = suivideoframesizeComboBox;
  int found = sizes->count() - 1;  // the last entry, "Custom..." (or "Not available")
  for (int i = 0; i < sizes->count(); ++i) {
    if (sizes->itemText(i) == key) {
      found = i;
      break;
    }
  }
  sizes->setCurrentIndex(found);
}

// ---- Dragging ----------------------------------------------------------------------------

void TsettingForm::StartDrag() {
  if (QWindow* w = windowHandle()) w->startSystemMove();
}

void TsettingForm::Panel1MouseDown(Qt::MouseButton) {
  StartDrag();
}
void TsettingForm::suiGroupBox1MouseDown(Qt::MouseButton) {
  StartDrag();
}
void TsettingForm::suiGroupBox2MouseDown(Qt::MouseButton) {
  StartDrag();
}
void TsettingForm::suiGroupBox3MouseDown(Qt::MouseButton) {
  StartDrag();
}

}  // namespace quorbit
