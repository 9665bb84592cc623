#include "png/PngStream.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "core/files/SafeFile.h"

// libpng reports errors by a long jump back to the setjmp of the function that called it. The
// functions that call libpng where it may fail are small ones of their own, with plain values
// only, which set that point first: the jump skips nothing that must run, and no local of the
// caller is in doubt after it. They return false after an error, whose text is then in the
// buffer given to libpng.

namespace {

// The room for libpng's error text.
constexpr size_t kMessageSize = 256;

void PngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(text, kMessageSize, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool StartPng(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
              const TPngEncoding& encoding, png_textp texts, int textCount) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, encoding.level);
  png_set_compression_strategy(png, encoding.strategy);
  png_set_compression_buffer_size(png, 1 << 18);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, encoding.filter);
  if (textCount > 0) png_set_text(png, info, texts, textCount);
  png_write_info(png, info);
  return true;
}

// Writes rows of width ARGB pixels as RGB through the row buffer out.
bool PutRows(png_structp png, png_bytep out, const uint32_t* argb, int32_t width, int32_t rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (int32_t y = 0; y < rows; ++y) {
    const uint32_t* in = argb + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = in[x];
      out[3 * x] = static_cast<png_byte>(p >> 16);
      out[3 * x + 1] = static_cast<png_byte>(p >> 8);
      out[3 * x + 2] = static_cast<png_byte>(p);
    }
    png_write_row(png, out);
  }
  return true;
}

bool EndPng(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, nullptr);
  return true;
}

struct THeader {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 0;
  int colourType = 0;
  int interlace = 0;
};

bool ReadHeader(png_structp png, png_infop info, std::FILE* file, int signatureBytes,
                THeader& header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_sig_bytes(png, signatureBytes);
  png_read_info(png, info);
  png_get_IHDR(png, info, &header.width, &header.height, &header.depth, &header.colourType,
               &header.interlace, nullptr, nullptr);
  return true;
}

// Reads rows of width pixels of channels bytes through the row buffer in, as opaque ARGB.
bool GetRows(png_structp png, png_bytep in, int32_t channels, uint32_t* argb, int32_t width,
             int32_t rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (int32_t y = 0; y < rows; ++y) {
    png_read_row(png, in, nullptr);
    uint32_t* out = argb + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      const png_byte* p = in + channels * x;
      out[x] = 0xFF000000u | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | uint32_t{p[2]};
    }
  }
  return true;
}

}  // namespace

struct TPngWriter::TState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  TReplacingFile file;
  std::vector<TPngText> texts;
  std::vector<png_text> textChunks;
  std::vector<png_byte> row;
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowsWritten = 0;
  bool failed = false;
  char message[kMessageSize] = {};

  ~TState() {
    if (png != nullptr) png_destroy_write_struct(&png, &info);
  }
};

namespace {

void WriteToFile(png_structp png, png_bytep data, png_size_t size) {
  auto* file = static_cast<TReplacingFile*>(png_get_io_ptr(png));
  // A refused write is kept by the file and told when the picture is finished; the rows
  // already under way stop at the next check.
  file->Write(data, size);
}

void FlushFile(png_structp) {}

}  // namespace

TPngWriter::TPngWriter() = default;
TPngWriter::~TPngWriter() = default;

bool TPngWriter::Begin(const std::string& path, int32_t width, int32_t height,
                       const std::vector<TPngText>& texts, const TPngEncoding& encoding,
                       std::string& errorText) {
  m_state.reset();
  if (width < 1 || height < 1 || width > 65535 || height > 65535) {
    errorText = "A PNG picture of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels cannot be written: each side takes 1 to 65535 pixels.";
    return false;
  }
  auto state = std::make_unique<TState>();
  state->texts = texts;
  state->width = width;
  state->height = height;
  state->row.resize(static_cast<size_t>(width) * 3);
  for (TPngText& t : state->texts) {
    png_text chunk{};
    chunk.compression = PNG_TEXT_COMPRESSION_NONE;
    chunk.key = t.keyword.data();
    chunk.text = t.text.data();
    chunk.text_length = t.text.size();
    state->textChunks.push_back(chunk);
  }
  if (!state->file.Open(path, errorText)) return false;
  state->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state->message, PngError, PngWarning);
  if (state->png != nullptr) state->info = png_create_info_struct(state->png);
  if (state->png == nullptr || state->info == nullptr) {
    errorText = "Not enough memory to write a PNG picture.";
    return false;
  }
  TState& s = *state;
  png_set_write_fn(s.png, &s.file, WriteToFile, FlushFile);
  if (!StartPng(s.png, s.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                encoding, s.textChunks.data(), static_cast<int>(s.textChunks.size()))) {
    errorText = std::string("The PNG picture cannot be written: ") + s.message + ".";
    return false;
  }
  m_state = std::move(state);
  return true;
}

bool TPngWriter::WriteRows(const uint32_t* argb, int32_t rows, std::string& errorText) {
  if (m_state == nullptr || m_state->failed) {
    errorText = "The PNG picture cannot be written.";
    return false;
  }
  TState& s = *m_state;
  if (rows > s.height - s.rowsWritten) {
    errorText = "The PNG picture has only " + std::to_string(s.height) + " rows.";
    s.failed = true;
    return false;
  }
  if (!PutRows(s.png, s.row.data(), argb, s.width, rows)) {
    s.failed = true;
    errorText = std::string("The PNG picture cannot be written: ") + s.message + ".";
    return false;
  }
  s.rowsWritten += rows;
  if (!s.file.Good()) {
    // Told as the file tells it, with the reason the system gave.
    s.failed = true;
    s.file.Commit(errorText);
    return false;
  }
  return true;
}

bool TPngWriter::Finish(std::string& errorText) {
  if (m_state == nullptr || m_state->failed) {
    errorText = "The PNG picture cannot be written.";
    return false;
  }
  TState& s = *m_state;
  if (s.rowsWritten != s.height) {
    errorText = "The PNG picture lacks " + std::to_string(s.height - s.rowsWritten) + " of its " +
                std::to_string(s.height) + " rows.";
    s.failed = true;
    return false;
  }
  if (!EndPng(s.png)) {
    s.failed = true;
    errorText = std::string("The PNG picture cannot be written: ") + s.message + ".";
    return false;
  }
  s.failed = true;  // whatever Commit says, the writer is done
  return s.file.Commit(errorText);
}

struct TPngReader::TState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE* file = nullptr;
  std::vector<TPngText> texts;
  std::vector<png_byte> row;
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 3;
  int32_t rowsRead = 0;
  bool failed = false;
  char message[kMessageSize] = {};

  ~TState() {
    if (png != nullptr) png_destroy_read_struct(&png, &info, nullptr);
    if (file != nullptr) std::fclose(file);
  }
};

TPngReader::TPngReader() = default;
TPngReader::~TPngReader() = default;

bool TPngReader::Open(const std::string& path, std::string& errorText) {
  m_state.reset();
  auto state = std::make_unique<TState>();
  state->file = std::fopen(path.c_str(), "rb");
  if (state->file == nullptr) {
    errorText = std::string("it cannot be opened (") + std::strerror(errno) + ").";
    return false;
  }
  png_byte signature[8] = {};
  if (std::fread(signature, 1, sizeof signature, state->file) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    errorText = "it is not a PNG picture.";
    return false;
  }
  state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state->message, PngError, PngWarning);
  if (state->png != nullptr) state->info = png_create_info_struct(state->png);
  if (state->png == nullptr || state->info == nullptr) {
    errorText = "there is not enough memory to read it.";
    return false;
  }
  TState& s = *state;
  THeader header;
  if (!ReadHeader(s.png, s.info, s.file, sizeof signature, header)) {
    errorText = std::string("it is a damaged PNG picture (") + s.message + ").";
    return false;
  }
  const png_uint_32 width = header.width;
  const png_uint_32 height = header.height;
  const int depth = header.depth;
  const int colourType = header.colourType;
  const int interlace = header.interlace;
  if (depth != 8 || (colourType != PNG_COLOR_TYPE_RGB && colourType != PNG_COLOR_TYPE_RGB_ALPHA) ||
      interlace != PNG_INTERLACE_NONE || width > 65535 || height > 65535) {
    errorText = "it is not an 8-bit RGB picture without interlacing.";
    return false;
  }
  s.width = static_cast<int32_t>(width);
  s.height = static_cast<int32_t>(height);
  s.channels = colourType == PNG_COLOR_TYPE_RGB ? 3 : 4;
  png_textp chunks = nullptr;
  const int count = png_get_text(s.png, s.info, &chunks, nullptr);
  s.texts.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const png_text& c = chunks[i];
    s.texts.push_back({c.key, std::string(c.text, c.text_length)});
  }
  s.row.resize(static_cast<size_t>(s.width) * static_cast<size_t>(s.channels));
  m_state = std::move(state);
  return true;
}

int32_t TPngReader::Width() const { return m_state ? m_state->width : 0; }
int32_t TPngReader::Height() const { return m_state ? m_state->height : 0; }

const std::vector<TPngText>& TPngReader::Texts() const {
  static const std::vector<TPngText> none;
  return m_state ? m_state->texts : none;
}

const std::string* TPngReader::Text(const std::string& keyword) const {
  for (const TPngText& t : Texts()) {
    if (t.keyword == keyword) return &t.text;
  }
  return nullptr;
}

bool TPngReader::ReadRows(uint32_t* argb, int32_t rows, std::string& errorText) {
  if (m_state == nullptr || m_state->failed || rows > m_state->height - m_state->rowsRead) {
    errorText = "it has fewer rows than were asked for.";
    return false;
  }
  TState& s = *m_state;
  if (!GetRows(s.png, s.row.data(), s.channels, argb, s.width, rows)) {
    s.failed = true;
    errorText = std::string("it is a damaged PNG picture (") + s.message + ").";
    return false;
  }
  s.rowsRead += rows;
  return true;
}
