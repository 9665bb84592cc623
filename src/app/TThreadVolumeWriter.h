#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractProps.h"
#include "core/values/TColor.h"
#include "platform/TThread.h"

class TFractArray;

// What a computation needs from the view that owns it. The worker reads the record and the
// result store once, at its start; the two calls run on the GUI thread.
class TVolumeWriterView {
 public:
  virtual ~TVolumeWriterView() = default;
  virtual const TFractProps& GetFractProps() const = 0;
  virtual TFractArray* GetFractArray() = 0;
  // After each strip that advanced ColumnsDone; the worker waits until it has run.
  virtual void ProgressPaint() = 0;
  // Once, after the work has ended, also after a stop or an exception.
  virtual void ComputationEnded() = 0;
};

// A picture of a computation's grid, row by row in opaque ARGB pixels (the layout of an RGB32
// QImage), that its computing threads paint as they finish strips. Rows start on 64-byte
// lines and are whole lines long, and the threads take strips in claims of 16 columns, so no
// two threads ever write into one line.
class TPixelPlane {
 public:
  // Null when there is no memory for it.
  static std::unique_ptr<TPixelPlane> Create(int32_t width, int32_t height);
  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }
  int64_t Stride() const { return m_stride; }  // pixels from one row to the next
  uint32_t* Pixels() { return m_pixels.get(); }
  const uint32_t* Pixels() const { return m_pixels.get(); }

 private:
  struct TFree {
    void operator()(uint32_t* p) const;
  };
  int32_t m_width = 0;
  int32_t m_height = 0;
  int64_t m_stride = 0;
  std::unique_ptr<uint32_t[], TFree> m_pixels;
};

// The colours of a computation's cells, made by the computing threads as they finish strips,
// by the colour settings the view had when it started: laid out as the results are
// (colours), or as a picture (pixels).
struct TCellColourPlane {
  TVoldViewProps settings;
  int32_t maxCycle = 0;
  int64_t count = 0;
  std::unique_ptr<TColor[]> colours;
  TPixelPlane* pixels = nullptr;
};

// The worker of one computation: runs the engine over the view's grid in strips of 4
// columns from the left and has the view paint after each strip. Stopping is cooperative:
// Terminate is looked at before every strip.
class TThreadVolumeWriter : public TThread {
 public:
  // With colours, every strip is also coloured into it by the thread that computed it.
  TThreadVolumeWriter(bool createSuspended, TVolumeWriterView* viewWave, int32_t threads,
                      TCellColourPlane* colours = nullptr);
  ~TThreadVolumeWriter() override;

  // The number of FormulaStep evaluations of the finished work.
  uint64_t Steps() const { return m_steps; }
  // The coarse picture of the grid for a computation that runs past kPreviewDelay: every
  // kPreviewStride-th cell in each direction, each exactly that cell of the grid. Null until
  // it is complete; once it is, it stays as it is for the worker's life. Grids under two
  // preview cells either way get none.
  const TFractArray* Preview() const {
    return m_previewReady.load(std::memory_order_acquire) ? m_preview.get() : nullptr;
  }
  static constexpr int32_t kPreviewStride = 8;

  // Whether the work ended on a failure, neither finished nor stopped, and why. Read on the
  // GUI thread once the work has ended (from OnTerminate on).
  bool Failed() const { return !m_errorText.empty(); }
  const std::string& ErrorText() const { return m_errorText; }

 protected:
  void Execute() override;

 private:
  void Work();
  // Computes the preview on a thread of its own once the delay is over, unless the work has
  // ended by then; a few columns at a time, so that a stop request or the work's end is soon
  // seen.
  void ComputePreview(const TFractProps& props);
  bool WorkEnded();

  TVolumeWriterView* ViewWave;
  TFractArray* FractArray = nullptr;
  int32_t m_threads;
  TCellColourPlane* m_colours;
  uint64_t m_steps = 0;
  std::unique_ptr<TFractArray> m_preview;
  std::atomic<bool> m_previewReady{false};
  // Wakes the preview's thread when the work ends before the delay is over.
  std::mutex m_previewMutex;
  std::condition_variable m_previewWake;
  bool m_workEnded = false;
  static constexpr std::chrono::milliseconds kPreviewDelay{50};
  bool m_failed = false;
  std::string m_errorText;
};

// The threads one computation uses in the GUI: VELMORA_THREADS when it holds a number from 1
// to 256, else every core.
int32_t GuiComputeThreads();

// Starts and stops the computations of one view in the binding order: a start first stops
// and deletes the running worker, then replaces the result store, then starts a new worker.
class TVolumeComputation {
 public:
  explicit TVolumeComputation(TVolumeWriterView& view, int32_t threads = GuiComputeThreads());
  ~TVolumeComputation();
  TVolumeComputation(const TVolumeComputation&) = delete;
  TVolumeComputation& operator=(const TVolumeComputation&) = delete;

  // Makes a new result store for props and starts a worker on it. A grid that cannot be
  // computed (too large, no memory) is refused with false and errorText; the previous
  // results then stay. With colouring, the worker also colours the cells by those settings
  // as it goes: into a picture of the grid when asked for one and there is memory for it
  // (see Pixels), otherwise laid out as the results are (see Colours).
  bool Start(const TFractProps& props, std::string& errorText,
             const TVoldViewProps* colouring = nullptr, bool picture = false);
  // Asks a running worker to stop, waits for its end (serving its paint calls meanwhile)
  // and deletes it.
  void Stop();

  TFractArray* FractArray() const { return m_fractArray.get(); }
  // The record the current results are computed with: their grid size and the cycle lengths
  // they can hold come from it, whatever record the view has been given since.
  const TFractProps& Props() const { return m_props; }
  // Frees the result store the last start replaced, which nothing reads any more. Giving a
  // large store's pages back to the system takes most of a millisecond per million cells and
  // holds up the program's other threads meanwhile: the view does it once the computation's
  // picture is on the screen. A start frees what is still held first.
  void ReleaseReplacedResults();
  bool HoldsReplacedResults() const { return m_replaced != nullptr; }
  // The colours of the cells below the result store's ColumnsDone, by the settings the last
  // start was given; null when it was given none or there was no memory for them.
  const TColor* Colours() const {
    return m_colouring && m_plane.pixels == nullptr ? m_plane.colours.get() : nullptr;
  }
  // The picture the last start paints, when it paints one: its pixels in the columns below
  // the result store's ColumnsDone are final, and the view does not draw into it. The next
  // start paints it again (or frees it).
  const TPixelPlane* Pixels() const { return m_plane.pixels; }
  TThreadVolumeWriter* Worker() const { return m_worker.get(); }
  int32_t Threads() const { return m_threads; }
  bool Running() const { return m_worker != nullptr && !m_worker->Finished(); }

 private:
  TVolumeWriterView& m_view;
  int32_t m_threads;
  std::unique_ptr<TThreadVolumeWriter> m_worker;
  std::unique_ptr<TFractArray> m_fractArray;
  TFractProps m_props;
  std::unique_ptr<TFractArray> m_replaced;  // the store before it, until released
  TCellColourPlane m_plane;  // kept from one computation to the next of the same size
  bool m_colouring = false;
  std::unique_ptr<TPixelPlane> m_pixels;  // kept from one computation to the next of the same size
};
