#include "main/main_window.h"

#include <sys/stat.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QWindow>

#include "common/progress_message.h"
#include "common/text_codec.h"
#include "main/command_line.h"
#include "main/form_layout.h"
#include "main/jpeg_size.h"
#include "main/local_path.h"
#include "main/probe_text.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile_file.h"

namespace quorbit {

const char* const kSiteAddress = "EDGFIVILEODZGEFYEMGGIQINDXFUIVFXEAGJICIIELFXIGFXEKGDII";

namespace {

constexpr int kClientWidth = 712, kClientHeight = 527;
constexpr size_t kDirectoryBuffer = 65536;

QString Q(const std::string& s) {
  return QFile::decodeName(QByteArray::fromStdString(s));
}

QFont HeadingFont() {
  QFont f("Tahoma");
  f.setPixelSize(16);
  f.setBold(true);
  return f;
}

QFont LinkFont() {
  QFont f("Tahoma");
  f.setPixelSize(13);
  f.setBold(true);
  f.setUnderline(true);
  return f;
}

// Labels size themselves to their text, and check boxes grow to show their whole caption
// when the font in use is wider than the one the layout was drawn with; the place stays.
void FitToText(QWidget* w) {
  w->resize(std::max(w->width(), w->sizeHint().width()), w->height());
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Size of the file at path, or -1 when there is none.
long long FileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
}

}  // namespace

TForm1::TForm1(Dialogs* dialogs, RunnerLink* runner, const std::string& folder)
    : dialogs_(dialogs), runner_(runner) {
  appFolder = platform::WithTrailingSlash(folder);
  BuildControls();
  FormCreate();
  connect(runner_, &RunnerLink::report, this, &TForm1::RunnerMessage);
  connect(runner_, &RunnerLink::runnerGone, this, [this] {
    // The runner never told how the job ended: it failed.
    if (probeInFlight)
      ProbeResult(0);
    else if (conversionInFlight)
      ConversionEnded(common::JOB_REFUSED);
  });
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  setObjectName("TForm1");
  setWindowTitle("Vexlomar");
  setClientSize(kClientWidth, kClientHeight);

  Panel1 = Place(new skin::SkinPanel(clientArea()), "Panel1", 0, 0, kClientWidth,
                 kClientHeight - skin::SkinFrame::kTitleBarHeight);
  connect(Panel1, &skin::SkinPanel::mouseDown, this, &TForm1::Panel1MouseDown);

  suiImageButton1 = Place(new skin::SkinImageButton(Panel1), "suiImageButton1", 24, 24, 32, 32);
  headingLabel = Place(new QLabel("Select Flash FLV files for conversion", Panel1), "headingLabel",
                       64, 32, 290, 19);
  headingLabel->setFont(HeadingFont());
  suiListView1 = Place(new skin::SkinListView(Panel1), "suiListView1", 64, 64, 489, 137);
  suiListView1->setColumnCount(3);
  suiListView1->setHeaderLabels({"FLV File", "Duration", "Status"});
  suiListView1->setColumnWidth(0, 280);
  suiListView1->setColumnWidth(1, 90);
  suiListView1->setColumnWidth(2, 80);
  suiaddButton = Place(new skin::SkinButton("Add...", Panel1), "suiaddButton", 568, 64, 105, 25);
  suidelButton = Place(new skin::SkinButton("Delete", Panel1), "suidelButton", 568, 96, 105, 25);
  suiclearButton =
      Place(new skin::SkinButton("Clear", Panel1), "suiclearButton", 568, 128, 105, 25);

  suiImageButton2 = Place(new skin::SkinImageButton(Panel1), "suiImageButton2", 24, 216, 32, 32);
  outputOptionsLabel =
      Place(new QLabel("Output Options", Panel1), "outputOptionsLabel", 64, 224, 123, 19);
  outputOptionsLabel->setFont(HeadingFont());
  outputDirectoryLabel =
      Place(new QLabel("Output Directory:", Panel1), "outputDirectoryLabel", 64, 258, 80, 13);
  suiOutputDirectoryEdit =
      Place(new skin::SkinEdit(Panel1), "suiOutputDirectoryEdit", 64, 280, 489, 19);
  suibrowseButton =
      Place(new skin::SkinButton("Browse...", Panel1), "suibrowseButton", 568, 276, 105, 25);
  outputFormatLabel =
      Place(new QLabel("Output Format:", Panel1), "outputFormatLabel", 64, 314, 70, 13);
  suiaviRadioButton =
      Place(new skin::SkinRadioButton("AVI", Panel1), "suiaviRadioButton", 168, 312, 37, 19);
  suimpegRadioButton =
      Place(new skin::SkinRadioButton("MPEG", Panel1), "suimpegRadioButton", 240, 312, 51, 19);
  suiwmvRadioButton =
      Place(new skin::SkinRadioButton("WMV", Panel1), "suiwmvRadioButton", 320, 312, 47, 19);
  suimp3RadioButton =
      Place(new skin::SkinRadioButton("MP3", Panel1), "suimp3RadioButton", 400, 312, 42, 19);
  suiaviRadioButton->setChecked(true);
  suiadvancedButton =
      Place(new skin::SkinButton("Advanced...", Panel1), "suiadvancedButton", 568, 309, 105, 25);
  formatLabel = Place(new QLabel(Panel1), "formatLabel", 64, 340, 386, 13);
  suiconvertButton = Place(new skin::SkinButton("Convert FLV files", Panel1), "suiconvertButton",
                           64, 376, 177, 33);
  suiProgressBar1 = Place(new skin::SkinProgressBar(Panel1), "suiProgressBar1", 256, 383, 417, 18);
  suiProgressBar1->setMinimum(0);
  suiProgressBar1->setMaximum(100);
  suiProgressBar1->setPosition(0);
  suioverwriteCheckBox =
      Place(new skin::SkinCheckBox(
                "When output file already exists, overwrite it . (uncheck to skip)", Panel1),
            "suioverwriteCheckBox", 64, 424, 312, 19);
  suioverwriteCheckBox->setChecked(true);
  suiopenwhendoneCheckBox =
      Place(new skin::SkinCheckBox("Open output directory when done.", Panel1),
            "suiopenwhendoneCheckBox", 64, 448, 181, 19);
  suiopenwhendoneCheckBox->setChecked(true);
  morefreeSpeedButton = Place(new skin::SkinLinkButton("More Download!", Panel1),
                              "morefreeSpeedButton", 408, 432, 129, 26);
  helpSpeedButton =
      Place(new skin::SkinLinkButton("Online Help", Panel1), "helpSpeedButton", 544, 432, 129, 26);

  for (QWidget* w : std::initializer_list<QWidget*>{
           suiaddButton, suidelButton, suiclearButton, suibrowseButton, suiadvancedButton,
           suiaviRadioButton, suimpegRadioButton, suiwmvRadioButton, suimp3RadioButton,
           suioverwriteCheckBox, suiopenwhendoneCheckBox, suiOutputDirectoryEdit,
           outputDirectoryLabel, outputFormatLabel, formatLabel, suiListView1})
    w->setFont(ControlFont());
  suiconvertButton->setFont(ControlFont(true));
  morefreeSpeedButton->setFont(LinkFont());
  helpSpeedButton->setFont(LinkFont());
  for (QWidget* w : std::initializer_list<QWidget*>{headingLabel, outputOptionsLabel,
                                                    outputDirectoryLabel, outputFormatLabel,
                                                    suioverwriteCheckBox, suiopenwhendoneCheckBox})
    FitToText(w);

  QWidget* order[] = {
      suiImageButton1,   suiListView1,       suiaddButton,           suidelButton,
      suiclearButton,    suiImageButton2,    suiOutputDirectoryEdit, suibrowseButton,
      suiaviRadioButton, suimpegRadioButton, suiwmvRadioButton,      suimp3RadioButton,
      suiadvancedButton, suiconvertButton,   suioverwriteCheckBox,   suiopenwhendoneCheckBox};
  for (size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
  // The link buttons take no keyboard focus, like flat speed buttons.
  morefreeSpeedButton->setFocusPolicy(Qt::NoFocus);
  helpSpeedButton->setFocusPolicy(Qt::NoFocus);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(50);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  connect(suiaddButton, &QPushButton::clicked, this, &TForm1::suiaddButtonClick);
  connect(suidelButton, &QPushButton::clicked, this, &TForm1::suidelButtonClick);
  connect(suiclearButton, &QPushButton::clicked, this, &TForm1::suiclearButtonClick);
  connect(suibrowseButton, &QPushButton::clicked, this, &TForm1::suibrowseButtonClick);
  connect(suiadvancedButton, &QPushButton::clicked, this, &TForm1::suiadvancedButtonClick);
  connect(suiconvertButton, &QPushButton::clicked, this, &TForm1::suiconvertButtonClick);
  connect(suiaviRadioButton, &QRadioButton::clicked, this, &TForm1::suiaviRadioButtonClick);
  connect(suimpegRadioButton, &QRadioButton::clicked, this, &TForm1::suimpegRadioButtonClick);
  connect(suiwmvRadioButton, &QRadioButton::clicked, this, &TForm1::suiwmvRadioButtonClick);
  connect(suimp3RadioButton, &QRadioButton::clicked, this, &TForm1::suimp3RadioButtonClick);
  connect(helpSpeedButton, &QPushButton::clicked, this, &TForm1::helpSpeedButtonClick);
  connect(morefreeSpeedButton, &QPushButton::clicked, this, &TForm1::morefreeSpeedButtonClick);
  suiFileTheme1 = LoadTheme(this, appFolder);
}

// ---- Creation, showing, closing ----------------------------------------------------------

void TForm1::FormCreate() {
  thumbPath = appFolder + "thumb.jpg";
  systemFolder = platform::SystemFolder();
  encoderSourcePath = appFolder + "norcel.dll";
  encoderPath = systemFolder + "norcel.dll";
  profiles = DefaultProfiles();
  ShowSummary(OutputFamily::kAvi);
  firstShow = true;
}

void TForm1::showEvent(QShowEvent* event) {
  skin::SkinFrame::showEvent(event);
  FormShow();
}

void TForm1::FormShow() {
  if (!firstShow) return;
  firstShow = false;
  std::string folder = platform::ReadProfileString("General", "Directory", "", kDirectoryBuffer,
                                                   appFolder + "options.ini");
  if (folder.empty()) {
    folder = appFolder + "OutputVideos";
    platform::CreateDirectory(folder);
  }
  suiOutputDirectoryEdit->setText(Q(folder));
  Timer1->start();
}

void TForm1::Timer1Timer() {
  // Fires once per process: the encoder is unpacked from its package into the system folder.
  Timer1->stop();
  platform::DeleteFile(encoderPath);
  try {
    common::UnscrambleFile(encoderSourcePath, encoderPath, common::UnpackSeed,
                           [] { QCoreApplication::processEvents(); });
    chmod(encoderPath.c_str(), S_IRWXU);
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

void TForm1::ShowException(const std::exception& e) {
  dialogs_->ShowMessage(this, QString::fromLocal8Bit(e.what()), windowTitle(),
                        Dialogs::Icon::Error);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (FormClose())
    event->accept();
  else
    event->ignore();
}

bool TForm1::FormClose() {
  if (converting) {
    Warn("Please stop converting before exit!");
    return false;
  }
  // The runnable encoder does not outlive the program: the package takes its place again.
  platform::DeleteFile(encoderPath);
  platform::CopyFile(encoderSourcePath, encoderPath);
  platform::WriteProfileString("General", "Directory",
                               LocalPath(suiOutputDirectoryEdit->text().trimmed()),
                               appFolder + "options.ini");
  return true;
}

void TForm1::Warn(const QString& text) {
  dialogs_->ShowMessage(this, text, "Warning", Dialogs::Icon::None);
}

// ---- The file list -----------------------------------------------------------------------

void TForm1::suiaddButtonClick() {
  const QStringList files =
      dialogs_->ChooseFiles(this, "Add Source Video", "Flash Video Files (*.flv)");
  if (files.isEmpty() || files.first().isEmpty()) return;
  for (const QString& file : files) {
    const std::string path = LocalPath(file);
    // Such a path would break out of its quotes on the encoder's command line.
    if (!IsSafeSourcePath(path)) {
      Warn("Failed to load: " + file);
      continue;
    }
    hideListView.push_back({path});
  }
  ProbeNext();
}

void TForm1::suidelButtonClick() {
  QTreeWidgetItem* selected = suiListView1->currentItem();
  if (!selected || !selected->isSelected()) return;
  const int i = suiListView1->indexOfTopLevelItem(selected);
  delete suiListView1->takeTopLevelItem(i);
  hideListView.erase(hideListView.begin() + i);
  const int count = suiListView1->topLevelItemCount();
  suiListView1->clearSelection();
  if (count == 0) {
    suiListView1->setCurrentItem(nullptr);
    return;
  }
  suiListView1->setCurrentItem(suiListView1->topLevelItem(std::min(i, count - 1)));
}

void TForm1::suiclearButtonClick() {
  suiListView1->clear();
  hideListView.clear();
}

void TForm1::suibrowseButtonClick() {
  QString folder;
  if (dialogs_->BrowseForFolder(this, "Select ouput directory", &folder))
    suiOutputDirectoryEdit->setText(folder);
}

void TForm1::suiadvancedButtonClick() {
  hide();
  if (showSettingsDialog) showSettingsDialog();
  show();
}

// ---- Output family -----------------------------------------------------------------------

OutputFamily TForm1::SelectedFamily() const {
  if (suimpegRadioButton->isChecked()) return OutputFamily::kMpeg;
  if (suiwmvRadioButton->isChecked()) return OutputFamily::kWmv;
  if (suimp3RadioButton->isChecked()) return OutputFamily::kMp3;
  return OutputFamily::kAvi;
}

void TForm1::ShowSummary(OutputFamily family) {
  formatLabel->setText(Q(FormatSummary(family, profiles.For(family))));
  formatLabel->resize(formatLabel->sizeHint().width(), formatLabel->height());
}

void TForm1::suiaviRadioButtonClick() {
  ShowSummary(OutputFamily::kAvi);
}
void TForm1::suimpegRadioButtonClick() {
  ShowSummary(OutputFamily::kMpeg);
}
void TForm1::suiwmvRadioButtonClick() {
  ShowSummary(OutputFamily::kWmv);
}
void TForm1::suimp3RadioButtonClick() {
  ShowSummary(OutputFamily::kMp3);
}

void TForm1::helpSpeedButtonClick() {
  dialogs_->OpenInShell(Q(common::UnscrambleText(kSiteAddress)));
}

void TForm1::morefreeSpeedButtonClick() {
  dialogs_->OpenInShell(Q(common::UnscrambleText(kSiteAddress) + "/download.php"));
}

void TForm1::Panel1MouseDown(Qt::MouseButton) {
  if (QWindow* w = windowHandle()) w->startSystemMove();
}

// ---- Runner reports ----------------------------------------------------------------------

void TForm1::RunnerMessage(uint32_t code, int32_t value) {
  if (code == common::JOB_PROGRESS) {
    if (!converting || !conversionInFlight) return;
    currentSeconds = value;
    const int64_t percent = static_cast<int64_t>(value) * 100 / currentDuration;
    suiListView1->topLevelItem(currentIndex)->setText(2, QString::number(percent) + "%");
    suiProgressBar1->setPosition(static_cast<int>(doneSeconds + value));
    return;
  }
  if (code != common::JOB_ENDED) return;
  // An end report with no job of ours in flight is late, from a runner already let go.
  if (jobIsProbe && probeInFlight)
    ProbeResult(value);
  else if (!jobIsProbe && conversionInFlight)
    ConversionEnded(value);
}

// ---- Probe queue -------------------------------------------------------------------------

void TForm1::ProbeNext() {
  // One job at a time: a probe in flight is never doubled, and probes wait during a batch.
  if (probeInFlight || conversionInFlight || converting) return;
  const size_t i = static_cast<size_t>(suiListView1->topLevelItemCount());
  if (i >= hideListView.size()) return;
  const std::string source = hideListView[i].filepath;
  platform::DeleteFile(thumbPath);
  const std::string command = BuildProbeCommandLine(encoderPath, source, thumbPath);
  jobIsProbe = true;
  probeInFlight = true;
  runner_->StartJob(true, command);
}

void TForm1::ProbeResult(int32_t value) {
  probeInFlight = false;
  const size_t i = static_cast<size_t>(suiListView1->topLevelItemCount());
  if (i < hideListView.size()) {
    const std::string source = hideListView[i].filepath;
    int width = 0, height = 0;
    if (value > 0 && ReadJpegSize(thumbPath, &width, &height) && width > 0 && height > 0) {
      HiddenRow& row = hideListView[i];
      row.width = width;
      row.height = height;
      row.duration = value;
      auto* item = new QTreeWidgetItem(
          QStringList{Q(source), Q(DurationToText(value)), QStringLiteral("Ready")});
      suiListView1->addTopLevelItem(item);
    } else {
      Warn("Failed to load: " + Q(source));
      // The rows may have changed while the message was open; the entry is the one that
      // was probed, which is still at the same index unless the list was cleared.
      if (i < hideListView.size() && hideListView[i].filepath == source)
        hideListView.erase(hideListView.begin() + static_cast<long>(i));
    }
  }
  if (batchWaiting) {
    batchWaiting = false;
    ConvertFile(hideListView[0].filepath);
    return;
  }
  ProbeNext();
}

// ---- Batch -------------------------------------------------------------------------------

void TForm1::suiconvertButtonClick() {
  if (converting)
    StopBatch();
  else
    StartBatch();
}

void TForm1::StartBatch() {
  if (suiListView1->topLevelItemCount() == 0) {
    Warn("No flv file added!");
    return;
  }
  const std::string trimmed = LocalPath(suiOutputDirectoryEdit->text().trimmed());
  outputFolder = platform::WithTrailingSlash(trimmed);
  if (trimmed.empty() || !IsFolder(outputFolder)) {
    Warn("The output directory does not exists!");
    return;
  }
  batchCount = suiListView1->topLevelItemCount();
  batchFailures = 0;
  batchSeconds = 0;
  doneSeconds = 0;
  for (int i = 0; i < batchCount; ++i)
    batchSeconds += hideListView[static_cast<size_t>(i)].duration;
  suiProgressBar1->setMaximum(static_cast<int>(batchSeconds));
  suiProgressBar1->setMinimum(0);
  suiProgressBar1->setPosition(0);
  SetInputsEnabled(false);
  converting = true;
  suiconvertButton->setText("Stop");
  currentIndex = 0;
  // A probe still running reports first; its result is applied outside the batch.
  if (probeInFlight) {
    batchWaiting = true;
    return;
  }
  ConvertFile(hideListView[0].filepath);
}

void TForm1::ConvertFile(const std::string& firstSource) {
  std::string source = firstSource;
  for (;;) {
    const std::string outputPath = OutputPathFor(SelectedFamily(), outputFolder, source);
    QTreeWidgetItem* row = suiListView1->topLevelItem(currentIndex);
    if (Exists(outputPath)) {
      if (!suioverwriteCheckBox->isChecked()) {
        row->setText(2, "Skipped");
        currentDuration = hideListView[static_cast<size_t>(currentIndex)].duration;
        doneSeconds += currentDuration;
        suiProgressBar1->setPosition(static_cast<int>(doneSeconds));
        ++currentIndex;
        if (currentIndex == batchCount) {
          FinishBatch();
          return;
        }
        source = hideListView[static_cast<size_t>(currentIndex)].filepath;
        continue;
      }
      platform::DeleteFile(outputPath);
      outputState = OutputState::kOverwritten;
    } else {
      outputState = OutputState::kNew;
    }
    const std::string command = BuildCommandLine(SelectedFamily(), profiles.For(SelectedFamily()),
                                                 encoderPath, source, outputPath);
    currentDuration = hideListView[static_cast<size_t>(currentIndex)].duration;
    currentSeconds = 0;
    currentOutputPath = outputPath;
    jobIsProbe = false;
    conversionInFlight = true;
    runner_->StartJob(false, command);
    return;
  }
}

void TForm1::ConversionEnded(int32_t value) {
  conversionInFlight = false;
  QTreeWidgetItem* row = suiListView1->topLevelItem(currentIndex);
  // Refused, failed, or "succeeded" without leaving an output: the row says so.
  if (value < 0 || FileSize(currentOutputPath) <= 0) {
    row->setText(2, "Failed");
    ++batchFailures;
  } else {
    row->setText(2, outputState == OutputState::kNew ? "Done" : "Overwritten");
  }
  currentDuration = hideListView[static_cast<size_t>(currentIndex)].duration;
  doneSeconds += currentDuration;
  suiProgressBar1->setPosition(static_cast<int>(doneSeconds));
  ++currentIndex;
  if (currentIndex == batchCount) {
    FinishBatch();
    return;
  }
  ConvertFile(hideListView[static_cast<size_t>(currentIndex)].filepath);
}

void TForm1::FinishBatch() {
  if (batchFailures == 0) {
    dialogs_->ShowMessage(this, "All Flv files have been converted!", "Message",
                          Dialogs::Icon::Information);
  } else {
    dialogs_->ShowMessage(
        this,
        QString::asprintf("%d of %d Flv files could not be converted!", batchFailures, batchCount),
        "Warning", Dialogs::Icon::Warning);
  }
  if (suiopenwhendoneCheckBox->isChecked()) dialogs_->OpenInShell(Q(outputFolder));
  SetInputsEnabled(true);
  converting = false;
  suiconvertButton->setText("Convert FLV files");
  suiProgressBar1->setPosition(0);
  ProbeNext();  // files added before the batch wait no longer
}

void TForm1::StopBatch() {
  if (batchWaiting) {
    // The batch has not started a job yet; the probe in flight goes on.
    batchWaiting = false;
  } else {
    if (!runner_->RequestStop()) return;  // between two runners: the click is lost
    runner_->Abandon();
    conversionInFlight = false;
  }
  SetInputsEnabled(true);
  converting = false;
  suiconvertButton->setText("Convert FLV files");
  suiProgressBar1->setPosition(0);
  ProbeNext();
}

void TForm1::SetInputsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           suiopenwhendoneCheckBox, suiaddButton, suidelButton, suiclearButton,
           suiOutputDirectoryEdit, suibrowseButton, suiadvancedButton, suiaviRadioButton,
           suimpegRadioButton, suiwmvRadioButton, suimp3RadioButton, suioverwriteCheckBox})
    w->setEnabled(enabled);
}

}  // namespace quorbit
