// make_sample_disk DIR [options]: writes a recorder disk, catalogue, pool
// and staged metadata, into DIR, to be mounted at /mnt/hd.
#include <dirent.h>
#include <getopt.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "standin/recorder_schema.h"
#include "standin/tools/sample_disk.h"
#include "standin/tools/sample_events.h"

namespace {

const char kUsage[] =
    "usage: make_sample_disk DIR [--seed N] [--files N] [--events N] "
    "[--base-time EPOCHSECONDS] [--staged-percent P]\n";
// Beyond these counts the tick counter would run below zero; before 1980
// the times would.
constexpr uint64_t kMaxFiles = 1000000;
constexpr uint64_t kMaxEvents = 1000000;
constexpr uint64_t kMinBaseTime = 315532800;
constexpr uint64_t kMaxBaseTime = INT32_MAX;

struct Finalize {
  void operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
  }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

bool ParseDecimal(const char* option, const char* text, uint64_t high,
                  uint64_t* value, std::string* err) {
  char* end = nullptr;
  errno = 0;
  unsigned long long parsed = std::strtoull(text, &end, 10);
  if (!std::isdigit(static_cast<unsigned char>(text[0])) || *end != '\0' ||
      errno == ERANGE || parsed > high) {
    *err = std::string("--") + option + " takes a number up to " +
           std::to_string(high) + ", not '" + text + "'";
    return false;
  }
  *value = parsed;
  return true;
}

bool ProcessSampleOptions(int argc, char** argv, SampleOptions* options,
                          std::string* dir, std::string* err) {
  const option kOptions[] = {
      {"seed", required_argument, nullptr, 's'},
      {"files", required_argument, nullptr, 'f'},
      {"events", required_argument, nullptr, 'e'},
      {"base-time", required_argument, nullptr, 'b'},
      {"staged-percent", required_argument, nullptr, 'p'},
      {nullptr, 0, nullptr, 0}};
  opterr = 0;
  int code = 0;
  int index = 0;
  while ((code = getopt_long(argc, argv, ":", kOptions, &index)) != -1) {
    if (code == '?' || code == ':') {
      *err = std::string(code == ':' ? "no value for '" : "bad option '") +
             argv[optind - 1] + "'";
      return false;
    }
    uint64_t value = 0;
    const char* name = kOptions[index].name;
    switch (code) {
      case 's':
        if (!ParseDecimal(name, optarg, UINT64_MAX, &value, err)) return false;
        options->seed = value;
        break;
      case 'f':
        if (!ParseDecimal(name, optarg, kMaxFiles, &value, err)) return false;
        options->files = static_cast<uint32_t>(value);
        break;
      case 'e':
        if (!ParseDecimal(name, optarg, kMaxEvents, &value, err)) return false;
        options->events = static_cast<uint32_t>(value);
        break;
      case 'b':
        if (!ParseDecimal(name, optarg, kMaxBaseTime, &value, err)) {
          return false;
        }
        if (value < kMinBaseTime) {
          *err = "--base-time must be 1980 or later";
          return false;
        }
        options->baseTime = static_cast<int64_t>(value);
        break;
      case 'p':
        if (!ParseDecimal(name, optarg, 100, &value, err)) return false;
        options->stagedPercent = static_cast<uint32_t>(value);
        break;
    }
  }
  if (optind + 1 != argc) {
    *err = "one directory expected";
    return false;
  }
  *dir = argv[optind];
  return true;
}

// True when `dir` is missing or an empty directory.
bool IsFreshTarget(const std::string& dir, std::string* err) {
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) {
    if (errno == ENOENT) return true;
    *err = dir + ": " + std::strerror(errno);
    return false;
  }
  bool empty = true;
  while (dirent* entry = readdir(listing)) {
    if (std::strcmp(entry->d_name, ".") != 0 &&
        std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
    }
  }
  closedir(listing);
  if (!empty) *err = dir + ": not empty";
  return empty;
}

// Creates `path` and any missing parents.
bool MakeDirs(const std::string& path, std::string* err) {
  size_t slash = 0;
  do {
    slash = path.find('/', slash + 1);
    std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
      *err = "cannot create " + prefix + ": " + std::strerror(errno);
      return false;
    }
  } while (slash != std::string::npos);
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes,
               std::string* err) {
  FILE* file = std::fopen(path.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(),
                                                file) == bytes.size();
  if (file != nullptr) written = std::fclose(file) == 0 && written;
  if (!written) *err = "cannot write " + path;
  return written;
}

bool Exec(sqlite3* db, const char* sql, std::string* err) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) {
    return true;
  }
  *err = std::string("catalogue: ") + sqlite3_errmsg(db);
  return false;
}

bool Prepare(sqlite3* db, const char* sql, Statement* statement,
             std::string* err) {
  sqlite3_stmt* prepared = nullptr;
  int result = sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr);
  statement->reset(prepared);
  if (result == SQLITE_OK) return true;
  *err = std::string("catalogue: ") + sqlite3_errmsg(db);
  return false;
}

// Runs the bound statement once and readies it for the next row.
bool StepRow(sqlite3* db, sqlite3_stmt* statement, std::string* err) {
  int result = sqlite3_step(statement);
  sqlite3_reset(statement);
  if (result == SQLITE_DONE) return true;
  *err = std::string("catalogue: ") + sqlite3_errmsg(db);
  return false;
}

bool InsertFiles(sqlite3* db, const SamplePool& pool, std::string* err) {
  Statement insert;
  if (!Prepare(db,
               "INSERT INTO streamfiles (number, stream, state, starttick, "
               "stoptick, starttime, stoptime, previous, next, size, type) "
               "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)",
               &insert, err)) {
    return false;
  }
  for (const StreamFileRow& row : pool.files) {
    const uint32_t values[] = {row.number,    row.stream,   row.state,
                               row.startTick, row.stopTick, row.startTime,
                               row.stopTime,  row.previous, row.next,
                               row.sizeBytes, row.type};
    for (int i = 0; i < 11; ++i) {
      sqlite3_bind_int64(insert.get(), i + 1, values[i]);
    }
    if (!StepRow(db, insert.get(), err)) return false;
  }
  return true;
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
  sqlite3_bind_text(statement, index, text.c_str(),
                    static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool InsertEvent(sqlite3* db, sqlite3_stmt* insert, const EventRow& event,
                 std::string* err) {
  const int64_t numbers[] = {
      event.state,     event.splitState, event.locked,   event.marked,
      event.uploaded,  event.ccode,      event.rcode,    event.startTick,
      event.startTime, event.exportTime, event.stopTick, event.stopTime};
  BindText(insert, 1, event.reid);
  for (int i = 0; i < 12; ++i) sqlite3_bind_int64(insert, i + 2, numbers[i]);
  BindText(insert, 14, event.category);
  BindText(insert, 15, event.officer);
  BindText(insert, 16, event.notes);
  BindText(insert, 17, event.vehicle);
  sqlite3_bind_int64(insert, 18, event.evidence);
  sqlite3_bind_int64(insert, 19, event.bg);
  sqlite3_bind_int64(insert, 20, event.streamState);
  sqlite3_bind_int64(insert, 21, event.totalFiles);
  BindText(insert, 22, event.groupId);
  sqlite3_bind_int64(insert, 23, event.part);
  sqlite3_bind_int64(insert, 24, event.totalParts);
  const int kNullIndex[] = {0, 20, 21, 22, 23, 24};
  int nullIndex = kNullIndex[static_cast<int>(event.nullColumn)];
  if (nullIndex != 0) sqlite3_bind_null(insert, nullIndex);
  return StepRow(db, insert, err);
}

bool InsertEvents(sqlite3* db, const std::vector<EventRow>& events,
                  std::string* err) {
  Statement insertEvent;
  Statement insertAnswer;
  bool prepared =
      Prepare(
          db,
          "INSERT INTO events (reid, state, splitstate, locked, marked, "
          "uploaded, "
          "ccode, rcode, starttick, starttime, exporttime, stoptick, stoptime, "
          "category, officer, notes, vehicle, evidence, BG, streamstate, "
          "totalfiles, groupId, part, totalparts) VALUES (?1, ?2, ?3, ?4, ?5, "
          "?6, "
          "?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, "
          "?21, ?22, ?23, ?24)",
          &insertEvent, err) &&
      Prepare(db,
              "INSERT INTO eventanswers (reid, question, answer) VALUES (?1, "
              "?2, ?3)",
              &insertAnswer, err);
  if (!prepared) return false;
  for (const EventRow& event : events) {
    if (!InsertEvent(db, insertEvent.get(), event, err)) return false;
    for (const Answer& answer : event.answers) {
      BindText(insertAnswer.get(), 1, event.reid);
      BindText(insertAnswer.get(), 2, answer.question);
      BindText(insertAnswer.get(), 3, answer.answer);
      if (!StepRow(db, insertAnswer.get(), err)) return false;
    }
  }
  return true;
}

std::string UtcText(int64_t time) {
  time_t seconds = static_cast<time_t>(time);
  struct tm utc = {};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  return text;
}

bool InsertStatus(sqlite3* db, const SampleOptions& options, std::string* err) {
  // The recorder last booted a working day before the base time.
  const std::string rows[][2] = {
      {"version", "3.4.1"},
      {"diskstate", "mounted"},
      {"lastboot", UtcText(options.baseTime - 9 * 3600 - 13 * 60)},
      {"poolfiles", std::to_string(options.files)},
      {"catalogue", "ok"}};
  Statement insert;
  if (!Prepare(db, "INSERT INTO status (name, value) VALUES (?1, ?2)", &insert,
               err)) {
    return false;
  }
  for (const auto& row : rows) {
    BindText(insert.get(), 1, row[0]);
    BindText(insert.get(), 2, row[1]);
    if (!StepRow(db, insert.get(), err)) return false;
  }
  return true;
}

// One transaction for all rows: a large disk takes seconds, not hours.
bool WriteCatalogue(const std::string& path, const SampleOptions& options,
                    const SamplePool& pool, const std::vector<EventRow>& events,
                    std::string* err) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    *err = "cannot create " + path + ": " + sqlite3_errmsg(db);
    sqlite3_close(db);
    return false;
  }
  bool written = Exec(db, RecorderSchemaSql(), err) && Exec(db, "BEGIN", err) &&
                 InsertFiles(db, pool, err) && InsertEvents(db, events, err) &&
                 InsertStatus(db, options, err) && Exec(db, "COMMIT", err);
  sqlite3_close(db);
  return written;
}

bool WritePoolFiles(const std::string& dir, const SampleOptions& options,
                    const SamplePool& pool, std::string* err) {
  for (uint32_t number = 1; number <= pool.data.size(); ++number) {
    std::string bytes =
        PoolFileBytes(number, pool.data[number - 1], options.seed);
    if (!WriteFile(dir + "/streams/" + std::to_string(number), bytes, err)) {
      return false;
    }
  }
  return true;
}

bool WriteMetadataFiles(const std::string& dir,
                        const std::vector<EventRow>& events, std::string* err) {
  for (const EventRow& event : events) {
    std::string base = dir + "/connectionmgr/" + event.reid;
    bool xml =
        event.staging == Staging::kBoth || event.staging == Staging::kXmlOnly;
    bool mtd =
        event.staging == Staging::kBoth || event.staging == Staging::kMtdOnly;
    if (xml && !WriteFile(base + ".xml", EventXml(event), err)) return false;
    if (mtd && !WriteFile(base + ".mtd", EventMtd(event), err)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  SampleOptions options;
  std::string dir;
  std::string err;
  if (!ProcessSampleOptions(argc, argv, &options, &dir, &err)) {
    std::fprintf(stderr, "make_sample_disk: %s\n%s", err.c_str(), kUsage);
    return 2;
  }
  if (!IsFreshTarget(dir, &err)) {
    std::fprintf(stderr, "make_sample_disk: %s\n", err.c_str());
    return 2;
  }
  SamplePool pool = PlanSamplePool(options);
  std::vector<EventRow> events = PlanSampleEvents(options, pool);
  bool written = MakeDirs(dir + "/streammgr", &err) &&
                 MakeDirs(dir + "/streams", &err) &&
                 MakeDirs(dir + "/connectionmgr", &err) &&
                 WriteCatalogue(dir + "/streammgr/stream.db", options, pool,
                                events, &err) &&
                 WritePoolFiles(dir, options, pool, &err) &&
                 WriteMetadataFiles(dir, events, &err);
  if (!written) {
    std::fprintf(stderr, "make_sample_disk: %s\n", err.c_str());
    return 1;
  }
  std::printf("%s: %u stream files, %u events\n", dir.c_str(), options.files,
              options.events);
  return 0;
}
