#pragma once

#include "World/DataNode.h"

#include <memory>

// A hold on a data node while its blocks are in use. The data manager never
// reuses a node for other coordinates while any pin on it exists, and a pin
// keeps the node's memory alive even past the manager's end. Pins are handed
// out by the manager; copies may be made and dropped on any thread.
class NodePin
{
public:
    NodePin() = default;
    NodePin(std::nullptr_t) { }
    // Only under the data manager's mutex.
    explicit NodePin(std::shared_ptr<DataNode> node);
    NodePin(const NodePin& other);
    NodePin(NodePin&& other) noexcept = default;
    NodePin& operator=(NodePin other) noexcept;
    ~NodePin();

    void reset();
    DataNode* get() const { return node.get(); }
    DataNode* operator->() const { return node.get(); }
    DataNode& operator*() const { return *node; }
    explicit operator bool() const { return node != nullptr; }

private:
    void hold();

    std::shared_ptr<DataNode> node;
};
