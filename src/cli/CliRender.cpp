#include "cli/CliRender.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include "core/documents/PictureFractal.h"
#include "core/files/SafeFile.h"

bool WritePicturePng(const std::vector<uint32_t>& argb, int32_t width, int32_t height,
                     const std::string& fractalBytes, const std::string& path,
                     std::string& errorText) {
  // The pixels are read where they are; the image does not own them.
  const QImage image(reinterpret_cast<const uchar*>(argb.data()), width, height,
                     static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) {
    errorText = "Cannot write \"" + path + "\": " + writer.errorString().toStdString();
    return false;
  }
  std::string png;
  if (!EmbedFractal(encoded.toStdString(), fractalBytes, png, errorText)) {
    errorText = "Cannot write \"" + path + "\": " + errorText;
    return false;
  }
  std::string reason;
  if (!WriteFileReplacing(path, png, reason)) {
    errorText = "Cannot write \"" + path + "\": " + reason;
    return false;
  }
  return true;
}
