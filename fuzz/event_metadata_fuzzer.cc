// Fuzzes the event metadata reader: the input is an event's ".xml" file,
// beside a fixed ".mtd" file, in a scratch directory of this process.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

#include "events/event_metadata.h"
#include "fuzz/fuzz_check.h"

namespace {

const int64_t kMtdBytes = 1000;

std::string directory;
std::string basePath;

// Rewrites the file in place: truncating it to nothing first would have
// ext4 flush it to disk on every run.
void WriteFile(const std::string& path, const char* bytes, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  Require(fd >= 0, "the scratch file opens");
  Require(write(fd, bytes, size) == static_cast<ssize_t>(size),
          "the scratch file fills");
  Require(ftruncate(fd, static_cast<off_t>(size)) == 0,
          "the scratch file ends with the input");
  Require(close(fd) == 0, "the scratch file closes");
}

void RemoveScratch() {
  unlink((basePath + ".xml").c_str());
  unlink((basePath + ".mtd").c_str());
  rmdir(directory.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char scratch[] = "/tmp/event_metadata_fuzzer.XXXXXX";
  Require(mkdtemp(scratch) != nullptr, "the scratch directory is made");
  directory = scratch;
  basePath = directory + "/EV20251231120000U070000001";
  const std::string mtd(kMtdBytes, 'm');
  WriteFile(basePath + ".mtd", mtd.data(), mtd.size());
  std::atexit(RemoveScratch);
  // The reader's messages go to std::cerr; dropping them there keeps the
  // fuzzer's own reports, which go to the stderr descriptor, readable. The
  // sink is never deleted: std::cerr flushes into it at exit.
  std::cerr.rdbuf((new std::ofstream("/dev/null"))->rdbuf());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteFile(basePath + ".xml", reinterpret_cast<const char*>(data), size);
  Require(IsStaged(basePath), "both files are there");
  const int64_t total = EventSizeAt(basePath);
  // Each segment adds a signed 32-bit amount and is an element of its own,
  // so it needs a '<' of the file.
  const int64_t segmentsAtMost = std::count(data, data + size, '<');
  const int64_t span = segmentsAtMost * (int64_t{1} << 31);
  Require(total - kMtdBytes >= -span && total - kMtdBytes <= span,
          "the size is the .mtd plus at most a 32-bit amount per element");
  // Without these names no stream or no segment is ever summed.
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find("recording-event") == std::string::npos ||
      text.find("src") == std::string::npos) {
    Require(total == kMtdBytes, "nothing but the .mtd without segments");
  }
  return 0;
}
