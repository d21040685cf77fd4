#pragma once

#include "0-math/Vector3f.h"

// One waypoint as the path search sees it: a position plus the A* costs with
// which the search reached it. Plain value, copied into and out of lists.
class Node {
public:
    Node();  // everything zero
    // The costs and parentIndex start at zero until SetCosts.
    Node(Vector3f position, float kind, int index);

    // gCost = parentG + 1 (every edge costs 1), hCost = |dx| + |dz| from
    // `from` to `to` (y ignored), fCost = gCost + hCost.
    void SetCosts(float parentG, Vector3f from, Vector3f to, int parentIndex);

    Vector3f GetPosition() const { return position; }
    float GetGCost() const { return gCost; }
    float GetHCost() const { return hCost; }
    float GetFCost() const { return fCost; }
    float GetKind() const { return kind; }
    int GetIndex() const { return index; }
    int GetParentIndex() const { return parentIndex; }

private:
    Vector3f position;
    float gCost;      // edges from the start point; 1 for the first waypoint
    float hCost;      // Manhattan distance on the ground plane to the goal
    float fCost;      // gCost + hCost, the search's ordering key
    float kind;       // 0 for an end waypoint, 1 otherwise
    int index;        // waypoint number 0..17, or 19 for a search's start marker
    int parentIndex;  // index the search came from; 19 for the first waypoint
};
