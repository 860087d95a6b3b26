// filePes -a FILE: checks that FILE is a clean MPEG transport stream.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "standin/tools/ts_check.h"

namespace {

// Scans `path` in fixed chunks, so a whole pool file never sits in memory.
bool ScanFile(const char* path, TsScan* scan, std::string* err) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    *err = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  static uint8_t chunk[1 << 16];
  size_t count = 0;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    ScanTsBytes(chunk, count, scan);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    *err = "read error";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "-a") != 0) {
    std::fprintf(stderr, "usage: filePes -a FILE\n");
    return 2;
  }
  const char* path = argv[2];
  TsScan scan;
  std::string fault;
  if (!ScanFile(path, &scan, &fault) || !IsCleanTs(scan, &fault)) {
    std::printf("FAIL: %s: %s\n", path, fault.c_str());
    return 1;
  }
  std::printf("%s: %llu packets, ok\n", path,
              static_cast<unsigned long long>(scan.sizeBytes / kTsPacketBytes));
  return 0;
}
