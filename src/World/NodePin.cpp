#include "World/NodePin.h"

#include <utility>

NodePin::NodePin(std::shared_ptr<DataNode> pinned)
    : node(std::move(pinned))
{
    hold();
}

NodePin::NodePin(const NodePin& other)
    : node(other.node)
{
    hold();
}

NodePin& NodePin::operator=(NodePin other) noexcept
{
    std::swap(node, other.node);
    return *this;
}

NodePin::~NodePin()
{
    reset();
}

void NodePin::hold()
{
    // Raised under the manager's mutex or from a pin that already holds the
    // node, so no ordering is needed on the way up.
    if (node)
        node->pins.fetch_add(1, std::memory_order_relaxed);
}

void NodePin::reset()
{
    // Release order: the manager's acquire load sees every use made under this pin.
    if (node)
        node->pins.fetch_sub(1, std::memory_order_release);
    node.reset();
}
