#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tolvane {

// A folder for a benchmark's files, removed when the run ends.
class Bench_Folder {
 public:
  explicit Bench_Folder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("tolvane-" + name + "-bench-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~Bench_Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  Bench_Folder(const Bench_Folder&) = delete;
  Bench_Folder& operator=(const Bench_Folder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tolvane
