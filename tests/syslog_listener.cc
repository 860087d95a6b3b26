// Receives system-log datagrams at a socket path and appends each one, with
// a line end, to a file, until it is killed.

#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
  char message[8192];
  for (;;) {
    ssize_t got = recv(fd, message, sizeof(message), 0);
    if (got <= 0) continue;
    FILE* out = fopen(argv[2], "a");
    if (out == nullptr) continue;
    fwrite(message, 1, static_cast<size_t>(got), out);
    fputc('\n', out);
    fclose(out);
  }
}
