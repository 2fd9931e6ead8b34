#pragma once
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tolvane {

// A failure the toolkit reports to the user in an error box (an unreadable
// bitmap, a file that cannot be created, an image too large to allocate).
// Commands catch it at their edge; see platform/run_command.inl.
// Besides the box's text it may carry what is wrong in plain words ("the
// file ends inside its headers", "permission denied") and the file it is
// about; the command line and the error box name both.
class Toolkit_Error : public std::runtime_error {
 public:
  explicit Toolkit_Error(const std::string& text, std::string reason = {}, std::string file = {})
      : std::runtime_error(text), reason_(std::move(reason)), file_(std::move(file)) {}
  const std::string& Reason() const { return reason_; }
  const std::string& File() const { return file_; }

 private:
  std::string reason_, file_;
};

// The system's words for an error number, as a reason: "permission denied".
inline std::string System_Reason(int error) {
  std::string text = error ? std::strerror(error) : "unknown error";
  if (!text.empty()) text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// The part of a path after its last '/': what a message calls the file.
inline std::string File_Name_Part(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Runs read(), and names path in a Toolkit_Error it throws that names no
// file, so that the box can tell which file was refused.
template <class F>
auto Reading_File(const std::string& path, F&& read) {
  try {
    return read();
  } catch (const Toolkit_Error& e) {
    if (!e.File().empty()) throw;
    throw Toolkit_Error(e.what(), e.Reason(), path);
  }
}

// What a read noticed and got over: the file ended before its pixels did,
// and the missing rows were filled with white.
struct Read_Notes {
  bool Cut_Short = false;
};

}  // namespace tolvane
