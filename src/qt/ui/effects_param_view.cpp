#include "qt/ui/effects_param_view.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "qt/ui/dialog_widgets.h"
#include "qt/ui/image_widget.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

QLabel* Effects_Param_View::Make_Label(Label& c, const char* name) {
  auto* w = new QLabel(window_.get());
  w->setObjectName(name);
  w->setTextFormat(Qt::PlainText);
  syncs_.push_back([w, &c] {
    Place_Widget(*w, c);
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
    if (w->alignment() != Alignment_Of(c.Alignment)) w->setAlignment(Alignment_Of(c.Alignment));
  });
  return w;
}

QCheckBox* Effects_Param_View::Make_Check(Check_Box& c, const char* name) {
  return Make_Check_Box(window_.get(), p_, c, name, syncing_, syncs_);
}

Effects_Param_View::Effects_Param_View(Qt_Platform& p, TEffects_Param_Form& form)
    : p_(p), f_(form) {
  window_ = std::make_unique<Dialog_Window>(
      p_, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); }, [this] { f_.Close(); });
  QWidget* w = window_.get();
  w->setObjectName(Q(f_.Name));
  w->setFont(Program_Font());

  // Each preview lies inside its frame, which clips it: a frame bigger than
  // the frame shows its middle instead of covering the other controls.
  const struct {
    Bevel* bevel;
    const char* bevel_name;
    Image_Control* image;
    const char* image_name;
  } previews[] = {{&f_.Bevel2, "Bevel2", &f_.Source_DSP, "Source_DSP"},
                  {&f_.Bevel3, "Bevel3", &f_.Dest_DSP, "Dest_DSP"}};
  for (const auto& v : previews) {
    auto* frame = new QFrame(w);
    frame->setObjectName(v.bevel_name);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* picture = new Image_Widget(v.image->Picture, frame);
    picture->setObjectName(v.image_name);
    syncs_.push_back([frame, picture, bevel = v.bevel, image = v.image] {
      Place_Widget(*frame, *bevel);
      Control inside = *image;
      inside.B.Left -= bevel->B.Left;
      inside.B.Top -= bevel->B.Top;
      Place_Widget(*picture, inside);
      picture->Sync();
    });
  }

  std::vector<QWidget*>& order = window_->Tab_Order;
  auto* bar = new QSlider(Qt::Horizontal, w);
  order.push_back(bar);
  bar->setObjectName("Level_Bar");
  bar->setTickPosition(QSlider::TicksBelow);
  QObject::connect(bar, &QSlider::valueChanged, [this](int v) {
    if (!syncing_) p_.Dispatch([this, v] { f_.Level_Bar.Set_Position(v); });
  });
  syncs_.push_back([this, bar] {
    const Track_Bar& b = f_.Level_Bar;
    Place_Widget(*bar, b);
    QSignalBlocker quiet(bar);
    if (bar->minimum() != b.Min || bar->maximum() != b.Max) bar->setRange(b.Min, b.Max);
    if (bar->value() != b.Position) bar->setValue(b.Position);
    bar->setTickPosition(b.Frequency > 0 ? QSlider::TicksBelow : QSlider::NoTicks);
    if (b.Frequency > 0 && bar->tickInterval() != b.Frequency) {
      bar->setTickInterval(b.Frequency);
      bar->setPageStep(b.Frequency);  // a click beside the handle moves one tick
    }
  });

  Make_Label(f_.Label2, "Label2");
  Make_Label(f_.Label4, "Label4");
  Make_Label(f_.Label3, "Label3");
  Make_Label(f_.Label1, "Label1");

  const Spin_Field field = Make_Spin_Field(
      w, "No_Frames", f_.No_Frames.B, [this](const std::string& t) { f_.No_Frames.Text = t; },
      [this](int step) { p_.Dispatch([this, step] { f_.No_Frames.Step(step); }); },
      [this] { p_.Dispatch([this] { f_.No_Frames.Exit(); }); });
  QWidget* spin = field.box;
  Spin_Text* text = field.text;
  order.push_back(text);
  syncs_.push_back([this, spin, text] {
    Place_Widget(*spin, f_.No_Frames);
    if (text->text() != Q(f_.No_Frames.Text)) text->setText(Q(f_.No_Frames.Text));
  });

  order.push_back(Make_Check(f_.Add_New, "Add_New"));
  QCheckBox* vertical = Make_Check(f_.Vertical_Effect, "Vertical_Effect");

  auto* swatch = new Click_Panel(w, [this] { p_.Dispatch([this] { f_.Set_MountClick(); }); });
  swatch->setObjectName("Set_Mount");
  // The swatch stands left of the vertical box, on the same row.
  order.insert(order.end(), {swatch, vertical});
  syncs_.push_back([this, swatch] {
    Place_Widget(*swatch, f_.Set_Mount);
    swatch->Show_Colour(f_.Set_Mount.Color);
  });
  Make_Label(f_.Label5, "Label5");
  order.push_back(Make_Check(f_.Reverse, "Reverse"));

  const Ok_Cancel buttons = Make_Ok_Cancel(
      w, p_, f_.Ok, f_.Cancel, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); });
  QPushButton *ok = buttons.ok, *cancel = buttons.cancel;
  syncs_.push_back([this, ok, cancel] {
    Place_Widget(*ok, f_.Ok);
    Place_Widget(*cancel, f_.Cancel);
  });
  order.insert(order.end(), {ok, cancel});
  Set_Tab_Order(order);

  p_.Register_View(f_, *this);
  Sync();
}

Effects_Param_View::~Effects_Param_View() { p_.Unregister_View(f_); }

QWidget* Effects_Param_View::Window() { return window_.get(); }

void Effects_Param_View::Sync() {
  syncing_ = true;
  QWidget* w = window_.get();
  Sync_Dialog_Frame(*w, f_);
  for (auto& sync : syncs_) sync();
  syncing_ = false;
}

}  // namespace tolvane
