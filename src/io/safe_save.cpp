#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/image_error.h"
#include "io/safe_save.h"

namespace tolvane {

namespace {

// The errors of a save, with the system's reason for the command line.
[[noreturn]] void Cannot_Create(const std::string& path) {
  throw Toolkit_Error("Cannot create file " + path, System_Reason(errno), path);
}
[[noreturn]] void Write_Failed(const std::string& path) {
  throw Toolkit_Error("Stream write error", System_Reason(errno), path);
}

constexpr std::size_t Block_Bytes = 256 * 1024;

// The real file a save replaces: a symbolic link is followed so that the
// link survives and its target gets the new content.
std::string Save_Target(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string r(real);
      std::free(real);
      return r;
    }
  }
  return path;
}

// Flushes a folder's entry list, so a rename in it survives a power loss.
void Sync_Folder_Of(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : target.substr(0, slash);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Removes what earlier saves of target left behind when they were killed
// part way: files named like our temporary files beside it.
void Remove_Stale_Temporaries(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : target.substr(0, slash);
  const std::string prefix =
      "." + (slash == std::string::npos ? target : target.substr(slash + 1)) + ".";
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!std::all_of(name.begin() + prefix.size(), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
      continue;
    ::unlink((dir + "/" + name).c_str());
  }
  ::closedir(d);
}

class Temp_File {
 public:
  Temp_File() = default;
  // Makes the file beside target; false when it cannot be made.
  bool Create(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    name_ = dir + "." + base + ".XXXXXX";
    fd_ = ::mkstemp(name_.data());
    if (fd_ < 0) return false;
    // Keep the permissions of the file we replace, or give a new one the
    // usual ones rather than mkstemp's 0600.
    struct stat st;
    mode_t mode;
    if (::stat(target.c_str(), &st) == 0) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
    return true;
  }
  ~Temp_File() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_ && !name_.empty()) ::unlink(name_.c_str());
  }
  Temp_File(const Temp_File&) = delete;
  Temp_File& operator=(const Temp_File&) = delete;

  int Fd() const { return fd_; }
  // The data must be on the disk before the rename makes it the file.
  bool Sync_And_Close() {
    bool ok = ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    return ok;
  }
  bool Rename_To(const std::string& target) {
    kept_ = ::rename(name_.c_str(), target.c_str()) == 0;
    if (kept_) Sync_Folder_Of(target);
    return kept_;
  }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  int fd_ = -1;
  bool kept_ = false;
};

bool Write_All(const Write_Function& write_fn, int fd, const void* data, std::size_t n) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (n > 0) {
    const long r = write_fn(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= std::size_t(r);
  }
  return true;
}

enum class Target_Mode { Replace, Direct, In_Place };

Target_Mode Mode_For(const std::string& target) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return Target_Mode::Replace;
  if (!S_ISREG(st.st_mode)) return Target_Mode::Direct;
  return st.st_nlink > 1 ? Target_Mode::In_Place : Target_Mode::Replace;
}

// Copies the rest of the file open at in to the file open at out.
bool Copy_Rest(int in, int out) {
  std::vector<char> buffer(Block_Bytes);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, std::size_t(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += w;
    }
  }
}

// Copies the finished file at from over the contents of target.
void Copy_Into(const std::string& from, const std::string& target, const std::string& path) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = in < 0 ? -1 : ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (out < 0) {
    if (in >= 0) ::close(in);
    Cannot_Create(path);
  }
  bool ok = Copy_Rest(in, out);
  ok = ::fsync(out) == 0 && ok;
  ok = ::close(out) == 0 && ok;
  ::close(in);
  if (!ok) Write_Failed(path);
}

// A file in memory when wanted, closed with its owner; -1 where there is
// none.
class Scratch_File {
 public:
  explicit Scratch_File(bool wanted) {
#ifdef MFD_CLOEXEC
    if (wanted) fd_ = ::memfd_create("tolvane-save", MFD_CLOEXEC);
#else
    (void)wanted;
#endif
  }
  ~Scratch_File() {
    if (fd_ >= 0) ::close(fd_);
  }
  Scratch_File(const Scratch_File&) = delete;
  Scratch_File& operator=(const Scratch_File&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

long Plain_Write(int fd, const void* data, std::size_t size) {
  return long(::write(fd, data, size));
}

}  // namespace

void Save_File(const std::string& path, const std::function<bool(const Byte_Sink&)>& produce) {
  Save_File(path, produce, Write_Function());
}

void Save_File(const std::string& path, const std::function<bool(const Byte_Sink&)>& produce,
               const Write_Function& write_fn) {
  const Write_Function& write = write_fn ? write_fn : Write_Function(Plain_Write);
  const std::string target = Save_Target(path);
  const Target_Mode mode = Mode_For(target);
  if (mode == Target_Mode::Direct) {
    // A device or pipe: writing to it is the save; it cannot be replaced.
    // Non-blocking open: a pipe nobody reads fails instead of hanging.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) Cannot_Create(path);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const bool ok =
        produce([&](const void* p, std::size_t n) { return Write_All(write, fd, p, n); });
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed) Write_Failed(path);
    return;
  }
  // A caller's write function may keep the bytes itself (a save into
  // memory). Until one of them lands in the file it is handed, that file is
  // a scratch file in memory: making and removing a file beside the target
  // costs more than writing a strip, and is left until it is needed.
  Temp_File temp;
  const Scratch_File scratch_file{bool(write_fn)};
  const int scratch = scratch_file.Fd();
  if (scratch < 0 && !temp.Create(target)) Cannot_Create(path);
  int fd = scratch >= 0 ? scratch : temp.Fd();
  // Moves what the scratch file holds to the temporary file, where the
  // bytes go from then on.
  auto leave_scratch = [&] {
    if (!temp.Create(target)) Cannot_Create(path);
    fd = temp.Fd();
    return ::lseek(scratch, 0, SEEK_SET) == 0 && Copy_Rest(scratch, fd);
  };
  std::uint64_t handed = 0;
  errno = 0;  // a failure below that no call explains has no system reason
  if (!produce([&](const void* p, std::size_t n) {
        if (!Write_All(write, fd, p, n)) return false;
        std::uint64_t from = handed;
        handed += n;
        if (fd == scratch) {
          if (::lseek(scratch, 0, SEEK_END) == 0) return true;
          if (!leave_scratch()) return false;
          from = 0;
        }
#ifdef SYNC_FILE_RANGE_WRITE
        // Start putting this block on the disk while the next one is made, so
        // that the final sync has little left to wait for.
        ::sync_file_range(fd, off64_t(from), off64_t(handed - from), SYNC_FILE_RANGE_WRITE);
#endif
        return true;
      }))
    Write_Failed(path);
  if (handed > 0 && ::lseek(fd, 0, SEEK_END) == 0) return;  // the bytes went elsewhere
  if (fd == scratch && !leave_scratch()) Write_Failed(path);

  if (!temp.Sync_And_Close()) Write_Failed(path);
  if (mode == Target_Mode::Replace) {
    if (!temp.Rename_To(target)) Cannot_Create(path);
    Remove_Stale_Temporaries(target);
    return;
  }
  // A hard-linked file is rewritten in place so that every name keeps
  // seeing it; the complete temporary copy proved the data can be written.
  Copy_Into(temp.Name(), target, path);
  Remove_Stale_Temporaries(target);
}

}  // namespace tolvane
