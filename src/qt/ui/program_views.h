#pragma once
#include <memory>

#include "mainwindow/application.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/about_view.h"
#include "qt/ui/add_trans_view.h"
#include "qt/ui/effects_param_view.h"
#include "qt/ui/export_dialog_view.h"
#include "qt/ui/frame_extract_view.h"
#include "qt/ui/frame_size_view.h"
#include "qt/ui/frame_timing_view.h"
#include "qt/ui/import_view.h"
#include "qt/ui/loading_view.h"
#include "qt/ui/main_view.h"
#include "qt/ui/replace_colour_view.h"

namespace tolvane {

// The views of the program's forms. The forms without a view yet have no
// behaviour to show.
class Program_Views {
 public:
  Program_Views(Qt_Platform& p, Application& app);

  // Shows the main window; its FormShow (the splash) runs as soon as the
  // event loop does, so the splash opens over a visible main window.
  void Start();

  Main_View& Main() { return main_; }
  Frame_Size_View& Frame_Size() { return frame_size_; }
  About_View& About() { return about_; }
  Loading_View& Loading() { return loading_; }
  Add_Trans_View& Add_Trans() { return add_trans_; }
  Effects_Param_View& Effects_Param() { return effects_param_; }
  Frame_Extract_View& Frame_Extract() { return frame_extract_; }
  Export_Dialog_View& Gif_Export() { return gif_export_; }
  Export_Dialog_View& Sheet_Export() { return sheet_export_; }
  Frame_Timing_View& Frame_Timing() { return frame_timing_; }
  Replace_Colour_View& Replace_Colour() { return replace_colour_; }

 private:
  Qt_Platform& p_;
  Application& app_;
  Main_View main_;
  Frame_Size_View frame_size_;
  About_View about_;
  Loading_View loading_;
  Add_Trans_View add_trans_;
  Effects_Param_View effects_param_;
  Frame_Extract_View frame_extract_;
  Import_Picture_View import_view_;
  Export_Dialog_View gif_export_;
  Export_Dialog_View sheet_export_;
  Frame_Timing_View frame_timing_;
  Replace_Colour_View replace_colour_;
};

}  // namespace tolvane
