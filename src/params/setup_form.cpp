#include "params/setup_form.h"

#include "ui/application.h"
#include "ui/file_folders.h"
#include "ui/prompts.h"
#include "ui/tab_order.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace tvx::params {

using ui::DesignText;

namespace {

constexpr const char* Caption = " Profile ustawień";
constexpr const char* LoadingCaption = " Odczyt ustawień, proszę czekać...";
constexpr const char* CfgFilter = "Plik konfiguracyjny rozdzielacza (*.cfg)";
constexpr const char* CfgSuffix = "cfg";
constexpr const char* SetActiveHint =
    " Wybierz aktywny profil ustawień rozdzielacza i prześlij jego \r\n dane z pamięci nieulotnej do roboczej "
    "pamięci rozdzielacza. \r\n Naciśnij klawisz 'Odczytaj', żeby zobaczyć nowe dane ! ";

QString Text(const char* utf8) {
  QString text = QString::fromUtf8(utf8);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace

// Questions of the profile operations, asked through the program's prompts.
class TSetupForm::Questions : public ProfileQuestions {
 public:
  explicit Questions(QWidget* parent) : parent_(parent) {}

  std::optional<std::string> SaveFileName() override {
    ui::Prompts::FileRequest request = Request();
    request.confirmOverwrite = false;  // the save asks its own question
    return Name(ui::CurrentPrompts().saveFileName(parent_, request));
  }
  std::optional<std::string> OpenFileName() override {
    return Name(ui::CurrentPrompts().openFileName(parent_, Request()));
  }
  bool Confirm(const std::string& text, const std::string& caption) override {
    return ui::CurrentPrompts().message(parent_, QString::fromStdString(text), QString::fromStdString(caption),
                                        ui::Prompts::Icon::Question,
                                        ui::Prompts::Buttons::OkCancel) == ui::Prompts::Answer::Ok;
  }
  void Inform(const std::string& text, const std::string& caption) override {
    ui::CurrentPrompts().message(parent_, QString::fromStdString(text), QString::fromStdString(caption),
                                 ui::Prompts::Icon::Information);
  }

 private:
  static ui::Prompts::FileRequest Request() {
    ui::Prompts::FileRequest request;
    request.filter = QString::fromUtf8(CfgFilter);
    request.defaultSuffix = QString::fromLatin1(CfgSuffix);
    request.directory = ui::StartFolder(ui::FileFolder::Configuration);
    return request;
  }
  static std::optional<std::string> Name(const std::optional<QString>& name) {
    if (!name) return std::nullopt;
    ui::RememberFolder(ui::FileFolder::Configuration, *name);
    return name->toStdString();
  }

  QWidget* parent_;
};

TSetupForm::TSetupForm(link::Port& port, ValveState& valve, int accessLevel, QWidget* parent)
    : QDialog(parent), questions_(std::make_unique<Questions>(this)) {
  ProfileDialog& dialog = *this;
  operations_ = std::make_unique<ProfileOperations>(port, valve, dialog, *questions_, storage_);
  setObjectName(QStringLiteral("SetupForm"));
  setFixedSize(330, 166);
  auto& f = components_;

  MainMenu = new QMenuBar(this);
  MainMenu->setObjectName(QStringLiteral("MainMenu"));
  MainMenu->setNativeMenuBar(false);
  f.add(MainMenu, "TMainMenu");
  Options = MainMenu->addMenu(QStringLiteral("&Opcje"));
  Options->setObjectName(QStringLiteral("Options"));
  Options->setToolTipsVisible(true);
  f.add(Options, "TMenuItem");
  auto item = [&](const char* name, const char* caption, const char* hint = nullptr) {
    QAction* action = Options->addAction(DesignText(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (hint) action->setToolTip(DesignText(hint));
    return f.add(action, "TMenuItem");
  };
  FileToMemory = item("FileToMemory", " &Pobierz profile użytkownika z pliku konfiguracyjnego",
                      " Wpisz do pamięci EEPROM ustawienia z pliku konfiguracyjnego ");
  MemoryToFile = item("MemoryToFile", " &Zapisz profile użytkownika do pliku konfiguracyjnego");
  Options->addSeparator();
  UserToFactoryAll = item("UserToFactoryAll", " Skopiuj profile &użytkownika do profilów fabrycznych");
  FactoryToUserAll = item("FactoryToUserAll", " Skopiuj profile &fabryczne do profilów użytkownika");
  FactoryToUserOne = item("FactoryToUserOne", " Przywróć &wybrany profil ustawień z profilów fabrycznych");
  Options->addSeparator();
  CompareSettings = item("CompareSettings", " &Porównaj profile użytkownika z profilami fabrycznymi");
  Options->addSeparator();
  DefaultOne = item("DefaultOne", " Wpisz do aktualnych ustawień rozdzielacza wartości &typowe");
  Options->addSeparator();
  CompareWithFile = item("CompareWithFile", " Porównaj profile z plikiem...");
  MainMenu->setGeometry(0, 0, width(), MainMenu->sizeHint().height());

  GroupBox = ui::MakeGroup(f, this, "GroupBox", {8, 34, 186, 120}, DesignText(" Aktywny profil ustawień "));
  group_ = new QButtonGroup(this);
  QRadioButton** radios[] = {&Set_1, &Set_2, &Set_3};
  ui::Label** labels[] = {&Label1, &Label2, &Label3};
  for (int i = 0; i < 3; ++i) {
    const int y = 26 + 30 * i;
    auto* radio = new QRadioButton(GroupBox);
    radio->setObjectName(QStringLiteral("Set_%1").arg(i + 1));
    radio->setGeometry(20, y, 20, 20);
    f.add(radio, "TRadioButton");
    group_->addButton(radio, i + 1);
    *radios[i] = radio;
    ui::Label* label = ui::MakeLabel(f, GroupBox, ("Label" + std::to_string(i + 1)).c_str(), 44, y + 2,
                                     QStringLiteral("Profil %1").arg(i + 1));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->adjustSize();
    *labels[i] = label;
  }

  SetActive = ui::MakeButton(f, this, "SetActive", {210, 50, 108, 27}, DesignText(" Wybierz "), Text(SetActiveHint));
  SetActive->setDefault(true);
  Cancel = ui::MakeButton(f, this, "Cancel", {210, 94, 108, 27}, DesignText(" Zamknij  "));

  ConnectHandlers();
  FormCreate(accessLevel);
  ui::SetReadingTabOrder(this);
}

TSetupForm::~TSetupForm() = default;

void TSetupForm::FormCreate(int accessLevel) {
  setWindowTitle(DesignText(Caption));
  UserToFactoryAll->setVisible(accessLevel > 1);
  DefaultOne->setVisible(accessLevel > 1);
  // The stop request starts cleared with the operations.
}

void TSetupForm::ConnectHandlers() {
  using ui::Guarded;
  connect(FileToMemory, &QAction::triggered, this, Guarded([this] { ReadSetupClick(); }));
  connect(MemoryToFile, &QAction::triggered, this, Guarded([this] { SaveSetupClick(); }));
  connect(UserToFactoryAll, &QAction::triggered, this, Guarded([this] { InterBankCopyClick(UserToFactoryAll); }));
  connect(FactoryToUserAll, &QAction::triggered, this, Guarded([this] { InterBankCopyClick(FactoryToUserAll); }));
  connect(FactoryToUserOne, &QAction::triggered, this, Guarded([this] { FactoryToOneUserClick(); }));
  connect(CompareSettings, &QAction::triggered, this, Guarded([this] { CompareSettingsClick(); }));
  connect(DefaultOne, &QAction::triggered, this, Guarded([this] { DefaultsClick(); }));
  connect(CompareWithFile, &QAction::triggered, this, Guarded([this] { CompareWithFileClick(); }));
  connect(SetActive, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, Guarded([this] { CancelClick(); }));
}

void TSetupForm::ShowCurrentProfile(std::optional<int> profile) { CheckBank(profile ? *profile - 1 : -1); }

// ---- actions ------------------------------------------------------------------------

void TSetupForm::SaveSetupClick() { operations_->SaveToFile(); }
void TSetupForm::ReadSetupClick() { operations_->LoadFromFile(); }

void TSetupForm::InterBankCopyClick(QAction* sender) {
  if (sender->objectName() == QLatin1String("UserToFactoryAll")) operations_->CopyUserToFactory();
  else operations_->CopyFactoryToUser();
}

void TSetupForm::FactoryToOneUserClick() { operations_->RestoreCheckedProfile(); }
void TSetupForm::CompareSettingsClick() { operations_->CompareWithFactory(); }
void TSetupForm::CompareWithFileClick() { operations_->CompareWithFile(); }
void TSetupForm::DefaultsClick() { operations_->WriteTypicalValues(); }

void TSetupForm::CancelClick() {
  operations_->RequestStop();
  Cancel->setEnabled(false);
  if (busy_ == ProfileBusy::None) QDialog::reject();
}

void TSetupForm::reject() {
  // While an operation runs the dialog must stay: its sequence is still using it.
  if (Cancel->isEnabled()) CancelClick();
}

// ---- what the operations show ---------------------------------------------------------

void TSetupForm::CheckBank(int bank) {
  if (bank >= 0 && bank <= 2) {
    group_->button(bank + 1)->setChecked(true);
    return;
  }
  group_->setExclusive(false);
  for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
  group_->setExclusive(true);
}

std::optional<int> TSetupForm::CheckedProfile() const {
  for (int p = 1; p <= 3; ++p)
    if (group_->button(p)->isChecked()) return p;
  return std::nullopt;
}

void TSetupForm::MarkProfiles(std::uint32_t changed) {
  ui::Label* labels[] = {Label1, Label2, Label3};
  for (int i = 0; i < 3; ++i) {
    const bool red = (changed >> i) & 1u;
    labels[i]->setFontColor(red ? QColor(Qt::red) : QApplication::palette().color(QPalette::WindowText));
  }
}

void TSetupForm::SetBusy(ProfileBusy busy) {
  busy_ = busy;
  const bool idle = busy == ProfileBusy::None;
  Options->menuAction()->setEnabled(idle);
  SetActive->setEnabled(idle);
  setWindowTitle(DesignText(busy == ProfileBusy::Loading ? LoadingCaption : Caption));
  if (idle) {
    GroupBox->setEnabled(true);
    Cancel->setEnabled(true);
  } else if (busy == ProfileBusy::Command) {
    GroupBox->setEnabled(false);
    Cancel->setEnabled(false);
  }
}

void TSetupForm::Beep() { QApplication::beep(); }

// ---- the main window's part -------------------------------------------------------------

std::optional<int> SetupFormSelection::Choose(std::optional<int> button) {
  TSetupForm form(port_, valve_, accessLevel_, parent_);
  form.ShowCurrentProfile(button);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.ChosenProfile();
}

void SetupFormSelection::ShowProfile(std::int64_t number) {
  selectSetup_->setText(QString::fromStdString(ProfileButtonCaption(number)));
}

}  // namespace tvx::params
