// StreamMgrCli -x N: exports pool file N as /mnt/hd/N.ts.
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kDiskRoot[] = "/mnt/hd/";

// The number becomes part of two paths, so only plain decimals pass.
bool ParseFileNumber(const char* text, uint32_t* number) {
  char* end = nullptr;
  errno = 0;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (!std::isdigit(static_cast<unsigned char>(text[0])) || *end != '\0' ||
      errno == ERANGE || value > UINT32_MAX) {
    return false;
  }
  *number = static_cast<uint32_t>(value);
  return true;
}

// Copies `from` to `to`; a failed copy leaves no partial file behind.
bool CopyFile(const std::string& from, const std::string& to,
              std::string* err) {
  FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) {
    *err = "cannot open " + from + ": " + std::strerror(errno);
    return false;
  }
  FILE* out = std::fopen(to.c_str(), "wb");
  if (out == nullptr) {
    *err = "cannot create " + to + ": " + std::strerror(errno);
    std::fclose(in);
    return false;
  }
  static char chunk[1 << 16];
  size_t count = 0;
  bool written = true;
  while (written && (count = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    written = std::fwrite(chunk, 1, count, out) == count;
  }
  bool readFailed = std::ferror(in) != 0;
  std::fclose(in);
  written = std::fclose(out) == 0 && written;
  if (readFailed || !written) {
    *err = readFailed ? "cannot read " + from : "cannot write " + to;
    std::remove(to.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t number = 0;
  if (argc != 3 || std::strcmp(argv[1], "-x") != 0 ||
      !ParseFileNumber(argv[2], &number)) {
    std::fprintf(stderr, "usage: StreamMgrCli -x FILENUMBER\n");
    return 2;
  }
  std::string from =
      std::string(kDiskRoot) + "streams/" + std::to_string(number);
  std::string to = std::string(kDiskRoot) + std::to_string(number) + ".ts";
  std::string err;
  if (!CopyFile(from, to, &err)) {
    std::fprintf(stderr, "StreamMgrCli: %s\n", err.c_str());
    return 1;
  }
  std::printf("copied: %s\n", to.c_str());
  return 0;
}
