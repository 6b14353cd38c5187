#include "app/password_form.h"

#include "app/definitions.h"
#include "app/login_levels.h"
#include "app/login_table.h"
#include "app/program_resources.h"
#include "ui/jpeg_image.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <QWindow>

namespace tvx::app {

namespace {
constexpr int ClientWidth = 350;
constexpr int ClientHeight = 200;
constexpr int CornerEllipse = 25;
const QColor Background(0x64, 0x95, 0xED);  // 0x00ED9564 as 0x00BBGGRR
constexpr const char* VersionText = "Tarvelmundix rozdzielaczy    V1.4";
}  // namespace

std::string AccessLevelNameOf(int level) {
  if (level < 0 || level > 4) return {};
  return Unscramble(login_table::LevelNames[level], login_table::Positions);
}

TPasswordForm::TPasswordForm(QWidget* parent) : QDialog(parent) {
  InitProgramResources();
  setObjectName(QStringLiteral("PasswordForm"));
  setWindowTitle(QStringLiteral(" Tarvelmundix"));
  setFixedSize(ClientWidth, ClientHeight);
  QPalette p = palette();
  p.setColor(QPalette::Window, Background);
  setPalette(p);
  setAutoFillBackground(true);

  PicturePanel = new ui::Panel(this);
  PicturePanel->setObjectName(QStringLiteral("PicturePanel"));
  PicturePanel->setFrameStyle(QFrame::NoFrame);
  PicturePanel->setGeometry(0, 0, ClientWidth, 107);
  Logo = new ui::Image(PicturePanel);
  Logo->setObjectName(QStringLiteral("Logo"));
  Logo->setGeometry(0, 0, ClientWidth, 107);
  Logo->setPixmap(QPixmap::fromImage(ui::LoadJpeg(QString::fromLatin1(LogoResource))));
  Logo->setScaledContents(true);

  Prompt = new ui::Label(this);
  Prompt->setObjectName(QStringLiteral("Prompt"));
  Prompt->setText(QStringLiteral("Wprowadź kod użytkownika"));
  QFont bold = font();
  bold.setBold(true);
  Prompt->setFont(bold);
  Prompt->adjustSize();
  Prompt->move((ClientWidth - Prompt->width()) / 2, 118);

  Password = new ui::ValveField(this);
  Password->setObjectName(QStringLiteral("Password"));
  Password->setTypedLimit(8);
  Password->setEchoMode(QLineEdit::Password);
  Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  Password->setGeometry(100, 140, 90, 21);
  Password->installEventFilter(this);

  Done = new QPushButton(QStringLiteral(" Loguj"), this);
  Done->setObjectName(QStringLiteral("Done"));
  Done->setGeometry(198, 138, 60, 25);
  Done->setDefault(true);
  connect(Done, &QPushButton::clicked, this, &TPasswordForm::DoneClick);

  Version = new ui::Label(this);
  Version->setObjectName(QStringLiteral("Version"));
  Version->setFont(bold);
  Version->setFontColor(Qt::white);
  Version->move(8, ClientHeight - 30);

  ui::SetReadingTabOrder(this);
  Password->setFocus();
}

void TPasswordForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !shaped_) FormActivate();
}

void TPasswordForm::FormActivate() {
  shaped_ = true;
  // The version label, centred, its top 5 pixels above the bottom of the client area.
  Version->setText(QString::fromUtf8(VersionText));
  Version->adjustSize();
  Version->move((width() - Version->fontMetrics().horizontalAdvance(Version->text())) / 2, height() - 5);

  // Without border and title bar the client area takes the whole window, so it
  // grows by what the frame took; the label then sits near the bottom edge.
  QSize frame = frameGeometry().size() - size();
  // Without a window manager (or on a platform that reports only a thin
  // border) there is no title bar to measure: take a usual one.
  if (frame.height() < 20) frame = QSize(6, 29);
  const QPoint outerTopLeft = frameGeometry().topLeft();
  if (QWindow* window = windowHandle()) window->setFlags(window->flags() | Qt::FramelessWindowHint);
  setFixedSize(size() + frame);
  move(outerTopLeft);
  // The picture spans the whole width, as before.
  PicturePanel->resize(width(), PicturePanel->height());
  Logo->resize(PicturePanel->size());

  QPainterPath outline;
  outline.addRoundedRect(QRectF(0, 0, width() - 1, height() - 1), CornerEllipse / 2.0, CornerEllipse / 2.0);
  setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

bool TPasswordForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Password && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
      DoneClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TPasswordForm::DoneClick() {
  const std::string entered = Password->text().toStdString();
  AccessLevel = LevelForPassword(entered, login_table::Passwords);
  AccessLevelName = AccessLevelNameOf(AccessLevel);
  accept();
}

void TPasswordForm::reject() {
  // Closed without logging in: the lowest level.
  AccessLevel = 0;
  AccessLevelName = AccessLevelNameOf(0);
  QDialog::reject();
}

}  // namespace tvx::app
