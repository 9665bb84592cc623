#include "app/dialogs/TAboutBox.h"

#include <cmath>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "app/Artwork.h"

namespace {

constexpr const char* kVersion = "1.0";
constexpr int kClientWidth = 249;
constexpr int kClientHeight = 198;
const QColor kBackground(128, 128, 128);
const QColor kTextColour(150, 0, 0);

// A dialog frame of the desktop the layout was designed on. Where no window manager
// reports a frame (offscreen, a bare X server) it is assumed, so that the content keeps
// its designed units instead of shrinking by a unit in height.
const QSize kAssumedFrame(6, 25);

// The fonts are given in points at 96 dots per inch and set in pixels, so that the texts
// keep their size in the fixed box on screens of any resolution.
QFont BoxFont(const QString& family, int points, bool bold, QFont::StyleHint hint) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
  font.setBold(bold);
  return font;
}

// Terminal is a bitmap font that few systems have; any fixed-pitch font stands in for it.
QFont TerminalFont(int points) {
  QFont font = BoxFont("Terminal", points, false, QFont::TypeWriter);
  if (!QFontDatabase::hasFamily("Terminal")) {
    font.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
  }
  return font;
}

}  // namespace

QPoint TAboutUnits::At(double fx, double fy) const {
  return {static_cast<int>(fx * w), static_cast<int>(fy * h)};
}

TAboutUnits AboutUnits(int outerWidth, int outerHeight) {
  return {outerHeight / 100, (outerWidth / 100) * 1.1};
}

TAboutLayout AboutLayout(int outerWidth, int outerHeight) {
  const TAboutUnits u = AboutUnits(outerWidth, outerHeight);
  const QFont arial10 = BoxFont("Arial", 10, false, QFont::SansSerif);
  const QFont arial8 = BoxFont("Arial", 8, false, QFont::SansSerif);
  return {u.At(7, 13),
          {
              {"Velmora", BoxFont("Arial", 12, true, QFont::SansSerif), u.At(54.9, 16.1)},
              {QString("version ") + kVersion, TerminalFont(11), u.At(56, 27)},
              {"Design & Programming by:", arial10, u.At(10, 41)},
              {"the Velmora developers", arial8, u.At(20, 51)},
              {"Free to explore; no warranty.", BoxFont("Courier New", 9, false, QFont::TypeWriter),
               u.At(10, 65)},
          }};
}

QPoint AboutBoxPlace(const QSize& screen, const QSize& box) {
  const int top = screen.height() / 2 - box.height() / 2;
  const int left = static_cast<int>(screen.width() / 2 - box.width() * 0.5555555555555556);
  return {left, top};
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("AboutBox");
  setWindowTitle(QString("About Velmora ") + kVersion);
  setModal(true);
  setFixedSize(kClientWidth, kClientHeight);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kBackground);
  setPalette(palette);
  setAutoFillBackground(true);
  QFont font("MS Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  setFont(font);

  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setGeometry(80, 154, 97, 33);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &TAboutBox::accept);
}

QSize TAboutBox::OuterSize() const {
  const QSize frame = frameGeometry().size();
  return frame != size() ? frame : size() + kAssumedFrame;
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TAboutBox::FormShow() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect area = screen->geometry();
    move(area.topLeft() + AboutBoxPlace(area.size(), OuterSize()));
  }
  OKButton->setFocus();
}

void TAboutBox::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  FormPaint(painter);
}

void TAboutBox::FormPaint(QPainter& painter) {
  const QSize outer = OuterSize();
  const TAboutLayout layout = AboutLayout(outer.width(), outer.height());
  painter.setRenderHint(QPainter::TextAntialiasing);
  AppIconSet().paint(&painter, QRect(layout.icon, QSize(32, 32)));
  // The texts are written on the box's own grey, as on a canvas with its brush behind.
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(kBackground);
  painter.setPen(kTextColour);
  for (const TAboutText& text : layout.texts) {
    painter.setFont(text.font);
    painter.drawText(QRect(text.pos, QSize(width(), height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text.text);
  }
}
