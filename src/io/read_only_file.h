#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "image/image_error.h"

namespace tolvane {

// A regular file opened for reading only, closed when it goes; anything else
// (missing, a folder, a device) is "Cannot open file <path>". The decoders
// read pictures through it.
class Read_Only_File {
 public:
  explicit Read_Only_File(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd_ >= 0) ::close(fd_);
      throw Toolkit_Error("Cannot open file " + path);
    }
    size_ = std::uint64_t(st.st_size);
  }
  ~Read_Only_File() { ::close(fd_); }
  Read_Only_File(const Read_Only_File&) = delete;
  Read_Only_File& operator=(const Read_Only_File&) = delete;
  int Fd() const { return fd_; }
  std::uint64_t Size() const { return size_; }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

}  // namespace tolvane
