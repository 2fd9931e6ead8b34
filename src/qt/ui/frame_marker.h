#pragma once
#include <QWidget>

namespace tolvane {

// The current-frame marker over the thumbnail row: a two-pixel raised frame
// with a dark outer edge, drawn inside its own bounds and open in the middle
// so the thumbnail shows through. It takes no mouse input.
class Frame_Marker : public QWidget {
 public:
  explicit Frame_Marker(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
};

}  // namespace tolvane
