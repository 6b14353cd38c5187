#include "app/definitions.h"
#include "app/login_levels.h"
#include "app/password_form.h"
#include "login_passwords.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tvx::app {
namespace {

std::string StoredPassword(int i) { return testing::LoginPasswords[i]; }

int LoginWith(const QString& entry, Qt::Key key = Qt::Key_Return) {
  AccessLevel = -1;
  TPasswordForm form;
  QTest::keyClicks(form.Password, entry);
  QTest::keyClick(form.Password, key);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  return AccessLevel;
}

TEST(PasswordForm, StoredPasswordsGiveLevelsFourToOne) {
  for (int i = 0; i < StoredPasswordCount; ++i) {
    EXPECT_EQ(LoginWith(QString::fromStdString(StoredPassword(i))), 4 - i) << i;
    EXPECT_EQ(AccessLevelName, AccessLevelNameOf(4 - i));
  }
}

TEST(PasswordForm, WrongOrEmptyEntryGivesLevelZero) {
  EXPECT_EQ(LoginWith(QString()), 0);
  EXPECT_EQ(AccessLevelName, AccessLevelNameOf(0));
  EXPECT_EQ(LoginWith(QStringLiteral("nothing")), 0);
  EXPECT_EQ(LoginWith(QString::fromStdString(StoredPassword(0)).toUpper()), 0);
}

TEST(PasswordForm, EscAndTheLoginButtonActAsDone) {
  EXPECT_EQ(LoginWith(QString::fromStdString(StoredPassword(1)), Qt::Key_Escape), 3);
  AccessLevel = -1;
  TPasswordForm form;
  QTest::keyClicks(form.Password, QString::fromStdString(StoredPassword(2)));
  QTest::mouseClick(form.Done, Qt::LeftButton);
  EXPECT_EQ(AccessLevel, 2);
}

TEST(PasswordForm, LevelNamesAreDistinctAndReadable) {
  for (int level = 0; level <= 4; ++level) {
    const std::string name = AccessLevelNameOf(level);
    EXPECT_FALSE(name.empty());
    EXPECT_TRUE(QString::fromStdString(name).isValidUtf16());
    for (int other = 0; other < level; ++other) EXPECT_NE(name, AccessLevelNameOf(other));
  }
}

TEST(PasswordForm, Controls) {
  TPasswordForm form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral(" Tarvelmundix"));
  EXPECT_EQ(form.Password->typedLimit(), 8);
  EXPECT_EQ(form.Password->echoMode(), QLineEdit::Password);
  EXPECT_EQ(form.Done->text(), QStringLiteral(" Loguj"));
  EXPECT_TRUE(form.Done->isDefault());
  EXPECT_EQ(form.Prompt->text(), QStringLiteral("Wprowadź kod użytkownika"));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0x64, 0x95, 0xED));
  // The logo is decoded from the JPEG the program carries.
  ASSERT_FALSE(form.Logo->pixmap().isNull());
  EXPECT_EQ(form.Logo->pixmap().size(), QSize(350, 107));
}

TEST(PasswordForm, TakesItsRoundedBorderlessShapeWhenActive) {
  TPasswordForm form;
  EXPECT_FALSE(form.shaped());
  const QSize before = form.size();
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  EXPECT_TRUE(form.shaped());
  EXPECT_EQ(form.Version->text(), QStringLiteral("Tarvelmundix rozdzielaczy    V1.4"));
  // Centred by its text width, its top 5 pixels above the former client bottom.
  const int textWidth = form.Version->fontMetrics().horizontalAdvance(form.Version->text());
  EXPECT_EQ(form.Version->x(), (before.width() - textWidth) / 2);
  EXPECT_EQ(form.Version->y(), before.height() - 5);
  // The client area grew by the frame and the label is inside it.
  EXPECT_GT(form.height(), before.height());
  EXPECT_LT(form.Version->geometry().bottom(), form.height());
  // The picture grew with it: it reaches the right edge.
  EXPECT_EQ(form.Logo->mapTo(&form, QPoint(form.Logo->width(), 0)).x(), form.width());
  // Rounded corners: the corner pixel is cut off, the middle is in.
  EXPECT_FALSE(form.mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(form.mask().contains(QPoint(form.width() - 1, form.height() - 1)));
  EXPECT_TRUE(form.mask().contains(QPoint(form.width() / 2, form.height() / 2)));
  EXPECT_TRUE(form.mask().contains(QPoint(form.width() / 2, 0)));
  form.close();
}

}  // namespace
}  // namespace tvx::app
