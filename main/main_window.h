// The main window: the file list with its probe queue, the output options, and the batch
// conversion driver.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include <QTimer>

#include "main/dialogs.h"
#include "main/output_profile.h"
#include "main/runner_link.h"
#include "skin/skin_controls.h"
#include "skin/skin_frame.h"
#include "skin/skin_progress_bar.h"
#include "skin/skin_theme.h"

namespace quorbit {

// The vendor's site, scrambled; the link buttons open it and its download page.
extern const char* const kSiteAddress;

class TForm1 : public skin::SkinFrame {
  Q_OBJECT

 public:
  // appFolder: the folder of the program (ending in '/'), where options.ini, thumb.jpg,
  // norcel and the encoder package live. dialogs and runner must outlive the window.
  TForm1(Dialogs* dialogs, RunnerLink* runner, const std::string& appFolder);
  ~TForm1() override;

  // One row of the hidden list: every added file, probed or still waiting.
  struct HiddenRow {
    std::string filepath;
    int width = 0, height = 0, duration = 0;  // set by a successful probe
  };

  // The program's paths, fixed at creation.
  std::string appFolder, thumbPath, systemFolder, encoderSourcePath, encoderPath;
  OutputProfiles profiles;
  const std::vector<HiddenRow>& hiddenRows() const { return hideListView; }
  bool isConverting() const { return converting; }
  bool isProbing() const { return probeInFlight; }

  // The family whose radio button is checked.
  OutputFamily SelectedFamily() const;

  // Handlers of the window's controls and events.
  void suiaddButtonClick();
  void suidelButtonClick();
  void suiclearButtonClick();
  void suibrowseButtonClick();
  void suiadvancedButtonClick();
  void suiconvertButtonClick();
  void suiaviRadioButtonClick();
  void suimpegRadioButtonClick();
  void suiwmvRadioButtonClick();
  void suimp3RadioButtonClick();
  void helpSpeedButtonClick();
  void morefreeSpeedButtonClick();
  void Panel1MouseDown(Qt::MouseButton button);
  void Timer1Timer();
  // The program's last resort for an error no handler caught: an error box, and the
  // program goes on.
  void ShowException(const std::exception& e);
  // The handler of the runner's reports.
  void RunnerMessage(uint32_t code, int32_t value);

  // Controls, named as their objectName.
  skin::TsuiFileTheme* suiFileTheme1;
  skin::SkinPanel* Panel1;
  skin::SkinImageButton* suiImageButton1;
  skin::SkinImageButton* suiImageButton2;
  QLabel* headingLabel;
  QLabel* outputOptionsLabel;
  QLabel* outputDirectoryLabel;
  QLabel* outputFormatLabel;
  skin::SkinListView* suiListView1;
  skin::SkinButton* suiaddButton;
  skin::SkinButton* suidelButton;
  skin::SkinButton* suiclearButton;
  skin::SkinEdit* suiOutputDirectoryEdit;
  skin::SkinButton* suibrowseButton;
  skin::SkinRadioButton* suiaviRadioButton;
  skin::SkinRadioButton* suimpegRadioButton;
  skin::SkinRadioButton* suiwmvRadioButton;
  skin::SkinRadioButton* suimp3RadioButton;
  skin::SkinButton* suiadvancedButton;
  QLabel* formatLabel;
  skin::SkinButton* suiconvertButton;
  skin::SkinProgressBar* suiProgressBar1;
  skin::SkinCheckBox* suioverwriteCheckBox;
  skin::SkinCheckBox* suiopenwhendoneCheckBox;
  skin::SkinLinkButton* morefreeSpeedButton;
  skin::SkinLinkButton* helpSpeedButton;
  QTimer* Timer1;

  // Called when the settings dialog is to be shown; until the dialog exists it is empty.
  std::function<void()> showSettingsDialog;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  // False when the close is refused.
  bool FormClose();
  void BuildControls();

  void ProbeNext();
  void ProbeResult(int32_t value);
  void StartBatch();
  void ConvertFile(const std::string& source);
  void ConversionEnded(int32_t value);
  void FinishBatch();
  void StopBatch();
  void SetInputsEnabled(bool enabled);
  void ShowSummary(OutputFamily family);
  void Warn(const QString& text);

  Dialogs* dialogs_;
  RunnerLink* runner_;
  std::vector<HiddenRow> hideListView;

  bool firstShow = false;
  bool converting = false;
  bool jobIsProbe = false;
  int currentIndex = 0;
  int64_t batchSeconds = 0, doneSeconds = 0;
  int currentDuration = 0, currentSeconds = 0;
  enum class OutputState { kNew, kOverwritten } outputState = OutputState::kNew;
  std::string outputFolder;

  // What is in flight: at most one job, a probe or a conversion.
  bool probeInFlight = false;
  bool conversionInFlight = false;
  // Convert was pressed while a probe ran: the batch starts once that probe has reported.
  bool batchWaiting = false;
  int batchCount = 0;     // rows the batch covers: those listed when Convert was pressed
  int batchFailures = 0;  // rows that ended "Failed"
  std::string currentOutputPath;
};

}  // namespace quorbit
