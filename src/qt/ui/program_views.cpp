#include "qt/ui/program_views.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

// Resources of a static library must be registered by hand, from outside
// any namespace.
static void Init_Resources() { Q_INIT_RESOURCE(tolvane); }

namespace tolvane {

static bool Prepare_Application() {
  Init_Resources();
  QApplication::setFont(Program_Font());
  QApplication::setWindowIcon(QIcon(":/icons/tolvane-48.png"));
  QGuiApplication::setDesktopFileName("tolvane");
  return true;
}

Program_Views::Program_Views(Qt_Platform& p, Application& app)
    : p_(p),
      app_(app),
      main_((Prepare_Application(), p), *app.Tolvane),
      frame_size_(p, *app.Frame_Size_Form),
      about_(p, *app.About_Form),
      loading_(p, *app.Loading_Window),
      add_trans_(p, *app.Add_Trans),
      effects_param_(p, *app.Effects_Param_Form),
      frame_extract_(p, *app.Frame_Extract),
      import_view_(p, *app.Import_View),
      gif_export_(p, *app.Gif_Export_Form),
      sheet_export_(p, *app.Sheet_Export_Form),
      frame_timing_(p, *app.Frame_Timing_Form),
      replace_colour_(p, *app.Replace_Colour_Form) {
  // Dialogs belong to the main window, so the desktop keeps them above it.
  // The views still own them and are destroyed before the main window's.
  for (QWidget* dialog : {frame_size_.Window(), about_.Window(), loading_.Window(),
                          add_trans_.Window(), effects_param_.Window(), gif_export_.Window(),
                          sheet_export_.Window(), frame_timing_.Window(), replace_colour_.Window()})
    dialog->setParent(main_.Window(), dialog->windowFlags());
  // The retrieval dialog is modal; its picture window must stay usable.
  frame_extract_.Window()->setParent(main_.Window(), frame_extract_.Window()->windowFlags());
  import_view_.Window()->setParent(frame_extract_.Window(), import_view_.Window()->windowFlags());
}

void Program_Views::Start() {
  main_.Show();
  QTimer::singleShot(0, [this] { p_.Dispatch([this] { app_.Tolvane->FormShow(); }); });
}

}  // namespace tolvane
