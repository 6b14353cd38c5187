#include "history/postgres_server.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace tvx::testing {

namespace {

const QString Role = QStringLiteral("tvx");
std::unique_ptr<PostgresServer> server;
bool tried = false;

// Runs a program (as nobody when we are root, since PostgreSQL refuses root);
// its output, or a null string when it failed.
QString Run(const QString& program, const QStringList& args) {
  QProcess p;
  if (geteuid() == 0) {
    p.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                   QStringLiteral("--clear-groups"), program} +
                                           args);
  } else {
    p.start(program, args);
  }
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

PostgresServer* PostgresServer::Instance() {
  if (!tried) {
    tried = true;
    std::unique_ptr<PostgresServer> s(new PostgresServer);
    if (s->start()) server = std::move(s);
  }
  return server.get();
}

void PostgresServer::StopInstance() { server.reset(); }

bool PostgresServer::start() {
  const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& v : versions) {
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
    if (QFile::exists(bin + QStringLiteral("/initdb"))) bin_ = bin;
  }
  if (bin_.isEmpty()) return false;
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tvx-pg-XXXXXX"));
  dir.setAutoRemove(false);
  folder_ = dir.path();
  if (geteuid() == 0 && QProcess::execute(QStringLiteral("chown"), {QStringLiteral("nobody:nogroup"), folder_}) != 0)
    return false;
  const QString data = folder_ + QStringLiteral("/data");
  if (Run(bin_ + QStringLiteral("/initdb"),
          {QStringLiteral("-D"), data, QStringLiteral("-U"), Role, QStringLiteral("--auth=trust"), QStringLiteral("-E"),
           QStringLiteral("UTF8"), QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")})
          .isNull())
    return false;
  return !Run(bin_ + QStringLiteral("/pg_ctl"),
              {QStringLiteral("-D"), data, QStringLiteral("-l"), folder_ + QStringLiteral("/server.log"),
               QStringLiteral("-w"), QStringLiteral("-o"), QStringLiteral("-k %1 -c listen_addresses= -F").arg(folder_),
               QStringLiteral("start")})
              .isNull();
}

PostgresServer::~PostgresServer() {
  if (!bin_.isEmpty() && !folder_.isEmpty()) {
    Run(bin_ + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), folder_ + QStringLiteral("/data"), QStringLiteral("-w"), QStringLiteral("-m"),
         QStringLiteral("immediate"), QStringLiteral("stop")});
  }
  if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
}

QString PostgresServer::run(const QString& sql, const QString& database) {
  return Run(bin_ + QStringLiteral("/psql"),
             {QStringLiteral("-h"), folder_, QStringLiteral("-U"), Role, QStringLiteral("-d"), database,
              QStringLiteral("-At"), QStringLiteral("-c"), sql});
}

QString PostgresServer::newDatabase() {
  const QString name = QStringLiteral("history_%1").arg(++databases_);
  run(QStringLiteral("CREATE DATABASE %1").arg(name));
  return QStringLiteral("postgresql://%1@/%2?host=%3").arg(Role, name, folder_);
}

QString PostgresServer::refusedLogin() const {
  return QStringLiteral("postgresql://intruder@/postgres?host=%1").arg(folder_);
}

void PostgresServer::dropSessions(const QString& location) {
  const QString name = QUrl(location).path().mid(1);
  run(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '%1' AND pid <> "
                     "pg_backend_pid()")
          .arg(name),
      name);
}

}  // namespace tvx::testing
