#include <QApplication>
#include <csignal>

#include "command_line.h"
#include "mainwindow/application.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/program_views.h"

int main(int argc, char* argv[]) {
  // A save past the file-size limit must fail with an error box, not end
  // the program with the user's work.
  std::signal(SIGXFSZ, SIG_IGN);
  // An export from the command line runs here, before any window exists.
  if (const auto status = tolvane::Run_Command_Line(argc, argv)) return *status;
  QApplication qt(argc, argv);
  QApplication::setApplicationName(tolvane::Application_Title);
  tolvane::Qt_Platform platform;
  tolvane::Application app(platform);
  app.Create_Forms();
  // Qt has taken its own options out of argv: what is left is a file to open.
  if (argc > 1) app.Tolvane->Session.Set_Start_File(argv[1]);
  tolvane::Program_Views views(platform, app);
  views.Start();
  return QApplication::exec();
}
