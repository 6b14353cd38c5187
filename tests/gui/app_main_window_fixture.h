// Shared pieces of the shell's GUI tests: a main window at a chosen access
// level, with its port-map folder and sysfs root isolated from the machine.
#pragma once

#include "app/definitions.h"
#include "app/main_window.h"
#include "app/password_form.h"
#include "link/port.h"
#include "platform/port_names.h"
#include "platform/valve_port_lookup.h"
#include "support/simulated_valve.h"
#include "support/scripted_prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tvx::apptest {

// An empty sysfs root, so that a real device never answers the lookup.
class IsolatedSysfs {
 public:
  IsolatedSysfs() : env_(platform::SysfsRootEnvironmentVariable, folder_.path().string()) {}

 private:
  testing::TempFolder folder_;
  testing::ScopedEnvironment env_;
};

// An empty port-map folder: no COM entry, no announced valve.
class IsolatedPorts {
 public:
  IsolatedPorts() : env_(platform::PortMapEnvironmentVariable, folder_.path().string()) {}
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  IsolatedSysfs sysfs_;
  testing::TempFolder folder_;
  testing::ScopedEnvironment env_;
};

inline std::unique_ptr<app::TPgm> MainWindowAt(int level) {
  app::AccessLevel = level;
  app::AccessLevelName = app::AccessLevelNameOf(level);
  return std::make_unique<app::TPgm>();
}

// Clicks the connect button the way a user does.
inline void ClickDisConnect(app::TPgm& pgm) { QTest::mouseClick(pgm.DisConnect, Qt::LeftButton); }

inline bool Shown(const QWidget* w) { return !w->isHidden(); }

}  // namespace tvx::apptest
