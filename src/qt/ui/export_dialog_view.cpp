#include "qt/ui/export_dialog_view.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "qt/ui/view_helpers.h"

namespace tolvane {

Export_Dialog_View::Export_Dialog_View(Qt_Platform& p, TExport_Form& form) : p_(p), f_(form) {
  window_ = std::make_unique<Dialog_Window>(
      p_, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); }, [this] { f_.Close(); });
  window_->setObjectName(Q(f_.Name));
  window_->setFont(Program_Font());
  auto frames = std::make_shared<Radio_Box>(
      Make_Radio_Box(window_.get(), f_.Frames_Choice, "Frames_Choice", 16, 4, [this](int i) {
        if (!syncing_) p_.Dispatch([this, i] { f_.Frames_Choice.Select(i); });
      }));
  syncs_.push_back([this, frames] {
    Place_Widget(*frames->box, f_.Frames_Choice);
    for (std::size_t i = 0; i < frames->items.size(); ++i)
      frames->items[i]->setText(Q(f_.Frames_Choice.Items[i]));
    frames->Sync();
  });
  Add_Label(f_.Scale_Label, "Scale_Label");
  Add_Spin(f_.Scale, "Scale");
}

Export_Dialog_View::Export_Dialog_View(Qt_Platform& p, TGif_Export_Form& form)
    : Export_Dialog_View(p, static_cast<TExport_Form&>(form)) {
  Add_Check(form.Loop, "Loop");
  Add_Check(form.Transparent, "Transparent");
  Add_Check(form.Dither, "Dither");
  Finish();
}

Export_Dialog_View::Export_Dialog_View(Qt_Platform& p, TSheet_Export_Form& form)
    : Export_Dialog_View(p, static_cast<TExport_Form&>(form)) {
  Add_Label(form.Columns_Label, "Columns_Label");
  Add_Spin(form.Columns, "Columns");
  Add_Label(form.Padding_Label, "Padding_Label");
  Add_Spin(form.Padding, "Padding");
  Add_Check(form.Loop, "Loop");
  Finish();
}

Export_Dialog_View::~Export_Dialog_View() { p_.Unregister_View(f_); }

QWidget* Export_Dialog_View::Window() { return window_.get(); }

void Export_Dialog_View::Add_Label(Label& c, const char* name) {
  auto* w = new QLabel(window_.get());
  w->setObjectName(name);
  w->setTextFormat(Qt::PlainText);
  syncs_.push_back([w, &c] {
    Place_Widget(*w, c);
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
  });
}

void Export_Dialog_View::Add_Spin(Spin_Edit& c, const char* name) {
  const Spin_Field field = Make_Spin_Field(
      window_.get(), name, c.B,
      [this, &c](const std::string& t) {
        if (!syncing_)
          p_.Dispatch([this, &c, t] {
            c.Text = t;
            f_.Choice_Changed();
          });
      },
      [this, &c](int step) {
        p_.Dispatch([this, &c, step] {
          c.Step(step);
          f_.Choice_Changed();
        });
      },
      [this, &c] {
        p_.Dispatch([this, &c] {
          c.Exit();
          f_.Choice_Changed();
        });
      });
  syncs_.push_back([box = field.box, text = field.text, &c] {
    Place_Widget(*box, c);
    if (text->text() != Q(c.Text)) text->setText(Q(c.Text));
  });
}

void Export_Dialog_View::Add_Check(Check_Box& c, const char* name) {
  Make_Check_Box(window_.get(), p_, c, name, syncing_, syncs_);
}

void Export_Dialog_View::Add_Buttons() {
  QWidget* w = window_.get();
  auto* swatch = new Click_Panel(w, [this] { p_.Dispatch([this] { f_.Mount_PanelClick(); }); });
  swatch->setObjectName("Mount_Panel");
  Add_Label(f_.Info, "Info");
  const Ok_Cancel buttons = Make_Ok_Cancel(
      w, p_, f_.Ok, f_.Cancel, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); });
  QPushButton *ok = buttons.ok, *cancel = buttons.cancel;
  syncs_.push_back([this, swatch, ok, cancel] {
    Place_Widget(*swatch, f_.Mount_Panel);
    swatch->Show_Colour(f_.Mount_Panel.Color);
    Place_Widget(*ok, f_.Ok);
    Place_Widget(*cancel, f_.Cancel);
  });
}

void Export_Dialog_View::Finish() {
  Add_Buttons();
  p_.Register_View(f_, *this);
  Sync();
}

void Export_Dialog_View::Sync() {
  syncing_ = true;
  Sync_Dialog_Frame(*window_, f_);
  for (auto& sync : syncs_) sync();
  syncing_ = false;
}

}  // namespace tolvane
