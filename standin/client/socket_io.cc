#include "standin/client/socket_io.h"

#include <errno.h>
#include <poll.h>
#include <stddef.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include "standin/client/wire.h"

namespace {

socklen_t AbstractAddress(const char* name, sockaddr_un* address) {
  memset(address, 0, sizeof(*address));
  address->sun_family = AF_UNIX;
  size_t length = strlen(name);
  if (length > sizeof(address->sun_path) - 1)
    length = sizeof(address->sun_path) - 1;
  // A leading zero byte puts the name in the abstract namespace.
  memcpy(address->sun_path + 1, name, length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

// Waits until fd is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, int64_t deadlineMs) {
  for (;;) {
    int timeout = -1;
    if (deadlineMs >= 0) {
      int64_t left = deadlineMs - NowMs();
      if (left <= 0) return false;
      timeout = left > 1000000 ? 1000000 : static_cast<int>(left);
    }
    pollfd entry = {fd, events, 0};
    int ready = poll(&entry, 1, timeout);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool SendAll(int fd, const char* data, size_t size, int64_t deadlineMs) {
  while (size > 0) {
    if (!WaitFor(fd, POLLOUT, deadlineMs)) return false;
    ssize_t sent = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

bool ReceiveAll(int fd, char* data, size_t size, int64_t deadlineMs) {
  while (size > 0) {
    if (!WaitFor(fd, POLLIN, deadlineMs)) return false;
    ssize_t got = recv(fd, data, size, MSG_DONTWAIT);
    if (got == 0) return false;
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    data += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

int ListenOnEndpoint(const char* name) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un address;
  socklen_t length = AbstractAddress(name, &address);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(fd, 16) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int ConnectToEndpoint(const char* name) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un address;
  socklen_t length = AbstractAddress(name, &address);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

bool SendFrame(int fd, const std::string& payload, int64_t deadlineMs) {
  if (payload.size() > wire::kMaxFrameBytes) return false;
  std::string frame;
  frame.reserve(4 + payload.size());
  wire::PutU32(static_cast<uint32_t>(payload.size()), &frame);
  frame += payload;
  return SendAll(fd, frame.data(), frame.size(), deadlineMs);
}

bool ReceiveFrame(int fd, std::string* payload, int64_t deadlineMs) {
  std::string header(4, '\0');
  if (!ReceiveAll(fd, &header[0], 4, deadlineMs)) return false;
  wire::Reader reader = wire::ReaderOf(header);
  uint32_t length = 0;
  wire::GetU32(&reader, &length);
  if (length > wire::kMaxFrameBytes) return false;
  payload->assign(length, '\0');
  return length == 0 || ReceiveAll(fd, &(*payload)[0], length, deadlineMs);
}
