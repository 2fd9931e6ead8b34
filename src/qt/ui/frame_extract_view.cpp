#include "qt/ui/frame_extract_view.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "qt/ui/dialog_widgets.h"
#include "qt/ui/image_widget.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

namespace {

// The crop square: draws nothing (the marker around it shows where it is)
// and reports the mouse in its own coordinates.
class Crop_Square : public QWidget {
 public:
  using QWidget::QWidget;
  std::function<void(Mouse_Button, unsigned, int, int)> On_Press, On_Release;
  std::function<void(unsigned, int, int)> On_Move;

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (auto b = Button_Of(e->button()))
      On_Press(*b, Shift_Of(e->modifiers()), int(e->position().x()), int(e->position().y()));
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    On_Move(Shift_Of(e->modifiers()), int(e->position().x()), int(e->position().y()));
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (auto b = Button_Of(e->button()))
      On_Release(*b, Shift_Of(e->modifiers()), int(e->position().x()), int(e->position().y()));
  }
};

}  // namespace

Frame_Extract_View::Frame_Extract_View(Qt_Platform& p, TFrame_Extract& form) : p_(p), f_(form) {
  window_ = std::make_unique<Dialog_Window>(
      p_, [this] { f_.OkClick(); }, [this] { f_.Close(); }, [this] { f_.Close(); });
  window_->setObjectName(Q(f_.Name));
  window_->setFont(Program_Font());
  Build();
  p_.Register_View(f_, *this);
  Sync();
}

Frame_Extract_View::~Frame_Extract_View() { p_.Unregister_View(f_); }

QWidget* Frame_Extract_View::Window() { return window_.get(); }

void Frame_Extract_View::Add_Spin(Spin_Edit& s, const char* name) {
  const Spin_Field field = Make_Spin_Field(
      window_.get(), name, s.B,
      [this, &s](const std::string& t) {
        p_.Dispatch([this, &s, t] {
          s.Text = t;
          f_.Field_Edited(s);
        });
      },
      [this, &s](int step) {
        p_.Dispatch([this, &s, step] { f_.Field_Set(s, TFrame_Extract::Field_Value(s) + step); });
      },
      [this, &s] { p_.Dispatch([this, &s] { f_.Field_Exit(s); }); });
  QWidget* box = field.box;
  Spin_Text* text = field.text;
  bindings_.push_back({&s, box, [text, &s] {
                         if (text->text() != Q(s.Text)) text->setText(Q(s.Text));
                       }});
  window_->Tab_Order.push_back(text);
}

void Frame_Extract_View::Add_Group(Radio_Group& g, const char* name) {
  Radio_Box result = Make_Radio_Box(window_.get(), g, name, 14, 2, [this, &g](int i) {
    if (!syncing_) p_.Dispatch([&g, i] { g.Select(i); });
  });
  bindings_.push_back({&g, result.box, nullptr});
  groups_.push_back(result);
}

void Frame_Extract_View::Add_To_Tab_Order(const Radio_Group& g) {
  for (const Radio_Box& box : groups_)
    if (box.group == &g)
      window_->Tab_Order.insert(window_->Tab_Order.end(), box.items.begin(), box.items.end());
}

void Frame_Extract_View::Build() {
  QWidget* w = window_.get();
  TFrame_Extract& f = f_;
  auto group_box = [&](Group_Box& c, const char* name) {
    auto* box = new QGroupBox(Q(c.Caption), w);
    box->setObjectName(name);
    bindings_.push_back({&c, box, nullptr});
  };
  auto label = [&](Label& c, QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    bindings_.push_back({&c, l, [l, &c] {
                           if (l->text() != Q(c.Caption)) l->setText(Q(c.Caption));
                           if (l->alignment() != Alignment_Of(c.Alignment))
                             l->setAlignment(Alignment_Of(c.Alignment));
                         }});
  };
  auto bevel = [&](Bevel& c, QWidget* parent, const char* name, int shape) {
    auto* b = new QFrame(parent);
    b->setObjectName(name);
    b->setFrameStyle(shape);
    b->setAttribute(Qt::WA_TransparentForMouseEvents);
    bindings_.push_back({&c, b, nullptr});
    return b;
  };
  auto image = [&](Image_Control& c, QWidget* parent, const char* name) {
    auto* i = new Image_Widget(c.Picture, parent);
    i->setObjectName(name);
    bindings_.push_back({&c, i, [i] { i->Sync(); }});
    return i;
  };
  auto speed = [&](Speed_Button& c, const char* name, const char* glyph,
                   void (TFrame_Extract::*click)()) {
    auto* b = new QToolButton(w);
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(QIcon(QString(":/glyphs/%1.png").arg(glyph)));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(Q(c.Hint));
    QObject::connect(b, &QToolButton::clicked,
                     [this, click] { p_.Dispatch([this, click] { (f_.*click)(); }); });
    bindings_.push_back({&c, b, nullptr});
  };
  auto button = [&](Button& c, const char* name, const char* glyph,
                    void (TFrame_Extract::*click)()) {
    auto* b = new QPushButton(QIcon(QString(":/glyphs/%1.png").arg(glyph)), Q(c.Caption), w);
    b->setObjectName(name);
    QObject::connect(b, &QPushButton::clicked,
                     [this, click] { p_.Dispatch([this, click] { (f_.*click)(); }); });
    bindings_.push_back({&c, b, nullptr});
    return b;
  };

  group_box(f.GroupBox1, "GroupBox1");
  group_box(f.GroupBox2, "GroupBox2");
  group_box(f.GroupBox3, "GroupBox3");
  Add_Group(f.Adjust_Type, "Adjust_Type");
  Add_Group(f.Lines, "Lines");
  // Fields, labels and the swatch sit over the frames around them.
  Add_Spin(f.Frame_W, "Frame_W");
  label(f.Label1, w, "Label1");
  Add_Spin(f.Frame_H, "Frame_H");
  Add_Spin(f.dest_fs, "dest_fs");
  label(f.Label2, w, "Label2");
  label(f.Label3, w, "Label3");
  Add_Spin(f.top_border, "top_border");
  label(f.Label4, w, "Label4");
  Add_Spin(f.Left_Border, "Left_Border");
  {
    auto* swatch = new Click_Panel(w, [this] { p_.Dispatch([this] { f_.Set_MountClick(); }); });
    swatch->setObjectName("Set_Mount");
    swatch->setToolTip("Mount Colour");
    bindings_.push_back(
        {&f.Set_Mount, swatch, [this, swatch] { swatch->Show_Colour(f_.Set_Mount.Color); }});
    // Reading order: the fields row by row, the conversion type with its
    // swatch, the row option, then Ok and Cancel (added below).
    Add_To_Tab_Order(f.Adjust_Type);
    window_->Tab_Order.push_back(swatch);
    Add_To_Tab_Order(f.Lines);
  }

  label(f.Label5, w, "Label5");
  auto* panel2 = new QFrame(w);
  panel2->setObjectName("Panel2");
  bindings_.push_back({&f.Panel2, panel2, nullptr});
  image(f.Frame, panel2, "Frame");
  bevel(f.Crop_Marker, panel2, "Crop_Marker", QFrame::Panel | QFrame::Raised)->setLineWidth(1);
  {
    auto* crop = new Crop_Square(panel2);
    crop->setObjectName("Crop");
    crop->setCursor(Qt::SizeAllCursor);
    crop->On_Press = [this](Mouse_Button b, unsigned s, int x, int y) {
      p_.Dispatch([=, this] { f_.CropMouseDown(b, s, x, y); });
    };
    crop->On_Move = [this](unsigned s, int x, int y) {
      p_.Dispatch([=, this] { f_.CropMouseMove(s, x, y); });
    };
    crop->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
      p_.Dispatch([=, this] { f_.CropMouseUp(b, s, x, y); });
    };
    bindings_.push_back({&f.Crop, crop, nullptr});
  }
  speed(f.SpeedButton1, "SpeedButton1", "zoom_in", &TFrame_Extract::SpeedButton1Click);
  speed(f.First, "First", "first", &TFrame_Extract::FirstClick);
  speed(f.Prev, "Prev", "prev", &TFrame_Extract::PrevClick);
  speed(f.Next, "Next", "next", &TFrame_Extract::NextClick);
  speed(f.Last, "Last", "last", &TFrame_Extract::LastClick);

  label(f.Label6, w, "Label6");
  bevel(f.Bevel1, w, "Bevel1", QFrame::Panel | QFrame::Sunken);
  image(f.Final_Preview, w, "Final_Preview");
  bevel(f.Bevel3, w, "Bevel3", QFrame::HLine | QFrame::Sunken);
  label(f.Frame_Count, w, "Frame_Count");
  label(f.Label7, w, "Label7");
  QPushButton* ok = button(f.Ok, "Ok", "ok", &TFrame_Extract::OkClick);
  ok->setDefault(true);
  QPushButton* cancel = button(f.Cancel, "Cancel", "cancel", &TFrame_Extract::CancelClick);
  window_->Tab_Order.insert(window_->Tab_Order.end(), {ok, cancel});
  Set_Tab_Order(window_->Tab_Order);

  auto* progress = new QFrame(w);
  progress->setObjectName("Panel3");
  progress->setFrameStyle(QFrame::Panel | QFrame::Raised);
  progress->setLineWidth(2);
  progress->setAutoFillBackground(true);
  bindings_.push_back({&f.Panel3, progress, [progress] { progress->raise(); }});
  label(f.Label8, progress, "Label8");
  label(f.Label9, progress, "Label9");
  {
    auto* bar = new QProgressBar(progress);
    bar->setObjectName("ProgBar");
    bar->setTextVisible(false);
    Progress_Bar& b = f.ProgBar;
    bindings_.push_back({&b, bar, [bar, &b] {
                           if (bar->minimum() != b.Min || bar->maximum() != b.Max)
                             bar->setRange(b.Min, b.Max);
                           if (bar->value() != b.Position) bar->setValue(b.Position);
                         }});
  }
}

void Frame_Extract_View::Sync() {
  if (syncing_) return;
  syncing_ = true;
  QWidget* w = window_.get();
  Sync_Dialog_Frame(*w, f_);
  for (const Binding& b : bindings_) {
    Place_Widget(*b.widget, *b.control);
    if (b.extra) b.extra();
  }
  for (const Radio_Box& g : groups_) g.Sync();
  syncing_ = false;
}

}  // namespace tolvane
