#include "cli/CliRender.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include "core/files/FileNames.h"
#include "core/files/SafeFile.h"

bool CanWritePictureFormat(const std::string& path, int32_t width, int32_t height,
                           std::string& errorText) {
  const QByteArray format = QByteArray::fromStdString(LowerExtension(path));
  if (!format.isEmpty() && QImageWriter::supportedImageFormats().contains(format)) {
    if (int64_t{width} * height <= kMaxWholePicturePixels) return true;
    errorText = "Cannot write \"" + path + "\": a picture of " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels is too large for the " + format.toStdString() +
                " format, which is written whole: at most " +
                std::to_string(kMaxWholePicturePixels) + " pixels. A PNG picture can be of any size.";
    return false;
  }
  errorText = "Cannot write \"" + path + "\": the picture format \"" + format.toStdString() +
              "\" is unknown. Known are: " +
              QImageWriter::supportedImageFormats().join(", ").toStdString() + ".";
  return false;
}

bool WritePicture(const std::vector<uint32_t>& argb, int32_t width, int32_t height,
                  const std::string& path, std::string& errorText) {
  if (!CanWritePictureFormat(path, width, height, errorText)) return false;
  // The pixels are read where they are; the image does not own them.
  const QImage image(reinterpret_cast<const uchar*>(argb.data()), width, height,
                     static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, QByteArray::fromStdString(LowerExtension(path)));
  if (!writer.write(image)) {
    errorText = "Cannot write \"" + path + "\": " + writer.errorString().toStdString();
    return false;
  }
  std::string reason;
  if (!WriteFileReplacing(path, encoded.toStdString(), reason)) {
    errorText = "Cannot write \"" + path + "\": " + reason;
    return false;
  }
  return true;
}
