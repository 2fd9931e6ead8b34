#pragma once
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "mainwindow/tolvane.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/view_helpers.h"

class QAction;
class QMenu;

namespace tolvane {

class Image_Widget;

// The main window's view. Every widget carries its control's name as its
// object name (menu actions too), so tests can find them.
class Main_View : public Form_View {
 public:
  Main_View(Qt_Platform& p, TTolvane& form);
  ~Main_View() override;

  QWidget* Window() override;
  void Sync() override;

  // Shows the window centred on the screen; the form's FormShow (the splash)
  // follows once the event loop runs.
  void Show();

  QWidget* Client() const { return client_; }
  QAction* Action(const Menu_Item& item) const;
  QMenu* Menu(const Menu_Item& item) const;
  // The timer that drives playback, for tests that wait on it.
  Timer_Driver& Anim_Timer() { return *anim_timer_; }

 private:
  class Main_Window;
  struct Binding {
    const Control* control;
    QWidget* widget;
    std::function<void()> extra;  // state beyond bounds, visible, enabled
  };
  struct Menu_Binding {
    const Menu_Item* item;
    std::vector<const Menu_Item*> parents;
    QAction* action;
    QMenu* menu;  // set for items that open a submenu
  };

  void Build_Controls();
  void Build_Menus(QWidget* menu_bar);
  void Sync_Menus();
  void Sync_Window();
  // Tells the form the window's client size and maximised state when they
  // differ from the form's.
  void Report_Window();
  void Close_Requested(bool& accept);

  template <class Handler>
  void Forward(Handler h) {
    p_.Dispatch(h);
  }

  Qt_Platform& p_;
  TTolvane& f_;
  std::unique_ptr<Main_Window> window_;
  QWidget* client_ = nullptr;
  std::vector<Binding> bindings_;
  std::vector<Image_Widget*> images_;
  std::vector<Menu_Binding> menus_;
  std::unique_ptr<Timer_Driver> anim_timer_;
  std::unique_ptr<Timer_Driver> recovery_timer_;
  bool syncing_ = false;
  bool closing_ = false;
  bool shown_ = false;
  bool report_pending_ = false;  // a resize came while a long command ran
};

}  // namespace tolvane
