#pragma once
#include <memory>
#include <string>
#include <vector>

#include "effects/effects_param_form.h"
#include "export/export_form.h"
#include "import/frame_extract_form.h"
#include "mainwindow/about_form.h"
#include "mainwindow/frame_size_form.h"
#include "mainwindow/frame_timing_form.h"
#include "mainwindow/replace_colour_form.h"
#include "mainwindow/tolvane.h"
#include "merge/add_trans_form.h"
#include "pcx/pcx.h"
#include "platform/platform.h"

namespace tolvane {

// The program's seven forms, created once in a fixed order, main window first.
struct Application {
  explicit Application(Platform& p) : P(p) {}
  Platform& P;
  std::unique_ptr<TTolvane> Tolvane;
  std::unique_ptr<TAdd_Trans> Add_Trans;
  std::unique_ptr<TFrame_Extract> Frame_Extract;
  std::unique_ptr<TImport_View> Import_View;
  std::unique_ptr<TAbout_Form> About_Form;
  std::unique_ptr<TFrame_Size_Form> Frame_Size_Form;
  std::unique_ptr<TEffects_Param_Form> Effects_Param_Form;
  // Not one of the seven: the PCX decoder's window, made with them.
  std::unique_ptr<TLoading_Window> Loading_Window;
  // Nor these: the export dialogs, made after them.
  std::unique_ptr<TGif_Export_Form> Gif_Export_Form;
  std::unique_ptr<TSheet_Export_Form> Sheet_Export_Form;
  // Nor this: Frame > Frame Timing's dialog.
  std::unique_ptr<TFrame_Timing_Form> Frame_Timing_Form;
  // The Palette menu's Replace Colour dialog.
  std::unique_ptr<TReplace_Colour_Form> Replace_Colour_Form;
  std::vector<std::string> Creation_Order;

  void Create_Forms();
};

}  // namespace tolvane
