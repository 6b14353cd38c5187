// A link session: starts the Receiver and opens COMn; closes the port and
// ends the Receiver by the handshake on destruction. The command line tool
// holds one per command; the link tests (native and under Wine) one per test.
#pragma once

#include <memory>

namespace tvx::link {

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

}  // namespace tvx::link
