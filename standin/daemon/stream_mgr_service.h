#ifndef DB_STANDIN_DAEMON_STREAM_MGR_SERVICE_H_
#define DB_STANDIN_DAEMON_STREAM_MGR_SERVICE_H_

#include <sqlite3.h>

#include <set>
#include <string>

// How the stand-in stream manager behaves; tests drive every path of the
// tool through these.
struct ServiceOptions {
  unsigned reExportHours = 24;
  bool settingsFail = false;
  // Every events, files and count query is answered as failed.
  bool failQueries = false;
  std::set<std::string> refusedDeletes;
  std::string requestLogPath;
  unsigned dieAfter = 0;    // 0: never
  unsigned stallAfter = 0;  // 0: never
};

// Answers one request frame from the catalogue `catalogue`; the answer is
// a frame payload of the wire encoding.
std::string AnswerRequest(const ServiceOptions& options, sqlite3* catalogue,
                          const std::string& request);

// The line that the request log gets for a request: kind, a tab, the text.
// Empty for a frame that is not a request.
std::string RequestLogLine(const std::string& request);

// The line that follows it when the request is left unanswered: "stalled",
// a tab, and how many milliseconds the client said it would wait.
std::string StallLogLine(const std::string& request);

#endif  // DB_STANDIN_DAEMON_STREAM_MGR_SERVICE_H_
