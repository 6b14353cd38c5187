// A profiles dialog that shows nothing and has no profile ticked, for the
// profile sequences run below the window.
#pragma once

#include "params/profiles.h"

#include <cstdint>
#include <optional>

namespace tvx::testing {

struct NoProfileDialog : params::ProfileDialog {
  void CheckBank(int) override {}
  std::optional<int> CheckedProfile() const override { return std::nullopt; }
  void MarkProfiles(std::uint32_t) override {}
  void SetBusy(params::ProfileBusy) override {}
  void Beep() override {}
};

}  // namespace tvx::testing
