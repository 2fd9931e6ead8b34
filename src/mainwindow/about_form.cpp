#include "mainwindow/about_form.h"

namespace tolvane {

TAbout_Form::TAbout_Form() {
  Name = "About_Form";
  Image2.B = {0, 0, 322, 202};
  Timer1.Interval = 3000;
}

void TAbout_Form::FormShow() {
  // The window takes the picture's size.
  Window.Width = Image2.B.Width;
  Window.Height = Image2.B.Height;
  Timer1.Enabled = Splash_Mode;
}

void TAbout_Form::Image2Click() {
  Timer1.Enabled = false;
  End_Modal(mr_Ok);
}

void TAbout_Form::Timer1Timer() { Image2Click(); }

}  // namespace tolvane
