#include "app/about_form.h"

#include "app/maker_info.h"
#include "app/program_resources.h"
#include "program_info.h"
#include "ui/jpeg_image.h"
#include "ui/tab_order.h"
#include "ui/widgets.h"

#include <QFrame>

namespace tvx::app {

namespace {

const QColor Background(0x64, 0x95, 0xED);  // 0x00ED9564 as 0x00BBGGRR
constexpr const char* VersionText = "Wersja 1.4  03-11-2022";
constexpr int LogoHeight = 107;

ui::Label* MakeLabel(QWidget* parent, const char* name, int top, const QFont& font) {
  auto* label = new ui::Label(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  label->setFontColor(Qt::white);
  label->move(0, top);
  return label;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner) {
  InitProgramResources();
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QString::fromUtf8(" Informacje o programie"));
  setFixedSize(ClientWidth, ClientHeight);
  QPalette p = palette();
  p.setColor(QPalette::Window, Background);
  setPalette(p);
  setAutoFillBackground(true);

  LogoJPG = new ui::Image(this);
  LogoJPG->setObjectName(QStringLiteral("LogoJPG"));
  LogoJPG->setGeometry(0, 0, ClientWidth, LogoHeight);
  LogoJPG->setPixmap(QPixmap::fromImage(ui::LoadJpeg(QString::fromLatin1(LogoResource))));

  QFont title = font();
  title.setPixelSize(16);
  title.setBold(true);
  PgmName = MakeLabel(this, "PgmName", 118, title);
  Version = MakeLabel(this, "Version", 142, title);

  PanelLine = new QFrame(this);
  PanelLine->setObjectName(QStringLiteral("PanelLine"));
  PanelLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  PanelLine->setLineWidth(1);
  PanelLine->setGeometry(8, 174, ClientWidth - 16, 2);

  int top = 186;
  const QFont contact = font();
  for (auto [label, name] :
       {std::pair{&CopyInfo, "CopyInfo"}, {&Street, "Street"}, {&Town, "Town"}, {&Phone, "Phone"}, {&Mail, "Mail"}}) {
    *label = MakeLabel(this, name, top, contact);
    top += 21;
  }
  Street->setText(QString::fromUtf8(MakerStreet));
  Town->setText(QString::fromUtf8(MakerTown));
  Phone->setText(QString::fromUtf8(MakerPhone));
  Mail->setText(QString::fromUtf8(MakerMail));
  for (ui::Label* l : {Street, Town, Phone, Mail}) Centre(l);
  CopyInfo->setText(QStringLiteral("© "));

  FormCreate();
  ui::SetReadingTabOrder(this);
}

void TAboutForm::FormCreate() {
  Version->setText(QString::fromUtf8(VersionText));
  Centre(Version);
  PgmName->setText(QString::fromUtf8(ProgramName));
  Centre(PgmName);
  CopyInfo->setText(CopyInfo->text() + QString::fromUtf8(MakerCompany));
  Centre(CopyInfo);
}

void TAboutForm::Centre(ui::Label* label) {
  label->adjustSize();
  const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
  label->move((ClientWidth - textWidth) / 2, label->y());
}

}  // namespace tvx::app
