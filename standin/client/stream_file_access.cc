#include "access/stream_file_access.h"

#include <sys/stat.h>

#include <string>

namespace {

const char kPoolDirectory[] = "/mnt/hd/streams";

}  // namespace

StreamFileAccess::StreamFileAccess() {}

bool StreamFileAccess::InitializeFileAccess(bool, bool) {
  struct stat status;
  return stat(kPoolDirectory, &status) == 0 && S_ISDIR(status.st_mode);
}

void StreamFileAccess::InitializeFileSize(int number, int size) {
  catalogueSizes_.emplace_back(number, size);
}

bool StreamFileAccess::GetFileInfo(int number,
                                   StreamMgrFileMgmnt::FileMgmnt_t& info) {
  std::string path = std::string(kPoolDirectory) + "/" +
                     std::to_string(static_cast<unsigned>(number));
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  info.number = static_cast<uint32_t>(number);
  info.size = static_cast<uint32_t>(status.st_size);
  return true;
}
