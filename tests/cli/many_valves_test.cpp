// Several valves named by one command line: each talked to on its own thread,
// one result line per valve, the highest exit code, and one valve's failure
// never stops or spoils another's.
#include "cli/cli.h"
#include "params/register_map.h"
#include "support/simulated_valve.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tvx::cli {
namespace {

struct Result {
  int code;
  std::string out, err;
};

std::string PortName(const testing::SimulatedValve& valve) { return "COM" + std::to_string(valve.comNumber()); }

// Valves on COM3, COM4 and so on, all of them behind the COM names the last one maps.
class Valves {
 public:
  explicit Valves(int count) {
    for (int i = 0; i < count; ++i)
      valves_.push_back(std::make_unique<testing::SimulatedValve>(sim::ValveConfig{}, 3 + i));
    for (int i = 0; i + 1 < count; ++i)
      std::filesystem::create_symlink(valves_[i]->server().slavePath(),
                                      valves_.back()->portsFolder() / ("com" + std::to_string(3 + i)));
  }
  testing::SimulatedValve& operator[](std::size_t i) { return *valves_[i]; }

 private:
  std::vector<std::unique_ptr<testing::SimulatedValve>> valves_;
};

Result RunOn(std::vector<std::string> args, const std::vector<testing::SimulatedValve*>& valves) {
  for (const testing::SimulatedValve* v : valves) args.insert(args.end(), {"--port", PortName(*v)});
  std::ostringstream out, err;
  Io io{out, err};
  const int code = cli::Run(args, io);
  return {code, out.str(), err.str()};
}

bool Sent(const testing::SimulatedValve& valve, const std::string& request) {
  const std::vector<std::string> log = valve.requests();
  return std::find(log.begin(), log.end(), request) != log.end();
}

TEST(ManyValves, AWriteGoesToEachValveAtOnceAndTheFailingOneStopsNoOther) {
  testing::ScopedEnvironment password(PasswordVariable, "technik");
  testing::TempFolder folder;
  const std::string set = (folder.path() / "set.json").string();
  std::ofstream(set) << R"({"parameters": {"PWM": 1500}})";
  Valves valves(3);
  testing::SimulatedValve &a = valves[0], &b = valves[1], &c = valves[2];
  const std::vector<testing::SimulatedValve*> all{&a, &b, &c};
  // The second valve answers no write.
  b.server().injectFault(sim::Fault{sim::FaultKind::Drop, 0, "W", 1000});

  const Result r = RunOn({"write", set, "--store"}, all);
  EXPECT_EQ(r.code, ExitLinkFailure) << r.err;
  const std::string store = "S" + std::to_string(params::cmd::StoreParameters) + "=5555AAAA";
  for (testing::SimulatedValve* v : {&a, &c}) {
    EXPECT_EQ(v->model().parameter(params::reg::PWM), 1500u) << PortName(*v);
    EXPECT_TRUE(Sent(*v, store)) << PortName(*v);
  }
  EXPECT_NE(b.model().parameter(params::reg::PWM), 1500u);
  EXPECT_FALSE(Sent(b, store));
  // The failing valve's messages under its own port; one result line each, in the order named.
  EXPECT_NE(r.err.find(PortName(b) + ": "), std::string::npos) << r.err;
  const std::string results = std::string(ProgramName) + ": " + PortName(a) + ": done (exit 0)\n" + ProgramName + ": " +
                              PortName(b) + ": link failure (exit 2)\n" + ProgramName + ": " + PortName(c) +
                              ": done (exit 0)\n";
  ASSERT_GE(r.err.size(), results.size());
  EXPECT_EQ(r.err.substr(r.err.size() - results.size()), results);

  // JSON of several valves is one object keyed by port.
  const Result info = RunOn({"info", "--json"}, {&a, &c});
  EXPECT_EQ(info.code, ExitDone) << info.err;
  const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(info.out)).object();
  EXPECT_EQ(object.keys().size(), 2);
  EXPECT_EQ(object.value(QString::fromStdString(PortName(c))).toObject().value("type").toString().toStdString(),
            c.model().deviceType());
}

TEST(ManyValves, WhatCannotRunOnSeveralValvesIsRefusedBeforeAnyFrame) {
  testing::ScopedEnvironment password(PasswordVariable, "technik");
  Valves valves(2);
  testing::SimulatedValve &a = valves[0], &b = valves[1];
  struct Case {
    std::vector<std::string> args;
    std::vector<testing::SimulatedValve*> valves;
    std::string message;
  } cases[] = {
      {{"info"}, {&a, &a}, "is named twice"},
      {{"load", "--cfg", "x.cfg"}, {&a, &b}, "only for info, read, status, write and report"},
      {{"read", "--cfg", "x.cfg"}, {&a, &b}, "give one --port"},
      {{"status", "--watch"}, {&a, &b}, "give one --port"},
      {{"report", "raport.pdf"}, {&a, &b}, "{serial}"},
  };
  for (const Case& c : cases) {
    a.clearRequests();
    b.clearRequests();
    const Result r = RunOn(c.args, c.valves);
    EXPECT_EQ(r.code, ExitUsage) << c.args[0];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(a.requests().empty() && b.requests().empty()) << c.args[0];
  }
}

}  // namespace
}  // namespace tvx::cli
