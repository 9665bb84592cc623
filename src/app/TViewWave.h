#pragma once

#include <cstdint>
#include <memory>

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include "app/TThreadVolumeWriter.h"
#include "core/canvas/TCanvas.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractProps.h"
#include "core/orbits/TDrawPointsList.h"

class QPainter;
class TMDIChildWave;

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
  void SetFractalBoundsAndRestart(double left, double top, double right, double bottom);

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
  int32_t ClientWidth() const { return width(); }
  int32_t ClientHeight() const { return height(); }

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
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawPoints();
  void DrawSelection(int32_t x, int32_t y);
  void EraseSelection();
  void LeftButtonDown(int32_t x, int32_t y);
  void WheelStep(bool up, int32_t x, int32_t y);
  bool ZoomMode() const;
  TRect ClientRect() const { return {0, 0, width(), height()}; }
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

  TVolumeComputation m_computation;
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
};
