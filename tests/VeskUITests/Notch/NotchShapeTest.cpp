#include "VeskUI/Notch/NotchShape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using vesk::NotchShape;

namespace {

// One segment of the outline as drawn: a straight line or a quadratic curve.
struct Segment {
    bool curve;
    QPointF control; // quadratic control point, for curves
    QPointF end;
};

// The outline the way it is defined: start at the top-left corner, flare, wall,
// bottom corner, floor, bottom corner, wall, flare, close. Segments that go nowhere
// (a zero radius, a zero-length wall) leave no trace in a painter path.
std::vector<Segment> expectedOutline(const QRectF& r, double t, double b) {
    const double minX = r.left(), minY = r.top(), maxX = r.right(), maxY = r.bottom();
    const std::vector<Segment> all{
        {true, {minX + t, minY}, {minX + t, minY + t}}, {false, {}, {minX + t, maxY - b}},
        {true, {minX + t, maxY}, {minX + t + b, maxY}}, {false, {}, {maxX - t - b, maxY}},
        {true, {maxX - t, maxY}, {maxX - t, maxY - b}}, {false, {}, {maxX - t, minY + t}},
        {true, {maxX - t, minY}, {maxX, minY}},
    };
    std::vector<Segment> drawn;
    QPointF current = r.topLeft();
    for (const Segment& segment : all) {
        const bool nowhere = segment.end == current && (!segment.curve || segment.control == current);
        if (!nowhere) drawn.push_back(segment);
        current = segment.end;
    }
    return drawn;
}

// QPainterPath keeps quadratic curves as cubics; turn them back.
std::vector<Segment> segmentsOf(const QPainterPath& path, QPointF* start) {
    std::vector<Segment> segments;
    *start = path.elementAt(0);
    QPointF current = *start;
    for (int i = 1; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::LineToElement) {
            segments.push_back({false, {}, e});
            current = e;
        } else if (e.type == QPainterPath::CurveToElement) {
            const QPointF c1 = e;
            const QPointF end = path.elementAt(i + 2);
            segments.push_back({true, current + (c1 - current) * 1.5, end});
            current = end;
            i += 2;
        }
    }
    return segments;
}

void expectOutline(const QRectF& rect, const NotchShape& shape, double t, double b) {
    QPointF start;
    const std::vector<Segment> actual = segmentsOf(shape.path(rect), &start);
    const std::vector<Segment> expected = expectedOutline(rect, t, b);
    EXPECT_EQ(start, rect.topLeft());
    ASSERT_GE(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actual[i].curve, expected[i].curve);
        EXPECT_NEAR(actual[i].end.x(), expected[i].end.x(), 1e-9);
        EXPECT_NEAR(actual[i].end.y(), expected[i].end.y(), 1e-9);
        if (expected[i].curve) {
            EXPECT_NEAR(actual[i].control.x(), expected[i].control.x(), 1e-9);
            EXPECT_NEAR(actual[i].control.y(), expected[i].control.y(), 1e-9);
        }
    }
    // Only the closing line back to the start may follow.
    for (size_t i = expected.size(); i < actual.size(); ++i)
        EXPECT_EQ(actual[i].end, start);
}

} // namespace

TEST(NotchShapeTest, OutlineControlPointsAndClamping) {
    struct Row {
        const char* what;
        QRectF rect;
        NotchShape shape;
        double t, b; // radii in effect
    };
    const std::vector<Row> rows{
        {"closed notch", QRectF(10, 0, 200, 32), {6, 14}, 6, 14},
        {"open desk", QRectF(0, 0, 640, 220), {6, 34}, 6, 34},
        {"offset rectangle", QRectF(-40.5, 12.25, 300, 48), {6, 14}, 6, 14},
        {"short: bottom radius limited by height", QRectF(0, 0, 200, 10), {6, 14}, 6, 4},
        {"narrow: top limited to half the width, bottom to 0", QRectF(0, 0, 8, 32), {6, 14}, 4, 0},
        {"narrower than the bottom corners need", QRectF(0, 0, 30, 40), {6, 14}, 6, 9},
        {"flat: top radius limited by height", QRectF(0, 0, 200, 3), {6, 14}, 3, 0},
        {"negative radii are square", QRectF(0, 0, 200, 32), {-2, -5}, 0, 0},
        {"not a number is square", QRectF(0, 0, 200, 32), {std::nan(""), std::nan("")}, 0, 0},
        {"empty rectangle", QRectF(5, 5, 0, 0), {6, 14}, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto [t, b] = row.shape.clampedRadii(row.rect);
        EXPECT_DOUBLE_EQ(t, row.t);
        EXPECT_DOUBLE_EQ(b, row.b);
        expectOutline(row.rect, row.shape, row.t, row.b);
    }
}

TEST(NotchShapeTest, TheBodyStandsTopRadiusInsideTheRectangle) {
    const QRectF rect(0, 0, 212, 32); // a 200-wide body with 6-point flares
    const QPainterPath outline = NotchShape{6, 14}.path(rect);
    EXPECT_EQ(outline.boundingRect(), rect);
    EXPECT_TRUE(outline.contains(QPointF(106, 16)));
    EXPECT_TRUE(outline.contains(QPointF(3, 0.3)));     // the flare reaches into the top-left corner
    EXPECT_FALSE(outline.contains(QPointF(3, 30)));     // outside the wall
    EXPECT_FALSE(outline.contains(QPointF(7.5, 31)));   // cut away by the bottom-left corner
    EXPECT_TRUE(outline.contains(QPointF(106, 31.5)));  // the floor
    EXPECT_FALSE(outline.contains(QPointF(204.5, 31))); // cut away by the bottom-right corner
}

TEST(NotchShapeTest, InterpolationMovesBothRadii) {
    const NotchShape closed{6, 14};
    const NotchShape open{6, 34};
    EXPECT_EQ(NotchShape::interpolated(closed, open, 0), closed);
    EXPECT_EQ(NotchShape::interpolated(closed, open, 1), open);
    EXPECT_EQ(NotchShape::interpolated(closed, open, 0.5), (NotchShape{6, 24}));
    // An overshooting spring passes the target and the outline clamps whatever it gets.
    const NotchShape past = NotchShape::interpolated(closed, open, 1.1);
    EXPECT_DOUBLE_EQ(past.bottomRadius, 36);
    EXPECT_DOUBLE_EQ(past.clampedRadii(QRectF(0, 0, 100, 30)).second, 24);
    EXPECT_EQ(NotchShape::interpolatedVariant(closed, open, 0.25).value<NotchShape>(), (NotchShape{6, 19}));
}
