// A link session for the link tests: starts the Receiver and opens COMn; closes
// the port and ends the Receiver by the handshake on destruction. Shared by the
// native fixtures and the Windows ones run under Wine.
#pragma once

#include <memory>

namespace tvx::testing {

class LinkSession {
 public:
  explicit LinkSession(int comNumber);
  ~LinkSession();
  bool open() const;
  void close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tvx::testing
