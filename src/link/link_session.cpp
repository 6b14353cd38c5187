#include "link/link_session.h"

#include "link/port.h"
#include "link/receiver.h"

namespace tvx::link {

struct LinkSession::Impl {
  Receiver receiver;
};

LinkSession::LinkSession(int comNumber) : impl_(std::make_unique<Impl>()) {
  impl_->receiver.Start();
  PortLockGuard lock;
  OpenPort(comNumber);
}

LinkSession::~LinkSession() {
  impl_->receiver.Stop();
  ClosePortHandle();
}

bool LinkSession::open() const { return PortOpen.load(); }

void LinkSession::close() {
  PortLockGuard lock;
  ClosePort();
}

}  // namespace tvx::link
