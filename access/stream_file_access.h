#ifndef DB_ACCESS_STREAM_FILE_ACCESS_H_
#define DB_ACCESS_STREAM_FILE_ACCESS_H_

#include <cstdint>
#include <utility>
#include <vector>

namespace StreamMgrFileMgmnt {

// Live information about one pool file.
struct FileMgmnt_t {
  uint32_t number = 0;
  uint32_t size = 0;
};

}  // namespace StreamMgrFileMgmnt

// Access to the stream-file pool on disk.
class StreamFileAccess {
 public:
  StreamFileAccess();
  StreamFileAccess(const StreamFileAccess&) = delete;
  StreamFileAccess& operator=(const StreamFileAccess&) = delete;

  // False when the pool cannot be reached.
  bool InitializeFileAccess(bool create, bool readOnly);
  // Records the catalogue's size of a pool file.
  void InitializeFileSize(int number, int size);
  // Fills the live information of pool file `number`; false when it does
  // not exist.
  bool GetFileInfo(int number, StreamMgrFileMgmnt::FileMgmnt_t& info);

 private:
  std::vector<std::pair<int, int>> catalogueSizes_;
};

#endif  // DB_ACCESS_STREAM_FILE_ACCESS_H_
