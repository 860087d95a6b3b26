#include "access/linx_ipc.h"

#include <unistd.h>

#include "standin/client/socket_io.h"

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
  int64_t deadline = NowMs() + (timeoutMs > 0 ? timeoutMs : 0);
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
