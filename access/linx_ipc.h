#ifndef DB_ACCESS_LINX_IPC_H_
#define DB_ACCESS_LINX_IPC_H_

#include <string>

// An IPC endpoint of this process, through which the client libraries reach
// the stream manager.
class LinxIpc {
 public:
  explicit LinxIpc(const std::string& name);
  ~LinxIpc();
  LinxIpc(const LinxIpc&) = delete;
  LinxIpc& operator=(const LinxIpc&) = delete;

  // Connects the endpoint; 0 on success.
  int Init();

  // False before Init and once a request went unanswered: the endpoint is
  // then dead for the rest of the run.
  bool IsConnected() const;

  // Sends one request and waits at most timeoutMs for its whole reply.
  // False when the endpoint is not connected, or the connection breaks or
  // times out; the endpoint is then dead for the rest of the run.
  bool Exchange(const std::string& request, std::string* reply, int timeoutMs);

  // Kills the endpoint after a reply that makes no sense: what follows on
  // the connection cannot be trusted either.
  void Disconnect();

 private:
  std::string name_;
  int fd_;
};

#endif  // DB_ACCESS_LINX_IPC_H_
