// render-icon IN.svg SIZE OUT.png: renders an SVG picture at SIZE x SIZE pixels into a PNG file.
// The build uses it for the application icon at the sizes of the icon theme.
#include <cstdio>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: render-icon IN.svg SIZE OUT.png\n", stderr);
    return 2;
  }
  bool ok = false;
  const int size = QString::fromLocal8Bit(argv[2]).toInt(&ok);
  if (!ok || size < 1 || size > 4096) {
    std::fprintf(stderr, "render-icon: bad size %s\n", argv[2]);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render-icon: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "render-icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
