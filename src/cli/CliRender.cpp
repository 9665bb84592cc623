#include "cli/CliRender.h"

#include <QImage>
#include <QImageWriter>

#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"
#include "render/QImageCanvas.h"

bool RenderPng(const TFractArray& results, const TVoldViewProps& settings, const TFractProps& props,
               int32_t width, int32_t height, const std::string& path, std::string& errorText) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) {
    errorText = "Not enough memory for a picture of " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels.";
    return false;
  }
  image.fill(Qt::white);
  {
    QImageCanvas canvas(image);
    const TRect client{0, 0, width, height};
    PaintFractalRect(canvas, client, client, &results, settings, props.MaxCycle.GetValue());
  }
  QImageWriter writer(QString::fromLocal8Bit(path.c_str()), "png");
  if (!writer.write(image)) {
    errorText = "Cannot write \"" + path + "\": " + writer.errorString().toStdString();
    return false;
  }
  return true;
}
