#include "mainwindow/help_documents.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "image/image_error.h"
#include "io/read_only_file.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// Far above the guide's size; a larger file is not a document of ours.
constexpr std::uint64_t Max_Document_Bytes = 4 << 20;

}  // namespace

std::vector<std::string> Document_Places(const std::string& program, const std::string& name) {
  const fs::path folder = fs::path(program).parent_path();
  return {(folder / "../share/doc/tolvane" / name).lexically_normal().string(),
          (folder / "docs" / name).lexically_normal().string()};
}

std::string First_Existing(const std::vector<std::string>& places) {
  for (const std::string& place : places) {
    std::error_code ec;
    if (fs::exists(place, ec)) return place;
  }
  return {};
}

std::string Read_Document(const std::string& path) {
  Read_Only_File f(path);
  if (f.Size() > Max_Document_Bytes)
    throw Toolkit_Error(path + " is too large for a document of Tolvane");
  std::string text(f.Size(), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::pread(f.Fd(), text.data() + done, text.size() - done, off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Toolkit_Error("Unable to read " + path);
    if (n == 0) break;  // the file shrank meanwhile: show what is there
    done += std::size_t(n);
  }
  text.resize(done);
  return text;
}

}  // namespace tolvane
