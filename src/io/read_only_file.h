#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "image/image_error.h"

namespace tolvane {

// A regular file opened for reading only, closed when it goes; anything else
// (missing, a folder, a device) is "Cannot open file <path>", with the
// system's reason. The decoders read pictures through it.
class Read_Only_File {
 public:
  // Opened without waiting, so that a pipe nobody writes to is refused
  // rather than waited on.
  explicit Read_Only_File(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    if (fd_ < 0) throw Toolkit_Error("Cannot open file " + path, System_Reason(errno), path);
    struct stat st;
    const bool known = ::fstat(fd_, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
      const std::string reason = !known                ? System_Reason(errno)
                                 : S_ISDIR(st.st_mode) ? System_Reason(EISDIR)
                                                       : "not a regular file";
      ::close(fd_);
      throw Toolkit_Error("Cannot open file " + path, reason, path);
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
