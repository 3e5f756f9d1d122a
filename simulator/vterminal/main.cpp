// vterminal: one virtual time-attendance terminal on a TCP port.
#include "vterminal/Faults.h"
#include "vterminal/Files.h"
#include "vterminal/Net.h"
#include "vterminal/Seeder.h"
#include "vterminal/Server.h"
#include "vterminal/StateFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "vterminal: %s\n", message.c_str());
  return 1;
}

bool toInt(const QString& text, long long& out) {
  bool ok = false;
  out = text.toLongLong(&ok);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("vterminal");

  QCommandLineParser p;
  p.setApplicationDescription(
      QString("A virtual time-attendance terminal. Serves one client at a time on a loopback\n"
              "TCP port for the stand-in terminal libraries; see simulator/PROTOCOL.md.\n"
              "On start it prints \"vterminal listening on ADDRESS:PORT\" on stdout (useful\n"
              "with --port 0). SIGTERM or SIGINT (on Windows Ctrl+C, Ctrl+Break, closing the\n"
              "console or taskkill without /F) stop it at once; the state is already saved.\n"
              "It never waits on a client: a connection that sends no hello, no next request\n"
              "or does not take its answer within the limits below is dropped, and so is one\n"
              "whose length word exceeds the largest request (%1 bytes). A connection beyond\n"
              "--max-waiting, or one that cannot get a file descriptor, is closed at once.\n"
              "A walk fetch hands over at most %2 entries; a name keeps at most %3 bytes.")
          .arg(vt::kMaxRequest)
          .arg(vt::kMaxFetch)
          .arg(vt::kUserNameMax));
  p.addHelpOption();
  const QList<QCommandLineOption> options = {
      {"port", "TCP port to listen on; 0 picks a free one. Default 5005.", "P", "5005"},
      {"bind", "Address to listen on. Default 127.0.0.1.", "ADDRESS", "127.0.0.1"},
      {"machine", "Machine number (kept in the state file; default 1).", "N"},
      {"password", "Communication password (kept in the state file; default 0).", "W"},
      {"state",
       "JSON state file, loaded at start and rewritten after every change; "
       "templates and records live in FILE.d/. Without it nothing is kept.",
       "FILE"},
      {"seed-users", "Replace the users, names and bells with U generated users.", "U"},
      {"seed-records", "Append R generated attendance records.", "R"},
      {"seed", "Random seed of the generated data. Default 1.", "S", "1"},
      {"capacity",
       "Most enroll items the terminal holds; a new item beyond it gets -11. "
       "Default 100000.",
       "N", "100000"},
      {"journal", "Append one line per call received to FILE.", "FILE"},
      {"port-file", "Write the port number to FILE once listening.", "FILE"},
      {"fail",
       "Fault: NAME:CODE answers entry point NAME with CODE; NAME:drop hangs up "
       "instead. A third part :K limits it to the next K calls. Repeatable.",
       "RULE"},
      {"drop-walk-after",
       "Fault: hang up after K records of every attendance walk and K entries of every user walk.",
       "K"},
      {"latency", "Fault: wait MS milliseconds before every answer, serving nobody meanwhile.",
       "MS"},
      {"hello-timeout",
       "Drop a connection whose hello is not complete MS milliseconds after "
       "it was accepted. 0: no limit. Default 5000.",
       "MS", "5000"},
      {"idle-timeout",
       "Drop the client when no request comes within MS milliseconds of an "
       "answer. 0: no limit. Default 1800000 (30 minutes).",
       "MS", "1800000"},
      {"send-timeout",
       "Drop the client when it has not taken a whole answer MS milliseconds "
       "after the answer was ready. 0: no limit. Default 10000.",
       "MS", "10000"},
      {"max-waiting",
       "Connections kept waiting behind the client (each gets -2 once its "
       "hello arrives); more are closed at once. Default 8.",
       "N", "8"},
  };
  p.addOptions(options);
  p.process(app);

  long long v = 0;
  auto intOption = [&](const char* name, long long low, long long high, long long& out) {
    if (!p.isSet(name) && p.value(name).isEmpty()) return true;
    if (!toInt(p.value(name), out) || out < low || out > high) return false;
    return true;
  };

  vt::Terminal terminal;
  std::unique_ptr<vt::StateFile> file;
  std::string error;
  if (p.isSet("state")) {
    file = std::make_unique<vt::StateFile>(p.value("state").toStdString());
    if (!file->load(terminal.s, error)) return fail(error);
  }
  if (p.isSet("machine")) {
    if (!intOption("machine", INT32_MIN, INT32_MAX, v)) return fail("--machine: not a number");
    terminal.s.machine = static_cast<int32_t>(v);
    terminal.changes.state = true;
  }
  if (p.isSet("password")) {
    if (!intOption("password", INT32_MIN, INT32_MAX, v)) return fail("--password: not a number");
    terminal.s.password = static_cast<int32_t>(v);
    terminal.changes.state = true;
  }
  long long seed = 1, capacity = 0, port = 0;
  if (!intOption("seed", 0, UINT32_MAX, seed)) return fail("--seed: not a number");
  if (!intOption("capacity", 0, INT32_MAX, capacity)) return fail("--capacity: not a number");
  if (!intOption("port", 0, 65535, port)) return fail("--port: not a port number");
  terminal.capacity = static_cast<size_t>(capacity);
  if (p.isSet("seed-users")) {
    if (!intOption("seed-users", 0, 1000000, v)) return fail("--seed-users: not a count");
    vt::seedUsers(terminal, static_cast<int>(v), static_cast<uint32_t>(seed));
  }
  if (p.isSet("seed-records")) {
    if (!intOption("seed-records", 0, 100000000, v)) return fail("--seed-records: not a count");
    vt::seedRecords(terminal, static_cast<int>(v), static_cast<uint32_t>(seed));
  }

  vt::Faults faults;
  for (const QString& rule : p.values("fail"))
    if (!faults.add(rule.toStdString(), error)) return fail(error);
  if (p.isSet("drop-walk-after")) {
    if (!intOption("drop-walk-after", 0, INT64_MAX, v))
      return fail("--drop-walk-after: not a count");
    faults.dropWalkAfter = v;
  }
  if (p.isSet("latency")) {
    if (!intOption("latency", 0, 3600000, v)) return fail("--latency: not milliseconds");
    faults.latencyMs = static_cast<int>(v);
  }

  vt::Limits limits;
  if (!intOption("hello-timeout", 0, INT32_MAX, v)) return fail("--hello-timeout: not ms");
  limits.helloTimeoutMs = static_cast<int>(v);
  if (!intOption("idle-timeout", 0, INT32_MAX, v)) return fail("--idle-timeout: not ms");
  limits.idleTimeoutMs = static_cast<int>(v);
  if (!intOption("send-timeout", 0, INT32_MAX, v)) return fail("--send-timeout: not ms");
  limits.sendTimeoutMs = static_cast<int>(v);
  if (!intOption("max-waiting", 0, 1000, v)) return fail("--max-waiting: not a count");
  limits.maxWaiting = static_cast<size_t>(v);

  if (file && !file->save(terminal.s, terminal.changes, error)) return fail(error);
  terminal.changes.clear();

  vt::Journal journal;
  if (p.isSet("journal") && !journal.open(p.value("journal").toStdString(), error))
    return fail(error);

  vt::net::catchStopRequests();
  vt::Server server(terminal, file.get(), journal, faults, limits);
  std::string address = p.value("bind").toStdString();
  if (!server.listen(address, static_cast<int>(port), error)) return fail(error);
  if (p.isSet("port-file")) {
    std::string path = p.value("port-file").toStdString();
    std::string text = std::to_string(server.port()) + "\n";
    if (!vt::files::replace(path, text.data(), text.size(), error)) return fail(error);
  }
  std::printf("vterminal listening on %s:%d\n", address.c_str(), server.port());
  std::fflush(stdout);

  server.run();
  return 0;
}
