#pragma once

#include <cstdint>
#include <memory>

#include "core/canvas/TCanvas.h"

class TFractProps;
class TStartDrawPoint;

// One position of a track.
class TDrawPoint {
 public:
  TDrawPoint(double re_, double im_, TStartDrawPoint* track_) : re(re_), im(im_), track(track_) {}

  double re;
  double im;
  std::unique_ptr<TDrawPoint> next;  // one iteration step later, or null for the last
  TStartDrawPoint* track;
};

// A clicked start point with the track of all its steps, iterated with its own c and d.
class TStartDrawPoint {
 public:
  ~TStartDrawPoint();

  TDrawPoint* First() const { return first.get(); }
  TDrawPoint* Last() const { return last; }
  TStartDrawPoint* Next() const { return next.get(); }
  // The number of positions of the track.
  int64_t Length() const { return length; }

  std::unique_ptr<TDrawPoint> first;  // the clicked point; never null
  TDrawPoint* last = nullptr;
  int64_t length = 0;
  std::unique_ptr<TStartDrawPoint> next;  // the next older track
  bool grouping = false;                  // waits to be joined into a polygon
  TStartDrawPoint* link = nullptr;        // the next corner of its polygon; not owned
  double cRe = 0, cIm = 0;
  double dRe = 0, dIm = 0;
};

// The orbit points of one view: tracks, newest first. The fractal parameters are always
// the view's current ones, passed in by the caller.
class TDrawPointsList {
 public:
  TDrawPointsList() = default;
  ~TDrawPointsList();
  TDrawPointsList(const TDrawPointsList&) = delete;
  TDrawPointsList& operator=(const TDrawPointsList&) = delete;

  // A new track at re + i im; c and d come from the point or the parameters by the map.
  void AddPoint(double re, double im, bool grouping, const TFractProps& props);
  // One formula step for every track; a track whose step faults gets no point this time.
  void AddNextPoints(const TFractProps& props);
  // Joins the tracks that wait for grouping, from the head on, into a closed polygon.
  void GroupAsPolynoom();
  void RemovePoints();
  // Draws every track over rect, which shows the plane rectangle of props.
  void Draw(TCanvas& canvas, const TRect& rect, const TFractProps& props) const;

  TStartDrawPoint* Head() const { return m_head.get(); }
  bool IsEmpty() const { return m_head == nullptr; }

 private:
  std::unique_ptr<TStartDrawPoint> m_head;
};
