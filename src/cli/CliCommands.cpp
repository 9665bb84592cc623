#include "cli/CliCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/colour/PaletteFormats.h"
#include "core/colour/PictureRender.h"
#include "core/colour/TColorPalette1DItem.h"
#include "core/colour/TVoldViewProps.h"
#include "core/documents/FractalFile.h"
#include "core/documents/PictureFractal.h"
#include "core/documents/ProjectFile.h"
#include "core/files/FileNames.h"
#include "core/files/SafeFile.h"
#include "core/fractal/Engine.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"
#include "core/report/ErrorReporter.h"
#include "png/PicturePng.h"
#ifdef VELMORA_WHOLE_PICTURES
#include "render/PictureFile.h"
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Messages go to standard error exactly as the application shows them, without their title.
class TCliSink : public TMessageSink {
 public:
  void ShowMessage(const std::string& text, const std::string&, TMessageIcon) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
  }
};

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "velmora-cli: %s\n\n%s", problem.c_str(), CliUsage().c_str());
  return kExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return kExitFailure;
}

enum class TFileKind { Fractal, Picture, Palette, Project, Unknown };

// The kind of a file by the extension of its file-name part, in any case.
TFileKind KindOf(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == "vlf") return TFileKind::Fractal;
  if (extension == "png") return TFileKind::Picture;
  if (extension == "cp1" || extension == "gpl" || extension == "ggr" || extension == "map") {
    return TFileKind::Palette;
  }
  if (extension == "tkp") return TFileKind::Project;
  return TFileKind::Unknown;
}

// Options after the positional arguments.
struct TOptions {
  std::vector<std::string> positional;
  std::optional<int32_t> threads;
  std::optional<int32_t> repeat;
  std::optional<int32_t> cont;
  std::optional<std::pair<int32_t, int32_t>> size;
  std::optional<int32_t> aa;
  std::optional<std::pair<int32_t, int32_t>> band;
  bool scalar = false;
};

bool ParseCount(const std::string& text, int32_t low, int32_t high, int32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::stoi(text);
  return value >= low && value <= high;
}

// Parses args[first..] into options; false with problem set on a usage error.
bool ParseOptions(const std::vector<std::string>& args, size_t first,
                  const std::vector<std::string>& allowed, TOptions& options,
                  std::string& problem) {
  auto isAllowed = [&](const std::string& name) {
    return std::find(allowed.begin(), allowed.end(), name) != allowed.end();
  };
  for (size_t i = first; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      options.positional.push_back(a);
      continue;
    }
    if (!isAllowed(a)) {
      problem = "unknown option " + a;
      return false;
    }
    if (a == "--scalar") {
      options.scalar = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      problem = a + " needs a value";
      return false;
    }
    const std::string& v = args[++i];
    int32_t n = 0;
    if (a == "--threads") {
      if (!ParseCount(v, 1, 256, n)) {
        problem = "--threads takes a number from 1 to 256";
        return false;
      }
      options.threads = n;
    } else if (a == "--repeat") {
      if (!ParseCount(v, 1, 1000, n)) {
        problem = "--repeat takes a number from 1 to 1000";
        return false;
      }
      options.repeat = n;
    } else if (a == "--cont") {
      if (v != "0" && v != "1") {
        problem = "--cont takes 0 or 1";
        return false;
      }
      options.cont = v == "1" ? 1 : 0;
    } else if (a == "--size") {
      const auto x = v.find('x');
      int32_t w = 0, h = 0;
      if (x == std::string::npos || !ParseCount(v.substr(0, x), 1, 65535, w) ||
          !ParseCount(v.substr(x + 1), 1, 65535, h)) {
        problem = "--size takes WIDTHxHEIGHT, each from 1 to 65535";
        return false;
      }
      options.size = std::make_pair(w, h);
    } else if (a == "--band") {
      const auto slash = v.find('/');
      int32_t k = 0, count = 0;
      if (slash == std::string::npos || !ParseCount(v.substr(slash + 1), 1, 65535, count) ||
          !ParseCount(v.substr(0, slash), 1, count, k)) {
        problem = "--band takes K/N, band K of N, with 1 <= K <= N";
        return false;
      }
      options.band = std::make_pair(k, count);
    } else if (a == "--aa") {
      if (!ParseCount(v, 1, kMaxPictureSamples, n)) {
        problem = "--aa takes a number from 1 to " + std::to_string(kMaxPictureSamples);
        return false;
      }
      options.aa = n;
    }
  }
  return true;
}

// Loads a fractal file as the application does; on failure prints its message.
bool LoadFractal(const std::string& path, TVoldViewProps& settings, TFractProps& props) {
  std::string message;
  // A PNG picture may carry its fractal.
  const TXMLReadStatus status = KindOf(path) == TFileKind::Picture
                                    ? LoadFractalPicture(path, settings, props, message)
                                    : LoadFractalFile(path, settings, props, message);
  if (status == TXMLReadStatus::Ok) return true;
  ErrorReporter.CannotReadFile(path, LoadFailureReason(status, message));
  return false;
}

// Whether the application would compute props; if not, prints the message it shows then.
bool Computable(const TFractProps& props) {
  std::string reason;
  if (CheckComputable(props, reason)) return true;
  ErrorReporter.ShowMessage(CannotComputeMessage(reason), "Error", TMessageIcon::Information);
  return false;
}

// Loads a palette file of any format the application reads, by its extension.
bool LoadPalette(const std::string& path, TColorPalette1DItem& palette) {
  std::string message;
  const TXMLReadStatus status = LoadPaletteFile(path, palette, message);
  if (status == TXMLReadStatus::Ok) return true;
  ErrorReporter.CannotReadFile(path, LoadFailureReason(status, message));
  return false;
}

// Checks a project as the application reads it: its structure and values, and that every
// window's file or temp copy loads and can be computed. Windows are not opened; names are
// tracked as they would be.
class TCheckingProjectReader : public TProjectReader {
 public:
  void SetNoNameCounter(int32_t) override {}
  void SetFrameValue(int, int32_t) override {}
  void SetFrameState(int) override {}
  bool OpenWindow(const std::string& file, const std::string& tempPath) override {
    TVoldViewProps settings;
    TFractProps props;
    std::string message;
    const std::string& source = tempPath.empty() ? file : tempPath;
    const TXMLReadStatus status = LoadFractalFile(source, settings, props, message);
    if (status == TXMLReadStatus::Ok) return Computable(props);
    ErrorReporter.CannotReadFile(file.empty() ? tempPath : file, LoadFailureReason(status, message));
    return false;
  }
  bool NameInUse(const std::string& name) override {
    return std::find(m_names.begin(), m_names.end(), name) != m_names.end();
  }
  bool ApplyWindow(const std::string& name, const TXMLItem* first, std::string& message,
                   int32_t& line, int32_t& column) override {
    int state = 0;
    if (!ReadGeometry(first, nullptr, state, message, line, column)) return false;
    m_names.push_back(name);
    return true;
  }
  void LastName(const std::string&) override {}

 private:
  std::vector<std::string> m_names;
};

bool CheckProject(const std::string& path) {
  TCheckingProjectReader reader;
  std::string errorText;
  switch (ReadProject(path, reader, errorText)) {
    case TProjectReadResult::Read:
      return true;
    case TProjectReadResult::CannotOpen:
      ErrorReporter.CannotReadFile(path, kFileCannotBeOpened);
      return false;
    case TProjectReadResult::Failed:
      if (!errorText.empty() && errorText.front() == ' ') errorText.erase(0, 1);
      ErrorReporter.CannotReadFile(path, errorText);
      return false;
  }
  return false;
}

int NewCommand(const TOptions& o) {
  if (o.positional.size() != 1) return UsageError("new takes one file name");
  return SaveFractalFile(o.positional[0], TVoldViewProps(), TFractProps()) ? kExitOk : kExitFailure;
}

int ResaveCommand(const TOptions& o) {
  if (o.positional.size() != 2) return UsageError("resave takes an input and an output file name");
  const std::string& out = o.positional[1];
  switch (KindOf(o.positional[0])) {
    case TFileKind::Fractal:
    case TFileKind::Picture: {
      // A name without a known extension (a device, say) still takes the fractal file.
      const TFileKind outKind = KindOf(out);
      if (outKind == TFileKind::Palette || outKind == TFileKind::Picture ||
          outKind == TFileKind::Project) {
        return UsageError("a fractal is written as a .vlf file, not as \"" + out + "\"");
      }
      TVoldViewProps settings;
      TFractProps props;
      if (!LoadFractal(o.positional[0], settings, props)) return kExitFailure;
      return SaveFractalFile(out, settings, props) ? kExitOk : kExitFailure;
    }
    case TFileKind::Palette: {
      // The format of each file is its extension's; a name without a known extension (a
      // device, say) still takes the palette file.
      const TPaletteFormat outFormat = PaletteFormatOf(out);
      const TFileKind outKind = KindOf(out);
      if (outFormat == TPaletteFormat::Ggr || outKind == TFileKind::Fractal ||
          outKind == TFileKind::Picture || outKind == TFileKind::Project) {
        return UsageError("a palette is written as a .cp1, .gpl or .map file, not as \"" + out +
                          "\"" + (outFormat == TPaletteFormat::Ggr ? ": .ggr is read only" : ""));
      }
      TColorPalette1DItem palette(0x000000, 0xFFFFFF);
      if (!LoadPalette(o.positional[0], palette)) return kExitFailure;
      if (outFormat == TPaletteFormat::Unknown) {
        return palette.SaveToFile(out) ? kExitOk : kExitFailure;
      }
      return SavePaletteFile(out, palette) ? kExitOk : kExitFailure;
    }
    case TFileKind::Project:
    case TFileKind::Unknown:
      break;
  }
  return UsageError("cannot tell the kind of \"" + o.positional[0] +
                    "\": use a .vlf or .png file, or a .cp1, .gpl, .ggr or .map palette");
}

int CheckCommand(const TOptions& o) {
  if (o.positional.size() != 1) return UsageError("check takes one file name");
  bool ok = false;
  switch (KindOf(o.positional[0])) {
    case TFileKind::Fractal:
    case TFileKind::Picture: {
      TVoldViewProps settings;
      TFractProps props;
      ok = LoadFractal(o.positional[0], settings, props) && Computable(props);
      break;
    }
    case TFileKind::Palette: {
      TColorPalette1DItem palette(0x000000, 0xFFFFFF);
      ok = LoadPalette(o.positional[0], palette);
      break;
    }
    case TFileKind::Project:
      ok = CheckProject(o.positional[0]);
      break;
    case TFileKind::Unknown:
      return UsageError("cannot tell the kind of \"" + o.positional[0] +
                        "\": use a .vlf, .png or .tkp file, or a .cp1, .gpl, .ggr or .map "
                        "palette");
  }
  if (!ok) return kExitFailure;
  std::printf("OK\n");
  return kExitOk;
}

// A loaded fractal with its results computed.
struct TComputed {
  TVoldViewProps settings;
  TFractProps props;
  std::unique_ptr<TFractArray> results;
  uint64_t steps = 0;
  double seconds = 0;
};

// Loads path and checks that it can be computed; on failure prints why.
bool Prepare(const std::string& path, const TOptions& o, TComputed& c) {
  if (!LoadFractal(path, c.settings, c.props)) return false;
  // Fractal files do not store the colour continuity.
  c.props.Cont = static_cast<uint8_t>(o.cont.value_or(0));
  std::string error;
  if (!CheckComputable(c.props, error)) {
    Failure("Cannot compute \"" + path + "\": " + error);
    return false;
  }
  return true;
}

// Computes into a new result store, or again into the one c already has.
bool Compute(const std::string& path, const TOptions& o, TComputed& c) {
  std::string error;
  if (c.results == nullptr) {
    c.results =
        TFractArray::Create(c.props.XResolution.GetValue(), c.props.YResolution.GetValue(), error);
  }
  if (c.results == nullptr) {
    Failure("Cannot compute \"" + path + "\": " + error);
    return false;
  }
  const int32_t threads = o.scalar ? 1 : o.threads.value_or(0);
  if (o.scalar) SetEnginePath(TEnginePath::Scalar);
  const auto start = std::chrono::steady_clock::now();
  const bool ok = ComputeInStrips(c.props, *c.results, threads, {}, c.steps, error);
  c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!ok) Failure("Cannot compute \"" + path + "\": " + error);
  return ok;
}

void AppendLittleEndian(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

int RawCommand(const TOptions& o) {
  if (o.positional.size() != 2) return UsageError("raw takes a fractal file and an output file");
  TComputed c;
  if (!Prepare(o.positional[0], o, c) || !Compute(o.positional[0], o, c)) return kExitFailure;
  const TFractArray& r = *c.results;
  const size_t cells = static_cast<size_t>(r.Width()) * static_cast<size_t>(r.Height());
  std::string out;
  out.reserve(20 + cells * 8);
  out += "VELMRAW1";
  AppendLittleEndian(out, static_cast<uint32_t>(r.Width()));
  AppendLittleEndian(out, static_cast<uint32_t>(r.Height()));
  AppendLittleEndian(out, static_cast<uint32_t>(r.ColumnsDone()));
  for (size_t i = 0; i < cells; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &r.Depths()[i], sizeof bits);
    AppendLittleEndian(out, bits);
  }
  for (size_t i = 0; i < cells; ++i) AppendLittleEndian(out, static_cast<uint32_t>(r.Cycles()[i]));
  std::string error;
  if (!WriteFileReplacing(o.positional[1], out, error)) {
    return Failure("Cannot write \"" + o.positional[1] + "\": " + error);
  }
  return kExitOk;
}

int BenchCommand(const TOptions& o) {
  if (o.positional.size() != 1) return UsageError("bench takes one fractal file");
  TComputed c;
  if (!Prepare(o.positional[0], o, c)) return kExitFailure;
  const int32_t repeat = o.repeat.value_or(3);
  const int32_t threads = o.scalar ? 1 : (o.threads ? *o.threads : DefaultComputeThreads());
  if (o.scalar) SetEnginePath(TEnginePath::Scalar);
  std::printf("%s: %d x %d pixels, formula %d, max depth %d, %d thread%s, %s\n",
              o.positional[0].c_str(), c.props.XResolution.GetValue(), c.props.YResolution.GetValue(),
              c.props.Formula, c.props.MaxDepth.GetValue(), threads, threads == 1 ? "" : "s",
              EnginePathName(EnginePathFor(c.props)));
  std::vector<double> seconds;
  uint64_t steps = 0;
  // Every run computes into the same result store: the first one also pays for the system's
  // clearing of its memory as the cells are first written.
  for (int32_t i = 0; i < repeat; ++i) {
    if (!Compute(o.positional[0], o, c)) return kExitFailure;
    seconds.push_back(c.seconds);
    steps = c.steps;
    std::printf("run %d: %.4f s\n", i + 1, c.seconds);
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds.size() % 2 == 1
                            ? seconds[seconds.size() / 2]
                            : (seconds[seconds.size() / 2 - 1] + seconds[seconds.size() / 2]) / 2;
  const double pixels = static_cast<double>(c.props.XResolution.GetValue()) *
                        static_cast<double>(c.props.YResolution.GetValue());
  std::printf("median: %.4f s, %.2f Mpixel/s, %llu FormulaStep evaluations, %.3f G iterations/s\n",
              median, pixels / median / 1e6, static_cast<unsigned long long>(steps),
              static_cast<double>(steps) / median / 1e9);
  return kExitOk;
}

int RenderCommand(const TOptions& o) {
  if (o.positional.size() != 2) return UsageError("render takes a fractal file and a picture file");
  const std::string& out = o.positional[1];
  const bool png = LowerExtension(out) == "png";
  if (o.band && !png) return UsageError("a band is written as a PNG file");
  TComputed c;
  if (!Prepare(o.positional[0], o, c)) return kExitFailure;
  // The picture is computed afresh at its own size, the file's fractal travelling with it.
  const TPictureSize size{o.size ? o.size->first : c.props.XResolution.GetValue(),
                          o.size ? o.size->second : c.props.YResolution.GetValue(),
                          o.aa.value_or(1)};
  std::string error;
  const std::string fractal = FractalFileText(c.settings, c.props);
  if (png) {
    TBandInfo band{1, 1, size.width, size.height, size.samples};
    if (o.band) {
      band.band = o.band->first;
      band.count = o.band->second;
    }
    if (band.count > size.height) {
      return UsageError("a picture of " + std::to_string(size.height) + " rows has at most " +
                        std::to_string(size.height) + " bands");
    }
    if (!RenderPicturePng(c.props, c.settings, band, o.band.has_value(), fractal,
                          o.threads.value_or(0), {}, out, error)) {
      return Failure("Cannot render \"" + o.positional[0] + "\" into \"" + out + "\": " + error);
    }
    return kExitOk;
  }
  // Other formats are written whole by Qt's writers, where the build has them.
#ifdef VELMORA_WHOLE_PICTURES
  if (!WholePictureWritable(out, size.width, size.height, error)) {
    return Failure("Cannot write \"" + out + "\": " + error);
  }
  std::vector<uint32_t> argb;
  if (!RenderPicture(c.props, c.settings, size, o.threads.value_or(0), {}, argb, error)) {
    return Failure("Cannot render \"" + o.positional[0] + "\": " + error);
  }
  if (!WriteWholePicture(argb, size.width, size.height, out, error)) {
    return Failure("Cannot write \"" + out + "\": " + error);
  }
  return kExitOk;
#else
  return Failure("Cannot write \"" + out + "\": this build of velmora-cli writes PNG files only.");
#endif
}

int AssembleCommand(const TOptions& o) {
  if (o.positional.size() < 2) return UsageError("assemble takes a PNG file and its bands");
  if (LowerExtension(o.positional[0]) != "png") return UsageError("the bands make a PNG file");
  const std::vector<std::string> bands(o.positional.begin() + 1, o.positional.end());
  std::string error;
  if (!AssembleBands(bands, o.positional[0], error)) {
    return Failure("Cannot assemble \"" + o.positional[0] + "\": " + error);
  }
  return kExitOk;
}

}  // namespace

std::string CliUsage() {
  return "usage: velmora-cli COMMAND ...\n"
         "\n"
         "  new OUT.vlf                 write the fractal file of a new window\n"
         "  resave IN OUT               read a .vlf or fractal-carrying .png file and write it\n"
         "                              again (a .png as its .vlf); or read a palette (.cp1,\n"
         "                              .gpl GIMP palette, .ggr GIMP gradient, .map Fractint\n"
         "                              map) and write it as OUT's extension says: .cp1,\n"
         "                              .gpl or .map\n"
         "  check FILE                  load a .vlf, .png or palette file (.cp1, .gpl, .ggr,\n"
         "                              .map), or check a .tkp project and the files of its\n"
         "                              windows; print OK or the errors\n"
         "  raw FILE.vlf OUT.raw        compute and write the results (depths and cycles)\n"
         "      [--threads N] [--cont 0|1]\n"
         "  bench FILE.vlf              compute K times and report the speed\n"
         "      [--threads N] [--repeat K] [--cont 0|1] [--scalar]\n"
         "  render FILE OUT             compute the picture afresh at its size (default: the\n"
         "      [--size WxH] [--aa N]   grid's, at most 65535 x 65535) with N x N samples a\n"
         "      [--band K/N]            pixel; a PNG file carries the fractal and is written\n"
         "      [--threads N] [--cont 0|1]  in bounded memory, other formats (.jpg, .webp ...)\n"
         "                              whole. --band K/N renders only band K of N of the\n"
         "                              rows, into a PNG file of its own\n"
         "  assemble OUT.png BAND.png ...  put the bands of a picture together into one PNG,\n"
         "                              the same file a render in one piece writes\n"
         "\n"
         "--help prints this text, --version the version.\n"
         "--threads defaults to every core; --scalar computes on one thread without vector lanes.\n"
         "--cont 0 gives fractional escape depths (the default), 1 whole depths.\n"
         "Exit codes: 0 success, 1 failure, 2 usage error.\n";
}

int RunCli(const std::vector<std::string>& args) {
  ErrorReporter.SetSink(std::make_unique<TCliSink>());
  if (args.empty()) return UsageError("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::printf("%s", CliUsage().c_str());
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("velmora-cli 1.0\n");
    return kExitOk;
  }
  struct TCommand {
    const char* name;
    std::vector<std::string> options;
    int (*run)(const TOptions&);
  };
  const TCommand commands[] = {
      {"new", {}, NewCommand},
      {"resave", {}, ResaveCommand},
      {"check", {}, CheckCommand},
      {"raw", {"--threads", "--cont", "--scalar"}, RawCommand},
      {"bench", {"--threads", "--repeat", "--cont", "--scalar"}, BenchCommand},
      {"render", {"--size", "--aa", "--band", "--threads", "--cont"}, RenderCommand},
      {"assemble", {}, AssembleCommand},
  };
  for (const TCommand& c : commands) {
    if (command != c.name) continue;
    TOptions options;
    std::string problem;
    if (!ParseOptions(args, 1, c.options, options, problem)) return UsageError(problem);
    return c.run(options);
  }
  return UsageError("unknown command \"" + command + "\"");
}
