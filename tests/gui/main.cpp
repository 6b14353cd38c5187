// The GUI tests run the real windows offscreen, with the program's application
// object (so escaped errors are shown as the program shows them) and the link's
// hooks installed.
#include "ui/application.h"

#include <gtest/gtest.h>

#include <QByteArray>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tvx::ui::Application app(argc, argv);
  tvx::ui::ApplyProgramFont(app);
  tvx::ui::InstallLinkHooks();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
