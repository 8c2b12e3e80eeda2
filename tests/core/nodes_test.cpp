#include "schematic/core/nodes.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

using testutil::Shape;

namespace {

// Net of every shape in drawing order (0 for shapes that take no part).
std::vector<int32_t> NetsByShape(const TShapeList& shapes)
{
    std::vector<TNodeLine> lines = NodeLines(shapes);
    NumberNets(lines);
    std::vector<int32_t> out;
    std::size_t fromEnd = lines.size();
    for (const TShapeRec& s : shapes)
        out.push_back(s.Kind == 1 ? lines[--fromEnd].Net : 0);
    return out;
}

TShapeRec Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { return Shape(1, x1, y1, x2, y2); }

// The touch rules written out case by case, as a check on the compact form.
bool Between(int32_t v, int32_t a, int32_t b) { return v >= std::min(a, b) && v <= std::max(a, b); }
bool LiteralTouch(const TNodeLine& p, const TNodeLine& q)
{
    bool join = false;
    if (p.X1 == p.X2) {
        if (q.X1 == p.X1 || q.X2 == p.X1)
            if (Between(q.Y1, p.Y1, p.Y2) || Between(q.Y2, p.Y1, p.Y2) || Between(std::min(p.Y1, p.Y2), q.Y1, q.Y2) ||
                Between(std::max(p.Y1, p.Y2), q.Y1, q.Y2))
                join = true;
        if (q.Y1 == q.Y2 && q.Y1 == p.Y1 && std::min(q.X1, q.X2) <= p.X1 && std::max(q.X1, q.X2) >= p.X2)
            join = true;
        if (q.Y1 == q.Y2 && q.Y1 == p.Y2 && std::min(q.X1, q.X2) <= p.X1 && std::max(q.X1, q.X2) >= p.X2)
            join = true;
    }
    if (p.Y1 == p.Y2) {
        if (q.Y1 == p.Y1 || q.Y2 == p.Y1)
            if (Between(q.X1, p.X1, p.X2) || Between(q.X2, p.X1, p.X2) || Between(std::min(p.X1, p.X2), q.X1, q.X2) ||
                Between(std::max(p.X1, p.X2), q.X1, q.X2))
                join = true;
        if (q.X1 == q.X2 && q.X1 == p.X1 && Between(p.Y1, q.Y1, q.Y2))
            join = true;
        if (q.X1 == q.X2 && q.X1 == p.X2 && Between(p.Y1, q.Y1, q.Y2))
            join = true;
    }
    return join;
}

// The numbering as first designed: restart the walk from the top after every join.
void RestartScan(std::vector<TNodeLine>& l)
{
    if (l.empty())
        return;
    int32_t n = 1;
    l[0].Net = 1;
    std::size_t start = 0;
    for (;;) {
        std::size_t i = start;
        while (i < l.size()) {
            bool joined = false;
            if (l[i].Net == n)
                for (TNodeLine& q : l)
                    if (q.Net == 0 && LiteralTouch(l[i], q)) {
                        q.Net = n;
                        joined = true;
                    }
            i = joined ? 0 : i + 1;
        }
        auto next = std::find_if(l.begin(), l.end(), [](const TNodeLine& x) { return x.Net == 0; });
        if (next == l.end())
            return;
        next->Net = ++n;
        start = static_cast<std::size_t>(next - l.begin());
    }
}

} // namespace

TEST(Nodes, NetsOfSmallDrawings)
{
    const TShapeRec arrowLine = Shape(11, 10, 0, 20, 0);
    const TShapeRec rect = Shape(2, 0, 0, 10, 10);
    struct Case {
        const char* name;
        TShapeList shapes;       // drawing order
        std::vector<int32_t> nets;  // per shape, 0 = not numbered
    };
    const std::vector<Case> cases = {
        {"alone", {Line(0, 0, 10, 0)}, {1}},
        {"two separate: the last drawn is net 1", {Line(0, 0, 10, 0), Line(0, 20, 10, 20)}, {2, 1}},
        {"T, horizontal first", {Line(0, 0, 10, 0), Line(5, 0, 5, 10)}, {1, 1}},
        {"T, vertical first", {Line(5, 0, 5, 10), Line(0, 0, 10, 0)}, {1, 1}},
        {"collinear touching", {Line(0, 0, 10, 0), Line(10, 0, 20, 0)}, {1, 1}},
        {"collinear vertical, overlapping", {Line(0, 0, 0, 10), Line(0, 15, 0, 5)}, {1, 1}},
        {"parallel overlapping", {Line(0, 0, 10, 0), Line(0, 5, 10, 5)}, {2, 1}},
        {"crossing without a shared end", {Line(0, 5, 10, 5), Line(5, 0, 5, 10)}, {2, 1}},
        {"vertical end on a horizontal's middle", {Line(0, 10, 20, 10), Line(7, 0, 7, 10)}, {1, 1}},
        {"gap of one unit", {Line(0, 0, 10, 0), Line(11, 0, 20, 0)}, {2, 1}},
        {"a single point on a line", {Line(0, 5, 10, 5), Line(5, 5, 5, 5)}, {1, 1}},
        // A slanted line is joined by a straight one but reaches out to nothing itself.
        {"slanted drawn last: separate", {Line(5, 0, 5, 10), Line(5, 3, 50, 100)}, {2, 1}},
        {"slanted drawn first: joined", {Line(5, 3, 50, 100), Line(5, 0, 5, 10)}, {1, 1}},
        {"arrow lines and other kinds are skipped", {Line(0, 0, 10, 0), arrowLine, rect, Line(20, 0, 30, 0)},
         {2, 0, 0, 1}},
        {"extreme coordinates", {Line(INT32_MIN, 0, INT32_MAX, 0), Line(INT32_MAX, 0, INT32_MAX, 5)}, {1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NetsByShape(c.shapes), c.nets) << c.name;
}

TEST(Nodes, ChainOfThreeIsOneNetInEveryOrder)
{
    // Only the middle line touches the two others.
    const TShapeRec chain[] = {Line(0, 0, 10, 0), Line(10, 0, 10, 10), Line(10, 10, 20, 10)};
    int order[] = {0, 1, 2};
    do {
        TShapeList shapes;
        for (int i : order)
            shapes.push_back(chain[i]);
        EXPECT_EQ(NetsByShape(shapes), (std::vector<int32_t>{1, 1, 1})) << order[0] << order[1] << order[2];
    } while (std::next_permutation(std::begin(order), std::end(order)));
}

TEST(Nodes, SameNetsAsTheRestartScanOnRandomDrawings)
{
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> coord(0, 6), kind(0, 9), count(0, 40);
    for (int round = 0; round < 400; ++round) {
        std::vector<TNodeLine> lines;
        const int n = count(rng);
        for (int i = 0; i < n; ++i) {
            TNodeLine l{coord(rng), coord(rng), coord(rng), coord(rng), 0};
            const int k = kind(rng);
            if (k < 4)
                l.X2 = l.X1;          // vertical
            else if (k < 8)
                l.Y2 = l.Y1;          // horizontal
            else if (k == 8) {
                l.X2 = l.X1;          // a single point
                l.Y2 = l.Y1;
            }                         // else slanted (or by chance straight)
            lines.push_back(l);
        }
        for (const TNodeLine& p : lines)
            for (const TNodeLine& q : lines)
                ASSERT_EQ(NodeTouches(p, q), LiteralTouch(p, q))
                    << p.X1 << "," << p.Y1 << "-" << p.X2 << "," << p.Y2 << " / " << q.X1 << "," << q.Y1 << "-" << q.X2 << "," << q.Y2;
        std::vector<TNodeLine> expected = lines;
        RestartScan(expected);
        const int32_t nets = NumberNets(lines);
        ASSERT_EQ(lines, expected) << "round " << round;
        const int32_t maxNet = expected.empty() ? 0 : std::max_element(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.Net < b.Net; })->Net;
        EXPECT_EQ(nets, maxNet);
    }
}
