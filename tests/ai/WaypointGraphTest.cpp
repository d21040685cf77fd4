// Nearest end waypoint and A* searches over the fixed waypoint network.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <list>
#include <vector>

#include "1-ai/Node.h"
#include "1-ai/WaypointGraph.h"

namespace {

// Waypoint positions (x, z; y is 0) and the one-way edges, written out here
// independently of the graph so that a slip in either shows up.
const float WaypointX[18] = {-927, -687, -476, -476, -476, 260, 443, 438, 260,
                             -100, -170, -23, -100, -100, -100, 29, 682, -476};
const float WaypointZ[18] = {-599, -599, -599, -210, 344, -599, -559, 362, 362,
                             119, 52, 52, -21, -210, -463, -463, -599, 195};
const int EdgeList[23][2] = {{1, 0}, {1, 2}, {2, 1}, {2, 3}, {2, 5}, {3, 2}, {3, 4}, {3, 13},
                             {3, 17}, {5, 2}, {5, 6}, {5, 8}, {6, 7}, {6, 16}, {9, 10}, {10, 12},
                             {11, 12}, {12, 13}, {13, 3}, {13, 14}, {14, 13}, {14, 15}, {15, 14}};

Vector3f Waypoint(int i)
{
    return Vector3f(WaypointX[i], 0, WaypointZ[i]);
}

class WaypointGraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        graph.CreateNodes();
        graph.CreateEdges();
    }

    std::vector<Node> Path(Vector3f start, Vector3f goal) const
    {
        const std::list<Node> path = graph.FindPath(start, goal);
        return std::vector<Node>(path.begin(), path.end());
    }

    static std::vector<int> Indices(const std::vector<Node>& path)
    {
        std::vector<int> indices;
        for (const Node& n : path)
            indices.push_back(n.GetIndex());
        return indices;
    }

    WaypointGraph graph;
};

void ExpectPosition(Vector3f expected, Vector3f actual)
{
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.z, actual.z);
}

void ExpectMarker(const Node& marker, Vector3f start)
{
    EXPECT_EQ(19, marker.GetIndex());
    EXPECT_EQ(1, marker.GetKind());
    ExpectPosition(start, marker.GetPosition());
    EXPECT_EQ(0, marker.GetGCost());
    EXPECT_EQ(0, marker.GetFCost());
    EXPECT_EQ(0, marker.GetParentIndex());
}

}  // namespace

TEST(Node, SetCostsCountsEdgesAndManhattanDistance)
{
    Node node(Vector3f(1, 2, 3), 0, 7);
    EXPECT_EQ(7, node.GetIndex());
    EXPECT_EQ(0, node.GetKind());
    node.SetCosts(4, Vector3f(10, 100, -5), Vector3f(-2, -50, 1.5f), 3);
    EXPECT_EQ(5, node.GetGCost());
    EXPECT_EQ(18.5f, node.GetHCost());  // |-12| + |6.5|, y ignored
    EXPECT_EQ(23.5f, node.GetFCost());
    EXPECT_EQ(3, node.GetParentIndex());
    ExpectPosition(Vector3f(1, 2, 3), node.GetPosition());
}

TEST_F(WaypointGraphTest, NearestEndPointSkipsNearerInnerWaypoints)
{
    // Waypoints 11 and 12 lie nearer the origin but are not ends.
    ExpectPosition(Vector3f(260, 0, 362), graph.FindNearestEndPoint(Vector3f(0, 0, 0)));
    ExpectPosition(Waypoint(0), graph.FindNearestEndPoint(Vector3f(-2000, 50, -2000)));
    // Halfway between ends 7 and 8: the lower index wins.
    ExpectPosition(Waypoint(7), graph.FindNearestEndPoint(Vector3f(349, 0, 362)));
}

TEST_F(WaypointGraphTest, PathAlongTheWestCorridorWithCostsAndParents)
{
    const Vector3f start = Waypoint(1);
    const std::vector<Node> path = Path(start, Waypoint(4));
    ASSERT_EQ((std::vector<int>{4, 3, 2, 1, 19}), Indices(path));
    const float g[] = {4, 3, 2, 1};
    const float h[] = {0, 554, 943, 0};
    const int parent[] = {3, 2, 1, 19};
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g[i], path[i].GetGCost());
        EXPECT_EQ(h[i], path[i].GetHCost());
        EXPECT_EQ(g[i] + h[i], path[i].GetFCost());
        EXPECT_EQ(parent[i], path[i].GetParentIndex());
        ExpectPosition(Waypoint(path[i].GetIndex()), path[i].GetPosition());
    }
    ExpectMarker(path[4], start);
}

TEST_F(WaypointGraphTest, LongPathFromTheCentreToTheEastEnd)
{
    const std::vector<Node> path = Path(Waypoint(9), Waypoint(16));
    EXPECT_EQ((std::vector<int>{16, 6, 5, 2, 3, 13, 12, 10, 9, 19}), Indices(path));
    // Repeating the query gives the same answer.
    EXPECT_EQ(Indices(path), Indices(Path(Waypoint(9), Waypoint(16))));
}

TEST_F(WaypointGraphTest, StartAndGoalNearTheSameWaypoint)
{
    const Vector3f start(-680, 0, -590);
    const std::vector<Node> path = Path(start, Vector3f(-690, 0, -600));
    ASSERT_EQ((std::vector<int>{1, 19}), Indices(path));
    EXPECT_EQ(1, path[0].GetGCost());
    EXPECT_EQ(16, path[0].GetHCost());  // |7| + |9| from the start point
    EXPECT_EQ(17, path[0].GetFCost());
    EXPECT_EQ(19, path[0].GetParentIndex());
    ExpectMarker(path[1], start);
}

TEST_F(WaypointGraphTest, EquallyNearWaypointsResolveToTheLowerIndex)
{
    // (-581.5, 0, -599) is 105.5 from both waypoint 1 and waypoint 2.
    const Vector3f between(-581.5f, 0, -599);
    const std::vector<Node> fromBetween = Path(between, Waypoint(2));
    ASSERT_EQ((std::vector<int>{2, 1, 19}), Indices(fromBetween));
    EXPECT_EQ(105.5f, fromBetween[1].GetHCost());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 19}), Indices(Path(Waypoint(3), between)));
}

TEST_F(WaypointGraphTest, NoPathEndsWithAnEmptyList)
{
    // Nothing leaves waypoint 0; nothing enters 9 or 11.
    EXPECT_TRUE(graph.FindPath(Waypoint(0), Waypoint(4)).empty());
    EXPECT_TRUE(graph.FindPath(Waypoint(3), Waypoint(9)).empty());
    EXPECT_TRUE(graph.FindPath(Waypoint(14), Waypoint(11)).empty());
    // From 17 nothing leaves either, even towards a neighbour that links to it.
    EXPECT_TRUE(graph.FindPath(Waypoint(17), Waypoint(3)).empty());
}

TEST_F(WaypointGraphTest, EveryPairGivesAChainOfEdgesExactlyWhenReachable)
{
    bool edge[18][18] = {};
    for (const auto& e : EdgeList)
        edge[e[0]][e[1]] = true;

    for (int s = 0; s < 18; s++) {
        // Waypoints reachable from s along the edges.
        bool reachable[18] = {};
        reachable[s] = true;
        for (bool grew = true; grew;) {
            grew = false;
            for (int a = 0; a < 18; a++)
                for (int b = 0; b < 18; b++)
                    if (reachable[a] && edge[a][b] && !reachable[b])
                        reachable[b] = grew = true;
        }

        for (int g = 0; g < 18; g++) {
            SCOPED_TRACE(testing::Message() << "from " << s << " to " << g);
            const std::vector<Node> path = Path(Waypoint(s), Waypoint(g));
            if (!reachable[g]) {
                EXPECT_TRUE(path.empty());
                continue;
            }
            ASSERT_GE(path.size(), 2u);
            EXPECT_EQ(g, path.front().GetIndex());
            EXPECT_EQ(19, path.back().GetIndex());
            const size_t last = path.size() - 2;  // the start waypoint
            EXPECT_EQ(s, path[last].GetIndex());
            EXPECT_EQ(19, path[last].GetParentIndex());
            for (size_t i = 0; i < last; i++) {
                const Node& n = path[i];
                EXPECT_EQ(path[i + 1].GetIndex(), n.GetParentIndex());
                EXPECT_TRUE(edge[n.GetParentIndex()][n.GetIndex()]);
                EXPECT_EQ(static_cast<float>(last - i + 1), n.GetGCost());
                EXPECT_EQ(std::fabs(WaypointX[n.GetIndex()] - WaypointX[g]) +
                              std::fabs(WaypointZ[n.GetIndex()] - WaypointZ[g]),
                          n.GetHCost());
            }
        }
    }
}

TEST_F(WaypointGraphTest, NonFinitePointsDoNotBreakTheQueries)
{
    // No distance is finite, so every waypoint is equally far: the first
    // candidate wins.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ExpectPosition(Waypoint(0), graph.FindNearestEndPoint(Vector3f(inf, 0, 0)));
    ExpectPosition(Waypoint(0), graph.FindNearestEndPoint(Vector3f(nan, nan, nan)));
    EXPECT_TRUE(graph.FindPath(Vector3f(nan, 0, 0), Waypoint(4)).empty());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 19}), Indices(Path(Waypoint(2), Vector3f(0, -inf, 0))));
}

TEST(WaypointGraph, UnsetGraphAnswersWithoutEdges)
{
    // Before CreateNodes every waypoint sits at the origin as waypoint 0, so
    // any search is a trivial one; without edges nothing else is reachable.
    WaypointGraph graph;
    EXPECT_EQ(2u, graph.FindPath(Vector3f(5, 0, 5), Vector3f(-5, 0, -5)).size());
    graph.CreateNodes();
    EXPECT_TRUE(graph.FindPath(Waypoint(1), Waypoint(2)).empty());
    graph.CreateEdges();
    graph.CreateEdges();  // a second call restores the same edges
    EXPECT_EQ(3u, graph.FindPath(Waypoint(1), Waypoint(2)).size());
}
