#include "app/TThreadVolumeWriter.h"

#include <cstdlib>
#include <string>

#include "core/fractal/Engine.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/report/Assert.h"

TThreadVolumeWriter::TThreadVolumeWriter(bool createSuspended, TVolumeWriterView* viewWave,
                                         int32_t threads)
    : TThread(true), ViewWave(viewWave), m_threads(threads) {
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
  std::string errorText;
  // A record the view let through always computes; any failure ends the work quietly,
  // with what was computed so far kept.
  ComputeInStrips(props, *FractArray, m_threads, callbacks, m_steps, errorText);
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

bool TVolumeComputation::Start(const TFractProps& props, std::string& errorText) {
  if (!CheckComputable(props, errorText)) return false;
  Stop();
  VELMORA_ASSERT(m_worker == nullptr, "ThreadVolumeWriter == NULL");
  std::unique_ptr<TFractArray> array =
      TFractArray::Create(props.XResolution.GetValue(), props.YResolution.GetValue(), errorText);
  if (array == nullptr) return false;
  m_fractArray = std::move(array);
  m_worker = std::make_unique<TThreadVolumeWriter>(true, &m_view, m_threads);
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
