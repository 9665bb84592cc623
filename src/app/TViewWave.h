#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include "app/TThreadVolumeWriter.h"
#include "core/canvas/TCanvas.h"
#include "core/colour/TVoldViewProps.h"
#include "core/documents/WaveHistory.h"
#include "core/fractal/TFractProps.h"
#include "core/orbits/TDrawPointsList.h"

class QPainter;
class TMDIChildWave;

// The question a zoom in beyond the precision of the numbers asks.
extern const char* const kBeyondPrecisionQuestion;

// Interaction modes of a fractal window.
enum : uint8_t {
  ModeNone = 0,
  ModeZoomIn = 1,
  ModeZoomOut = 2,
  ModeDrawPoints = 3,
  ModeJulia = 4,
};

// Shows one fractal: owns its parameters, colour settings, results and orbit points, grows
// the picture while the worker computes it, and turns the mouse into zooms, Julia windows
// and orbit points by its window's mode.
//
// Everything is drawn into a backing image the size of the widget; paintEvent only blits
// it, with the selection rectangle drawn over it. A full repaint is requested by
// invalidating with the repaint-pending flag set, which coalesces requests and suppresses
// progress painting until it has happened.
//
// When the grid has exactly the view's size, the computing threads paint a picture of their
// own (TPixelPlane) and the screen shows its finished columns straight from it, the backing
// image the rest. The columns shown from the picture are copied into the backing image once
// the computation has finished and the screen has been painted, or at once when the view
// is to draw into the backing image or to start again.
class TViewWave : public QWidget, public TVolumeWriterView {
 public:
  TViewWave(TMDIChildWave* owner, const TVoldViewProps& settings, const TFractProps& props);
  ~TViewWave() override;

  // Stops a running computation and starts a new one from the current parameters. A grid
  // that cannot be computed is refused with a message; the old picture then stays.
  bool StartComputation();
  // Computes props in place of the current record. A record that cannot be computed (or for
  // whose results there is no memory) is refused with a message, and the view keeps its
  // record, its results and its picture.
  bool ApplyFractProps(const TFractProps& props);
  void StopComputation();
  // New bounds of the shown rectangle, then a new computation; refused as ApplyFractProps.
  // A zoom or a pan: the state left goes into the history, without marking the document.
  void SetFractalBoundsAndRestart(double left, double top, double right, double bottom);

  // History. The record and the colour settings as one state.
  TWaveState State() const { return {m_fractProps, m_viewProps}; }
  // Shows next, recomputing when asked to or when its record differs (else only painting the
  // results again), and keeps the state left in the history with marksChanged unless next is
  // the same. False, with the view and its history unchanged, when the record is refused.
  bool ChangeState(const TWaveState& next, bool marksChanged, bool recompute);
  bool CanUndo() const { return m_history.CanUndo(); }
  bool CanRedo() const { return m_history.CanRedo(); }
  // One step back or forward; false when there is none or it cannot be shown. marksChanged
  // tells whether the step marks the document changed.
  bool Undo(bool& marksChanged);
  bool Redo(bool& marksChanged);
  // Forgets every state before the current one.
  void ForgetHistory() { m_history.ForgetBefore(); }

  // What lies under the pixel (x, y): the point and, once computed, what its cell's
  // iteration found.
  std::string WhereText(int32_t x, int32_t y) const;
  // Milliseconds since the running computation started, -1 when none runs; the share of
  // its columns done.
  qint64 ComputingFor() const;
  double ShareDone() const;
  // Whether the bounds have reached the precision of the numbers.
  bool AtPrecisionLimit() const;

  // Whether the picture is being dragged, and by how many pixels.
  bool Panning() const { return m_panning; }
  QPoint PanOffset() const { return m_panOffset; }
  // Moves the picture by whole cells, cells.x() to the right and cells.y() down, and
  // computes the new bounds: one step in the history.
  void PanByCells(int32_t cellsX, int32_t cellsY);
  const TWaveHistory& History() const { return m_history; }

  TVoldViewProps GetViewProps() const { return m_viewProps; }
  // The owner requests the repaint afterwards.
  void SetViewProps(const TVoldViewProps& settings) {
    // The computation's own picture has the colours of the old settings.
    MergePlane();
    m_viewProps = settings;
    m_coloursCurrent = false;
  }
  const TFractProps& GetFractProps() const override { return m_fractProps; }
  // Stops a running computation first, since the worker reads the record; the caller
  // restarts the computation.
  void SetFractProps(const TFractProps& props) {
    StopComputation();
    m_fractProps = props;
    m_coloursCurrent = false;
  }

  void RequestFullRepaint();
  // Paints that part of the fractal into the backing image and schedules it for the screen.
  void PaintRect(const TRect& rect);
  // The view's size in device pixels: the picture, the mouse, the selection rectangle and
  // the orbit points all count in them, so that a grid of this size gives one cell a device
  // pixel on a screen of any density.
  int32_t ClientWidth() const;
  int32_t ClientHeight() const;

  // Orbit points.
  void AddNextPoints();
  void GroupPoints();
  void RemovePoints();
  bool GroupAsPolygon() const { return m_groupAsPolygon; }
  void SetGroupAsPolygon(bool group) { m_groupAsPolygon = group; }
  const TDrawPointsList& Points() const { return m_points; }

  TFractArray* GetFractArray() override { return m_computation.FractArray(); }
  const TVolumeComputation& Computation() const { return m_computation; }
  // The backing image: what the screen shows but for the selection rectangle and, while a
  // computation paints the screen itself, the columns it has painted.
  const QImage& Picture() const { return m_image; }
  // The fractal as the view shows it, without orbit points or the selection rectangle: the
  // finished columns of the results in the view's colours, the rest in the window's colour.
  QImage FractalPicture() const;
  // Whether the current computation's coarse preview has been painted.
  bool PreviewShown() const { return m_previewShown; }
  // Whether the screen shows columns of a computation's own picture.
  bool ShowsComputedPicture() const { return m_plane != nullptr; }
  // The dotted rectangle last drawn, and whether it is on screen.
  TRect SelectionRect() const { return m_selection; }
  bool SelectionShown() const { return m_selectionShown; }
  bool RepaintPending() const { return m_repaintPending; }

  // The selection rectangle centred on (x, y): the view's size times the window's factor.
  TRect SelectionAt(int32_t x, int32_t y) const;
  // The window's mode has changed: the rectangle shows only in the zoom modes.
  void ModeChanged();

 protected:
  void ProgressPaint() override;
  void ComputationEnded() override;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawPoints();
  // Paints the running computation's preview as blocks over the columns not yet shown, once
  // it is ready.
  void ShowPreview();
  void DrawSelection(int32_t x, int32_t y);
  void EraseSelection();
  void LeftButtonDown(int32_t x, int32_t y);
  // The point of the plane under device pixel (x, y) of the view.
  void PointAt(int32_t x, int32_t y, double& re, double& im) const;
  void EndPan(const QPoint& at);
  // Undo or Redo of this window from the mouse's side buttons.
  void StepHistory(bool back);
  void WheelStep(bool up, int32_t x, int32_t y);
  bool ZoomMode() const;
  TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
  QSize ClientSize() const { return {ClientWidth(), ClientHeight()}; }
  // Device pixels a pixel of the widget.
  qreal Ratio() const { return devicePixelRatioF(); }
  // A mouse position in device pixels.
  QPoint ToClient(const QPointF& position) const { return (position * Ratio()).toPoint(); }
  // The widget's pixels that cover the device pixels of r, and the reverse.
  QRect ToWidget(const QRect& r) const;
  QRect ToDevice(const QRect& r) const;
  // Makes the backing image the view's size in device pixels, blank, and asks for a full
  // repaint from the results.
  void RenewImage();
  void Refresh(const TRect& rect);
  void FlushRefresh();
  void UpdateSelectionEdges();
  void DrawSelectionOutline(QPainter& painter) const;
  // Copies the columns shown from the computation's picture into the backing image, which
  // the screen then shows alone.
  void MergePlane();
  bool CopyFromComputedPicture(const TRect& rect);
  // Copies the part rect of a picture of the view's size into the backing image.
  void CopyFromPlane(const TPixelPlane& plane, const TRect& rect);

  // One step back or forward in the history.
  bool Step(bool back, bool& marksChanged);
  // Shows state without touching the history.
  bool ShowState(const TWaveState& state, bool recompute);

  TVolumeComputation m_computation;
  TWaveHistory m_history;
  TVoldViewProps m_viewProps;
  TFractProps m_fractProps;
  TMDIChildWave* m_owner;
  TDrawPointsList m_points;
  bool m_groupAsPolygon = false;
  bool m_repaintPending = false;
  // Whether the computation's colours were made by the current settings and record.
  bool m_coloursCurrent = false;
  TRect m_selection;
  bool m_selectionShown = false;
  QPoint m_lastMouse{-1, -1};
  // Dragging the picture in ModeNone: where it started, how far it is, and the picture
  // as it was, which follows the mouse.
  bool m_panning = false;
  QPoint m_panStart;
  QPoint m_panOffset;
  QImage m_panImage;
  QCursor m_cursorBeforePan;
  QElapsedTimer m_computingSince;
  // The user chose to zoom in beyond the precision of the numbers; not asked again.
  bool m_beyondPrecisionAccepted = false;
  int m_wheelAngle = 0;  // eighths of a degree turned and not yet taken as a notch
  QImage m_image;
  const TPixelPlane* m_plane = nullptr;  // the computation's picture the screen shows from
  int32_t m_planeColumns = 0;            // the pixel columns shown from it
  uint64_t m_starts = 0;                 // computations started, to tell them apart
  bool m_finishAfterPaint = false;       // all its columns are shown: tidy up after the paint
  QRect m_dirty;                         // changed in the image, not yet on the screen
  QTimer m_refreshTimer;
  QElapsedTimer m_lastFlush;
  static constexpr qint64 kRefreshInterval = 15;  // ms, about a frame
  // A computation still running after kPreviewDelay shows its coarse preview over the
  // columns not yet computed; one whose preview is not ready is looked at again later.
  QTimer m_previewTimer;
  bool m_previewShown = false;
  static constexpr int kPreviewDelay = 50;  // ms
  static constexpr int kPreviewRetry = 15;  // ms
};
