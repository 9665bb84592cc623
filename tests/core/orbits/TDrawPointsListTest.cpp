#include "core/orbits/TDrawPointsList.h"

#include <gtest/gtest.h>

#include "core/fractal/TFractProps.h"
#include "tests/support/RecordingCanvas.h"

namespace {

std::vector<std::pair<double, double>> Positions(const TStartDrawPoint* track) {
  std::vector<std::pair<double, double>> result;
  for (const TDrawPoint* p = track->First(); p != nullptr; p = p->next.get()) result.push_back({p->re, p->im});
  return result;
}

// A 100 x 100 view of the square [0, 10] x [10, 0]: one plane unit is ten pixels.
TFractProps TenPixelsPerUnit() {
  TFractProps props;
  props.Left.SetValue(0);
  props.Right.SetValue(10);
  props.Top.SetValue(10);
  props.Bottom.SetValue(0);
  return props;
}

}  // namespace

TEST(TDrawPointsListTest, TracksTakeCAndDByTheMap) {
  TFractProps props;
  TDrawPointsList list;
  props.Map = MapC;
  list.AddPoint(0.25, 0.5, false, props);
  EXPECT_EQ(list.Head()->cRe, 0.25);
  EXPECT_EQ(list.Head()->cIm, 0.5);
  EXPECT_EQ(list.Head()->dRe, -0.3);
  props.Map = MapD;
  list.AddPoint(0.75, -0.5, false, props);
  EXPECT_EQ(list.Head()->cRe, -0.122561);
  EXPECT_EQ(list.Head()->dRe, 0.75);
  EXPECT_EQ(list.Head()->dIm, -0.5);
  props.Map = MapZ;
  list.AddPoint(1, 1, false, props);
  EXPECT_EQ(list.Head()->cIm, -0.744862);
  EXPECT_EQ(list.Head()->dIm, -0.3);
  // Newest first, each starting at its clicked point.
  EXPECT_EQ(Positions(list.Head()->Next()->Next()), (std::vector<std::pair<double, double>>{{0.25, 0.5}}));
}

TEST(TDrawPointsListTest, AMandelbrotTrackStartsAtCAndStepsWithTheFormula) {
  TFractProps props;
  props.Map = MapC;
  TDrawPointsList list;
  list.AddPoint(0.5, 0.25, false, props);
  list.AddNextPoints(props);
  list.AddNextPoints(props);
  const std::complex<double> c(0.5, 0.25);
  const std::complex<double> z1 = c * c + c;
  const auto positions = Positions(list.Head());
  ASSERT_EQ(positions.size(), 3u);
  EXPECT_EQ(positions[1].first, (0.5 * 0.5 - 0.25 * 0.25) + 0.5);
  EXPECT_EQ(positions[1].second, 2.0 * 0.5 * 0.25 + 0.25);
  EXPECT_NEAR(positions[2].first, (z1 * z1 + c).real(), 1e-15);
  EXPECT_EQ(list.Head()->Length(), 3);
}

TEST(TDrawPointsListTest, AnOverflowingTrackStopsWhileOthersGoOn) {
  TFractProps props;
  props.Formula = 9;  // exp(z) - z + c - 1
  TDrawPointsList list;
  list.AddPoint(0, 0, false, props);
  list.AddPoint(800, 0, false, props);  // exp(800) overflows
  list.AddNextPoints(props);
  list.AddNextPoints(props);
  EXPECT_EQ(list.Head()->Length(), 1);
  EXPECT_EQ(list.Head()->Next()->Length(), 3);
}

TEST(TDrawPointsListTest, GroupingLinksWaitingTracksIntoAClosedPolygon) {
  TFractProps props;
  TDrawPointsList list;
  list.AddPoint(0, 0, false, props);  // X, placed before grouping was switched on
  list.AddPoint(1, 0, true, props);   // A
  list.AddPoint(2, 0, true, props);   // B
  list.AddPoint(3, 0, true, props);   // C, the head
  list.GroupAsPolynoom();
  TStartDrawPoint* c = list.Head();
  TStartDrawPoint* b = c->Next();
  TStartDrawPoint* a = b->Next();
  TStartDrawPoint* x = a->Next();
  EXPECT_EQ(c->link, b);
  EXPECT_EQ(b->link, a);
  EXPECT_EQ(a->link, c);
  EXPECT_EQ(x->link, nullptr);
  for (TStartDrawPoint* t : {a, b, c, x}) EXPECT_FALSE(t->grouping);
  // Grouping again changes nothing that is linked already.
  list.GroupAsPolynoom();
  EXPECT_EQ(a->link, c);
  EXPECT_EQ(c->link, b);
}

TEST(TDrawPointsListTest, ASingleGroupedTrackGetsNoLinkAndTwoLinkBothWays) {
  TFractProps props = TenPixelsPerUnit();
  TDrawPointsList single;
  single.AddPoint(1, 1, true, props);
  single.GroupAsPolynoom();
  EXPECT_EQ(single.Head()->link, nullptr);
  TRecordingCanvas canvas;
  single.Draw(canvas, {0, 0, 100, 100}, props);
  EXPECT_TRUE(canvas.OperationsStartingWith("line").empty());

  TDrawPointsList pair;
  pair.AddPoint(1, 1, true, props);  // A
  pair.AddPoint(5, 5, true, props);  // B
  pair.GroupAsPolynoom();
  EXPECT_EQ(pair.Head()->link, pair.Head()->Next());
  EXPECT_EQ(pair.Head()->Next()->link, pair.Head());
  canvas.Clear();
  pair.Draw(canvas, {0, 0, 100, 100}, props);
  EXPECT_EQ(canvas.OperationsStartingWith("line"),
            (std::vector<std::string>{"line 50,50-10,90 00FFFF solid", "line 10,90-50,50 00FFFF solid"}));
}

TEST(TDrawPointsListTest, DrawsLinesForwardAndMarkersBackward) {
  TFractProps props = TenPixelsPerUnit();
  props.Map = MapZ;
  props.CR.SetValue(1);
  props.CI.SetValue(0);
  TDrawPointsList list;
  list.AddPoint(1, 9, false, props);  // pixel (10, 10)
  list.AddNextPoints(props);           // 1 + 9i squared plus 1 = -79 + 18i, far outside
  list.Head()->First()->next->re = 2;  // put the second point in view: (2, 8) -> pixel (20, 20)
  list.Head()->First()->next->im = 8;
  TRecordingCanvas canvas;
  canvas.SetPenStyle(TPenStyle::Dot);
  list.Draw(canvas, {0, 0, 100, 100}, props);
  EXPECT_EQ(canvas.Operations(),
            (std::vector<std::string>{
                "line 10,10-20,20 FFFFFF solid",
                "ellipse 17,17-23,23 pen FFFFFF brush FFFFFF",
                "ellipse 18,18-22,22 pen 000000 brush FFFFFF",
                "ellipse 7,7-13,13 pen FFFFFF brush FFFFFF",
                "ellipse 8,8-12,12 pen 000000 brush FFFFFF",
            }));
}

TEST(TDrawPointsListTest, PointsThatCannotBeMappedAreSkippedAndFarLinesClipped) {
  TFractProps props = TenPixelsPerUnit();
  TDrawPointsList list;
  list.AddPoint(5, 5, false, props);
  list.Head()->First()->next = std::make_unique<TDrawPoint>(1e300, 5, list.Head());
  TRecordingCanvas canvas;
  list.Draw(canvas, {0, 0, 100, 100}, props);
  // The line towards the far point ends at the margin; only the near marker is drawn.
  EXPECT_EQ(canvas.OperationsStartingWith("line"), std::vector<std::string>{"line 50,50-116,50 FFFFFF solid"});
  EXPECT_EQ(canvas.OperationsStartingWith("ellipse").size(), 2u);

  // Bounds without extent map nothing.
  props.Right.SetValue(props.Left.GetValue());
  props.Bottom.SetValue(props.Top.GetValue());
  canvas.Clear();
  list.Draw(canvas, {0, 0, 100, 100}, props);
  EXPECT_TRUE(canvas.Operations().empty());
}

TEST(TDrawPointsListTest, RemovePointsEmptiesAndLongTracksAreFreedSafely) {
  TFractProps props;
  props.Formula = 7;  // a point on the real axis stays put: a long, finite track
  TDrawPointsList list;
  list.AddPoint(0.5, 0, false, props);
  for (int i = 0; i < 200000; ++i) list.AddNextPoints(props);
  EXPECT_EQ(list.Head()->Length(), 200001);
  list.RemovePoints();
  EXPECT_TRUE(list.IsEmpty());
  list.AddNextPoints(props);
  EXPECT_TRUE(list.IsEmpty());
}
