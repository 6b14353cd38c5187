// The history tests run against SQLite and against a PostgreSQL server of
// their own, which this program starts and stops.
#include "history/postgres_server.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  tvx::testing::PostgresServer::StopInstance();
  return result;
}
