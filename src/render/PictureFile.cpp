#include "render/PictureFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include "core/files/FileNames.h"
#include "core/files/SafeFile.h"

bool WholePictureWritable(const std::string& path, int32_t width, int32_t height,
                          std::string& reason) {
  const QByteArray format = QByteArray::fromStdString(LowerExtension(path));
  const QList<QByteArray> known = QImageWriter::supportedImageFormats();
  if (format.isEmpty() || !known.contains(format)) {
    reason = "the picture format \"" + format.toStdString() + "\" is unknown. Known are: " +
             known.join(", ").toStdString() + ".";
    return false;
  }
  if (int64_t{width} * height > kMaxWholePicturePixels) {
    reason = "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels is too large for the " + format.toStdString() +
             " format, which is written whole: at most " + std::to_string(kMaxWholePicturePixels) +
             " pixels. A PNG picture can be of any size.";
    return false;
  }
  return true;
}

bool WriteWholePicture(const std::vector<uint32_t>& argb, int32_t width, int32_t height,
                       const std::string& path, std::string& reason) {
  if (!WholePictureWritable(path, width, height, reason)) return false;
  // The pixels are read where they are; the image does not own them.
  const QImage image(reinterpret_cast<const uchar*>(argb.data()), width, height,
                     static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, QByteArray::fromStdString(LowerExtension(path)));
  if (!writer.write(image)) {
    reason = writer.errorString().toStdString() + ".";
    return false;
  }
  return WriteFileReplacing(path, encoded.toStdString(), reason);
}
