// A throw-away PostgreSQL server for the history tests: a cluster made with
// initdb in a temporary folder, listening on a Unix socket only, run as an
// unprivileged user (nobody, when the tests run as root). Started once for
// the test program, stopped and removed at its end.
#pragma once

#include <QString>

namespace tvx::testing {

class PostgresServer {
 public:
  // The server of this test program, started on first use; null when
  // PostgreSQL is not installed (the set-up's --test installs it).
  static PostgresServer* Instance();
  static void StopInstance();

  // The location of a new, empty database on the server.
  QString newDatabase();
  // A location on the server whose login is refused.
  QString refusedLogin() const;
  // Ends every other session of a database (as if the server went away).
  void dropSessions(const QString& location);

  ~PostgresServer();

 private:
  PostgresServer() = default;
  bool start();
  QString run(const QString& sql, const QString& database = QStringLiteral("postgres"));

  QString folder_;
  QString bin_;
  int databases_ = 0;
};

}  // namespace tvx::testing
