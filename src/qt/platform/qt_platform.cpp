#include "qt/platform/qt_platform.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QScreen>
#include <QWidget>

#include "document/settings.h"
#include "qt/platform/document_window.h"
#include "qt/platform/qt_image.h"
#include "recovery/recovery_store.h"

namespace tolvane {

Qt_Platform::Qt_Platform() = default;
Qt_Platform::~Qt_Platform() = default;

void Qt_Platform::Register_View(const TForm& form, Form_View& view) { views_[&form] = &view; }

void Qt_Platform::Unregister_View(const TForm& form) { views_.erase(&form); }

Form_View* Qt_Platform::View_Of(const TForm& form) const {
  auto it = views_.find(&form);
  return it == views_.end() ? nullptr : it->second;
}

void Qt_Platform::Sync_Views() {
  for (auto& [form, view] : views_) view->Sync();
}

void Qt_Platform::Run_Modal(TForm& form) {
  Form_View* view = View_Of(form);
  if (!view) {
    // A form nobody can see could never be closed by the user.
    form.Close();
    return;
  }
  QWidget* w = view->Window();
  // The dialog and the windows behind it show the state as the command has
  // made it so far.
  Sync_Views();
  w->setWindowModality(Qt::ApplicationModal);
  w->show();
  w->raise();
  w->activateWindow();
  // The form ends its modal run by its own handlers (Close, Modal_Result);
  // every handler runs inside this loop, so checking after each batch of
  // events is enough.
  while (form.Visible && form.Modal_Result == mr_None)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  w->hide();
  w->setWindowModality(Qt::NonModal);
}

void Qt_Platform::Set_Wait_Cursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++wait_cursors_;
  } else if (wait_cursors_ > 0) {
    QApplication::restoreOverrideCursor();
    --wait_cursors_;
  }
}

void Qt_Platform::Process_Messages() {
  // Long operations call this to let the windows repaint. User input stays
  // queued until the command ends, and Busy() makes the views drop timer
  // ticks and any other forwarded event meanwhile: a playback tick or a
  // second command running here would change the strip under the command.
  struct Busy_Scope {
    int& n;
    explicit Busy_Scope(int& count) : n(count) { ++n; }
    ~Busy_Scope() { --n; }  // an exception must not leave input blocked for good
  } busy(busy_);
  Sync_Views();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Qt_Platform::Report_Unexpected(const char* what) {
  try {
    Show_Error_Box(Error_Box_Text(what));
    Sync_Views();
  } catch (...) {
    // Reporting failed too; the program keeps running with its state.
  }
}

void Qt_Platform::Show_Document(const std::string& title, const std::string& markdown,
                                const std::string& folder) {
  std::unique_ptr<Document_Window>& w = documents_[title];
  if (!w) w = std::make_unique<Document_Window>();
  w->Show_Markdown(QString::fromStdString(title),
                   QString::fromUtf8(markdown.data(), qsizetype(markdown.size())),
                   QString::fromStdString(folder));
}

std::string Qt_Platform::Executable_Path() {
  return QCoreApplication::applicationFilePath().toStdString();
}

std::string Qt_Platform::Settings_Path() { return Default_Settings_Path(); }

std::string Qt_Platform::Recovery_Folder() { return Default_Recovery_Folder(); }

void Centre_On_Screen(QWidget& w) {
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    w.move(area.x() + (area.width() - w.width()) / 2, area.y() + (area.height() - w.height()) / 2);
  }
}

int Qt_Platform::Screen_Width() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->availableGeometry().width() : 1024;
}

int Qt_Platform::Screen_Height() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->availableGeometry().height() : 768;
}

QImage To_QImage(const Raster_Image& image) {
  QImage result(image.Width(), image.Height(), QImage::Format_RGB32);
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* src = image.Row(y);
    auto* dst = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < image.Width(); ++x)
      dst[x] = qRgb(Red_Of(src[x]), Green_Of(src[x]), Blue_Of(src[x]));
  }
  return result;
}

namespace {

Colour Over(QRgb c, Colour background) {
  const int a = qAlpha(c);
  auto blend = [a](int v, int b) { return (v * a + b * (255 - a) + 127) / 255; };
  return Rgb(blend(qRed(c), int(Red_Of(background))), blend(qGreen(c), int(Green_Of(background))),
             blend(qBlue(c), int(Blue_Of(background))));
}

}  // namespace

Raster_Image From_QImage_Keyed(const QImage& image, Colour key) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  Raster_Image result(argb.width(), argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    Colour* dst = result.Row(y);
    for (int x = 0; x < argb.width(); ++x) dst[x] = Over(src[x], key);
  }
  return result;
}

Raster_Image From_QImage(const QImage& image) {
  // Frames have no transparency: pictures with alpha come in composited over
  // white, the colour of a new frame. Opaque pixels keep their exact values.
  return From_QImage_Keyed(image, 0xFFFFFF);
}

QImage To_QImage_Keyed(const Raster_Image& image, Colour key) {
  QImage result(image.Width(), image.Height(), QImage::Format_ARGB32);
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* src = image.Row(y);
    auto* dst = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < image.Width(); ++x)
      dst[x] = qRgba(Red_Of(src[x]), Green_Of(src[x]), Blue_Of(src[x]),
                     (src[x] & Colour_Mask) == key ? 0 : 255);
  }
  return result;
}

void Qt_Platform::Clipboard_Put(const Raster_Image& image) {
  QApplication::clipboard()->setImage(clipboard_key_ ? To_QImage_Keyed(image, *clipboard_key_)
                                                     : To_QImage(image));
}

bool Qt_Platform::Clipboard_Has_Image() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasImage();
}

bool Qt_Platform::Clipboard_Image_Size(int& width, int& height) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (!data || !data->hasImage()) return false;
  // Another program's picture arrives encoded: its header gives the size
  // without decoding the pixels.
  QStringList formats = data->formats();
  formats.removeIf([](const QString& f) { return !f.startsWith("image/"); });
  if (formats.removeAll("image/png") > 0) formats.prepend("image/png");
  for (const QString& format : formats) {
    QByteArray bytes = data->data(format);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer).size();
    if (size.isValid()) {
      width = size.width();
      height = size.height();
      return true;
    }
  }
  // A picture this program put there is held decoded.
  const QImage own = qvariant_cast<QImage>(data->imageData());
  if (own.isNull()) return false;
  width = own.width();
  height = own.height();
  return true;
}

bool Qt_Platform::Clipboard_Get(Raster_Image& image) {
  const QImage picture = QApplication::clipboard()->image();
  if (picture.isNull()) return false;
  image = clipboard_key_ ? From_QImage_Keyed(picture, *clipboard_key_) : From_QImage(picture);
  return true;
}

}  // namespace tolvane
