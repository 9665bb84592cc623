#pragma once

#include <vector>

#include <QDialog>
#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>

class QPaintEvent;
class QPainter;
class QPushButton;
class QShowEvent;

// The units the about box lays its content out in, from the box's outer size.
struct TAboutUnits {
  int h = 0;       // height / 100
  double w = 0.0;  // (width / 100) * 1.1

  // The point (fx units, fy units), truncated toward zero.
  QPoint At(double fx, double fy) const;
};
TAboutUnits AboutUnits(int outerWidth, int outerHeight);

// One line of text of the about box, with its font and its top-left corner.
struct TAboutText {
  QString text;
  QFont font;
  QPoint pos;
};

// What the box paints: the icon's top-left corner and the texts, in painting order.
struct TAboutLayout {
  QPoint icon;
  std::vector<TAboutText> texts;
};
TAboutLayout AboutLayout(int outerWidth, int outerHeight);

// The top-left corner of a box of the given outer size, centred on a screen of the given
// size the way the box has always been placed: a little left of the middle.
QPoint AboutBoxPlace(const QSize& screen, const QSize& box);

// The modal "About" box: paints the icon and the texts itself; its one control is OK.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent);

  // The size of the box with its window frame.
  QSize OuterSize() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void FormShow();
  void FormPaint(QPainter& painter);

  // The control keeps the name of the form.
  QPushButton* OKButton;
};
