// Receives system-log datagrams at a socket path and appends each one, with
// a line end, to a file, until it is killed (SIGTERM). Killed, it first
// writes every datagram already queued: a sender's syslog() has returned
// only once its message is in the socket, however slowly this reader runs.

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t stopping = 0;

void Stop(int) { stopping = 1; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: syslog_listener SOCKET FILE\n");
    return 2;
  }
  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address;
  memset(&address, 0, sizeof(address));
  address.sun_family = AF_UNIX;
  strncpy(address.sun_path, argv[1], sizeof(address.sun_path) - 1);
  if (fd < 0 ||
      bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    perror("syslog_listener");
    return 1;
  }
  // Without SA_RESTART the signal ends a waiting recv; the timeout covers a
  // signal that comes just before recv starts waiting.
  struct sigaction action;
  memset(&action, 0, sizeof(action));
  action.sa_handler = Stop;
  sigaction(SIGTERM, &action, nullptr);
  timeval wait = {0, 100000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
  char message[8192];
  for (;;) {
    ssize_t got =
        recv(fd, message, sizeof(message), stopping ? MSG_DONTWAIT : 0);
    if (got < 0 && stopping && errno != EINTR) return 0;
    if (got <= 0) continue;
    FILE* out = fopen(argv[2], "a");
    if (out == nullptr) continue;
    fwrite(message, 1, static_cast<size_t>(got), out);
    fputc('\n', out);
    fclose(out);
  }
}
