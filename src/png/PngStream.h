#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A text chunk of a PNG file: a keyword and its Latin-1 text.
struct TPngText {
  std::string keyword;
  std::string text;
};

// How hard the encoder works: the zlib level (0 to 9), its strategy and the PNG row filter.
// The default is fast: the fastest level and one filter for every row. On a 2000 x 2000
// picture of the Mandelbrot set it takes a fifth of the time of zlib's default level with
// adaptive filters, for a file 1.6 times as large.
struct TPngEncoding {
  int level = 1;
  int strategy = 0;   // Z_DEFAULT_STRATEGY
  int filter = 0x10;  // PNG_FILTER_SUB
};

// Writes an opaque picture as an 8-bit RGB PNG file row by row, so that a picture of any size
// is encoded in the memory of a few rows. The text chunks stand right after the header, before
// the pixels. The file at path is replaced only when Finish succeeds; a writer destroyed
// before leaves the old file as it was and nothing else behind. The same rows, texts and
// encoding always make the same bytes.
class TPngWriter {
 public:
  TPngWriter();
  TPngWriter(const TPngWriter&) = delete;
  TPngWriter& operator=(const TPngWriter&) = delete;
  ~TPngWriter();

  // Starts the file; false with errorText when it cannot be made.
  bool Begin(const std::string& path, int32_t width, int32_t height,
             const std::vector<TPngText>& texts, const TPngEncoding& encoding,
             std::string& errorText);
  // Appends rows of width ARGB pixels each (the alpha is dropped).
  bool WriteRows(const uint32_t* argb, int32_t rows, std::string& errorText);
  // Ends the picture, which must have all its rows, and puts the file in place.
  bool Finish(std::string& errorText);

 private:
  struct TState;
  std::unique_ptr<TState> m_state;
};

// Reads an 8-bit RGB or RGBA PNG file row by row, as TPngWriter writes them, with the text
// chunks before its pixels.
class TPngReader {
 public:
  TPngReader();
  TPngReader(const TPngReader&) = delete;
  TPngReader& operator=(const TPngReader&) = delete;
  ~TPngReader();

  // Opens the file and reads its header and the text chunks before the pixels; false with
  // errorText (a sentence without the file's name) when it is no such PNG.
  bool Open(const std::string& path, std::string& errorText);
  int32_t Width() const;
  int32_t Height() const;
  const std::vector<TPngText>& Texts() const;
  // The text under keyword, or null.
  const std::string* Text(const std::string& keyword) const;
  // Reads the next rows as opaque ARGB pixels.
  bool ReadRows(uint32_t* argb, int32_t rows, std::string& errorText);

 private:
  struct TState;
  std::unique_ptr<TState> m_state;
};
