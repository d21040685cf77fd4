#pragma once

#include <list>

#include "Node.h"
#include "0-math/Vector3f.h"

// A fixed network of 18 waypoints on the ground plane joined by one-way edges,
// with a nearest-end-waypoint query and an A* search. Use: construct, then
// CreateNodes and CreateEdges, then query any number of times.
class WaypointGraph {
public:
    static constexpr int NodeCount = 18;
    static constexpr int StartMarkerIndex = 19;  // NOTE: 19, not 18

    WaypointGraph();  // nodes zeroed, no edges

    void CreateNodes();  // the 18 fixed waypoints, waypoint i at nodes[i]
    void CreateEdges();  // clears every flag, then sets the 23 fixed edges

    // Position of the nearest end waypoint (kind 0) by 3D distance; the lowest
    // index wins among equally near ones.
    Vector3f FindNearestEndPoint(Vector3f point) const;

    // A* from the waypoint nearest `start` to the one nearest `goal`. The
    // result runs backwards: the goal waypoint, each parent in turn, the start
    // waypoint, then a marker (index 19, zero costs) at `start` itself.
    // Every edge costs 1; entries keep the costs they first got. Empty when
    // no path exists.
    std::list<Node> FindPath(Vector3f start, Vector3f goal) const;

private:
    // Index of the nearest waypoint (only kind-0 ones when endsOnly). Never -1:
    // when no distance is finite (a point at infinity or NaN) the first
    // candidate is taken, as if all were equally far.
    int FindNearest(Vector3f point, bool endsOnly) const;

    unsigned char adjacency[NodeCount][NodeCount];  // [from][to] = 1 when the edge exists
    Node nodes[NodeCount];
};
