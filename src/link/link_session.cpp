#include "link/link_session.h"

#include "link/receiver.h"

#include <optional>

namespace tvx::link {

struct LinkSession::Impl {
  explicit Impl(Port* given) : port(given ? *given : own.emplace()) {}
  std::optional<Port> own;
  Port& port;
  Receiver receiver{port};
};

LinkSession::LinkSession(int comNumber) : LinkSession(nullptr, comNumber) {}

LinkSession::LinkSession(Port& port, int comNumber) : LinkSession(&port, comNumber) {}

LinkSession::LinkSession(Port* port, int comNumber) : impl_(std::make_unique<Impl>(port)) {
  impl_->receiver.Start();
  PortLockGuard lock(impl_->port);
  OpenPort(impl_->port, comNumber);
}

LinkSession::~LinkSession() {
  impl_->receiver.Stop();
  ClosePortHandle(impl_->port);
}

bool LinkSession::open() const { return impl_->port.PortOpen.load(); }

void LinkSession::close() {
  PortLockGuard lock(impl_->port);
  ClosePort(impl_->port);
}

Port& LinkSession::port() { return impl_->port; }

}  // namespace tvx::link
