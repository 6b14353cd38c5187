// A simulated valve with the link open to it and the link's error reports
// collected, for tests of the widget-free sequences.
#pragma once

#include "link/comm_error.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <string>
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
  void TearDown() override { link::SetErrorReporter({}); }

  using Requests = std::vector<std::string>;
  Requests requests() const { return valve_.requests(); }

  SimulatedValve valve_;
  link::LinkSession session_;
  std::vector<std::string> reports_;
};

}  // namespace tvx::testing
