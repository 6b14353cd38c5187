// A link session: a Port of its own with its Receiver started and COMn
// opened; closes the port and ends the Receiver by the handshake on
// destruction. The command line tool holds one per command and valve; the
// link tests (native and under Wine) one per test.
#pragma once

#include "link/port.h"

#include <memory>

namespace tvx::link {

class LinkSession {
 public:
  explicit LinkSession(int comNumber);
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;
  bool open() const;
  void close();
  Port& port();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tvx::link
