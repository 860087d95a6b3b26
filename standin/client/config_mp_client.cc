#include "access/config_mp_client.h"

#include "standin/client/wire.h"

ConfigMPClient::ConfigMPClient(LinxIpc& ipc, int timeoutSeconds)
    : ipc_(ipc), timeoutSeconds_(timeoutSeconds) {}

int ConfigMPClient::GetVideoRecordingSettings(
    VideoRecordingSettings& settings) {
  const int timeoutMs = timeoutSeconds_ * 1000;
  std::string request;
  wire::PutU8(wire::kSettings, &request);
  wire::PutU32(timeoutMs > 0 ? timeoutMs : 0, &request);
  wire::PutString(std::string(), &request);
  std::string reply;
  if (!ipc_.Exchange(request, &reply, timeoutMs)) return -1;
  wire::Reader reader = wire::ReaderOf(reply);
  uint8_t status = wire::kFailed;
  uint32_t hours = 0;
  if (!wire::GetU8(&reader, &status)) {
    ipc_.Disconnect();
    return -1;
  }
  if (status != wire::kOk) return 1;
  if (!wire::GetU32(&reader, &hours) || !wire::AtEnd(reader)) {
    // The connection is out of step.
    ipc_.Disconnect();
    return -1;
  }
  settings.reExportHours = hours;
  return 0;
}
