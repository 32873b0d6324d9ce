#pragma once

#include "World/WaterDatablock.h"
#include "World/datablock.h"

#include <cstddef>
#include <memory>

// One cached block pair: a terrain block and its water block, always of the
// same coordinates, owned together by the data manager.
//
// Threads: the recency links, `index` and `saveFailed` belong to the data
// manager and are guarded by its mutex. The blocks are used by any thread
// that holds a NodePin on the node.
struct DataNode
{
    std::unique_ptr<datablock> tdb;
    std::unique_ptr<WaterDatablock> wdb;
    // Towards the most recently used node; null at the head.
    DataNode* prev = nullptr;
    // Towards the least recently used node; null at the tail.
    DataNode* next = nullptr;
    bool linked = false;
    // Position in creation order.
    std::size_t index = 0;
    // Its blocks could not be written; it keeps its data and is never reused.
    bool saveFailed = false;
};

// A node held by a handle or a query. The data manager never reuses a node for
// other coordinates while any pin on it exists, and a pin keeps the node's
// memory alive even past the manager's end.
using NodePin = std::shared_ptr<DataNode>;
