#include "core/colour/PaletteFormats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string_view>
#include <vector>

#include "core/colour/TColorPalette1DItem.h"
#include "core/files/FileNames.h"
#include "core/files/SafeFile.h"
#include "core/report/ErrorReporter.h"
#include "core/xml/TXMLToken.h"

namespace {

// Lines and words ------------------------------------------------------------------------------

// The lines of a text file: LF or CR LF ends, a UTF-8 byte order mark skipped, no empty line
// after a last line end. Numbers count from 1.
class TLines {
 public:
  explicit TLines(const std::string& bytes) : m_bytes(bytes) {
    if (m_bytes.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
  }
  bool Next(std::string_view& line) {
    if (m_pos >= m_bytes.size()) return false;
    std::size_t end = m_bytes.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_bytes.size();
    line = m_bytes.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_pos = end + 1;
    ++m_number;
    return true;
  }
  // The number of the line Next gave last; 0 before the first.
  int Number() const { return m_number; }

 private:
  std::string_view m_bytes;
  std::size_t m_pos = 0;
  int m_number = 0;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsSpace(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return IsSpace(c); });
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string LineMessage(int line, const std::string& text) {
  return "line " + std::to_string(line) + ": " + text;
}

// A word shown in a message: quoted, cut short when it is long, and anything but printable
// ASCII shown as "?".
std::string Shown(std::string_view word) {
  std::string text(word.substr(0, 40));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
  }
  return "\"" + text + (word.size() > 40 ? "...\"" : "\"");
}

// A whole number of decimal digits, at most 9 of them.
bool ParseCount(std::string_view word, int& value) {
  if (word.empty() || word.size() > 9) return false;
  int v = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

// A channel of 0..255 written in decimal digits.
bool ParseChannel(std::string_view word, uint8_t& value) {
  while (word.size() > 1 && word.front() == '0') word.remove_prefix(1);
  int v = 0;
  if (!ParseCount(word, v) || v > 255) return false;
  value = static_cast<uint8_t>(v);
  return true;
}

// Three channels from the front of words; false with the message for line otherwise.
bool ParseRgb(const std::vector<std::string_view>& words, int line, TColor& color,
              std::string& message) {
  uint8_t rgb[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (static_cast<std::size_t>(i) >= words.size()) {
      const std::string count = std::to_string(i);
      message = LineMessage(
          line, "a colour needs three numbers (red, green and blue), this line has " + count + ".");
      return false;
    }
    if (!ParseChannel(words[i], rgb[i])) {
      message = LineMessage(line, Shown(words[i]) + " is not a whole number from 0 to 255.");
      return false;
    }
  }
  color = MakeColor(rgb[0], rgb[1], rgb[2]);
  return true;
}

// Building a palette --------------------------------------------------------------------------

struct TStop {
  double position;
  TColor before;
  TColor after;
};

// The palette of stops, the first at 0 and the last at 1 with strictly ascending positions
// between them. The begin and the end stop keep only their ColorBefore.
void BuildPalette(const std::vector<TStop>& stops, TColorPalette1DItem& palette) {
  TColorPalette1DItem fresh(stops.front().before, stops.back().before);
  TColorPalette1DItem* last = &fresh;
  for (std::size_t i = 1; i + 1 < stops.size(); ++i) {
    // Insert walks on from the stop it is called on: from the last one it links in at once.
    last = last->Insert(stops[i].position, stops[i].before);
    if (stops[i].after != stops[i].before) {
      last->SetUseColorAfter(true);
      last->SetColorAfter(stops[i].after);
    }
  }
  palette = fresh;
}

// The position of colour i of count colours spread evenly from 0 to 1. WriteGplPalette
// relies on this very expression.
double EvenPosition(std::size_t i, std::size_t count) {
  return static_cast<double>(i) / static_cast<double>(count - 1);
}

void BuildEvenPalette(const std::vector<TColor>& colors, TColorPalette1DItem& palette) {
  std::vector<TStop> stops;
  if (colors.size() == 1) {
    stops = {{0.0, colors[0], colors[0]}, {1.0, colors[0], colors[0]}};
  } else {
    for (std::size_t i = 0; i < colors.size(); ++i) {
      stops.push_back({EvenPosition(i, colors.size()), colors[i], colors[i]});
    }
  }
  BuildPalette(stops, palette);
}

// GIMP gradients -------------------------------------------------------------------------------

// GIMP's own bound below which a middle counts as at an end.
constexpr double kGimpEpsilon = 1e-10;
// Positions this close to where they belong are put there (files write 6 decimals).
constexpr double kDrift = 1e-6;

enum TBlend { kLinear = 0, kCurved, kSine, kSphereIncreasing, kSphereDecreasing, kStep };
enum TColouring { kRgb = 0, kHsvCcw, kHsvCw };

struct TRgb {
  double r, g, b;
};

struct TSegment {
  double left, middle, right;
  TRgb leftColor, rightColor;
  int blend, colouring;
  int line;
};

double LinearFactor(double middle, double pos) {
  if (pos <= middle) return middle < kGimpEpsilon ? 0.0 : 0.5 * pos / middle;
  pos -= middle;
  middle = 1.0 - middle;
  return middle < kGimpEpsilon ? 1.0 : 0.5 + 0.5 * pos / middle;
}

// The blending function applied to a factor of the linear blend.
double Shaped(int blend, double linear) {
  switch (blend) {
    case kSine:
      return (std::sin(-std::numbers::pi / 2.0 + std::numbers::pi * linear) + 1.0) / 2.0;
    case kSphereIncreasing: {
      const double p = linear - 1.0;
      return std::sqrt(std::max(0.0, 1.0 - p * p));
    }
    case kSphereDecreasing:
      return 1.0 - std::sqrt(std::max(0.0, 1.0 - linear * linear));
    default:
      return linear;
  }
}

// The factor of the right colour at pos (0..1 within the segment), as GIMP computes it.
double Factor(int blend, double middle, double pos) {
  switch (blend) {
    case kCurved:
      if (middle < kGimpEpsilon) return 1.0;
      if (1.0 - middle < kGimpEpsilon) return 0.0;
      // The ends directly: the logarithm of 0 would raise a floating-point flag.
      if (pos <= 0.0) return 0.0;
      if (pos >= 1.0) return 1.0;
      return std::exp(-std::numbers::ln2 * std::log(pos) / std::log(middle));
    case kStep:
      return pos >= middle ? 1.0 : 0.0;
    default:
      return Shaped(blend, LinearFactor(middle, pos));
  }
}

// The factor just inside the left (or the right) end, which a middle at that end makes differ
// from the factor at the end itself.
double InsideFactor(int blend, double middle, bool left) {
  switch (blend) {
    case kCurved:
      if (middle < kGimpEpsilon) return 1.0;
      if (1.0 - middle < kGimpEpsilon) return 0.0;
      return left ? 0.0 : 1.0;
    case kStep:
      if (left) return middle < kGimpEpsilon ? 1.0 : 0.0;
      return 1.0 - middle < kGimpEpsilon ? 0.0 : 1.0;
    default:
      if (left) return Shaped(blend, middle < kGimpEpsilon ? 0.5 : 0.0);
      return Shaped(blend, 1.0 - middle < kGimpEpsilon ? 0.5 : 1.0);
  }
}

struct THsv {
  double h, s, v;
};

THsv ToHsv(const TRgb& c) {
  const double max = std::max({c.r, c.g, c.b});
  const double min = std::min({c.r, c.g, c.b});
  const double delta = max - min;
  THsv hsv{0.0, max > 0.0 ? delta / max : 0.0, max};
  if (hsv.s > 0.0) {
    if (c.r == max) {
      hsv.h = (c.g - c.b) / delta;
    } else if (c.g == max) {
      hsv.h = 2.0 + (c.b - c.r) / delta;
    } else {
      hsv.h = 4.0 + (c.r - c.g) / delta;
    }
    hsv.h /= 6.0;
    if (hsv.h < 0.0) hsv.h += 1.0;
  }
  return hsv;
}

TRgb ToRgb(const THsv& hsv) {
  if (hsv.s <= 0.0) return {hsv.v, hsv.v, hsv.v};
  double hue = hsv.h - std::floor(hsv.h);
  hue *= 6.0;
  const int sector = std::clamp(static_cast<int>(hue), 0, 5);
  const double f = hue - sector;
  const double w = hsv.v * (1.0 - hsv.s);
  const double q = hsv.v * (1.0 - hsv.s * f);
  const double t = hsv.v * (1.0 - hsv.s * (1.0 - f));
  switch (sector) {
    case 0:
      return {hsv.v, t, w};
    case 1:
      return {q, hsv.v, w};
    case 2:
      return {w, hsv.v, t};
    case 3:
      return {w, q, hsv.v};
    case 4:
      return {t, w, hsv.v};
    default:
      return {hsv.v, w, q};
  }
}

// The colour of the segment where the right colour has the weight factor.
TRgb Blend(const TSegment& s, double factor) {
  const TRgb& a = s.leftColor;
  const TRgb& b = s.rightColor;
  if (s.colouring == kRgb) {
    return {a.r + (b.r - a.r) * factor, a.g + (b.g - a.g) * factor, a.b + (b.b - a.b) * factor};
  }
  THsv left = ToHsv(a);
  const THsv right = ToHsv(b);
  left.s += (right.s - left.s) * factor;
  left.v += (right.v - left.v) * factor;
  if (s.colouring == kHsvCcw) {
    if (left.h < right.h) {
      left.h += (right.h - left.h) * factor;
    } else {
      left.h += (1.0 - (left.h - right.h)) * factor;
      if (left.h > 1.0) left.h -= 1.0;
    }
  } else {
    if (right.h < left.h) {
      left.h -= (left.h - right.h) * factor;
    } else {
      left.h -= (1.0 - (right.h - left.h)) * factor;
      if (left.h < 0.0) left.h += 1.0;
    }
  }
  return ToRgb(left);
}

uint8_t ChannelByte(double value) {
  return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

TColor ToColor(const TRgb& c) {
  return MakeColor(ChannelByte(c.r), ChannelByte(c.g), ChannelByte(c.b));
}

// How far apart, in levels of 0..255, two colours are in their most different channel.
double Levels(const TRgb& a, const TRgb& b) {
  return 255.0 * std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

// Sampling a bent segment: 4 intervals, each halved at most this often.
constexpr int kFirstIntervals = 4;
constexpr int kMaxHalvings = 4;

// The sample positions (0..1 within the segment) strictly between a and b, in order, where
// the straight line from ca to cb strays more than a level from the segment's colour.
void Refine(const TSegment& s, double middle, double a, double b, const TRgb& ca, const TRgb& cb,
            int depth, std::vector<double>& out) {
  if (depth >= kMaxHalvings) return;
  const double m = (a + b) / 2.0;
  const TRgb cm = Blend(s, Factor(s.blend, middle, m));
  const TRgb line{(ca.r + cb.r) / 2.0, (ca.g + cb.g) / 2.0, (ca.b + cb.b) / 2.0};
  if (Levels(cm, line) <= 1.0) return;
  Refine(s, middle, a, m, ca, cm, depth + 1, out);
  out.push_back(m);
  Refine(s, middle, m, b, cm, cb, depth + 1, out);
}

// Appends the stops of a segment of positive width; stops ends at the segment's left end.
void AppendSegment(const TSegment& s, std::vector<TStop>& stops) {
  const double width = s.right - s.left;
  const double middle = (s.middle - s.left) / width;
  const TRgb leftColor = Blend(s, InsideFactor(s.blend, middle, true));
  const TRgb rightColor = Blend(s, InsideFactor(s.blend, middle, false));
  const bool middleInside = middle >= kGimpEpsilon && 1.0 - middle >= kGimpEpsilon &&
                            s.middle > s.left && s.middle < s.right;

  // The stop at the left end takes the segment's colour as its after colour.
  stops.back().after = ToColor(leftColor);
  auto add = [&](double position, TColor before, TColor after) {
    if (position > stops.back().position && position < s.right) {
      stops.push_back({position, before, after});
    }
  };

  if (s.colouring == kRgb && s.blend == kLinear) {
    // Exact: a straight line, bent at the middle unless that is the centre.
    const bool centred = std::fabs(s.middle - (s.left + s.right) / 2.0) <= kDrift;
    if (middleInside && !centred) {
      const TColor c = ToColor(Blend(s, 0.5));
      add(s.middle, c, c);
    }
  } else if (s.blend == kStep) {
    // Exact: the left colour up to the middle, the right colour from there.
    if (middleInside) add(s.middle, ToColor(Blend(s, 0.0)), ToColor(Blend(s, 1.0)));
  } else {
    std::vector<double> marks;
    for (int i = 0; i <= kFirstIntervals; ++i) {
      marks.push_back(static_cast<double>(i) / kFirstIntervals);
    }
    if (middleInside) marks.push_back(middle);
    std::sort(marks.begin(), marks.end());
    marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
    auto colorAt = [&](double pos) {
      if (pos <= 0.0) return leftColor;
      if (pos >= 1.0) return rightColor;
      return Blend(s, Factor(s.blend, middle, pos));
    };
    std::vector<double> samples;
    for (std::size_t i = 0; i + 1 < marks.size(); ++i) {
      if (i > 0) samples.push_back(marks[i]);
      Refine(s, middle, marks[i], marks[i + 1], colorAt(marks[i]), colorAt(marks[i + 1]), 0,
             samples);
    }
    for (double pos : samples) {
      const TColor c = ToColor(colorAt(pos));
      add(s.left + width * pos, c, c);
    }
  }

  const TColor right = ToColor(rightColor);
  stops.push_back({s.right, right, right});
}

// A number in a message.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

bool ParseReal(std::string_view word, double& value) {
  const char* end = word.data() + word.size();
  const auto result = std::from_chars(word.data(), end, value, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

// One segment line; false with the message otherwise.
bool ParseSegment(std::string_view text, int line, TSegment& s, std::string& message) {
  const std::vector<std::string_view> words = Words(text);
  if (words.size() != 13 && words.size() != 15) {
    const std::string count = std::to_string(words.size());
    message = LineMessage(line,
                          "a segment is 13 or 15 numbers (positions, colours, blending, "
                          "colouring), this line has " +
                              count + ".");
    return false;
  }
  double reals[11];
  for (int i = 0; i < 11; ++i) {
    if (!ParseReal(words[i], reals[i])) {
      message = LineMessage(line, Shown(words[i]) + " is not a number.");
      return false;
    }
  }
  int codes[4] = {0, 0, 0, 0};
  for (std::size_t i = 11; i < words.size(); ++i) {
    if (!ParseCount(words[i], codes[i - 11])) {
      message = LineMessage(line, Shown(words[i]) + " is not a type number.");
      return false;
    }
  }
  if (codes[0] > kStep) {
    message = LineMessage(
        line, "the blending function " + std::to_string(codes[0]) + " is unknown (0 to 5).");
    return false;
  }
  if (codes[1] > kHsvCw) {
    message = LineMessage(
        line, "the colouring type " + std::to_string(codes[1]) + " is unknown (0 to 2).");
    return false;
  }
  for (int i = 2; i < 4; ++i) {
    if (codes[i] > 4) {
      message = LineMessage(
          line, "the endpoint colour type " + std::to_string(codes[i]) + " is unknown (0 to 4).");
      return false;
    }
  }
  // Channels 3..5 and 7..9; the alphas (6 and 10) are read and not used.
  for (int i : {3, 4, 5, 7, 8, 9}) {
    if (reals[i] < -kDrift || reals[i] > 1.0 + kDrift) {
      message = LineMessage(line, "the colour value " + Number(reals[i]) + " is outside 0 to 1.");
      return false;
    }
  }
  s = {reals[0], reals[1], reals[2], {reals[3], reals[4], reals[5]}, {reals[7], reals[8], reals[9]},
       codes[0], codes[1], line};
  return true;
}

// Puts the positions of s right after the segment before it ended at start; false with the
// message when they are too far off.
bool PlaceSegment(TSegment& s, double start, bool first, std::string& message) {
  if (std::fabs(s.left - start) > kDrift) {
    message = LineMessage(
        s.line, first ? "the first segment starts at " + Number(s.left) + ", not at 0."
                      : "the segment starts at " + Number(s.left) +
                            ", not where the one before it ends (" + Number(start) + ").");
    return false;
  }
  s.left = start;
  if (s.right > 1.0 && s.right - 1.0 <= kDrift) s.right = 1.0;
  if (s.right < s.left && s.left - s.right <= kDrift) s.right = s.left;
  if (s.middle < s.left && s.left - s.middle <= kDrift) s.middle = s.left;
  if (s.middle > s.right && s.middle - s.right <= kDrift) s.middle = s.right;
  if (!(s.right <= 1.0 && s.left <= s.middle && s.middle <= s.right)) {
    message = LineMessage(s.line, "the positions " + Number(s.left) + ", " + Number(s.middle) +
                                      ", " + Number(s.right) +
                                      " must be in order (left, middle, right) within 0 to 1.");
    return false;
  }
  return true;
}

}  // namespace

// Formats --------------------------------------------------------------------------------------

TPaletteFormat PaletteFormatOf(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == "cp1") return TPaletteFormat::Native;
  if (extension == "gpl") return TPaletteFormat::Gpl;
  if (extension == "ggr") return TPaletteFormat::Ggr;
  if (extension == "map") return TPaletteFormat::Map;
  return TPaletteFormat::Unknown;
}

bool PaletteFormatReadable(TPaletteFormat format) { return format != TPaletteFormat::Unknown; }

bool PaletteFormatWritable(TPaletteFormat format) {
  return format == TPaletteFormat::Native || format == TPaletteFormat::Gpl ||
         format == TPaletteFormat::Map;
}

// Readers --------------------------------------------------------------------------------------

bool ReadGplPalette(const std::string& bytes, TColorPalette1DItem& palette, std::string& message) {
  TLines lines(bytes);
  std::string_view line;
  if (!lines.Next(line) || Trimmed(line).substr(0, 12) != "GIMP Palette") {
    message = LineMessage(1, "a GIMP palette begins with the line \"GIMP Palette\".");
    return false;
  }
  std::vector<TColor> colors;
  while (lines.Next(line)) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == '#') continue;
    if (colors.empty() && (text.substr(0, 5) == "Name:" || text.substr(0, 8) == "Columns:")) {
      continue;
    }
    TColor color = 0;
    if (!ParseRgb(Words(text), lines.Number(), color, message)) return false;
    colors.push_back(color);
  }
  if (colors.empty()) {
    message = LineMessage(std::max(lines.Number(), 1), "the palette ends without a colour.");
    return false;
  }
  BuildEvenPalette(colors, palette);
  return true;
}

bool ReadMapPalette(const std::string& bytes, TColorPalette1DItem& palette, std::string& message) {
  TLines lines(bytes);
  std::string_view line;
  std::vector<TColor> colors;
  // Fractint reads 256 colours and nothing after them.
  while (colors.size() < 256 && lines.Next(line)) {
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    TColor color = 0;
    if (!ParseRgb(words, lines.Number(), color, message)) return false;
    colors.push_back(color);
  }
  if (colors.empty()) {
    message = LineMessage(std::max(lines.Number(), 1), "the map ends without a colour.");
    return false;
  }
  BuildEvenPalette(colors, palette);
  return true;
}

bool ReadGgrPalette(const std::string& bytes, TColorPalette1DItem& palette, std::string& message) {
  TLines lines(bytes);
  std::string_view line;
  if (!lines.Next(line) || Trimmed(line).substr(0, 13) != "GIMP Gradient") {
    message = LineMessage(1, "a GIMP gradient begins with the line \"GIMP Gradient\".");
    return false;
  }
  // The name line is missing in the files of old versions.
  bool more = lines.Next(line);
  if (more && Trimmed(line).substr(0, 5) == "Name:") more = lines.Next(line);
  int count = 0;
  if (!more || !ParseCount(Trimmed(line), count) || count < 1) {
    message = LineMessage(lines.Number() + (more ? 0 : 1),
                          "the number of segments must be a whole number from 1 up.");
    return false;
  }

  std::vector<TSegment> segments;
  double start = 0.0;
  for (int i = 0; i < count; ++i) {
    if (!lines.Next(line)) {
      message =
          LineMessage(lines.Number() + 1, "the file ends after " + std::to_string(i) + " of its " +
                                              std::to_string(count) + " segments.");
      return false;
    }
    TSegment s{};
    if (!ParseSegment(line, lines.Number(), s, message)) return false;
    if (!PlaceSegment(s, start, i == 0, message)) return false;
    start = s.right;
    segments.push_back(s);
  }
  TSegment& last = segments.back();
  if (std::fabs(last.right - 1.0) > kDrift) {
    message =
        LineMessage(last.line, "the last segment ends at " + Number(last.right) + ", not at 1.");
    return false;
  }
  last.right = 1.0;
  last.middle = std::min(last.middle, 1.0);
  while (lines.Next(line)) {
    if (!IsBlank(line)) {
      message = LineMessage(lines.Number(), "the file has more lines than its " +
                                                std::to_string(count) + " segments.");
      return false;
    }
  }

  std::vector<TStop> stops;
  for (const TSegment& s : segments) {
    if (!(s.right > s.left)) continue;  // no width: nothing of it shows
    if (stops.empty()) stops.push_back({0.0, 0, 0});
    AppendSegment(s, stops);
  }
  stops.front().before = stops.front().after;
  BuildPalette(stops, palette);
  return true;
}

// Writers --------------------------------------------------------------------------------------

namespace {

// Whether position is i / divisions for a whole i, give or take the rounding of a .cp1 file,
// which keeps 15 significant digits. Two such fractions with divisions up to
// kGplMaxExactDivisions lie far further apart than that.
bool OnGrid(double position, int divisions, std::size_t& index) {
  const double i = std::nearbyint(position * divisions);
  if (!(i >= 0.0 && i <= divisions)) return false;
  index = static_cast<std::size_t>(i);
  return std::fabs(i / static_cast<double>(divisions) - position) <= 6e-15 * position;
}

// The positions to sample the palette at for divisions + 1 colours evenly spaced: i /
// divisions, or the position of a stop that is there but for rounding, so that the sample is
// that stop's colour exactly.
std::vector<double> SamplePositions(const std::vector<double>& stops, int divisions) {
  const std::size_t count = static_cast<std::size_t>(divisions) + 1;
  std::vector<double> samples(count);
  for (std::size_t i = 0; i < count; ++i) samples[i] = EvenPosition(i, count);
  // A stop right on the grid point wins over one that is there but for rounding.
  std::vector<bool> exact(count, false);
  for (double p : stops) {
    std::size_t i = 0;
    if (!OnGrid(p, divisions, i) || exact[i]) continue;
    exact[i] = p == samples[i];
    samples[i] = p;
  }
  return samples;
}

// The sorted positions of the stops, and whether a stop has a hard step.
std::vector<double> StopPositions(const TColorPalette1DItem& palette, bool& step) {
  std::vector<double> positions;
  step = false;
  for (const TColorPalette1DItem* s = &palette; s != nullptr; s = s->GetNext()) {
    positions.push_back(s->GetDPosition());
    step = step || s->GetColorAfter() != s->GetColorBefore();
  }
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return positions;
}

// The divisions WriteGplPalette samples the palette at.
int GplDivisions(const std::vector<double>& positions, bool step) {
  const bool inRange = positions.front() >= 0.0 && positions.back() <= 1.0;
  if (!inRange || positions.size() > static_cast<std::size_t>(kGplMaxExactDivisions) + 1) {
    return kGplFallbackDivisions;
  }
  // A grid of d divisions holds at most d + 1 of the positions.
  for (int d = std::max<int>(1, static_cast<int>(positions.size()) - 1); d <= kGplMaxExactDivisions;
       ++d) {
    std::size_t index = 0;
    if (!std::all_of(positions.begin(), positions.end(),
                     [d, &index](double p) { return OnGrid(p, d, index); })) {
      continue;
    }
    // A hard step shows as a ramp one division wide: a narrow one.
    if (step && d < 256) d *= (256 + d - 1) / d;
    return d;
  }
  return kGplFallbackDivisions;
}

// The colours of the palette at ascending positions, each as one "R G B" line. Each ColorAt
// starts from the stop the walk from the begin stop would reach, so that many samples of a
// palette of many stops take linear time, with the very colours of palette.ColorAt.
class TSampler {
 public:
  explicit TSampler(const TColorPalette1DItem& palette) : m_palette(palette), m_from(&palette) {}
  TColor ColorAt(double position) {
    if (position < m_last) m_from = &m_palette;  // not ascending: from the start again
    m_last = position;
    // ColorAt itself passes every stop whose successor lies before the position.
    while (m_from->GetNext() != nullptr && position > m_from->GetNext()->GetDPosition()) {
      m_from = m_from->GetNext();
    }
    return m_from->ColorAt(position);
  }

 private:
  const TColorPalette1DItem& m_palette;
  const TColorPalette1DItem* m_from;
  double m_last = 0.0;
};

std::string RgbLine(TColor c) {
  char text[24];
  std::snprintf(text, sizeof text, "%3d %3d %3d\n", ColorRed(c), ColorGreen(c), ColorBlue(c));
  return text;
}

}  // namespace

std::string WriteGplPalette(const TColorPalette1DItem& palette, const std::string& name) {
  std::string shownName = name;
  for (char& c : shownName) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  bool step = false;
  const std::vector<double> stops = StopPositions(palette, step);
  const int divisions = GplDivisions(stops, step);
  std::string text = "GIMP Palette\nName: " + shownName + "\nColumns: 16\n" +
                     "# Velmora palette: " + std::to_string(divisions + 1) +
                     " colours evenly spaced from 0 to 1\n";
  TSampler sampler(palette);
  for (double p : SamplePositions(stops, divisions)) text += RgbLine(sampler.ColorAt(p));
  return text;
}

std::string WriteMapPalette(const TColorPalette1DItem& palette) {
  bool step = false;
  std::string text;
  TSampler sampler(palette);
  for (double p : SamplePositions(StopPositions(palette, step), 255)) {
    text += RgbLine(sampler.ColorAt(p));
  }
  return text;
}

// Files ----------------------------------------------------------------------------------------

TXMLReadStatus LoadPaletteBytes(const std::string& bytes, TPaletteFormat format,
                                TColorPalette1DItem& palette, std::string& message) {
  TColorPalette1DItem fresh(0x000000, 0xFFFFFF);
  bool ok = false;
  switch (format) {
    case TPaletteFormat::Native:
      ok = fresh.LoadFromBytes(bytes, message) == TXMLReadStatus::Ok;
      break;
    case TPaletteFormat::Gpl:
      ok = ReadGplPalette(bytes, fresh, message);
      break;
    case TPaletteFormat::Ggr:
      ok = ReadGgrPalette(bytes, fresh, message);
      break;
    case TPaletteFormat::Map:
      ok = ReadMapPalette(bytes, fresh, message);
      break;
    case TPaletteFormat::Unknown:
      message = "the file is not a palette file (.cp1, .gpl, .ggr or .map).";
      break;
  }
  if (!ok) return TXMLReadStatus::Failed;
  palette = fresh;
  return TXMLReadStatus::Ok;
}

TXMLReadStatus LoadPaletteFile(const std::string& path, TColorPalette1DItem& palette,
                               std::string& message) {
  message.clear();
  const TPaletteFormat format = PaletteFormatOf(path);
  if (format == TPaletteFormat::Native) {
    // The native reader reports its own kinds of failure; the palette changes only on Ok.
    TColorPalette1DItem fresh(0x000000, 0xFFFFFF);
    const TXMLReadStatus status = fresh.LoadFromFile(path, message);
    if (status == TXMLReadStatus::Ok) palette = fresh;
    return status;
  }
  if (format == TPaletteFormat::Unknown) return LoadPaletteBytes("", format, palette, message);
  std::string bytes;
  switch (ReadWholeFile(path, bytes)) {
    case TReadResult::Ok:
      break;
    case TReadResult::TooLarge:
      message = kXMLFileTooLarge;
      return TXMLReadStatus::Failed;
    case TReadResult::CannotOpen:
    case TReadResult::ReadError:
      return TXMLReadStatus::CannotOpen;
  }
  return LoadPaletteBytes(bytes, format, palette, message);
}

bool SavePaletteFile(const std::string& path, const TColorPalette1DItem& palette) {
  std::string content;
  switch (PaletteFormatOf(path)) {
    case TPaletteFormat::Native:
      return palette.SaveToFile(path);
    case TPaletteFormat::Gpl: {
      // Named after the file, without its folder and extension.
      std::string name = path.substr(path.rfind(kPathSeparator) + 1);
      if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
      }
      content = WriteGplPalette(palette, name);
      break;
    }
    case TPaletteFormat::Map:
      content = WriteMapPalette(palette);
      break;
    case TPaletteFormat::Ggr:
    case TPaletteFormat::Unknown:
      ErrorReporter.ShowMessage(
          "Cannot save Color Palette File: palettes are written as .cp1, .gpl or .map files.",
          "FileError", TMessageIcon::Information);
      return false;
  }
  std::string error;
  if (!WriteFileReplacing(path, content, error)) {
    ErrorReporter.ShowMessage("Cannot save Color Palette File: " + error + ".", "FileError",
                              TMessageIcon::Information);
    return false;
  }
  return true;
}
