// A test of a sequence against the simulated valve: the valve on its pty, the
// Receiver with the port open, the link's error reports collected instead of
// shown, an empty request log at the start, and no pump hook left behind.
#pragma once

#include "link/comm_error.h"
#include "link/pump_wait.h"
#include "params/valve_state.h"
#include "status/status_state.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tvx::testing {

class ValveLinkTest : public ::testing::Test {
 protected:
  explicit ValveLinkTest(sim::ValveConfig config = {}) : valve_(std::move(config)), session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    link::SetErrorReporter([this](const std::string& text, const std::string&) { reports_.push_back(text); });
    valve_.clearRequests();
  }
  void TearDown() override {
    link::SetPumpHook({});
    link::SetErrorReporter({});
  }

  using Requests = std::vector<std::string>;
  Requests requests() const { return valve_.requests(); }

  SimulatedValve valve_;
  link::LinkSession session_;

  link::Port& port() { return session_.port(); }
  // What the sequences keep about this test's valve.
  params::ValveState valveState_;
  status::StatusState statusState_;
  std::vector<std::string> reports_;
};

}  // namespace tvx::testing
