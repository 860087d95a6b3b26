#ifndef DB_ACCESS_LOG_CLIENT_H_
#define DB_ACCESS_LOG_CLIENT_H_

#include <sstream>
#include <string>

// The recorder's logging client: one per process.
class LogClient {
 public:
  static LogClient& Instance();

  void ProcessName(const std::string& name);
  const std::string& ProcessName() const;
  // Mask of the severities that are written.
  unsigned Level() const;

 private:
  LogClient();
  std::string processName_;
  unsigned level_;
};

// One log message: text written into the stream that Log returns is sent
// when the message is destroyed.
class LogMsg {
 public:
  virtual ~LogMsg() = default;
  std::ostream& Log(unsigned severity, const std::string& processName);

 protected:
  unsigned severity_ = 0;
  std::string processName_;
  std::ostringstream text_;
};

// A message for the system log.
class SysLogMsg : public LogMsg {
 public:
  ~SysLogMsg() override;
};

#endif  // DB_ACCESS_LOG_CLIENT_H_
