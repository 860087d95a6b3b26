#include "events/event_table.h"

#include <cstring>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "access/config_mp_client.h"
#include "access/local_time.h"
#include "access/log_client.h"
#include "events/event_metadata.h"
#include "events/event_states.h"
#include "program_state.h"
#include "run_status.h"

namespace {

const char kEventColumnSeparator[] = "  ";
const double kBytesPerGiB = 1073741824.0;
const int kSettingsTimeoutSeconds = 30;
// Bit of LogClient::Level() that lets severity 2 through.
const unsigned kSeverity2Bit = 2;

struct HeaderColumn {
  const char* text;
  int ruleLength;
};

const HeaderColumn kColumnsBeforeSize[] = {
    {"           REID             ", 28},
    {"  State   ", 10},
    {"SplitState", 10},
    {" Sec ", 5},
    {"    Start Time   ", 17},
    {"StopTime", 8},
    {"ExportTime", 10},
    {"Start Tick", 10},
    {" Stop Tick", 10},
    {"c/r", 3},
    {"BG", 2},
    {"Files", 5},
    {"         groupId            ", 28},
    {"Prt", 3},
    {"Tot", 3},
    {"Stg", 3},
};
const HeaderColumn kGiBColumn = {" GiB ", 5};
const HeaderColumn kBytesColumn = {"   Bytes   ", 11};
const HeaderColumn kColumnsAfterSize[] = {
    {"Hours Till Re-Export", 20},
    {"Answer1", 20},
};

const char* SourceFileName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

// Hours till re-export as configured now, or -1.0 when the settings cannot
// be read; that failure is logged when the level allows it.
double AskHoursTillReExport(int32_t exportTime) {
  ConfigMPClient settingsClient(ipc, kSettingsTimeoutSeconds);
  VideoRecordingSettings settings;
  const int result = settingsClient.GetVideoRecordingSettings(settings);
  // Without StreamMgr the endpoint was never connected, and nothing was
  // asked of it.
  if (streamMgrRunning) NoteIfUnanswered(ipc, "video recording settings");
  if (result == 0) {
    return HoursTillReExport(settings.reExportHours, exportTime,
                             static_cast<int64_t>(time(nullptr)));
  }
  LogClient& logClient = LogClient::Instance();
  if (logClient.Level() & kSeverity2Bit) {
    SysLogMsg message;
    message.Log(2, logClient.ProcessName())
        << SourceFileName(__FILE__) << ":" << __LINE__ << " "
        << "DisplayEvent"
        << ": Error getting video recording settings";
  }
  return -1.0;
}

// The size column: fixed-point in bytes or GiB; 0 for an unstaged event.
void PrintEventSize(bool staged, const std::string& reid, bool showBytes,
                    std::ostream& out) {
  out << std::fixed << std::setprecision(showBytes ? 0 : 3)
      << std::setw(showBytes ? 11 : 5);
  double size = 0.0;
  if (staged) {
    uint64_t bytes = static_cast<uint64_t>(EventSize(reid));
    size = static_cast<double>(bytes) / (showBytes ? 1.0 : kBytesPerGiB);
  }
  out << size;
}

void PrintHeaderColumn(const HeaderColumn& column, std::string* header,
                       std::string* rule) {
  *header += column.text;
  *header += kEventColumnSeparator;
  rule->append(column.ruleLength, '=');
  *rule += kEventColumnSeparator;
}

}  // namespace

void PrintEventHeader(bool showBytes) {
  std::string header;
  std::string rule;
  for (const HeaderColumn& column : kColumnsBeforeSize) {
    PrintHeaderColumn(column, &header, &rule);
  }
  PrintHeaderColumn(showBytes ? kBytesColumn : kGiBColumn, &header, &rule);
  for (const HeaderColumn& column : kColumnsAfterSize) {
    PrintHeaderColumn(column, &header, &rule);
  }
  std::cout << '\n' << header << '\n' << rule << '\n';
}

void DisplayEvent(const StreamMgrApi::EventRecordItem& event, bool showBytes) {
  const int32_t startTime = event.startTime.value;
  const int32_t exportTime = event.exportTime.value;
  const std::string startText = LocalTimeText(startTime, "%x %X");
  const std::string stopText = LocalTimeText(event.stopTime.value, "%X");
  const std::string exportText =
      exportTime > 0 ? LocalTimeText(exportTime, "%X") : "0";
  const int32_t duration =
      EventDurationSeconds(startTime, event.stopTime.value);
  // Asked once for the "Stg" and the size column alike: a second pair of
  // file status queries a row takes a twentieth of an event listing.
  const bool staged = IsStaged(kMetadataDirectory + event.reid.value);
  const std::string codes = std::string(EventCodeLetter(event.cCode)) + " " +
                            EventCodeLetter(event.rCode);
  const std::string hoursText =
      HoursTillReExportText(AskHoursTillReExport(exportTime));

  const char* separator = kEventColumnSeparator;
  std::ostream& out = std::cout;
  out << std::left << std::setw(28) << event.reid.value << std::right;
  out << separator << std::setw(10) << EventStateToStr(event.state);
  out << separator << std::setw(10) << EventSplitStateToStr(event.splitstate);
  out << separator << std::setw(5) << duration;
  out << separator << std::setw(17) << startText;
  out << separator << std::setw(8) << stopText;
  out << separator << std::setw(10) << exportText;
  out << separator << std::setw(10) << event.startTick.value;
  out << separator << std::setw(10) << event.stopTick.value;
  out << separator << codes;
  out << separator << (event.bg.value ? " Y" : " N");
  out << separator << std::setw(5) << event.totalfiles.value;
  out << separator << std::left << std::setw(28) << event.groupId.value
      << std::right;
  out << separator << std::setw(3) << event.part.value;
  out << separator << std::setw(3) << event.totalparts.value;
  out << separator << (staged ? "  Y" : "  N");
  out << separator;
  PrintEventSize(staged, event.reid.value, showBytes, out);
  out << separator << std::setw(20) << hoursText << separator;
  if (!event.answers.value.empty()) {
    out << std::setw(20) << event.answers.value.front().answer << separator;
  }
  // Each row reaches the terminal whole, before the next row's work.
  out << std::endl;
}

const char* EventCodeLetter(StreamMgrApi::EventCode code) {
  static const char* const kLetters[] = {"r", "c", "a", "k"};
  uint32_t index = static_cast<uint32_t>(code);
  if (index >= sizeof(kLetters) / sizeof(kLetters[0])) return "?";
  return kLetters[index];
}

int32_t EventDurationSeconds(int32_t startTime, int32_t stopTime) {
  int32_t difference = static_cast<int32_t>(static_cast<uint32_t>(stopTime) -
                                            static_cast<uint32_t>(startTime));
  return difference < 0 ? -1 : difference;
}

double HoursTillReExport(uint32_t reExportHours, int32_t exportTime,
                         int64_t now) {
  if (reExportHours == 0) return 0.0;
  int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) -
                                         static_cast<uint32_t>(exportTime));
  return (reExportHours * 3600.0 - elapsed) / 3600.0;
}

std::string HoursTillReExportText(double hours) {
  if (hours < 0.0) return "NA";
  if (hours == 0.0) return "Disabled";
  std::ostringstream text;
  text << std::fixed << std::setprecision(2) << hours;
  return text.str();
}
