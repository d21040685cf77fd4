#include "WaypointGraph.h"

#include <cfloat>
#include <cstring>

#include "0-math/MathUtils.h"

namespace {

struct WaypointEntry {
    float x, z;
    float kind;
};

// y is 0 for every waypoint; kind 0 marks the outer ends of the network.
const WaypointEntry Waypoints[WaypointGraph::NodeCount] = {
    {-927, -599, 0}, {-687, -599, 1}, {-476, -599, 1}, {-476, -210, 1},
    {-476, 344, 0},  {260, -599, 1},  {443, -559, 1},  {438, 362, 0},
    {260, 362, 0},   {-100, 119, 1},  {-170, 52, 1},   {-23, 52, 1},
    {-100, -21, 1},  {-100, -210, 1}, {-100, -463, 1}, {29, -463, 1},
    {682, -599, 0},  {-476, 195, 1},
};

struct Edge {
    int from, to;
};

// One-way edges; a pair listed both ways is a two-way link.
const Edge Edges[] = {
    {1, 0},   {1, 2},   {2, 1},   {2, 3},   {2, 5},   {3, 2},   {3, 4},   {3, 13},
    {3, 17},  {5, 2},   {5, 6},   {5, 8},   {6, 7},   {6, 16},  {9, 10},  {10, 12},
    {11, 12}, {12, 13}, {13, 3},  {13, 14}, {14, 13}, {14, 15}, {15, 14},
};

bool Holds(const std::list<Node>& nodes, int index)
{
    for (const Node& n : nodes)
        if (n.GetIndex() == index)
            return true;
    return false;
}

}  // namespace

WaypointGraph::WaypointGraph()
{
    std::memset(adjacency, 0, sizeof adjacency);
}

void WaypointGraph::CreateNodes()
{
    for (int i = 0; i < NodeCount; i++) {
        const WaypointEntry& w = Waypoints[i];
        nodes[i] = Node(Vector3f(w.x, 0, w.z), w.kind, i);
    }
}

void WaypointGraph::CreateEdges()
{
    std::memset(adjacency, 0, sizeof adjacency);
    for (const Edge& e : Edges)
        adjacency[e.from][e.to] = 1;
}

int WaypointGraph::FindNearest(Vector3f point, bool endsOnly) const
{
    int best = -1;
    int first = -1;
    float bestDistance = FLT_MAX;
    for (int i = 0; i < NodeCount; i++) {
        if (endsOnly && nodes[i].GetKind() != 0)
            continue;
        if (first < 0)
            first = i;
        const Vector3f d = point - nodes[i].GetPosition();
        const float distance = Sqrtf(d.x * d.x + d.y * d.y + d.z * d.z);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    // NOTE: no distance beats FLT_MAX only for a non-finite (or overflowing)
    // point; all candidates are then equally far and the first one wins.
    if (best < 0)
        best = first < 0 ? 0 : first;
    return best;
}

Vector3f WaypointGraph::FindNearestEndPoint(Vector3f point) const
{
    return nodes[FindNearest(point, true)].GetPosition();
}

std::list<Node> WaypointGraph::FindPath(Vector3f start, Vector3f goal) const
{
    std::list<Node> openNodes;
    std::list<Node> closedNodes;
    std::list<Node> finalPath;

    const Node& goalNode = nodes[FindNearest(goal, false)];
    const int startIndex = FindNearest(start, false);
    const Node startNode(start, 1, StartMarkerIndex);

    Node first = nodes[startIndex];
    first.SetCosts(0, start, first.GetPosition(), StartMarkerIndex);
    openNodes.push_back(first);

    while (!openNodes.empty()) {
        // Lowest fCost; "<=" lets the entry nearest the back win a tie.
        auto best = openNodes.begin();
        for (auto it = openNodes.begin(); it != openNodes.end(); ++it)
            if (it->GetFCost() <= best->GetFCost())
                best = it;
        const Node currentNode = *best;

        if (currentNode.GetIndex() == goalNode.GetIndex()) {
            finalPath.push_back(currentNode);
            while (finalPath.back().GetIndex() != startIndex) {
                const int parent = finalPath.back().GetParentIndex();
                const Node* found = nullptr;
                for (const Node& n : closedNodes)
                    if (n.GetIndex() == parent)
                        found = &n;
                // Every closed entry's parent was closed before it, so this
                // cannot fail; stop rather than loop if it ever did.
                if (!found)
                    return std::list<Node>();
                finalPath.push_back(*found);
            }
            finalPath.push_back(startNode);
            return finalPath;
        }

        closedNodes.push_back(currentNode);
        openNodes.remove_if([&](const Node& n) { return n.GetIndex() == currentNode.GetIndex(); });

        // Costs are set once, on entry; a waypoint already seen is never
        // revised or reopened.
        for (int k = 0; k < NodeCount; k++) {
            if (!adjacency[currentNode.GetIndex()][k])
                continue;
            if (Holds(openNodes, k) || Holds(closedNodes, k))
                continue;
            Node next = nodes[k];
            next.SetCosts(currentNode.GetGCost(), next.GetPosition(), goalNode.GetPosition(),
                          currentNode.GetIndex());
            openNodes.push_back(next);
        }
    }
    // The open list ran dry before the goal waypoint was taken: no path.
    return std::list<Node>();
}
