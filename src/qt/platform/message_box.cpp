#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "qt/platform/qt_platform.h"

namespace tolvane {
namespace {

// A message box of our own rather than QMessageBox: the button order, the
// Escape rule and the close button's answer must be exact, and QMessageBox
// arranges buttons by the desktop's conventions.
class Message_Box : public QDialog {
 public:
  Message_Box(const QString& title, const QString& text, QStyle::StandardPixmap icon, bool has_icon,
              unsigned buttons) {
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setObjectName("Message_Box");
    auto* body = new QHBoxLayout;
    if (has_icon) {
      auto* picture = new QLabel;
      picture->setObjectName("Icon");
      picture->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
      picture->setAlignment(Qt::AlignTop);
      body->addWidget(picture);
    }
    auto* message = new QLabel(text);
    message->setObjectName("Text");
    message->setWordWrap(text.size() > 60);
    body->addWidget(message, 1);

    auto* row = new QHBoxLayout;
    row->addStretch();
    struct Choice {
      unsigned flag;
      const char* caption;
      int answer;
    };
    static constexpr Choice choices[] = {{mb_Yes, "&Yes", id_Yes},
                                         {mb_No, "&No", id_No},
                                         {mb_OK, "OK", id_OK},
                                         {mb_Cancel, "Cancel", id_Cancel}};
    for (const Choice& c : choices) {
      if (!(buttons & c.flag)) continue;
      auto* b = new QPushButton(QString::fromUtf8(c.caption));
      b->setObjectName(QString::number(c.answer));
      int answer = c.answer;
      connect(b, &QPushButton::clicked, this, [this, answer] {
        answer_ = answer;
        accept();
      });
      row->addWidget(b);
      buttons_.push_back({c.flag, b});
    }
    row->addStretch();

    auto* all = new QVBoxLayout(this);
    all->addLayout(body);
    all->addLayout(row);
    all->setSizeConstraint(QLayout::SetFixedSize);

    enter_ = Button(mb_OK) ? Button(mb_OK) : Button(mb_Yes);
    escape_ = Button(mb_Cancel) ? Button(mb_Cancel) : Button(mb_No) ? Button(mb_No) : Button(mb_OK);
    if (enter_) {
      enter_->setDefault(true);
      enter_->setFocus();
    }
  }

  int Answer() const { return answer_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
      if (escape_) escape_->click();
      return;
    }
    QDialog::keyPressEvent(e);
  }

 private:
  QPushButton* Button(unsigned flag) const {
    for (const auto& [f, b] : buttons_)
      if (f == flag) return b;
    return nullptr;
  }

  std::vector<std::pair<unsigned, QPushButton*>> buttons_;
  QPushButton* enter_ = nullptr;
  QPushButton* escape_ = nullptr;
  int answer_ = id_Cancel;  // the title-bar close button answers Cancel
};

}  // namespace

int Qt_Platform::Show_Message_Box(const std::string& text, Msg_Kind kind, unsigned buttons) {
  const char* title = "Information";
  QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
  switch (kind) {
    case Msg_Kind::Warning:
      title = "Warning";
      icon = QStyle::SP_MessageBoxWarning;
      break;
    case Msg_Kind::Error:
      title = "Error";
      icon = QStyle::SP_MessageBoxCritical;
      break;
    case Msg_Kind::Information:
      break;
    case Msg_Kind::Confirmation:
      title = "Confirm";
      icon = QStyle::SP_MessageBoxQuestion;
      break;
  }
  // The windows behind a question show what it is about: a command may have
  // changed the state (stopped playback, another frame) before it asks.
  Sync_Views();
  Message_Box box(title, QString::fromStdString(text), icon, true, buttons);
  box.adjustSize();
  Centre_On_Screen(box);
  box.exec();
  return box.Answer();
}

void Qt_Platform::Show_Error_Box(const std::string& text) {
  Message_Box box(Application_Title, QString::fromStdString(text), QStyle::SP_MessageBoxCritical,
                  true, mb_OK);
  box.adjustSize();
  Centre_On_Screen(box);
  box.exec();
}

}  // namespace tolvane
