// A link session: a Port (its own, or one the caller keeps with the rest of
// what it knows about the valve) with its Receiver started and COMn opened;
// closes the port and ends the Receiver by the handshake on destruction. The
// command line tool holds one per command and valve; the link tests (native
// and under Wine) one per test.
#pragma once

#include "link/port.h"

#include <memory>

namespace tvx::link {

class LinkSession {
 public:
  explicit LinkSession(int comNumber);
  // On `port`, which must outlive the session.
  LinkSession(Port& port, int comNumber);
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;
  bool open() const;
  void close();
  Port& port();

 private:
  LinkSession(Port* port, int comNumber);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tvx::link
