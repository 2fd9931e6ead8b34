#pragma once
#include <QObject>
#include <functional>

namespace tolvane {

// Reports the wheel events that a widget or any of its children (those it
// has now) receive: shift state and the wheel's x and y deltas (120 a notch).
class Wheel_Filter : public QObject {
 public:
  Wheel_Filter(QWidget* watched, std::function<void(unsigned, int, int)> on_wheel);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  std::function<void(unsigned, int, int)> on_wheel_;
};

}  // namespace tolvane
