#include "app/TThreadVolumeWriter.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "core/colour/FractalColouring.h"
#include "core/fractal/Engine.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/report/Assert.h"

namespace {

constexpr std::align_val_t kLine{64};
constexpr int64_t kLinePixels = 16;

}  // namespace

void TPixelPlane::TFree::operator()(uint32_t* p) const { ::operator delete[](p, kLine); }

std::unique_ptr<TPixelPlane> TPixelPlane::Create(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return nullptr;
  const int64_t stride = (int64_t{width} + kLinePixels - 1) / kLinePixels * kLinePixels;
  const auto count = static_cast<size_t>(stride * height);
  auto* pixels =
      static_cast<uint32_t*>(::operator new[](count * sizeof(uint32_t), kLine, std::nothrow));
  if (pixels == nullptr) return nullptr;
  auto plane = std::make_unique<TPixelPlane>();
  plane->m_width = width;
  plane->m_height = height;
  plane->m_stride = stride;
  plane->m_pixels.reset(pixels);
  return plane;
}

TThreadVolumeWriter::TThreadVolumeWriter(bool createSuspended, TVolumeWriterView* viewWave,
                                         int32_t threads, TCellColourPlane* colours)
    : TThread(true), ViewWave(viewWave), m_threads(threads), m_colours(colours) {
  if (!createSuspended) Resume();
}

TThreadVolumeWriter::~TThreadVolumeWriter() {
  // The body reads members of this class: it must have ended before they go.
  Terminate();
  WaitFor();
}

void TThreadVolumeWriter::Execute() {
  NameThread("TreadVolumeWriter");
  VELMORA_ASSERT(ViewWave != nullptr, "ViewWave != NULL");
  FractArray = ViewWave->GetFractArray();
  VELMORA_ASSERT(FractArray != nullptr, "FractArray != NULL");
  // What ends the work early is kept for the view to tell; the results computed so far stay.
  try {
    Work();
  } catch (const std::bad_alloc&) {
    m_errorText = "There is not enough memory to compute the fractal.";
  } catch (const std::exception& e) {
    m_errorText = e.what();
  } catch (...) {
    m_errorText = "The computation failed for an unknown reason.";
  }
  if (m_errorText.empty() && m_failed) m_errorText = "The computation failed.";
}

void TThreadVolumeWriter::ComputePreview(const TFractProps& props) {
  const int32_t width = SampledSize(props.XResolution.GetValue(), kPreviewStride);
  const int32_t height = SampledSize(props.YResolution.GetValue(), kPreviewStride);
  if (width < 2 || height < 2) return;
  // Only for a computation that takes longer than the delay: a quicker one costs nothing.
  {
    std::unique_lock<std::mutex> lock(m_previewMutex);
    if (m_previewWake.wait_for(lock, kPreviewDelay, [this] { return m_workEnded; })) return;
  }
  // Without the memory for it the work goes on without a preview.
  std::string unused;
  std::unique_ptr<TFractArray> preview = TFractArray::Create(width, height, unused);
  if (preview == nullptr) return;
  for (int32_t x = 0; x < width; x += kStripWidth) {
    if (Terminated() || WorkEnded()) return;
    uint64_t steps = 0;
    std::string errorText;
    if (!ComputeSampledCells(props, kPreviewStride, *preview, x, std::min(x + kStripWidth, width),
                             steps, errorText)) {
      return;
    }
  }
  m_preview = std::move(preview);
  m_previewReady.store(true, std::memory_order_release);
}

bool TThreadVolumeWriter::WorkEnded() {
  const std::lock_guard<std::mutex> lock(m_previewMutex);
  return m_workEnded;
}

void TThreadVolumeWriter::Work() {
  const TFractProps props = ViewWave->GetFractProps();
  // A coarse picture of the whole grid, at 1/64 of the grid's cost, for a computation still
  // running after the delay: a thread of its own computes it beside the strips. Without the
  // thread the work goes on without a preview.
  std::thread previewThread;
  try {
    previewThread = std::thread([this, props] { ComputePreview(props); });
  } catch (const std::system_error&) {
  }
  struct TPreviewEnd {
    TThreadVolumeWriter* writer;
    std::thread& thread;
    ~TPreviewEnd() {
      {
        const std::lock_guard<std::mutex> lock(writer->m_previewMutex);
        writer->m_workEnded = true;
      }
      writer->m_previewWake.notify_all();
      if (thread.joinable()) thread.join();
    }
  } previewEnd{this, previewThread};

  TStripCallbacks callbacks;
  callbacks.stopRequested = [this] { return Terminated(); };
  callbacks.progress = [this] { Synchronize([this] { ViewWave->ProgressPaint(); }); };
  if (m_colours != nullptr) {
    // Colouring a strip just computed finds its cells still in the cache; the GUI thread,
    // which would otherwise colour every cell while the computing threads want the cores,
    // then only copies colours into its picture, or with a picture of the grid's own only
    // puts that on the screen. Such a picture is painted a claim of 16 columns at a time.
    if (TPixelPlane* picture = m_colours->pixels) {
      callbacks.stripComputed = [this, picture](int32_t first, int32_t last) {
        ColourColumnsToRows(*FractArray, first, last, m_colours->settings, m_colours->maxCycle,
                            picture->Pixels(), picture->Stride());
      };
      callbacks.stripsPerClaim = 4;
    } else {
      callbacks.stripComputed = [this](int32_t first, int32_t last) {
        ColourColumns(*FractArray, first, last, m_colours->settings, m_colours->maxCycle,
                      m_colours->colours.get());
      };
    }
  }
  std::string errorText;
  if (!ComputeInStrips(props, *FractArray, m_threads, callbacks, m_steps, errorText)) {
    m_failed = true;
    m_errorText = errorText;
  }
}

int32_t GuiComputeThreads() {
  if (const char* value = std::getenv("VELMORA_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end != value && *end == '\0' && n >= 1 && n <= 256) return static_cast<int32_t>(n);
  }
  return DefaultComputeThreads();
}

TVolumeComputation::TVolumeComputation(TVolumeWriterView& view, int32_t threads)
    : m_view(view), m_threads(threads) {}

TVolumeComputation::~TVolumeComputation() { Stop(); }

bool TVolumeComputation::Start(const TFractProps& props, std::string& errorText,
                               const TVoldViewProps* colouring, bool picture) {
  if (!CheckComputable(props, errorText)) return false;
  Stop();
  VELMORA_ASSERT(m_worker == nullptr, "ThreadVolumeWriter == NULL");
  // A large grid never holds three stores.
  m_replaced.reset();
  std::unique_ptr<TFractArray> array =
      TFractArray::Create(props.XResolution.GetValue(), props.YResolution.GetValue(), errorText);
  if (array == nullptr) return false;
  // Nothing reads the previous results once the new store is in place.
  m_replaced = std::move(m_fractArray);
  m_fractArray = std::move(array);
  const TFractProps previousProps = m_props;
  m_props = props;
  m_colouring = false;
  m_plane.pixels = nullptr;
  if (colouring != nullptr && picture) {
    const int32_t width = m_fractArray->Width();
    const int32_t height = m_fractArray->Height();
    if (m_pixels == nullptr || m_pixels->Width() != width || m_pixels->Height() != height) {
      // The old picture and the old results go first, as for the colours below.
      m_pixels.reset();
      m_replaced.reset();
      m_pixels = TPixelPlane::Create(width, height);
    }
    if (m_pixels != nullptr) {
      // Colours laid out as the results are would only take memory.
      m_plane.colours.reset();
      m_plane.count = 0;
      m_plane.pixels = m_pixels.get();
    }
  } else {
    m_pixels.reset();
  }
  if (colouring != nullptr && m_plane.pixels == nullptr) {
    const int64_t count = int64_t{m_fractArray->Width()} * m_fractArray->Height();
    if (m_plane.count != count) {
      // The old plane and the old results go first, so that a large grid never holds two
      // planes, nor a new plane beside two stores. Without memory for the colours, the view
      // colours the cells itself.
      m_replaced.reset();
      m_plane.colours.reset();
      m_plane.colours.reset(new (std::nothrow) TColor[static_cast<size_t>(count)]);
      m_plane.count = m_plane.colours != nullptr ? count : 0;
    }
  }
  if (colouring != nullptr) {
    m_plane.settings = *colouring;
    m_plane.maxCycle = props.MaxCycle.GetValue();
    m_colouring = m_plane.pixels != nullptr || m_plane.colours != nullptr;
  }
  m_worker = std::make_unique<TThreadVolumeWriter>(true, &m_view, m_threads,
                                                   m_colouring ? &m_plane : nullptr);
  m_worker->OnTerminate = [this] { m_view.ComputationEnded(); };
  if (m_worker->Resume()) return true;
  // The system has no thread to give: the previous results come back where they are still
  // held, and no colours of this start are offered.
  m_worker.reset();
  m_colouring = false;
  m_plane.pixels = nullptr;
  if (m_replaced != nullptr) {
    m_fractArray = std::move(m_replaced);
    m_props = previousProps;
  }
  errorText = "The system cannot start another thread for the computation.";
  return false;
}

void TVolumeComputation::ReleaseReplacedResults() { m_replaced.reset(); }

void TVolumeComputation::Stop() {
  if (m_worker == nullptr) return;
  m_worker->Terminate();
  m_worker->WaitFor();
  m_worker.reset();
}
