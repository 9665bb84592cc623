#include "app/TThreadVolumeWriter.h"

#include <cstdlib>
#include <new>
#include <string>

#include "core/colour/FractalColouring.h"
#include "core/fractal/Engine.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/report/Assert.h"

TThreadVolumeWriter::TThreadVolumeWriter(bool createSuspended, TVolumeWriterView* viewWave,
                                         int32_t threads, TCellColourPlane* colours,
                                         std::unique_ptr<TFractArray> retired)
    : TThread(true),
      ViewWave(viewWave),
      m_threads(threads),
      m_colours(colours),
      m_retired(std::move(retired)) {
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
  const TFractProps props = ViewWave->GetFractProps();

  TStripCallbacks callbacks;
  callbacks.stopRequested = [this] { return Terminated(); };
  callbacks.progress = [this] { Synchronize([this] { ViewWave->ProgressPaint(); }); };
  if (m_colours != nullptr) {
    // Colouring a strip just computed finds its cells still in the cache; the GUI thread,
    // which would otherwise colour every cell while the computing threads want the cores,
    // then only copies colours into the picture.
    callbacks.stripComputed = [this](int32_t first, int32_t last) {
      ColourColumns(*FractArray, first, last, m_colours->settings, m_colours->maxCycle,
                    m_colours->colours.get());
    };
  }
  std::string errorText;
  // A record the view let through always computes; any failure ends the work quietly,
  // with what was computed so far kept.
  ComputeInStrips(props, *FractArray, m_threads, callbacks, m_steps, errorText);
  // The last columns are with the view by now. Giving a large store's pages back to the
  // system takes most of a millisecond per million cells: done here, it runs beside the
  // view's last painting instead of before the first strip.
  m_retired.reset();
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
                               const TVoldViewProps* colouring) {
  if (!CheckComputable(props, errorText)) return false;
  Stop();
  VELMORA_ASSERT(m_worker == nullptr, "ThreadVolumeWriter == NULL");
  std::unique_ptr<TFractArray> array =
      TFractArray::Create(props.XResolution.GetValue(), props.YResolution.GetValue(), errorText);
  if (array == nullptr) return false;
  // Nothing reads the previous results once the new store is in place; the worker releases
  // them after its work.
  std::unique_ptr<TFractArray> retired = std::move(m_fractArray);
  m_fractArray = std::move(array);
  m_colouring = false;
  if (colouring != nullptr) {
    const int64_t count = int64_t{m_fractArray->Width()} * m_fractArray->Height();
    if (m_plane.count != count) {
      // The old plane and the old results go first, so that a large grid never holds two
      // planes, nor a new plane beside two stores. Without memory for the colours, the view
      // colours the cells itself.
      retired.reset();
      m_plane.colours.reset();
      m_plane.colours.reset(new (std::nothrow) TColor[static_cast<size_t>(count)]);
      m_plane.count = m_plane.colours != nullptr ? count : 0;
    }
    m_plane.settings = *colouring;
    m_plane.maxCycle = props.MaxCycle.GetValue();
    m_colouring = m_plane.colours != nullptr;
  }
  m_worker = std::make_unique<TThreadVolumeWriter>(
      true, &m_view, m_threads, m_colouring ? &m_plane : nullptr, std::move(retired));
  m_worker->OnTerminate = [this] { m_view.ComputationEnded(); };
  m_worker->Resume();
  return true;
}

void TVolumeComputation::Stop() {
  if (m_worker == nullptr) return;
  m_worker->Terminate();
  m_worker->WaitFor();
  m_worker.reset();
}
