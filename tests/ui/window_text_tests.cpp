#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWheelEvent>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// Where a label paints its text, in its parent's coordinates.
QRect Painted_Text(const QLabel* label) {
  const QFontMetrics fm = label->fontMetrics();
  const QString text = label->text();
  const QSize size(std::max(fm.horizontalAdvance(text), fm.boundingRect(text).width()),
                   fm.height());
  return QStyle::alignedRect(label->layoutDirection(), label->alignment(), size,
                             label->contentsRect())
      .translated(label->pos());
}

TEST_F(Program_Test, BottomLineTextsNeverRunIntoEachOther) {
  const int items[] = {0, 1, 2, 3};  // frame sizes 16, 32, 64, 128
  const int totals[] = {1, 9, 10, 99, 100, 999, 1000, 9999, 10000};
  auto* counter = Find<QLabel>("Label2");
  auto* section = Find<QLabel>("Label3");
  for (int item : items) {
    New_Anim(item);
    for (int total : totals) {
      SCOPED_TRACE(testing::Message() << "frame size " << T().Frame_Size << ", " << total);
      // The widest texts: the last frame, a section of the last frame alone.
      // Only the captions are under test, so no strip of that many frames
      // is built.
      P.Dispatch([&] {
        T().Frame_Total = total;
        T().Cur_Frame = T().Section_Start = T().Section_End = total - 1;
        T().Show_Frame();
        T().Show_Section();
      });
      ASSERT_EQ(counter->text(), QString("Frame %1 of %1").arg(total));
      ASSERT_EQ(section->text(), QString("Section: %1 to %1").arg(total));
      const QRect counter_text = Painted_Text(counter), section_text = Painted_Text(section);
      EXPECT_TRUE(counter->geometry().contains(counter_text)) << "the counter is cut off";
      EXPECT_TRUE(section->geometry().contains(section_text)) << "the section line is cut off";
      EXPECT_FALSE(counter_text.intersects(section->geometry()));
      EXPECT_FALSE(section_text.intersects(counter->geometry()));
    }
    P.Dispatch([&] {
      T().Frame_Total = 1;
      T().Cur_Frame = T().Section_Start = T().Section_End = 0;
      T().Show_Frame();
      T().Show_Section();
    });
  }
}

TEST_F(Program_Test, ZoomFactorSitsBetweenTheZoomButtons) {
  New_Anim(0);  // 16: factor 8; two Zoom Ins reach the widest text, 10:1
  Click("Zoom_In");
  Click("Zoom_In");
  auto* factor = Find<QLabel>("Label5");
  ASSERT_EQ(factor->text(), "10:1");
  const QRect text = Painted_Text(factor);
  const QRect zoom_out = Find<QWidget>("Zoom_Out")->geometry();
  const QRect zoom_in = Find<QWidget>("Zoom_In")->geometry();
  EXPECT_FALSE(factor->geometry().intersects(zoom_out));
  EXPECT_FALSE(factor->geometry().intersects(zoom_in));
  EXPECT_GE(text.left() - zoom_out.right(), 2);
  EXPECT_GE(zoom_in.left() - text.right(), 2);
  EXPECT_LE(std::abs((text.left() - factor->x()) - (factor->geometry().right() - text.right())), 1)
      << "centred";
}

TEST_F(Program_Test, CropMountCaptionClearsTheMountColourSwatch) {
  New_Anim(1);
  QRect caption, swatch, group;
  QString hint;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = Views->Frame_Size().Window();
    auto* item = Find_In_Dialog<QRadioButton>("Adjust_Method_0");
    QStyleOptionButton option;
    option.initFrom(item);
    option.text = item->text();
    const QRect contents =
        item->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, item);
    const QFontMetrics fm = item->fontMetrics();
    caption = QRect(item->mapTo(dialog, contents.topLeft()),
                    QSize(fm.horizontalAdvance(item->text()), contents.height()));
    auto* panel = Find_In_Dialog<QWidget>("Panel1");
    swatch = panel->geometry();
    group = Find_In_Dialog<QGroupBox>("Adjust_Method")->geometry();
    hint = panel->toolTip();
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  Choose(T().Controls.Resize1);
  EXPECT_EQ(Find_In_Dialog<QRadioButton>("Adjust_Method_0")->text(), "Crop/Mount");
  EXPECT_LT(caption.right(), swatch.left()) << "the swatch covers the caption";
  EXPECT_TRUE(group.contains(swatch));
  EXPECT_EQ(hint, "Mount colour: click to change");
}

TEST_F(Program_Test, ControlsNameThemselvesInTheirHints) {
  const std::pair<const char*, const char*> hints[] = {
      {"Tool6", "Select Tool"},
      {"Tool5", "Fill Tool"},
      {"Nudge1", "Nudge Left"},
      {"Nudge4", "Nudge Down"},
      {"Zoom_Out", "Zoom Out"},
      {"SpeedButton2", "First Frame"},
      {"Prev_Frame", "Previous Frame"},
      {"Play", "Play Animation"},
      {"Stop", "Stop Animation"},
      {"Repeat_Anim", "Loop Animation On/Off"},
      {"Play_Speed", "Animation Play Speed"},
      {"Pal", "Colour Palette: left click picks the first colour, right click the second"},
      {"Col_Select", "Drawing Colours: first and second"},
      {"Custom", "Custom Colours: click to change"},
      {"Label5", "Zoom Factor"},
  };
  for (const auto& [name, hint] : hints) EXPECT_EQ(Find<QWidget>(name)->toolTip(), hint) << name;
}

// Ctrl+Z steps back over the last drawing and Ctrl+U undoes it, each as its
// menu item does; Ctrl+Shift+Z and Ctrl+Y step forward.
TEST_F(Program_Test, CtrlZStepsBackAndCtrlUUndoes) {
  New_Anim(1);
  const auto keys = [&](const Menu_Item& m) { return Views->Main().Action(m)->shortcuts(); };
  EXPECT_EQ(keys(T().Controls.Undo1), QList<QKeySequence>{QKeySequence("Ctrl+U")});
  EXPECT_EQ(keys(T().Controls.StepForward1),
            (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
  for (Qt::Key key : {Qt::Key_Z, Qt::Key_U}) {
    const Colour before = T().Working_Frame.GetPixel(5, 5);
    QTest::mouseClick(Find<Image_Widget>("Zoom"), Qt::LeftButton, {}, QPoint(21, 21));
    ASSERT_NE(T().Working_Frame.GetPixel(5, 5), before) << "the pencil drew";
    Main_Window()->activateWindow();  // the dialog of New had the keyboard
    QApplication::processEvents();
    QTest::keyClick(Main_Window(), key, Qt::ControlModifier);
    EXPECT_EQ(T().Working_Frame.GetPixel(5, 5), before) << char(key);
    EXPECT_FALSE(T().Controls.Undo1.Enabled);
    EXPECT_EQ(T().Controls.StepForward1.Enabled, key == Qt::Key_Z) << "a step forward is left";
  }
}

void Turn_Wheel(QWidget* w, QPoint angle, Qt::KeyboardModifiers mods) {
  const QPointF at(w->width() / 2, w->height() / 2);
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), angle, Qt::NoButton, mods, Qt::NoScrollPhase,
                false);
  QApplication::sendEvent(w, &e);
}

TEST_F(Program_Test, WheelOverTheZoomViewScrollsAndZooms) {
  New_Anim(2);  // 64: factor 2, the frame fits
  auto* zoom = Find<Image_Widget>("Zoom");
  Turn_Wheel(zoom, {0, 120}, Qt::ControlModifier);
  EXPECT_EQ(T().View.Factor(), 3);
  EXPECT_EQ(Text_Of("Label5"), "3:1");
  Turn_Wheel(zoom, {0, -360}, Qt::NoModifier);
  EXPECT_EQ(Find<QScrollBar>("ZV")->value(), 3);
  Turn_Wheel(zoom, {0, -240}, Qt::ShiftModifier);
  EXPECT_EQ(Find<QScrollBar>("ZH")->value(), 2);
}

TEST_F(Program_Test, AboutBoxClosesWithEscapeAndEnter) {
  QWidget* about = Views->About().Window();
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
      shown = about->isVisible();
      QTest::keyClick(about, key);
    });
    Choose(T().Controls.About2);  // returns once the box has closed
    EXPECT_TRUE(shown);
    EXPECT_FALSE(about->isVisible()) << QKeySequence(key).toString().toStdString();
  }
}

TEST_F(Program_Test, CurrentFrameMarkerStandsOutInsideItsBounds) {
  New_Anim(1);
  Choose(T().Controls.Add1);
  Choose(T().Controls.Add1);
  auto* marker = Find<QWidget>("Bevel1");
  ASSERT_TRUE(marker->isVisible());
  EXPECT_EQ(marker->geometry(), QRect(68, 160, 34, 34));
  const QImage shot = Views->Main().Client()->grab().toImage();
  const QColor black(0, 0, 0), white(255, 255, 255);
  // Dark outer edge all round; inside it lit at the top left, shaded at the
  // bottom right.
  for (const QPoint p : {QPoint(68, 160), QPoint(101, 160), QPoint(68, 193), QPoint(85, 193)})
    EXPECT_EQ(shot.pixelColor(p), black) << p.x() << "," << p.y();
  EXPECT_EQ(shot.pixelColor(69, 170), white);
  EXPECT_EQ(shot.pixelColor(80, 161), white);
  EXPECT_EQ(shot.pixelColor(100, 170).value(), 128);
  // The thumbnail shows through the middle, and nothing is drawn outside.
  const Colour frame = T().Controls.Frames.Picture.GetPixel(2 * 32 + 16, 16);
  // (Pictures are drawn without alpha; only the colour counts.)
  EXPECT_EQ(shot.pixelColor(85, 177).rgb(), qRgb(frame & 0xFF, (frame >> 8) & 0xFF, frame >> 16));
  EXPECT_NE(shot.pixelColor(67, 177).rgb(), QColor(black).rgb());
  EXPECT_NE(shot.pixelColor(102, 177).rgb(), QColor(black).rgb());
}

TEST_F(Program_Test, FileDialogColumnsFitTheirContents) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"walk cycle of the knight.bmp", "b.bmp"}) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(123456, 'x'));
  }
  File_Dialog d;
  d.Filter = Bmp_Filter;
  d.File_Name = dir.filePath("b.bmp").toStdString();
  bool checked = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* view = dialog->findChild<QTreeView*>("treeView");
    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(model, nullptr);
    const QModelIndex root = view->rootIndex();
    EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root) == 2; }, 5000));
    QTest::qWait(50);
    QHeaderView* header = view->header();
    int total = 0;
    for (int column = 0; column < header->count(); ++column) {
      if (header->isSectionHidden(column)) continue;
      // As wide as its heading and each of its cells asks to be.
      int needed = header->sectionSizeHint(column);
      for (int row = 0; row < model->rowCount(root); ++row) {
        QStyleOptionViewItem option;
        option.widget = view;
        option.font = view->font();
        const QModelIndex cell = model->index(row, column, root);
        needed = std::max(needed, view->itemDelegateForIndex(cell)->sizeHint(option, cell).width());
      }
      total += header->sectionSize(column);
      EXPECT_GE(header->sectionSize(column), needed)
          << model->headerData(column, Qt::Horizontal).toString().toStdString();
    }
    EXPECT_LE(total, view->viewport()->width()) << "no sideways scrolling";
    checked = true;
    dialog->reject();
  });
  EXPECT_FALSE(P.Execute_Open_Dialog(d));
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace tolvane::ui_testing
