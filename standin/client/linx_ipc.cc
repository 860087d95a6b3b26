#include "access/linx_ipc.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "standin/client/socket_io.h"

namespace {

// The longest this stand-in waits for any reply, whatever the caller asked:
// STANDIN_CLIENT_MAX_WAIT_MS, set by tests of a silent daemon so as not to
// wait out the tool's timeout. 0, for no cap, when unset or not a positive
// decimal.
int64_t MaxWaitMs() {
  static const int64_t maxWaitMs = [] {
    const char* text = getenv("STANDIN_CLIENT_MAX_WAIT_MS");
    if (text == nullptr || !isdigit(static_cast<unsigned char>(text[0]))) {
      return 0LL;
    }
    char* end = nullptr;
    const long long value = strtoll(text, &end, 10);
    return *end == '\0' ? value : 0LL;
  }();
  return maxWaitMs;
}

}  // namespace

LinxIpc::LinxIpc(const std::string& name) : name_(name), fd_(-1) {}

LinxIpc::~LinxIpc() {
  if (fd_ >= 0) close(fd_);
}

int LinxIpc::Init() {
  if (fd_ >= 0) return 0;
  fd_ = ConnectToEndpoint(kStreamMgrEndpoint);
  return fd_ >= 0 ? 0 : -1;
}

bool LinxIpc::IsConnected() const { return fd_ >= 0; }

bool LinxIpc::Exchange(const std::string& request, std::string* reply,
                       int timeoutMs) {
  if (fd_ < 0) return false;
  int64_t waitMs = timeoutMs > 0 ? timeoutMs : 0;
  if (MaxWaitMs() > 0 && MaxWaitMs() < waitMs) waitMs = MaxWaitMs();
  const int64_t deadline = NowMs() + waitMs;
  if (SendFrame(fd_, request, deadline) && ReceiveFrame(fd_, reply, deadline)) {
    return true;
  }
  // A late reply must never be taken for the answer to a later request,
  // and a silent daemon must cost the run one timeout only.
  Disconnect();
  return false;
}

void LinxIpc::Disconnect() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}
