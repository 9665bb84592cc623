#include "png/PicturePng.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "core/documents/PictureFractal.h"

namespace {

// Hands bands of rows to a thread that encodes them, so that the encoding of one band and the
// computation of the next go on at once. At most one band waits while another is encoded.
class TEncoderThread {
 public:
  explicit TEncoderThread(TPngWriter& writer) : m_writer(writer) {
    m_thread = std::thread([this] { Run(); });
  }
  TEncoderThread(const TEncoderThread&) = delete;
  TEncoderThread& operator=(const TEncoderThread&) = delete;
  ~TEncoderThread() { Stop(); }

  // Queues a copy of the rows; false with the encoder's message once it has failed.
  bool Put(const uint32_t* argb, size_t count, int32_t rows, std::string& errorText) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_full || m_failed; });
    if (m_failed) {
      errorText = m_errorText;
      return false;
    }
    m_waiting.assign(argb, argb + count);
    m_waitingRows = rows;
    m_full = true;
    m_changed.notify_all();
    return true;
  }

  // Waits for every band put to be encoded; false with the encoder's message.
  bool Drain(std::string& errorText) {
    Stop();
    if (m_failed) errorText = m_errorText;
    return !m_failed;
  }

 private:
  void Stop() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_ending = true;
      m_changed.notify_all();
    }
    if (m_thread.joinable()) m_thread.join();
  }

  void Run() {
    std::vector<uint32_t> encoding;
    for (;;) {
      int32_t rows = 0;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_full || m_ending; });
        if (!m_full) return;
        encoding.swap(m_waiting);
        rows = m_waitingRows;
        m_full = false;
        m_changed.notify_all();
      }
      std::string errorText;
      if (!m_writer.WriteRows(encoding.data(), rows, errorText)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failed = true;
        m_errorText = errorText;
        m_changed.notify_all();
        return;
      }
    }
  }

  TPngWriter& m_writer;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<uint32_t> m_waiting;
  int32_t m_waitingRows = 0;
  bool m_full = false;
  bool m_ending = false;
  bool m_failed = false;
  std::string m_errorText;
  std::thread m_thread;
};

std::string BandError(const std::string& path, const std::string& reason) {
  return "The band \"" + path + "\" cannot be used: " + reason;
}

}  // namespace

TPngEncoding PictureEncoding() { return TPngEncoding{}; }

std::string BandText(const TBandInfo& info) {
  return std::to_string(info.band) + "/" + std::to_string(info.count) + " " +
         std::to_string(info.width) + "x" + std::to_string(info.height) + " " +
         std::to_string(info.samples);
}

bool ParseBandText(const std::string& text, TBandInfo& info) {
  TBandInfo read;
  int used = 0;
  if (std::sscanf(text.c_str(), "%d/%d %dx%d %d%n", &read.band, &read.count, &read.width,
                  &read.height, &read.samples, &used) != 5 ||
      static_cast<size_t>(used) != text.size()) {
    return false;
  }
  if (read.count < 1 || read.band < 1 || read.band > read.count || read.width < 1 ||
      read.height < 1 || read.width > 65535 || read.height > 65535 || read.count > read.height ||
      read.samples < 1 || read.samples > kMaxPictureSamples) {
    return false;
  }
  info = read;
  return true;
}

bool RenderPicturePng(const TFractProps& props, const TVoldViewProps& settings,
                      const TBandInfo& info, bool bandFile, const std::string& fractalBytes,
                      int32_t threads,
                      const TPictureCallbacks& callbacks, const std::string& path,
                      std::string& errorText) {
  const TPictureSize size{info.width, info.height, info.samples};
  if (!CheckPictureSize(size, errorText)) return false;
  if (info.count < 1 || info.count > info.height || info.band < 1 || info.band > info.count) {
    errorText = "A picture of " + std::to_string(info.height) + " rows has no band " +
                std::to_string(info.band) + " of " + std::to_string(info.count) + ".";
    return false;
  }
  int32_t first = 0;
  int32_t last = 0;
  PictureBandBounds(info.height, info.band, info.count, first, last);
  std::vector<TPngText> texts{{kFractalChunkKeyword, fractalBytes}};
  if (bandFile) texts.push_back({kBandChunkKeyword, BandText(info)});

  TPngWriter writer;
  if (!writer.Begin(path, info.width, last - first, texts, PictureEncoding(), errorText)) {
    return false;
  }
  bool written = false;
  {
    TEncoderThread encoder(writer);
    const auto sink = [&](const uint32_t* argb, int32_t, int32_t rows, std::string& error) {
      return encoder.Put(argb, static_cast<size_t>(info.width) * static_cast<size_t>(rows), rows,
                         error);
    };
    written = RenderPictureRows(props, settings, size, first, last, threads, callbacks, sink,
                                errorText);
    std::string encoderError;
    if (!encoder.Drain(encoderError) && written) {
      written = false;
      errorText = encoderError;
    }
  }
  return written && writer.Finish(errorText);
}

bool AssembleBands(const std::vector<std::string>& bandPaths, const std::string& outPath,
                   std::string& errorText) {
  if (bandPaths.empty()) {
    errorText = "No bands were given.";
    return false;
  }
  // Every band is opened and checked before anything is written.
  std::vector<TPngReader> readers(bandPaths.size());
  std::vector<TBandInfo> infos(bandPaths.size());
  std::string fractal;
  for (size_t i = 0; i < bandPaths.size(); ++i) {
    std::string reason;
    if (!readers[i].Open(bandPaths[i], reason)) {
      errorText = BandError(bandPaths[i], reason);
      return false;
    }
    const std::string* band = readers[i].Text(kBandChunkKeyword);
    const std::string* bytes = readers[i].Text(kFractalChunkKeyword);
    if (band == nullptr || bytes == nullptr || !ParseBandText(*band, infos[i])) {
      errorText = BandError(bandPaths[i], "it is not a band of a Velmora picture.");
      return false;
    }
    const TBandInfo& a = infos[0];
    const TBandInfo& b = infos[i];
    if (i > 0 && (b.count != a.count || b.width != a.width || b.height != a.height ||
                  b.samples != a.samples || *bytes != fractal)) {
      errorText = BandError(bandPaths[i], "it belongs to another picture than \"" +
                                              bandPaths[0] + "\".");
      return false;
    }
    if (i == 0) fractal = *bytes;
    int32_t first = 0;
    int32_t last = 0;
    PictureBandBounds(b.height, b.band, b.count, first, last);
    if (readers[i].Width() != b.width || readers[i].Height() != last - first) {
      errorText = BandError(bandPaths[i], "its size is not that of band " + BandText(b) + ".");
      return false;
    }
  }
  const int32_t count = infos[0].count;
  std::vector<int32_t> order(static_cast<size_t>(count), -1);
  for (size_t i = 0; i < infos.size(); ++i) {
    int32_t& slot = order[static_cast<size_t>(infos[i].band - 1)];
    if (slot >= 0) {
      errorText = BandError(bandPaths[i], "band " + std::to_string(infos[i].band) +
                                              " is given twice, also as \"" +
                                              bandPaths[static_cast<size_t>(slot)] + "\".");
      return false;
    }
    slot = static_cast<int32_t>(i);
  }
  for (int32_t k = 0; k < count; ++k) {
    if (order[static_cast<size_t>(k)] < 0) {
      errorText = "Band " + std::to_string(k + 1) + " of " + std::to_string(count) +
                  " is missing: the picture cannot be put together without it.";
      return false;
    }
  }

  const TBandInfo& whole = infos[0];
  TPngWriter writer;
  if (!writer.Begin(outPath, whole.width, whole.height, {{kFractalChunkKeyword, fractal}},
                    PictureEncoding(), errorText)) {
    return false;
  }
  constexpr int32_t kRowsAtOnce = 64;
  std::vector<uint32_t> rows(static_cast<size_t>(whole.width) * kRowsAtOnce);
  for (int32_t k = 0; k < count; ++k) {
    const size_t i = static_cast<size_t>(order[static_cast<size_t>(k)]);
    TPngReader& reader = readers[i];
    for (int32_t done = 0; done < reader.Height();) {
      const int32_t n = std::min(kRowsAtOnce, reader.Height() - done);
      std::string reason;
      if (!reader.ReadRows(rows.data(), n, reason)) {
        errorText = BandError(bandPaths[i], reason);
        return false;
      }
      if (!writer.WriteRows(rows.data(), n, errorText)) return false;
      done += n;
    }
  }
  return writer.Finish(errorText);
}
