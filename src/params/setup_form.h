// The profiles dialog: chooses the active profile and offers, in its "Opcje"
// menu, the copies between the user and factory profiles, the comparisons,
// typical values and the configuration files. Created for each opening by the
// main window's profile button and exec()-ed; the operations themselves are in
// params/profiles.h.
#pragma once

#include "params/profiles.h"
#include "params/qt_cfg_storage.h"
#include "ui/form_components.h"

#include <QDialog>

#include <memory>

class QAction;
class QButtonGroup;
class QGroupBox;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace tvx::ui {
class Label;
}

namespace tvx::params {

class TSetupForm : public QDialog, private ProfileDialog {
  Q_OBJECT
 public:
  TSetupForm(link::Port& port, ValveState& valve, int accessLevel, QWidget* parent = nullptr);
  ~TSetupForm() override;

  ui::FormComponents& components() { return components_; }

  // Checks the radio button of profile 1..3; any other number checks none.
  void ShowCurrentProfile(std::optional<int> profile);
  // The profile of the first checked radio button.
  std::optional<int> ChosenProfile() const { return CheckedProfile(); }

  QMenuBar* MainMenu = nullptr;
  QMenu* Options = nullptr;
  QAction* FileToMemory = nullptr;
  QAction* MemoryToFile = nullptr;
  QAction* UserToFactoryAll = nullptr;
  QAction* FactoryToUserAll = nullptr;
  QAction* FactoryToUserOne = nullptr;
  QAction* CompareSettings = nullptr;
  QAction* DefaultOne = nullptr;
  QAction* CompareWithFile = nullptr;
  QGroupBox* GroupBox = nullptr;
  QRadioButton* Set_1 = nullptr;
  QRadioButton* Set_2 = nullptr;
  QRadioButton* Set_3 = nullptr;
  ui::Label* Label1 = nullptr;
  ui::Label* Label2 = nullptr;
  ui::Label* Label3 = nullptr;
  QPushButton* SetActive = nullptr;
  QPushButton* Cancel = nullptr;

  // The menu's actions.
  void SaveSetupClick();
  void ReadSetupClick();
  void InterBankCopyClick(QAction* sender);
  void FactoryToOneUserClick();
  void CompareSettingsClick();
  void CompareWithFileClick();
  void DefaultsClick();
  // During a load: the stop request; otherwise it also closes the dialog.
  void CancelClick();

  // The operations while the dialog exists (tests reach the stop request).
  ProfileOperations& operations() { return *operations_; }

 public slots:
  // Esc and the window's close button: as a click on Cancel while Cancel is
  // usable. While an operation runs the dialog stays open.
  void reject() override;

 private:
  void FormCreate(int accessLevel);
  void ConnectHandlers();

  // ProfileDialog
  void CheckBank(int bank) override;
  std::optional<int> CheckedProfile() const override;
  void MarkProfiles(std::uint32_t changed) override;
  void SetBusy(ProfileBusy busy) override;
  void Beep() override;

  class Questions;
  std::unique_ptr<Questions> questions_;
  QtCfgStorage storage_;
  std::unique_ptr<ProfileOperations> operations_;
  ProfileBusy busy_ = ProfileBusy::None;
  QButtonGroup* group_ = nullptr;
  ui::FormComponents components_;
};

// SelectSetupClick's part of the window: the dialog for the choice, and the
// profile button's caption.
class SetupFormSelection : public ProfileSelection {
 public:
  SetupFormSelection(link::Port& port, ValveState& valve, QWidget* parent, QPushButton* selectSetup, int accessLevel)
      : port_(port), valve_(valve), parent_(parent), selectSetup_(selectSetup), accessLevel_(accessLevel) {}
  std::optional<int> Choose(std::optional<int> button) override;
  void ShowProfile(std::int64_t number) override;

 private:
  link::Port& port_;
  ValveState& valve_;
  QWidget* parent_;
  QPushButton* selectSetup_;
  int accessLevel_;
};

}  // namespace tvx::params
