#ifndef DB_STANDIN_CLIENT_SOCKET_IO_H_
#define DB_STANDIN_CLIENT_SOCKET_IO_H_

#include <cstdint>
#include <string>

// The daemon's endpoint: a stream socket in the abstract namespace, so it
// belongs to the network namespace it was made in and leaves no file.
constexpr char kStreamMgrEndpoint[] = "ipc/StreamMgr";

// Opens a listening or a connected socket on the endpoint; -1 on failure.
int ListenOnEndpoint(const char* name);
int ConnectToEndpoint(const char* name);

// Milliseconds of a monotonic clock, for deadlines.
int64_t NowMs();

// Send or receive one frame (length, then payload) before deadlineMs on
// NowMs's clock; a negative deadline waits for ever. False on a timeout, a
// closed or broken connection, or a frame larger than the wire allows.
bool SendFrame(int fd, const std::string& payload, int64_t deadlineMs);
bool ReceiveFrame(int fd, std::string* payload, int64_t deadlineMs);

#endif  // DB_STANDIN_CLIENT_SOCKET_IO_H_
