// The settings dialog: the output family and the encoding choices of each family. It edits
// the main window's four profile records and its family radio buttons, and only when it is
// closed with OK.
#pragma once

#include <QLabel>

#include "main/dialogs.h"
#include "main/output_profile.h"
#include "skin/skin_combo_box.h"
#include "skin/skin_controls.h"
#include "skin/skin_frame.h"
#include "skin/skin_group_box.h"
#include "skin/skin_spin_edit.h"
#include "skin/skin_theme.h"

namespace quorbit {

class TForm1;

class TsettingForm : public skin::SkinFrame {
  Q_OBJECT

 public:
  enum class ModalResult { kNone, kOk, kCancel };

  // Becomes mainWindow's settings dialog (its "Advanced..." button shows it modally) for as
  // long as it lives. mainWindow and dialogs must outlive it.
  TsettingForm(TForm1* mainWindow, Dialogs* dialogs);
  ~TsettingForm() override;

  // Shows the dialog application-modal, centred over the main window, and returns once it
  // has closed: kOk when OK closed it, kCancel for any other way.
  ModalResult ShowModal();

  // The family whose radio button is checked in the dialog.
  OutputFamily CheckedFamily() const;

  // Handlers of the dialog's controls and events.
  void FormShow();
  void LoadFamilyControls();
  void suiaviRadioButtonClick();
  void suimpegRadioButtonClick();
  void suiwmvRadioButtonClick();
  void suimp3RadioButtonClick();
  void suivideocompressorComboBoxChange();
  void suivideoframesizeComboBoxChange();
  void suiwidthSpinEditChange();
  void suiheightSpinEditChange();
  void Panel1MouseDown(Qt::MouseButton button);
  void suiGroupBox1MouseDown(Qt::MouseButton button);
  void suiGroupBox2MouseDown(Qt::MouseButton button);
  void suiGroupBox3MouseDown(Qt::MouseButton button);

  // Controls, named as their objectName.
  skin::TsuiFileTheme* suiFileTheme1;
  skin::SkinPanel* Panel1;
  skin::SkinGroupBox* suiGroupBox1;
  skin::SkinRadioButton* suiaviRadioButton;
  skin::SkinRadioButton* suimpegRadioButton;
  skin::SkinRadioButton* suiwmvRadioButton;
  skin::SkinRadioButton* suimp3RadioButton;
  skin::SkinGroupBox* suiGroupBox2;
  skin::SkinComboBox* suivideocompressorComboBox;
  skin::SkinComboBox* suivideobitrateComboBox;
  skin::SkinComboBox* suivideoframerateComboBox;
  skin::SkinComboBox* suivideoframesizeComboBox;
  skin::SkinSpinEdit* suiwidthSpinEdit;
  skin::SkinSpinEdit* suiheightSpinEdit;
  skin::SkinGroupBox* suiGroupBox3;
  skin::SkinComboBox* suiaudiobitrateComboBox;
  skin::SkinComboBox* suiaudiofrequencyComboBox;
  skin::SkinComboBox* suiaudiochannelComboBox;
  skin::SkinButton* suiButton1;
  skin::SkinButton* suiButton2;

 signals:
  // The dialog has been hidden; ends the modal loop.
  void hidden();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  // False when the close is refused and the dialog stays open.
  bool FormClose(ModalResult result);
  void CloseWith(ModalResult result);
  void StartDrag();
  // The list filling a profile field.
  skin::SkinComboBox* ListFor(OptionList list) const;
  // Empties the list and fills it with the family's entries, leaving it without a selection.
  void Refill(OptionList list, OutputFamily family);
  // Selects the entry whose stored value is value; no selection when none matches.
  void Select(OptionList list, OutputFamily family, const std::string& value);
  void SetVideoChoicesEnabled(bool enabled);
  // The frame-size list follows the two size fields.
  void FollowSizeFields();

  TForm1* mainWindow_;
  Dialogs* dialogs_;
  ModalResult modalResult_ = ModalResult::kNone;
  ModalResult closedWith_ = ModalResult::kNone;
};

}  // namespace quorbit
