// The window's own colours: exactly as designed on a light desktop palette,
// and on a dark one every text as readable against its background as in the
// light design.

#include <QApplication>
#include <QLabel>

#include "app/DesignedColours.h"
#include "ui/MainFrmFixture.h"

namespace {

QPalette DarkPalette(QColor window, QColor base, QColor text) {
  QPalette palette;
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, text);
  return palette;
}

class ColoursTest : public MainFrmTest {
 protected:
  ~ColoursTest() override { QApplication::setPalette(light_); }

  // A file without LockSignal: its edit is marked read-only.
  void OpenIn(const QPalette& palette) {
    QApplication::setPalette(palette);
    Open("LockMemSize = 1\n");
  }
  static QColor Text(QWidget* w) { return w->palette().color(w->foregroundRole()); }
  static QColor Field(QWidget* w) { return w->palette().color(QPalette::Base); }
  static QColor Behind(QWidget* w) { return w->palette().color(QPalette::Window); }

  const QPalette light_ = QApplication::palette();
};

TEST_F(ColoursTest, LightPaletteKeepsTheDesignedColours) {
  ASSERT_FALSE(IsDarkPalette(light_));
  OpenIn(light_);
  EXPECT_EQ(Field(Edit("edRootDirectory")), QColor(239, 239, 239));
  EXPECT_EQ(Field(Edit("edLockSignal")), QColor(239, 239, 239));
  EXPECT_EQ(Text(W<QLabel>("Label4")), QColor(0, 0, 255));
  EXPECT_EQ(Text(W<QLabel>("lblWarning1")), QColor(255, 0, 0));
  EXPECT_EQ(Text(W<QLabel>("lblWarning2")), QColor(255, 0, 0));
}

TEST_F(ColoursTest, DarkPaletteKeepsTheContrastOfTheLightDesign) {
  const QColor grey(239, 239, 239), white(255, 255, 255), window(240, 240, 240);
  // What black text keeps on the grey of a read-only box, and what a link
  // and a warning have on the window's grey.
  const double fieldShare = ContrastRatio(Qt::black, grey) / ContrastRatio(Qt::black, white);
  const double link = ContrastRatio(QColor(0, 0, 255), window);
  const double warning = ContrastRatio(QColor(255, 0, 0), window);
  const QPalette darks[] = {
      DarkPalette(QColor(49, 54, 59), QColor(35, 38, 41), QColor(239, 240, 241)),
      DarkPalette(QColor(53, 53, 53), QColor(25, 25, 25), QColor(255, 255, 255)),
      DarkPalette(QColor(0, 0, 0), QColor(0, 0, 0), QColor(200, 200, 200)),
  };
  for (const QPalette& dark : darks) {
    SCOPED_TRACE(dark.color(QPalette::Window).name().toStdString());
    ASSERT_TRUE(IsDarkPalette(dark));
    OpenIn(dark);
    for (const char* box : {"edRootDirectory", "edLockSignal"}) {
      QLineEdit* edit = Edit(box);
      EXPECT_NE(Field(edit), dark.color(QPalette::Base)) << box << " looks editable";
      const double share =
          ContrastRatio(Text(edit), Field(edit)) / ContrastRatio(Text(edit), dark.color(QPalette::Base));
      EXPECT_NEAR(share, fieldShare, 0.02) << box;
    }
    EXPECT_GE(ContrastRatio(Text(W<QLabel>("Label4")), Behind(W<QLabel>("Label4"))), link);
    for (const char* label : {"lblWarning1", "lblWarning2"})
      EXPECT_GE(ContrastRatio(Text(W<QLabel>(label)), Behind(W<QLabel>(label))), warning) << label;
  }
}

}  // namespace
