#pragma once

#include <cstdint>
#include <memory>
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

// The colours of a computation's cells, laid out as its results are, made by the computing
// threads as they finish strips, by the colour settings the view had when it started.
struct TCellColourPlane {
  TVoldViewProps settings;
  int32_t maxCycle = 0;
  int64_t count = 0;
  std::unique_ptr<TColor[]> colours;
};

// The worker of one computation: runs the engine over the view's grid in strips of 4
// columns from the left and has the view paint after each strip. Stopping is cooperative:
// Terminate is looked at before every strip.
class TThreadVolumeWriter : public TThread {
 public:
  // With colours, every strip is also coloured into it by the thread that computed it. A
  // retired result store (the view's previous one) is released by the worker once the work
  // has ended, so that giving its pages back to the system does not delay the start.
  TThreadVolumeWriter(bool createSuspended, TVolumeWriterView* viewWave, int32_t threads,
                      TCellColourPlane* colours = nullptr,
                      std::unique_ptr<TFractArray> retired = nullptr);
  ~TThreadVolumeWriter() override;

  // The number of FormulaStep evaluations of the finished work.
  uint64_t Steps() const { return m_steps; }

 protected:
  void Execute() override;

 private:
  TVolumeWriterView* ViewWave;
  TFractArray* FractArray = nullptr;
  int32_t m_threads;
  TCellColourPlane* m_colours;
  std::unique_ptr<TFractArray> m_retired;
  uint64_t m_steps = 0;
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
  // as it goes (see Colours).
  bool Start(const TFractProps& props, std::string& errorText,
             const TVoldViewProps* colouring = nullptr);
  // Asks a running worker to stop, waits for its end (serving its paint calls meanwhile)
  // and deletes it.
  void Stop();

  TFractArray* FractArray() const { return m_fractArray.get(); }
  // The colours of the cells below the result store's ColumnsDone, by the settings the last
  // start was given; null when it was given none or there was no memory for them.
  const TColor* Colours() const { return m_colouring ? m_plane.colours.get() : nullptr; }
  TThreadVolumeWriter* Worker() const { return m_worker.get(); }
  bool Running() const { return m_worker != nullptr && !m_worker->Finished(); }

 private:
  TVolumeWriterView& m_view;
  int32_t m_threads;
  std::unique_ptr<TThreadVolumeWriter> m_worker;
  std::unique_ptr<TFractArray> m_fractArray;
  TCellColourPlane m_plane;  // kept from one computation to the next of the same size
  bool m_colouring = false;
};
