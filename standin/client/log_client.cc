#include "access/log_client.h"

#include <syslog.h>

#include <cstdio>
#include <cstdlib>

LogClient& LogClient::Instance() {
  static LogClient client;
  return client;
}

LogClient::LogClient() : level_(~0u) {}

void LogClient::ProcessName(const std::string& name) { processName_ = name; }

const std::string& LogClient::ProcessName() const { return processName_; }

unsigned LogClient::Level() const { return level_; }

std::ostream& LogMsg::Log(unsigned severity, const std::string& processName) {
  severity_ = severity;
  processName_ = processName;
  return text_;
}

SysLogMsg::~SysLogMsg() {
  const int priority = LOG_USER | (severity_ & LOG_PRIMASK);
  // STANDIN_LOG_FILE, set by tests, takes the messages in place of the
  // system log, a line each as a datagram would hold it, less the time.
  if (const char* path = getenv("STANDIN_LOG_FILE")) {
    if (FILE* log = fopen(path, "a")) {
      fprintf(log, "<%d>%s: %s\n", priority, processName_.c_str(),
              text_.str().c_str());
      fclose(log);
    }
    return;
  }
  // openlog keeps the pointer, so the identity must outlive every message.
  static std::string identity;
  identity = processName_;
  // No LOG_PERROR and no LOG_CONS: the tool's own streams stay exact.
  openlog(identity.c_str(), 0, LOG_USER);
  syslog(priority, "%s", text_.str().c_str());
  closelog();
}
