#include "app/TViewWave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QWheelEvent>

#include "app/ShellServices.h"
#include "app/TMDIChildWave.h"
#include "core/colour/FractalColouring.h"
#include "core/fractal/Engine.h"
#include "core/fractal/PointInfo.h"
#include "core/fractal/TFractArray.h"
#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "core/values/ValuesAlg.h"
#include "platform/Dialogs.h"
#include "render/QImageCanvas.h"

const char* const kBeyondPrecisionQuestion =
    "The picture has reached the precision of the numbers: neighbouring pixels can hardly be "
    "told apart any more, and zooming in further makes the picture blocky. Zoom in all the "
    "same?";

TViewWave::TViewWave(TMDIChildWave* owner, const TVoldViewProps& settings, const TFractProps& props)
    : QWidget(owner),
      m_computation(*this),
      m_viewProps(settings),
      m_fractProps(props),
      m_owner(owner) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_refreshTimer.setSingleShot(true);
  connect(&m_refreshTimer, &QTimer::timeout, this, &TViewWave::FlushRefresh);
  m_previewTimer.setSingleShot(true);
  connect(&m_previewTimer, &QTimer::timeout, this, &TViewWave::ShowPreview);
  setFocusPolicy(Qt::ClickFocus);
}

TViewWave::~TViewWave() { m_computation.Stop(); }

bool TViewWave::StartComputation() {
  VELMORA_ASSERT(m_owner != nullptr && m_owner->Document() != nullptr, "unitWave != NULL");
  // The new computation may paint into the picture the screen shows columns from.
  m_computation.Stop();
  MergePlane();
  // A grid of the view's size is painted by the computing threads; the screen shows it.
  const bool picture = !m_image.isNull() && m_image.size() == ClientSize() &&
                       m_fractProps.XResolution.GetValue() == ClientWidth() &&
                       m_fractProps.YResolution.GetValue() == ClientHeight();
  std::string error;
  if (!m_computation.Start(m_fractProps, error, &m_viewProps, picture)) {
    // The view colours the cells itself until a start succeeds.
    m_coloursCurrent = false;
    ErrorReporter.ShowMessage(CannotComputeMessage(error), "Error", TMessageIcon::Information);
    return false;
  }
  m_coloursCurrent = true;
  m_computingSince.start();
  m_plane = m_computation.Pixels();
  m_planeColumns = 0;
  m_finishAfterPaint = false;
  ++m_starts;
  m_previewShown = false;
  m_previewTimer.start(kPreviewDelay);
  return true;
}

void TViewWave::ShowPreview() {
  const TThreadVolumeWriter* worker = m_computation.Worker();
  const TFractArray* results = m_computation.FractArray();
  if (worker == nullptr || results == nullptr || !m_computation.Running() || m_image.isNull() ||
      results->ColumnsDone() >= results->Width()) {
    return;
  }
  const TFractArray* preview = worker->Preview();
  // Not ready yet, or a full repaint is due that would paint over it.
  if (preview == nullptr || m_repaintPending) {
    m_previewTimer.start(kPreviewRetry);
    return;
  }
  const TFractProps& props = m_computation.Props();
  const int32_t maxCycle = props.MaxCycle.GetValue();
  QImage blocks(preview->Width(), preview->Height(), QImage::Format_RGB32);
  for (int32_t j = 0; j < preview->Height(); ++j) {
    auto* line = reinterpret_cast<QRgb*>(blocks.scanLine(j));
    for (int32_t i = 0; i < preview->Width(); ++i) {
      line[i] = ToQRgb(
          CellColor(preview->GetDepth(i, j), preview->GetCycle(i, j), m_viewProps, maxCycle));
    }
  }
  // Sample cell (i, j) is grid cell (8i, 8j): its block covers the grid's cells up to the
  // next sample, stretched as the grid is to the view. The columns shown stay.
  const double columns = results->Width();
  const double rows = results->Height();
  const double stride = TThreadVolumeWriter::kPreviewStride;
  const int32_t shown =
      static_cast<int32_t>(LinearMap(results->ColumnsShown(), 0, columns, 0, ClientWidth()));
  {
    QPainter painter(&m_image);
    painter.setClipRect(QRect(shown, 0, ClientWidth() - shown, ClientHeight()));
    painter.drawImage(QRectF(0, 0, preview->Width() * stride * ClientWidth() / columns,
                             preview->Height() * stride * ClientHeight() / rows),
                      blocks);
  }
  m_previewShown = true;
  update();
}

void TViewWave::StopComputation() { m_computation.Stop(); }

bool TViewWave::ApplyFractProps(const TFractProps& props) {
  // Refused before anything is stopped, so that a running computation goes on.
  std::string reason;
  if (!CheckComputable(props, reason)) {
    ErrorReporter.ShowMessage(CannotComputeMessage(reason), "Error", TMessageIcon::Information);
    return false;
  }
  const TFractProps previous = m_fractProps;
  SetFractProps(props);
  if (StartComputation()) return true;
  // No worker was started: the record can go back at once.
  m_fractProps = previous;
  return false;
}

void TViewWave::SetFractalBoundsAndRestart(double left, double top, double right, double bottom) {
  // A rectangle shrunk to nothing by the wheel would give bounds that collapse or are not
  // numbers at all, which no file could hold: such a zoom is ignored.
  if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) ||
      !std::isfinite(bottom) || left == right || top == bottom) {
    return;
  }
  TWaveState next = State();
  next.props.Left.SetValue(left);
  next.props.Top.SetValue(top);
  next.props.Right.SetValue(right);
  next.props.Bottom.SetValue(bottom);
  ChangeState(next, false, true);
}

bool TViewWave::ShowState(const TWaveState& state, bool recompute) {
  const bool newColours = state.settings != m_viewProps;
  if (recompute || state.props != m_fractProps) {
    // A new computation: the old picture stays until its columns arrive, unless its colours
    // are to change too.
    const TVoldViewProps previous = m_viewProps;
    SetViewProps(state.settings);
    if (!ApplyFractProps(state.props)) {
      SetViewProps(previous);
      return false;
    }
  } else if (newColours) {
    // Only the colours: the results are painted again.
    SetViewProps(state.settings);
  }
  if (newColours) RequestFullRepaint();
  return true;
}

bool TViewWave::ChangeState(const TWaveState& next, bool marksChanged, bool recompute) {
  const TWaveState left = State();
  if (!ShowState(next, recompute)) return false;
  // A state like the one left is not recorded.
  if (next != left) m_history.Push(left, marksChanged);
  return true;
}

bool TViewWave::Undo(bool& marksChanged) { return Step(true, marksChanged); }

bool TViewWave::Redo(bool& marksChanged) { return Step(false, marksChanged); }

bool TViewWave::Step(bool back, bool& marksChanged) {
  const TWaveState* target =
      back ? m_history.UndoTarget(marksChanged) : m_history.RedoTarget(marksChanged);
  if (target == nullptr) return false;
  const TWaveState left = State();
  if (!ShowState(*target, false)) return false;
  if (back) {
    m_history.Undone(left);
  } else {
    m_history.Redone(left);
  }
  return true;
}

void TViewWave::RequestFullRepaint() {
  m_repaintPending = true;
  // The whole view is painted again, without the rectangle until the mouse moves.
  m_selectionShown = false;
  update();
}

void TViewWave::Refresh(const TRect& rect) {
  // What changed in the image reaches the screen at most once a frame: a fast computation
  // finishes hundreds of strips a second, and a blit for each would cost more than the
  // computation itself. A change after a quiet frame goes at once.
  m_dirty |= QRect(rect.left, rect.top, rect.Width(), rect.Height());
  if (m_refreshTimer.isActive()) return;
  const qint64 since = m_lastFlush.isValid() ? m_lastFlush.elapsed() : kRefreshInterval;
  if (since >= kRefreshInterval) {
    FlushRefresh();
  } else {
    m_refreshTimer.start(static_cast<int>(kRefreshInterval - since));
  }
}

void TViewWave::FlushRefresh() {
  m_refreshTimer.stop();
  if (!m_dirty.isEmpty()) update(ToWidget(m_dirty));
  m_dirty = QRect();
  m_lastFlush.start();
}

void TViewWave::CopyFromPlane(const TPixelPlane& plane, const TRect& rect) {
  // Clipped to both: the columns asked for are final in the picture.
  const int32_t left = std::max(rect.left, 0);
  const int32_t right = std::min({rect.right, plane.Width(), m_image.width()});
  const int32_t top = std::max(rect.top, 0);
  const int32_t bottom = std::min({rect.bottom, plane.Height(), m_image.height()});
  if (left >= right) return;
  uchar* bits = m_image.bits();
  const qsizetype line = m_image.bytesPerLine();
  for (int32_t y = top; y < bottom; ++y) {
    std::memcpy(bits + y * line + left * qsizetype{sizeof(uint32_t)},
                plane.Pixels() + y * plane.Stride() + left,
                static_cast<size_t>(right - left) * sizeof(uint32_t));
  }
}

void TViewWave::MergePlane() {
  if (m_plane == nullptr) return;
  // The columns shown are final: the computing threads no longer write them.
  CopyFromPlane(*m_plane, {0, 0, m_planeColumns, m_plane->Height()});
  m_plane = nullptr;
  m_planeColumns = 0;
}

bool TViewWave::CopyFromComputedPicture(const TRect& rect) {
  // The computation's picture, where it has the view's size and colours: its final columns
  // are copied as they are.
  const TPixelPlane* picture = m_computation.Pixels();
  const TFractArray* results = m_computation.FractArray();
  if (!m_coloursCurrent || picture == nullptr || results == nullptr ||
      m_image.size() != QSize(picture->Width(), picture->Height())) {
    return false;
  }
  CopyFromPlane(*picture,
                {rect.left, rect.top, std::min(rect.right, results->ColumnsDone()), rect.bottom});
  return true;
}

void TViewWave::PaintRect(const TRect& rect) {
  const TVoldViewProps settings = m_viewProps;
  if (ClientWidth() < 2 || m_repaintPending || m_image.isNull()) return;
  MergePlane();
  if (CopyFromComputedPicture(rect)) {
    Refresh(rect);
    return;
  }
  {
    // The computation's colours, by its picture when the view is not of its size.
    const TPixelPlane* picture = m_coloursCurrent ? m_computation.Pixels() : nullptr;
    TCellPixels pixels;
    if (picture != nullptr) pixels = {picture->Pixels(), picture->Stride()};
    QImageCanvas canvas(m_image);
    // The results are coloured by the record they were computed with: a record given since
    // may look for shorter cycles than the results hold.
    PaintFractalRect(canvas, rect, ClientRect(), m_computation.FractArray(), settings,
                     m_computation.Props().MaxCycle.GetValue(),
                     m_coloursCurrent ? m_computation.Colours() : nullptr,
                     picture != nullptr ? &pixels : nullptr);
  }
  Refresh(rect);
}

QImage TViewWave::FractalPicture() const {
  QImage image(std::max(ClientWidth(), 1), std::max(ClientHeight(), 1), QImage::Format_RGB32);
  image.fill(palette().color(QPalette::Window));
  QImageCanvas canvas(image);
  PaintFractalRect(canvas, ClientRect(), ClientRect(), m_computation.FractArray(), m_viewProps,
                   m_computation.Props().MaxCycle.GetValue());
  return image;
}

void TViewWave::ProgressPaint() {
  TFractArray* results = m_computation.FractArray();
  if (results == nullptr) return;
  const int32_t shown = results->ColumnsShown();
  const int32_t done = results->ColumnsDone();
  const double w = results->Width();
  const int32_t x0 = static_cast<int32_t>(LinearMap(shown, 0, w, 0, ClientWidth()));
  const int32_t x1 = static_cast<int32_t>(LinearMap(done, 0, w, 0, ClientWidth()));
  if (x0 < x1 && x1 > 0 && x0 < ClientWidth()) {
    if (m_plane != nullptr) {
      // The computing threads have painted them: they only need to reach the screen.
      m_planeColumns = x1;
      Refresh({x0, 0, x1, ClientHeight()});
    } else {
      PaintRect({x0, 0, x1, ClientHeight()});
    }
  }
  results->SetColumnsShown(done);
  const bool last = done == results->Width();
  // The last columns go to the screen at once: a picture computed in less than a frame would
  // otherwise wait for the frame to end. So do the columns of several threads, which report at
  // most every few milliseconds: what is left for the end then stays small.
  if (last || m_computation.Threads() > 1) FlushRefresh();
  // Once the screen has been painted, the backing image takes over the picture and the
  // previous results go.
  if (last) m_finishAfterPaint = true;
}

void TViewWave::ComputationEnded() {
  DrawPoints();
  const TThreadVolumeWriter* worker = m_computation.Worker();
  if (worker == nullptr || !worker->Failed()) return;
  // Told once the event loop is back: the end may come while a new start stops the worker.
  QTimer::singleShot(0, this, [text = worker->ErrorText()] {
    ErrorReporter.ShowMessage(CannotComputeMessage(text), "Error", TMessageIcon::Information);
  });
}

void TViewWave::DrawPoints() {
  if (m_image.isNull() || m_points.IsEmpty()) return;
  MergePlane();
  {
    QImageCanvas canvas(m_image);
    m_points.Draw(canvas, ClientRect(), m_fractProps);
  }
  update();
}

void TViewWave::paintEvent(QPaintEvent* event) {
  // Moved to a screen of another density: the device size changed without a resize.
  if (!m_image.isNull() && m_image.size() != ClientSize()) RenewImage();
  if (m_repaintPending) {
    m_repaintPending = false;
    // While the computation's picture is shown, the finished columns are in it already;
    // only orbit points make the backing image the whole picture again.
    if (m_plane == nullptr || !m_points.IsEmpty()) {
      PaintRect(ClientRect());
      DrawPoints();
    }
  }
  QPainter painter(this);
  // Everything below counts in device pixels, as the backing image does: at a density above
  // one its pixels reach the screen unscaled and the pen of the rectangle is a device pixel.
  const qreal ratio = Ratio();
  QRegion region;
  for (const QRect& r : event->region()) region += ToDevice(r);
  if (ratio != 1.0) painter.scale(1 / ratio, 1 / ratio);
  if (m_panning) {
    painter.fillRect(QRect(QPoint(0, 0), ClientSize()), palette().color(QPalette::Window));
    painter.drawImage(m_panOffset, m_panImage);
    return;
  }
  if (m_plane != nullptr) {
    const TPixelPlane& plane = *m_plane;
    // Read-only: the columns beyond the shown ones are still being written.
    const QImage computed(reinterpret_cast<const uchar*>(plane.Pixels()), plane.Width(),
                          plane.Height(), static_cast<qsizetype>(plane.Stride() * sizeof(uint32_t)),
                          QImage::Format_RGB32);
    const QRect shown(0, 0, m_planeColumns, ClientHeight());
    for (const QRect& r : region) {
      const QRect fromComputed = r & shown;
      if (!fromComputed.isEmpty()) painter.drawImage(fromComputed, computed, fromComputed);
      const QRect rest =
          r & QRect(m_planeColumns, 0, ClientWidth() - m_planeColumns, ClientHeight());
      if (!rest.isEmpty()) painter.drawImage(rest, m_image, rest);
    }
  } else {
    for (const QRect& r : region) painter.drawImage(r, m_image, r);
  }
  if (m_selectionShown) DrawSelectionOutline(painter);
  if (region.boundingRect().contains(m_dirty)) m_dirty = QRect();
  if (m_finishAfterPaint) {
    // Either would delay this paint, and a call posted before it would come first; one
    // posted now comes after it. It is left out once the view has started again: then the
    // new computation's first page faults would wait for the freeing.
    m_finishAfterPaint = false;
    QTimer::singleShot(0, this, [this, start = m_starts] {
      if (start != m_starts) return;
      MergePlane();
      m_computation.ReleaseReplacedResults();
    });
  }
}

void TViewWave::resizeEvent(QResizeEvent*) { RenewImage(); }

int32_t TViewWave::ClientWidth() const { return qRound(width() * Ratio()); }

int32_t TViewWave::ClientHeight() const { return qRound(height() * Ratio()); }

QRect TViewWave::ToWidget(const QRect& r) const {
  const qreal ratio = Ratio();
  if (ratio == 1.0 || r.isEmpty()) return r;
  const int left = static_cast<int>(std::floor(r.left() / ratio));
  const int top = static_cast<int>(std::floor(r.top() / ratio));
  const int right = static_cast<int>(std::ceil((r.right() + 1) / ratio));
  const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) / ratio));
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRect TViewWave::ToDevice(const QRect& r) const {
  const qreal ratio = Ratio();
  if (ratio == 1.0 || r.isEmpty()) return r;
  const int left = static_cast<int>(std::floor(r.left() * ratio));
  const int top = static_cast<int>(std::floor(r.top() * ratio));
  const int right = static_cast<int>(std::ceil((r.right() + 1) * ratio));
  const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) * ratio));
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TViewWave::RenewImage() {
  // The picture is painted again at the new size from the results; nothing is recomputed.
  QImage image(std::max(ClientWidth(), 1), std::max(ClientHeight(), 1), QImage::Format_RGB32);
  image.fill(palette().color(QPalette::Window));
  m_image = image;
  m_plane = nullptr;
  m_planeColumns = 0;
  m_selectionShown = false;
  RequestFullRepaint();
}

TRect TViewWave::SelectionAt(int32_t x, int32_t y) const {
  const double c = m_owner->SelectionFactor() * 0.5;
  const double w = ClientWidth();
  const double h = ClientHeight();
  return {static_cast<int32_t>(x - w * c), static_cast<int32_t>(y - h * c),
          static_cast<int32_t>(x + w * c), static_cast<int32_t>(y + h * c)};
}

void TViewWave::UpdateSelectionEdges() {
  const TRect& s = m_selection;
  QRegion edges;
  edges += QRect(QPoint(s.left, s.top), QPoint(s.right, s.top));
  edges += QRect(QPoint(s.left, s.bottom), QPoint(s.right, s.bottom));
  edges += QRect(QPoint(s.left, s.top), QPoint(s.left, s.bottom));
  edges += QRect(QPoint(s.right, s.top), QPoint(s.right, s.bottom));
  QRegion onWidget;
  for (const QRect& r : edges) onWidget += ToWidget(r);
  update(onWidget);
}

void TViewWave::DrawSelectionOutline(QPainter& painter) const {
  // A cosmetic one-pixel dotted pen with flat caps, each side leaving out its end point.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(QColor::fromRgb(ToQRgb(m_viewProps.CursorColor.GetValue())), 0, Qt::DotLine,
                      Qt::FlatCap));
  const TRect& s = m_selection;
  painter.drawLine(QPoint(s.left, s.top), QPoint(s.right, s.top));
  painter.drawLine(QPoint(s.right, s.top), QPoint(s.right, s.bottom));
  painter.drawLine(QPoint(s.right, s.bottom), QPoint(s.left, s.bottom));
  painter.drawLine(QPoint(s.left, s.bottom), QPoint(s.left, s.top));
}

void TViewWave::EraseSelection() {
  if (!m_selectionShown) return;
  // The rectangle is drawn over the picture at each paint: its edges only need painting
  // again without it.
  m_selectionShown = false;
  UpdateSelectionEdges();
}

void TViewWave::DrawSelection(int32_t x, int32_t y) {
  EraseSelection();
  m_selection = SelectionAt(x, y);
  if (m_image.isNull()) return;
  m_selectionShown = true;
  UpdateSelectionEdges();
}

bool TViewWave::ZoomMode() const {
  const uint8_t mode = m_owner->Mode();
  return mode == ModeZoomIn || mode == ModeZoomOut;
}

void TViewWave::ModeChanged() {
  // In a zoom mode the next move of the mouse draws it.
  if (!ZoomMode()) EraseSelection();
}

void TViewWave::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  EraseSelection();
  ShellServices.ShowWhere("");
}

void TViewWave::PointAt(int32_t x, int32_t y, double& re, double& im) const {
  const double w = std::max(ClientWidth(), 1);
  const double h = std::max(ClientHeight(), 1);
  const double left = m_fractProps.Left.GetValue();
  const double top = m_fractProps.Top.GetValue();
  re = left + x / w * (m_fractProps.Right.GetValue() - left);
  im = top + y / h * (m_fractProps.Bottom.GetValue() - top);
}

std::string TViewWave::WhereText(int32_t x, int32_t y) const {
  const double w = std::max(ClientWidth(), 1);
  const double h = std::max(ClientHeight(), 1);
  const double left = m_fractProps.Left.GetValue();
  const double right = m_fractProps.Right.GetValue();
  const double top = m_fractProps.Top.GetValue();
  const double bottom = m_fractProps.Bottom.GetValue();
  double re = 0.0;
  double im = 0.0;
  PointAt(x, y, re, im);
  std::string text =
      PointText(re, im, std::min(std::fabs(right - left) / w, std::fabs(bottom - top) / h));
  const TFractArray* results = m_computation.FractArray();
  if (results == nullptr || x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight())
    return text;
  const auto cellX = static_cast<int32_t>(x * results->Width() / w);
  const auto cellY = static_cast<int32_t>(y * results->Height() / h);
  if (cellX >= results->ColumnsDone()) return text + ": not computed yet";
  const TFractProps& computed = m_computation.Props();
  return text + ": " +
         CellResultText(results->GetDepth(cellX, cellY), results->GetCycle(cellX, cellY),
                        computed.MaxDepth.GetValue(), computed.Cont == 0);
}

qint64 TViewWave::ComputingFor() const {
  return m_computation.Running() && m_computingSince.isValid() ? m_computingSince.elapsed() : -1;
}

double TViewWave::ShareDone() const {
  const TFractArray* results = m_computation.FractArray();
  if (results == nullptr || results->Width() == 0) return 0.0;
  return double(results->ColumnsDone()) / results->Width();
}

bool TViewWave::AtPrecisionLimit() const { return BeyondPrecision(m_fractProps); }

void TViewWave::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = ToClient(event->position());
  ShellServices.ShowWhere(WhereText(p.x(), p.y()));
  if (m_panning) {
    m_panOffset = p - m_panStart;
    update();
  }
  if (p == m_lastMouse) return;
  // The first move only tells where the mouse is.
  if (m_lastMouse != QPoint(-1, -1) && ZoomMode()) DrawSelection(p.x(), p.y());
  m_lastMouse = p;
}

void TViewWave::WheelStep(bool up, int32_t x, int32_t y) {
  if (m_owner->Mode() == ModeNone) return;
  const double f = m_owner->SelectionFactor();
  double next;
  if (up) {
    next = f < 0.5 ? f * 1.1 + 0.01 : f + (1 - f) * 0.1;
  } else {
    next = f < 0.5 ? f * 0.9 : (f - (1 - f) * 0.1) * 0.99;
  }
  m_owner->SetSelectionFactor(next);
  // The factor is kept in every mode; the rectangle shows only where a click zooms.
  if (ZoomMode()) DrawSelection(x, y);
}

void TViewWave::wheelEvent(QWheelEvent* event) {
  // A notch of an ordinary wheel turns 120 eighths of a degree; a smooth wheel or a touchpad
  // sends the same turn in many small parts, which add up to one step.
  constexpr int kNotch = 120;
  const int delta = event->angleDelta().y();
  event->accept();
  if (delta == 0) return;
  if ((m_wheelAngle > 0 && delta < 0) || (m_wheelAngle < 0 && delta > 0)) m_wheelAngle = 0;
  m_wheelAngle += delta;
  const QPoint p = ToClient(event->position());
  while (m_wheelAngle >= kNotch || m_wheelAngle <= -kNotch) {
    const bool up = m_wheelAngle > 0;
    m_wheelAngle += up ? -kNotch : kNotch;
    WheelStep(up, p.x(), p.y());
  }
}

void TViewWave::mousePressEvent(QMouseEvent* event) {
  const QPoint p = ToClient(event->position());
  if (event->button() == Qt::RightButton) {
    if (m_owner->Mode() == ModeZoomIn) {
      m_owner->SetMode(ModeZoomOut);
    } else if (m_owner->Mode() == ModeZoomOut) {
      m_owner->SetMode(ModeZoomIn);
    }
    return;
  }
  if (event->button() == Qt::BackButton || event->button() == Qt::ForwardButton) {
    StepHistory(event->button() == Qt::BackButton);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (m_owner->Mode() != ModeNone) {
    LeftButtonDown(p.x(), p.y());
    return;
  }
  // The picture as the screen shows it follows the mouse until the button is let go.
  MergePlane();
  m_panning = true;
  m_panStart = p;
  m_panOffset = QPoint();
  m_panImage = m_image;
  m_cursorBeforePan = cursor();
  setCursor(Qt::ClosedHandCursor);
}

void TViewWave::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_panning) EndPan(ToClient(event->position()));
}

void TViewWave::EndPan(const QPoint& at) {
  m_panning = false;
  setCursor(m_cursorBeforePan);
  const QPoint offset = at - m_panStart;
  m_panOffset = QPoint();
  const QImage before = std::move(m_panImage);
  m_panImage = QImage();
  if (ClientWidth() < 1 || ClientHeight() < 1) return;
  // Whole cells, so that the cells still known keep their places in the grid.
  const int32_t columns = m_fractProps.XResolution.GetValue();
  const int32_t rows = m_fractProps.YResolution.GetValue();
  const auto cellsX =
      static_cast<int32_t>(std::lround(double(offset.x()) * columns / ClientWidth()));
  const auto cellsY = static_cast<int32_t>(std::lround(double(offset.y()) * rows / ClientHeight()));
  if (cellsX == 0 && cellsY == 0) {
    update();
    return;
  }
  // The part still known stays where it was dropped while the rest is computed.
  if (!before.isNull() && before.size() == m_image.size()) {
    m_image.fill(palette().color(QPalette::Window));
    QPainter painter(&m_image);
    painter.drawImage(
        QPointF(double(cellsX) * ClientWidth() / columns, double(cellsY) * ClientHeight() / rows),
        before);
  }
  PanByCells(cellsX, cellsY);
  update();
}

void TViewWave::PanByCells(int32_t cellsX, int32_t cellsY) {
  const int32_t columns = m_fractProps.XResolution.GetValue();
  const int32_t rows = m_fractProps.YResolution.GetValue();
  const double left = m_fractProps.Left.GetValue();
  const double right = m_fractProps.Right.GetValue();
  const double top = m_fractProps.Top.GetValue();
  const double bottom = m_fractProps.Bottom.GetValue();
  // The new grid's column 0 is the old grid's column -cellsX, and so on.
  SetFractalBoundsAndRestart(MapPixel(left, right, -cellsX, columns),
                             MapPixel(top, bottom, -cellsY, rows),
                             MapPixel(left, right, columns - cellsX, columns),
                             MapPixel(top, bottom, rows - cellsY, rows));
}

void TViewWave::StepHistory(bool back) {
  bool marksChanged = false;
  if (Step(back, marksChanged) && marksChanged) m_owner->unitWave()->SetChanged();
}

void TViewWave::LeftButtonDown(int32_t x, int32_t y) {
  const TRect s = SelectionAt(x, y);
  const double left = m_fractProps.Left.GetValue();
  const double right = m_fractProps.Right.GetValue();
  const double top = m_fractProps.Top.GetValue();
  const double bottom = m_fractProps.Bottom.GetValue();
  double re = 0.0;
  double im = 0.0;
  PointAt(x, y, re, im);
  const bool mapC = m_fractProps.Map == MapC;
  const bool mapD = m_fractProps.Map == MapD;
  const double cRe = mapC ? re : m_fractProps.CR.GetValue();
  const double cIm = mapC ? im : m_fractProps.CI.GetValue();
  const double dRe = mapD ? re : m_fractProps.DR.GetValue();
  const double dIm = mapD ? im : m_fractProps.DI.GetValue();
  const TRect r = ClientRect();
  switch (m_owner->Mode()) {
    case ModeZoomIn:
      // Beyond the precision of the numbers the picture only gets blockier: the user is
      // asked once whether to go on.
      if (AtPrecisionLimit() && !m_beyondPrecisionAccepted) {
        if (AskYesNoCancel(this, kBeyondPrecisionQuestion, "Precision") != TAnswer::Yes) break;
        m_beyondPrecisionAccepted = true;
      }
      SetFractalBoundsAndRestart(LinearMap(s.left, r.left, r.right, left, right),
                                 LinearMap(s.top, r.top, r.bottom, top, bottom),
                                 LinearMap(s.right, r.left, r.right, left, right),
                                 LinearMap(s.bottom, r.top, r.bottom, top, bottom));
      break;
    case ModeZoomOut:
      SetFractalBoundsAndRestart(LinearMap(r.left, s.left, s.right, left, right),
                                 LinearMap(r.top, s.top, s.bottom, top, bottom),
                                 LinearMap(r.right, s.left, s.right, left, right),
                                 LinearMap(r.bottom, s.top, s.bottom, top, bottom));
      break;
    case ModeDrawPoints:
      m_points.AddPoint(re, im, m_groupAsPolygon, m_fractProps);
      DrawPoints();
      break;
    case ModeJulia:
      ShellServices.CreateJuliaWindow(m_viewProps, m_fractProps, cRe, cIm, dRe, dIm);
      break;
    default:
      break;
  }
}

void TViewWave::AddNextPoints() {
  m_points.AddNextPoints(m_fractProps);
  DrawPoints();
}

void TViewWave::GroupPoints() {
  m_points.GroupAsPolynoom();
  DrawPoints();
}

void TViewWave::RemovePoints() {
  m_points.RemovePoints();
  RequestFullRepaint();
}
