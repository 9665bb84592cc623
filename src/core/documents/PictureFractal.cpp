#include "core/documents/PictureFractal.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "core/documents/FractalFile.h"
#include "core/files/SafeFile.h"

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr size_t kSignatureSize = 8;

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void AppendBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFFu);
}

uint32_t BigEndianAt(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool IsPng(const std::string& bytes) {
  return bytes.size() >= kSignatureSize && bytes.compare(0, kSignatureSize, kSignature) == 0;
}

}  // namespace

uint32_t PngCrc(const std::string& bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = CrcTable()[(c ^ b) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  AppendBigEndian(chunk, static_cast<uint32_t>(data.size()));
  const std::string typed = type + data;
  chunk += typed;
  AppendBigEndian(chunk, PngCrc(typed));
  return chunk;
}

bool EmbedFractal(const std::string& png, const std::string& fractalBytes, std::string& out,
                  std::string& errorText) {
  // The header chunk comes first and is 13 bytes long: 8 + 4 + 4 + 13 + 4 bytes in all.
  constexpr size_t kAfterHeader = kSignatureSize + 25;
  if (!IsPng(png) || png.size() < kAfterHeader || BigEndianAt(png, kSignatureSize) != 13 ||
      png.compare(12, 4, "IHDR") != 0) {
    errorText = "the picture is not a PNG picture.";
    return false;
  }
  out = png.substr(0, kAfterHeader);
  out += PngChunk("tEXt", std::string(kFractalChunkKeyword) + '\0' + fractalBytes);
  out.append(png, kAfterHeader, std::string::npos);
  return true;
}

bool ExtractFractal(const std::string& png, std::string& fractalBytes, std::string& errorText) {
  if (!IsPng(png)) {
    errorText = "the file is not a PNG picture.";
    return false;
  }
  const std::string keyword = std::string(kFractalChunkKeyword) + '\0';
  for (size_t at = kSignatureSize;;) {
    if (png.size() - at < 12) {
      errorText = "the picture holds no fractal.";
      return false;
    }
    const uint32_t length = BigEndianAt(png, at);
    if (length > png.size() - at - 12) {
      errorText = "the picture is cut short.";
      return false;
    }
    const std::string type = png.substr(at + 4, 4);
    const size_t data = at + 8;
    if (type == "tEXt" && png.compare(data, keyword.size(), keyword) == 0 &&
        length >= keyword.size()) {
      if (PngCrc(png.substr(at + 4, length + 4)) != BigEndianAt(png, data + length)) {
        errorText = "the picture's fractal is damaged: its check sum does not match.";
        return false;
      }
      fractalBytes = png.substr(data + keyword.size(), length - keyword.size());
      return true;
    }
    if (type == "IEND") {
      errorText = "the picture holds no fractal.";
      return false;
    }
    at = data + length + 4;
  }
}

TXMLReadStatus LoadFractalPicture(const std::string& path, TVoldViewProps& settings,
                                  TFractProps& props, std::string& message) {
  // The fractal stands near the start; a poster's pixels after it are never read.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    message.clear();
    return TXMLReadStatus::CannotOpen;
  }
  std::string bytes;
  char buffer[65536];
  size_t got = 0;
  while (bytes.size() < kMaxReadableFileSize &&
         (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    message = "the picture cannot be read.";
    return TXMLReadStatus::Failed;
  }
  std::string fractal;
  if (!ExtractFractal(bytes, fractal, message)) return TXMLReadStatus::Failed;
  return LoadFractalBytes(fractal, settings, props, message);
}
