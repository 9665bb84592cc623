#include "png/PngStream.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "core/files/SafeFile.h"

// libpng reports errors by a long jump back to the setjmp of the function that called it.
// Each function below that calls libpng sets that point first and keeps no object with a
// destructor of its own between it and the calls, so the jump skips nothing that must run.

namespace {

void PngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(text, 256, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

}  // namespace

struct TPngWriter::TState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  TReplacingFile file;
  std::string path;
  std::vector<TPngText> texts;
  std::vector<png_text> textChunks;
  std::vector<png_byte> row;
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowsWritten = 0;
  bool failed = false;
  char message[256] = {};

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
  state->path = path;
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
  if (setjmp(png_jmpbuf(s.png))) {
    errorText = std::string("The PNG picture cannot be written: ") + s.message + ".";
    return false;
  }
  png_set_write_fn(s.png, &s.file, WriteToFile, FlushFile);
  png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(s.png, encoding.level);
  png_set_compression_strategy(s.png, encoding.strategy);
  png_set_compression_buffer_size(s.png, 1 << 18);
  png_set_filter(s.png, PNG_FILTER_TYPE_BASE, encoding.filter);
  if (!s.textChunks.empty()) {
    png_set_text(s.png, s.info, s.textChunks.data(), static_cast<int>(s.textChunks.size()));
  }
  png_write_info(s.png, s.info);
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
  if (setjmp(png_jmpbuf(s.png))) {
    s.failed = true;
    errorText = std::string("The PNG picture cannot be written: ") + s.message + ".";
    return false;
  }
  png_byte* const out = s.row.data();
  for (int32_t y = 0; y < rows; ++y) {
    const uint32_t* in = argb + static_cast<size_t>(y) * static_cast<size_t>(s.width);
    for (int32_t x = 0; x < s.width; ++x) {
      const uint32_t p = in[x];
      out[3 * x] = static_cast<png_byte>(p >> 16);
      out[3 * x + 1] = static_cast<png_byte>(p >> 8);
      out[3 * x + 2] = static_cast<png_byte>(p);
    }
    png_write_row(s.png, out);
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
  if (setjmp(png_jmpbuf(s.png))) {
    s.failed = true;
    errorText = std::string("The PNG picture cannot be written: ") + s.message + ".";
    return false;
  }
  png_write_end(s.png, nullptr);
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
  char message[256] = {};

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
  if (setjmp(png_jmpbuf(s.png))) {
    errorText = std::string("it is a damaged PNG picture (") + s.message + ").";
    return false;
  }
  png_init_io(s.png, s.file);
  png_set_sig_bytes(s.png, sizeof signature);
  png_read_info(s.png, s.info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 0;
  int colourType = 0;
  int interlace = 0;
  png_get_IHDR(s.png, s.info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
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
  if (setjmp(png_jmpbuf(s.png))) {
    s.failed = true;
    errorText = std::string("it is a damaged PNG picture (") + s.message + ").";
    return false;
  }
  png_byte* const in = s.row.data();
  const int32_t channels = s.channels;
  for (int32_t y = 0; y < rows; ++y) {
    png_read_row(s.png, in, nullptr);
    uint32_t* out = argb + static_cast<size_t>(y) * static_cast<size_t>(s.width);
    for (int32_t x = 0; x < s.width; ++x) {
      const png_byte* p = in + channels * x;
      out[x] = 0xFF000000u | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | uint32_t{p[2]};
    }
  }
  s.rowsRead += rows;
  return true;
}
