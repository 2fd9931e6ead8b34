#pragma once
#include <functional>
#include <string>

#include "mainwindow/tolvane.h"

namespace tolvane {

// The main window's progress panel for the length of a long command: shown
// when made, stepped by the command, hidden when it goes out of scope, also
// when the command ends in an exception (before the error box shows).
class Progress_Shown {
 public:
  Progress_Shown(TTolvane& window, int steps, const std::string& caption) : t_(window) {
    t_.Progress_Show(steps, caption);
  }
  ~Progress_Shown() { t_.Progress_Hide(); }
  Progress_Shown(const Progress_Shown&) = delete;
  Progress_Shown& operator=(const Progress_Shown&) = delete;

  void Step(int i, int n) { t_.Progress_Step(i, n); }
  // The step as the long loops of effects/, merge/ and the GIF writer take it.
  std::function<void(int, int)> Stepper() {
    return [this](int i, int n) { Step(i, n); };
  }

 private:
  TTolvane& t_;
};

}  // namespace tolvane
