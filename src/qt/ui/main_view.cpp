#include "qt/ui/main_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "qt/ui/dialog_widgets.h"
#include "qt/ui/frame_marker.h"
#include "qt/ui/grab_area.h"
#include "qt/ui/image_widget.h"
#include "qt/ui/wheel_filter.h"

namespace tolvane {

class Main_View::Main_Window : public QMainWindow {
 public:
  explicit Main_Window(Main_View& view) : view_(view) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  }

 protected:
  void changeEvent(QEvent* e) override {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) view_.Report_Window();
  }
  // The client area's size changes with the window's and with the menu bar's
  // height.
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Resize && watched == view_.client_) view_.Report_Window();
    return QMainWindow::eventFilter(watched, e);
  }

  void closeEvent(QCloseEvent* e) override {
    bool accept = false;
    view_.Close_Requested(accept);
    if (accept)
      e->accept();
    else
      e->ignore();
  }

 private:
  Main_View& view_;
};

namespace {

// The palette's small tool window: closing it by its title-bar button hides
// it through the form.
class Palette_Tool_Window : public QWidget {
 public:
  Palette_Tool_Window(QWidget* parent, std::function<void()> on_close)
      : QWidget(parent, Qt::Tool), on_close_(std::move(on_close)) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    on_close_();
  }

 private:
  std::function<void()> on_close_;
};

}  // namespace

Main_View::Main_View(Qt_Platform& p, TTolvane& form) : p_(p), f_(form) {
  window_ = std::make_unique<Main_Window>(*this);
  window_->setObjectName(Q(f_.Name));
  window_->setFont(Program_Font());
  window_->setWindowIcon(QIcon(":/icons/tolvane-48.png"));
  client_ = new QWidget(window_.get());
  client_->setObjectName("Client");
  window_->setCentralWidget(client_);
  client_->installEventFilter(window_.get());
  Build_Controls();
  Build_Menus(window_->menuBar());
  anim_timer_ =
      std::make_unique<Timer_Driver>(p_, f_.Controls.Anim_Timer, [this] { f_.Anim_TimerTimer(); });
  recovery_timer_ = std::make_unique<Timer_Driver>(p_, f_.Session.Recovery_Timer,
                                                   [this] { f_.Session.Recovery_Tick(); });
  p_.Register_View(f_, *this);
  Sync();
}

Main_View::~Main_View() { p_.Unregister_View(f_); }

QWidget* Main_View::Window() { return window_.get(); }

void Main_View::Build_Controls() {
  auto panel = [&](Panel& c, QWidget* parent, const char* name,
                   int shape = QFrame::NoFrame) -> QFrame* {
    auto* w = new QFrame(parent);
    w->setObjectName(name);
    w->setFrameStyle(shape);
    w->setAutoFillBackground(true);
    bindings_.push_back({&c, w, [this, w, &c] {
                           QPalette pal = w->palette();
                           const QColor colour = Panel_Colour(c.Color, *client_);
                           if (pal.color(QPalette::Window) != colour) {
                             pal.setColor(QPalette::Window, colour);
                             w->setPalette(pal);
                           }
                         }});
    return w;
  };
  auto bevel = [&](Bevel& c, QWidget* parent, const char* name,
                   int shape = QFrame::Panel | QFrame::Sunken) {
    auto* w = new QFrame(parent);
    w->setObjectName(name);
    w->setFrameStyle(shape);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    bindings_.push_back({&c, w, nullptr});
    return w;
  };
  auto label = [&](Label& c, QWidget* parent, const char* name) {
    auto* w = new QLabel(parent);
    w->setObjectName(name);
    w->setTextFormat(Qt::PlainText);
    bindings_.push_back({&c, w, [w, &c] {
                           if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
                           if (w->alignment() != Alignment_Of(c.Alignment))
                             w->setAlignment(Alignment_Of(c.Alignment));
                         }});
    return w;
  };
  auto speed = [&](Speed_Button& c, QWidget* parent, const char* name, const char* glyph,
                   int glyph_size, void (TTolvane::*click)()) {
    auto* w = new QToolButton(parent);
    w->setObjectName(name);
    w->setAutoRaise(true);
    w->setFocusPolicy(Qt::NoFocus);
    w->setIcon(QIcon(QString(":/glyphs/%1.png").arg(glyph)));
    w->setIconSize(QSize(glyph_size, glyph_size));
    w->setCheckable(c.Group_Index != 0);
    QObject::connect(w, &QToolButton::clicked,
                     [this, click] { Forward([this, click] { (f_.*click)(); }); });
    bindings_.push_back({&c, w, [w, &c] {
                           if (w->isCheckable() && w->isChecked() != c.Down) {
                             QSignalBlocker quiet(w);
                             w->setChecked(c.Down);
                           }
                         }});
    return w;
  };
  // A control's own picture, or one the form makes on request.
  auto image = [&](const Control& c, const auto& picture, QWidget* parent, const char* name) {
    auto* w = new Image_Widget(picture, parent);
    w->setObjectName(name);
    images_.push_back(w);
    bindings_.push_back({&c, w, [w] { w->Sync(); }});
    return w;
  };

  QWidget* c = client_;
  TTolvane& f = f_;

  QFrame* tools = panel(f.Controls.Panel1, c, "Panel1");
  speed(f.Controls.Tool6, tools, "Tool6", "select", 15, &TTolvane::Tool6Click);
  speed(f.Controls.Tool1, tools, "Tool1", "pencil", 15, &TTolvane::Tool1Click);
  speed(f.Controls.Tool4, tools, "Tool4", "line", 15, &TTolvane::Tool4Click);
  speed(f.Controls.Tool8, tools, "Tool8", "syringe", 15, &TTolvane::Tool8Click);
  speed(f.Controls.Tool2, tools, "Tool2", "rect_filled", 15, &TTolvane::Tool2Click);
  speed(f.Controls.Tool3, tools, "Tool3", "rect_outline", 15, &TTolvane::Tool3Click);
  speed(f.Controls.Tool5, tools, "Tool5", "bucket", 15, &TTolvane::Tool5Click);
  speed(f.Controls.Tool7, tools, "Tool7", "ellipse", 15, &TTolvane::Tool7Click);
  speed(f.Controls.Nudge1, tools, "Nudge1", "nudge_left", 15, &TTolvane::Nudge1Click);
  speed(f.Controls.Nudge3, tools, "Nudge3", "nudge_up", 15, &TTolvane::Nudge3Click);
  speed(f.Controls.Nudge4, tools, "Nudge4", "nudge_down", 15, &TTolvane::Nudge4Click);
  speed(f.Controls.Nudge2, tools, "Nudge2", "nudge_right", 15, &TTolvane::Nudge2Click);
  speed(f.Controls.Zoom_Out, tools, "Zoom_Out", "zoom_out", 15, &TTolvane::Zoom_OutClick);
  label(f.Controls.Label5, tools, "Label5");
  speed(f.Controls.Zoom_In, tools, "Zoom_In", "zoom_in", 15, &TTolvane::Zoom_InClick);

  QFrame* palette = panel(f.Controls.Panel2, c, "Panel2");
  bevel(f.Controls.Bevel4, palette, "Bevel4");
  bevel(f.Controls.Bevel6, palette, "Bevel6");
  bevel(f.Controls.Bevel5, palette, "Bevel5");
  Image_Widget* pal = image(f.Controls.Pal, f.Controls.Pal.Picture, palette, "Pal");
  pal->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
    Forward([=, this] { f_.PalMouseUp(b, s, x, y); });
  };
  image(f.Controls.Col_Select, f.Controls.Col_Select.Picture, palette, "Col_Select");
  Image_Widget* custom = image(f.Controls.Custom, f.Controls.Custom.Picture, palette, "Custom");
  custom->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
    Forward([=, this] { f_.CustomMouseUp(b, s, x, y); });
  };

  // The whole palette: beside the tools when the window has room, and in
  // its tool window.
  Image_Widget* cells = image(f.Controls.Pal_Cells, f.Controls.Pal_Cells.Picture, c, "Pal_Cells");
  cells->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
    Forward([=, this] { f_.Pal_CellsMouseUp(b, s, x, y); });
  };
  {
    auto* tool =
        new Palette_Tool_Window(window_.get(), [this] { Forward([this] { f_.Pal_ToolClose(); }); });
    tool->setObjectName("Palette_Window");
    tool->setWindowTitle("Palette");
    auto* w = new Image_Widget(f.Controls.Pal_Tool.Picture, tool);
    w->setObjectName("Pal_Tool");
    w->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
      Forward([=, this] { f_.Pal_ToolMouseUp(b, s, x, y); });
    };
    images_.push_back(w);
    const Image_Control& control = f.Controls.Pal_Tool;
    bindings_.push_back({&control, w, [this, w, tool, &control] {
                           w->Sync();
                           const QSize size(control.B.Width, control.B.Height);
                           if (tool->size() != size) tool->setFixedSize(size);
                           if (tool->isVisible() == control.Visible) return;
                           // It first opens beside the main window's right edge.
                           if (control.Visible && !tool->property("placed").toBool()) {
                             tool->move(window_->frameGeometry().topRight() + QPoint(4, 0));
                             tool->setProperty("placed", true);
                           }
                           tool->setVisible(control.Visible);
                         }});
  }

  speed(f.Controls.SpeedButton2, c, "SpeedButton2", "first", 16, &TTolvane::SpeedButton2Click);
  speed(f.Controls.SpeedButton12, c, "SpeedButton12", "last", 16, &TTolvane::SpeedButton12Click);
  speed(f.Controls.Prev_Frame, c, "Prev_Frame", "prev", 16, &TTolvane::Prev_FrameClick);
  speed(f.Controls.Next_Frame, c, "Next_Frame", "next", 16, &TTolvane::Next_FrameClick);
  speed(f.Controls.Play, c, "Play", "play", 16, &TTolvane::PlayClick);
  speed(f.Controls.Stop, c, "Stop", "stop", 16, &TTolvane::StopClick);

  QFrame* zoom_panel = panel(f.Controls.Panel3, c, "Panel3");
  bevel(f.Controls.Bevel3, zoom_panel, "Bevel3");
  Image_Widget* zoom = image(f.Controls.Zoom, f.Controls.Zoom.Picture, zoom_panel, "Zoom");
  // Moves arrive with no button held too; the form ignores them unless a
  // drag is on. While a button is held Qt keeps sending moves and the
  // release here, also from outside the view.
  zoom->setMouseTracking(true);
  zoom->setCursor(Qt::CrossCursor);
  zoom->On_Press = [this](Mouse_Button b, unsigned s, int x, int y) {
    Forward([=, this] { f_.ZoomMouseDown(b, s, x, y); });
  };
  zoom->On_Move = [this](unsigned s, int x, int y) {
    Forward([=, this] { f_.ZoomMouseMove(s, x, y); });
  };
  zoom->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
    Forward([=, this] { f_.ZoomMouseUp(b, s, x, y); });
  };
  // The selection's raised frame. A press on its border reaches neither the
  // view nor the grab area: the marker takes it and does nothing.
  QFrame* marker =
      bevel(f.Controls.Select_Marker, zoom_panel, "Select_Marker", QFrame::Panel | QFrame::Raised);
  marker->setLineWidth(1);
  marker->setAttribute(Qt::WA_TransparentForMouseEvents, false);
  {
    auto* grab = new Grab_Area(zoom_panel);
    grab->setObjectName("Select_Image");
    grab->On_Press = [this](Mouse_Button b, unsigned s, int x, int y) {
      Forward([=, this] { f_.Select_ImageMouseDown(b, s, x, y); });
    };
    grab->On_Move = [this](unsigned s, int x, int y) {
      Forward([=, this] { f_.Select_ImageMouseMove(s, x, y); });
    };
    grab->On_Release = [this](Mouse_Button b, unsigned s, int x, int y) {
      Forward([=, this] { f_.Select_ImageMouseUp(b, s, x, y); });
    };
    bindings_.push_back({&f.Controls.Select_Image, grab, nullptr});
  }
  // The view, the selection over it and the panel's border all scroll and
  // zoom by the wheel.
  new Wheel_Filter(zoom_panel, [this](unsigned s, int dx, int dy) {
    Forward([=, this] { f_.ZoomMouseWheel(s, dx, dy); });
  });

  auto scroll = [&](Scroll_Bar& bar, Qt::Orientation o, const char* name) {
    auto* w = new QScrollBar(o, c);
    w->setObjectName(name);
    w->setFocusPolicy(Qt::NoFocus);
    QObject::connect(w, &QScrollBar::valueChanged, [this, &bar](int v) {
      if (!syncing_) Forward([this, &bar, v] { bar.Set_Position(v); });
    });
    bindings_.push_back({&bar, w, [w, &bar] {
                           QSignalBlocker quiet(w);
                           if (w->minimum() != bar.Min || w->maximum() != bar.Max)
                             w->setRange(bar.Min, bar.Max);
                           if (w->value() != bar.Position) w->setValue(bar.Position);
                           w->setSingleStep(bar.Small_Change);
                           w->setPageStep(bar.Large_Change);
                         }});
  };
  scroll(f.Controls.ZH, Qt::Horizontal, "ZH");
  scroll(f.Controls.ZV, Qt::Vertical, "ZV");
  // The vertical bar's left edge overlaps the view's last columns; the
  // drawing must stay fully visible, so the view lies on top.
  zoom_panel->raise();

  {
    auto* w = new QSlider(Qt::Vertical, c);
    w->setObjectName("Play_Speed");
    // It would take the arrow keys, which go to the frames; the mouse and
    // the wheel set the speed.
    w->setFocusPolicy(Qt::NoFocus);
    w->setTickPosition(QSlider::NoTicks);
    // The slowest speed at the top, as the track bar is drawn on Windows.
    w->setInvertedAppearance(true);
    w->setInvertedControls(true);
    QObject::connect(w, &QSlider::valueChanged, [this](int v) {
      if (!syncing_) Forward([this, v] { f_.Controls.Play_Speed.Set_Position(v); });
    });
    Track_Bar& bar = f.Controls.Play_Speed;
    bindings_.push_back({&bar, w, [w, &bar] {
                           QSignalBlocker quiet(w);
                           if (w->minimum() != bar.Min || w->maximum() != bar.Max)
                             w->setRange(bar.Min, bar.Max);
                           if (w->value() != bar.Position) w->setValue(bar.Position);
                         }});
  }
  speed(f.Controls.Repeat_Anim, c, "Repeat_Anim", "loop", 9, &TTolvane::Repeat_AnimClick);
  label(f.Controls.Label1, c, "Label1");

  bevel(f.Controls.Bevel9, c, "Bevel9", QFrame::HLine | QFrame::Sunken);
  bevel(f.Controls.Bevel2, c, "Bevel2");
  Image_Widget* thumbs = image(f.Controls.Frames, f.Controls.Frames.Picture, c, "Frames");
  // A frame with a duration of its own: a small corner in its top right.
  thumbs->Paint_Over = [&f](QPainter& p) {
    const int fs = f.Frame_Size, side = std::clamp(fs / 4, 4, 8);
    p.setPen(QColor(255, 255, 255));
    p.setBrush(QColor(0, 96, 192));
    for (std::size_t k = 0; k < f.Controls.Frames_Timed.size(); ++k) {
      if (!f.Controls.Frames_Timed[k]) continue;
      const int right = (int(k) + 1) * fs - 1;
      const QPoint corner[] = {{right - side, 0}, {right, 0}, {right, side}};
      p.drawPolygon(corner, 3);
    }
  };
  {
    // Drawn over the thumbnail row: it marks the current frame.
    auto* marker = new Frame_Marker(c);
    marker->setObjectName("Bevel1");
    bindings_.push_back({&f.Controls.Bevel1, marker, nullptr});
  }
  QFrame* preview = panel(f.Controls.DSP_Panel, c, "DSP_Panel");
  bevel(f.Controls.Bevel7, preview, "Bevel7");
  image(f.Controls.Frame,
        Image_Widget::Source([&f]() -> const Raster_Image& { return f.Preview_Picture(); }),
        preview, "Frame");
  bevel(f.Controls.Bevel8, c, "Bevel8", QFrame::HLine | QFrame::Sunken);
  label(f.Controls.Label2, c, "Label2");
  label(f.Controls.Label3, c, "Label3");

  QFrame* progress =
      panel(f.Controls.Progress_Panel, c, "Progress_Panel", QFrame::Panel | QFrame::Raised);
  progress->setLineWidth(2);
  label(f.Controls.Progress_Caption, progress, "Progress_Caption");
  label(f.Controls.Progress, progress, "Progress");
  {
    auto* w = new QProgressBar(progress);
    w->setObjectName("Prog_Bar");
    w->setTextVisible(false);
    Progress_Bar& bar = f.Controls.Prog_Bar;
    bindings_.push_back({&bar, w, [w, &bar] {
                           if (w->minimum() != bar.Min || w->maximum() != bar.Max)
                             w->setRange(bar.Min, bar.Max);
                           if (w->value() != bar.Position) w->setValue(bar.Position);
                         }});
  }
  progress->raise();
}

void Main_View::Sync() {
  if (syncing_) return;
  syncing_ = true;
  // The controls' state follows the command that just ran.
  f_.Show_State();
  Sync_Window();
  for (const Binding& b : bindings_) {
    Place_Widget(*b.widget, *b.control);
    if (b.extra) b.extra();
  }
  Sync_Menus();
  anim_timer_->Sync();
  recovery_timer_->Sync();
  syncing_ = false;
  if (report_pending_ && !p_.Busy()) {
    report_pending_ = false;
    QTimer::singleShot(0, client_, [this] { Report_Window(); });
  }
  if (shown_ && !closing_ && !f_.Visible && window_->isVisible()) window_->close();
}

void Main_View::Sync_Window() {
  if (window_->windowTitle() != Q(f_.Caption)) window_->setWindowTitle(Q(f_.Caption));
  const QSize minimum(f_.Min_Client_Width, f_.Min_Client_Height);
  if (client_->minimumSize() != minimum) {
    client_->setMinimumSize(minimum);
    // The window's own minimum follows now, not at the next layout pass: a
    // smaller size set below would be held to the old one.
    window_->layout()->activate();
  }
  // The window takes the client size the form has, unless a size the user
  // gave it is still on its way to the form, or the desktop holds it
  // maximised.
  const QSize client(f_.Window.Width, f_.Window.Height);
  if (report_pending_ || window_->isMaximized() || client_->size() == client) return;
  QMenuBar* menu = window_->menuBar();
  const int menu_height =
      menu->hasHeightForWidth() ? menu->heightForWidth(client.width()) : menu->sizeHint().height();
  window_->resize(client.width(), client.height() + menu_height);
}

void Main_View::Report_Window() {
  if (syncing_ || !shown_) return;
  const QSize client = client_->size();
  const bool maximised = window_->isMaximized();
  if (client == QSize(f_.Window.Width, f_.Window.Height) && maximised == f_.Maximised) return;
  // A long command keeps input out; the size reaches the form once it ends.
  if (p_.Busy()) {
    report_pending_ = true;
    return;
  }
  Forward([this, client, maximised] {
    f_.Window_State_Change(maximised);
    f_.FormResize(client.width(), client.height());
  });
}

void Main_View::Show() {
  f_.Visible = true;
  Sync();
  Centre_On_Screen(*window_);
  if (f_.Maximised)
    window_->showMaximized();
  else
    window_->show();
  shown_ = true;
  Report_Window();
}

void Main_View::Close_Requested(bool& accept) {
  if (!f_.Visible) {
    accept = true;  // the form has already agreed (File > Exit)
    return;
  }
  if (p_.Busy()) {
    accept = false;
    return;
  }
  closing_ = true;
  Forward([this] { f_.Close(); });
  closing_ = false;
  accept = !f_.Visible;
}

}  // namespace tolvane
