// The stand-in stream manager: serves the catalogue to the tool over the
// stand-in IPC endpoint until SIGTERM or SIGINT.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "standin/client/socket_io.h"
#include "standin/daemon/stream_mgr_service.h"

// The catalogue; the stream database library reads answers through it.
sqlite3* db = nullptr;

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

void Usage() {
  std::cerr << "usage: StreamMgr [--reexport-hours N] [--settings-fail]"
               " [--fail-queries] [--refuse-delete REID]..."
               " [--request-log FILE] [--die-after N] [--stall-after N]\n";
}

bool ParseCount(const char* text, unsigned* value) {
  char* end = nullptr;
  errno = 0;
  unsigned long parsed = std::strtoul(text, &end, 10);
  if (text[0] < '0' || text[0] > '9' || *end != '\0' || errno != 0 ||
      parsed > 0xffffffffUL) {
    return false;
  }
  *value = static_cast<unsigned>(parsed);
  return true;
}

bool ParseOptions(int argc, char** argv, ServiceOptions* options) {
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    bool hasValue = i + 1 < argc;
    if (option == "--settings-fail") {
      options->settingsFail = true;
    } else if (option == "--fail-queries") {
      options->failQueries = true;
    } else if (option == "--reexport-hours" && hasValue) {
      if (!ParseCount(argv[++i], &options->reExportHours)) return false;
    } else if (option == "--refuse-delete" && hasValue) {
      options->refusedDeletes.insert(argv[++i]);
    } else if (option == "--request-log" && hasValue) {
      options->requestLogPath = argv[++i];
    } else if (option == "--die-after" && hasValue) {
      if (!ParseCount(argv[++i], &options->dieAfter)) return false;
    } else if (option == "--stall-after" && hasValue) {
      if (!ParseCount(argv[++i], &options->stallAfter)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// One write per line, so a daemon that dies right after loses nothing.
void LogRequest(int logFd, const std::string& line) {
  if (logFd < 0 || line.empty()) return;
  ssize_t ignored = write(logFd, line.data(), line.size());
  (void)ignored;
}

struct Server {
  ServiceOptions options;
  int logFd = -1;
  unsigned requests = 0;
  std::vector<int> clients;
};

// Reads and answers one frame of `fd`; false when the client is gone.
bool ServeOne(Server* server, int fd) {
  std::string request;
  if (!ReceiveFrame(fd, &request, NowMs() + 60000)) return false;
  std::string line = RequestLogLine(request);
  LogRequest(server->logFd, line);
  if (!line.empty()) ++server->requests;
  const ServiceOptions& options = server->options;
  if (options.dieAfter != 0 && server->requests >= options.dieAfter) _exit(1);
  if (options.stallAfter != 0 && server->requests >= options.stallAfter) {
    LogRequest(server->logFd, StallLogLine(request));
    return true;
  }
  return SendFrame(fd, AnswerRequest(options, db, request), NowMs() + 60000);
}

void Serve(Server* server, int listenFd) {
  while (!stopRequested) {
    std::vector<pollfd> entries;
    entries.push_back({listenFd, POLLIN, 0});
    for (int fd : server->clients) entries.push_back({fd, POLLIN, 0});
    if (poll(entries.data(), entries.size(), -1) < 0) continue;
    if (entries[0].revents & POLLIN) {
      int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) server->clients.push_back(fd);
    }
    for (size_t i = 1; i < entries.size(); ++i) {
      if (entries[i].revents == 0) continue;
      if (!ServeOne(server, entries[i].fd)) {
        close(entries[i].fd);
        server->clients[i - 1] = -1;
      }
    }
    std::vector<int> open;
    for (int fd : server->clients) {
      if (fd >= 0) open.push_back(fd);
    }
    server->clients.swap(open);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Server server;
  if (!ParseOptions(argc, argv, &server.options)) {
    Usage();
    return 2;
  }
  if (!server.options.requestLogPath.empty()) {
    server.logFd = open(server.options.requestLogPath.c_str(),
                        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (server.logFd < 0) {
      std::cerr << "StreamMgr: cannot open request log "
                << server.options.requestLogPath << "\n";
      return 1;
    }
  }
  // One thread serves every request, so SQLite need not lock the handle.
  sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
  if (sqlite3_open("/mnt/hd/streammgr/stream.db", &db) != SQLITE_OK) {
    std::cerr << "StreamMgr: cannot open the catalogue\n";
    return 1;
  }
  struct sigaction action;
  memset(&action, 0, sizeof(action));
  action.sa_handler = RequestStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  int listenFd = ListenOnEndpoint(kStreamMgrEndpoint);
  if (listenFd < 0) {
    std::cerr << "StreamMgr: cannot listen on the IPC endpoint\n";
    return 1;
  }
  std::cout << "ready" << std::endl;
  Serve(&server, listenFd);
  return 0;
}
