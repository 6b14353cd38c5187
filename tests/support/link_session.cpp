#include "support/link_session.h"

#include "link/port.h"
#include "link/receiver.h"

namespace tvx::testing {

struct LinkSession::Impl {
  link::Receiver receiver;
};

LinkSession::LinkSession(int comNumber) : impl_(std::make_unique<Impl>()) {
  impl_->receiver.Start();
  link::PortLockGuard lock;
  link::OpenPort(comNumber);
}

LinkSession::~LinkSession() {
  impl_->receiver.Stop();
  link::ClosePortHandle();
}

bool LinkSession::open() const { return link::PortOpen.load(); }

void LinkSession::close() {
  link::PortLockGuard lock;
  link::ClosePort();
}

}  // namespace tvx::testing
