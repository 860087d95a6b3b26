#ifndef DB_ACCESS_CONFIG_MP_CLIENT_H_
#define DB_ACCESS_CONFIG_MP_CLIENT_H_

#include <cstdint>

#include "access/linx_ipc.h"

struct VideoRecordingSettings {
  // Hours after an export at which an event is exported again; 0 is off.
  uint32_t reExportHours = 0;
};

// Client of the recorder's configuration service.
class ConfigMPClient {
 public:
  ConfigMPClient(LinxIpc& ipc, int timeoutSeconds);

  // 0 when the settings were filled; when no answer came, the endpoint is
  // no longer connected.
  int GetVideoRecordingSettings(VideoRecordingSettings& settings);

 private:
  LinxIpc& ipc_;
  int timeoutSeconds_;
};

#endif  // DB_ACCESS_CONFIG_MP_CLIENT_H_
