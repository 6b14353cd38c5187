// The program's message pump inside and between exchanges: a click that comes
// while an exchange waits for its reply runs after the exchange, one that
// comes during a wait between exchanges runs at once; timers run in both.
#include "app/link_hooks.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "support/simulated_valve.h"

#include <QCoreApplication>
#include <QTest>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Qt's platform plugins hand mouse and key input to the user-interface thread
// through this queue (asynchronous delivery), which is what a wait that holds
// input back must honour. Its header is private; the one function used is
// declared here as Qt 6 exports it.
class QWindowSystemInterface {
 public:
  struct AsynchronousDelivery {};
  template <typename Delivery>
  static bool handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global, Qt::MouseButtons state,
                               Qt::MouseButton button, QEvent::Type type, Qt::KeyboardModifiers mods,
                               Qt::MouseEventSource source);
};

namespace tvx::link {
namespace {

// Queues a left click on the button as the window system would.
void QueueClick(QPushButton& button) {
  QWindow* window = button.window()->windowHandle();
  const QPointF local = button.mapTo(button.window(), button.rect().center());
  const QPointF global = button.mapToGlobal(button.rect().center());
  using Q = QWindowSystemInterface;
  Q::handleMouseEvent<Q::AsynchronousDelivery>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                               QEvent::MouseButtonPress, Qt::NoModifier, Qt::MouseEventNotSynthesized);
  Q::handleMouseEvent<Q::AsynchronousDelivery>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                               QEvent::MouseButtonRelease, Qt::NoModifier,
                                               Qt::MouseEventNotSynthesized);
}

TEST(MessagePump, UserInputWaitsForTheExchangeButNotForAWaitBetweenExchanges) {
  testing::SimulatedValve valve;
  link::LinkSession session(valve.comNumber());
  ASSERT_TRUE(session.open());
  app::WakeEventLoopAfterExchanges(session.port());  // as the window does with its port
  QWidget window;
  window.resize(200, 100);
  // Two buttons: a second click on the same spot would count as a double click.
  QPushButton button(QStringLiteral("Odśwież"), &window);
  button.setGeometry(10, 10, 80, 30);
  QPushButton other(QStringLiteral("Zapisz"), &window);
  other.setGeometry(100, 10, 80, 30);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  std::vector<std::string> order;
  auto clicked = [&] { order.emplace_back(ExchangeInProgress() ? "click inside the exchange" : "click"); };
  QObject::connect(&button, &QPushButton::clicked, clicked);
  QObject::connect(&other, &QPushButton::clicked, clicked);
  auto clickSoon = [&](QPushButton& target) {
    QTimer::singleShot(5, [&] {
      order.emplace_back("timer");
      QueueClick(target);
    });
  };

  // The reply comes 100 ms late: the timer fires and the click is queued while
  // the exchange polls.
  valve.server().injectFault(sim::Fault{sim::FaultKind::Delay, 100, "G030", 1});
  clickSoon(button);
  EXPECT_EQ(ReadRegister(session.port(), 30), 14031122u);
  order.emplace_back("exchange done");
  QCoreApplication::processEvents();
  EXPECT_EQ(order, (std::vector<std::string>{"timer", "exchange done", "click"}));

  order.clear();
  clickSoon(other);
  PumpWait(100);
  order.emplace_back("wait done");
  EXPECT_EQ(order, (std::vector<std::string>{"timer", "click", "wait done"}));
}

}  // namespace
}  // namespace tvx::link
