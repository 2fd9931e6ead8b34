#pragma once
#include <stdexcept>
#include <string>

namespace tolvane {

// A failure the toolkit reports to the user in an error box (an unreadable
// bitmap, a file that cannot be created, an image too large to allocate).
// Commands catch it at their edge; see platform/run_command.inl.
class Toolkit_Error : public std::runtime_error {
 public:
  explicit Toolkit_Error(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace tolvane
