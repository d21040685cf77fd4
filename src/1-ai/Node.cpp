#include "Node.h"

#include "0-math/MathUtils.h"

Node::Node()
    : position(0, 0, 0), gCost(0), hCost(0), fCost(0), kind(0), index(0), parentIndex(0)
{
}

Node::Node(Vector3f position_, float kind_, int index_)
    : position(position_), gCost(0), hCost(0), fCost(0), kind(kind_), index(index_), parentIndex(0)
{
}

void Node::SetCosts(float parentG, Vector3f from, Vector3f to, int parentIndex_)
{
    gCost = parentG + 1;
    hCost = Fabsf(to.x - from.x) + Fabsf(to.z - from.z);
    fCost = gCost + hCost;
    parentIndex = parentIndex_;
}
