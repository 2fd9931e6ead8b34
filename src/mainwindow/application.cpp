#include "mainwindow/application.h"

namespace tolvane {

void Application::Create_Forms() {
  auto made = [&](TForm& f) { Creation_Order.push_back(f.Name); };
  Tolvane = std::make_unique<TTolvane>(*this);
  Tolvane->FormCreate();
  made(*Tolvane);
  Add_Trans = std::make_unique<TAdd_Trans>(P);
  made(*Add_Trans);
  Frame_Extract = std::make_unique<TFrame_Extract>(P);
  Frame_Extract->Mount_Colour = &Tolvane->Mount_Colour;
  made(*Frame_Extract);
  Import_View = std::make_unique<TImport_View>();
  Frame_Extract->Import_View = Import_View.get();
  made(*Import_View);
  About_Form = std::make_unique<TAbout_Form>();
  made(*About_Form);
  Frame_Size_Form = std::make_unique<TFrame_Size_Form>(P);
  Frame_Size_Form->Mount_Colour = &Tolvane->Mount_Colour;
  made(*Frame_Size_Form);
  Effects_Param_Form = std::make_unique<TEffects_Param_Form>(P);
  Effects_Param_Form->Mount_Colour = &Tolvane->Mount_Colour;
  made(*Effects_Param_Form);
  Loading_Window = std::make_unique<TLoading_Window>();
  Frame_Extract->Loading_Window = Loading_Window.get();
  Gif_Export_Form = std::make_unique<TGif_Export_Form>(P);
  Sheet_Export_Form = std::make_unique<TSheet_Export_Form>(P);
  Frame_Timing_Form = std::make_unique<TFrame_Timing_Form>(P);
  Replace_Colour_Form = std::make_unique<TReplace_Colour_Form>(P);
  for (TExport_Form* form : {static_cast<TExport_Form*>(Gif_Export_Form.get()),
                             static_cast<TExport_Form*>(Sheet_Export_Form.get())}) {
    form->Mount_Colour = &Tolvane->Mount_Colour;
    form->Choices = &Tolvane->Export;
  }
}

}  // namespace tolvane
