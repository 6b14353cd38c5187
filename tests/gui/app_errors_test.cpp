// Errors that escape an event handler end in the program's standard error box.
#include "ui/application.h"
#include "support/scripted_prompts.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <stdexcept>

namespace tvx::ui {
namespace {

class Throwing : public QObject {
 public:
  explicit Throwing(const char* what) : what_(what) {}
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error(what_);
    return QObject::event(e);
  }

 private:
  const char* what_;
};

TEST(EscapedErrors, NotifyShowsTheTextWithAFullStop) {
  testing::ScopedScriptedPrompts prompts;
  Throwing object("USB error");
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&object, &event);
  Throwing dotted("Already ends.");
  QCoreApplication::sendEvent(&dotted, &event);
  const auto shown = prompts->messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, QStringLiteral("USB error."));
  EXPECT_EQ(shown[0].caption, QStringLiteral("Tarvelmundix"));
  EXPECT_EQ(shown[0].icon, Prompts::Icon::Error);
  EXPECT_EQ(shown[1].text, QStringLiteral("Already ends."));
}

TEST(EscapedErrors, PostedEventsToo) {
  testing::ScopedScriptedPrompts prompts;
  Throwing object("posted");
  QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  ASSERT_EQ(prompts->messages().size(), 1u);
  EXPECT_EQ(prompts->messages()[0].text, QStringLiteral("posted."));
}

TEST(EscapedErrors, CaptionIsTheCurrentApplicationTitle) {
  testing::ScopedScriptedPrompts prompts;
  Application::setTitle(QStringLiteral("Logowanie"));
  RunGuarded([] { throw std::runtime_error("x"); });
  Application::setTitle(QStringLiteral("Tarvelmundix"));
  ASSERT_EQ(prompts->messages().size(), 1u);
  EXPECT_EQ(prompts->messages()[0].caption, QStringLiteral("Logowanie"));
}

}  // namespace
}  // namespace tvx::ui
