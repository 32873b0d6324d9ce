#pragma once

#include "World/WaterDatablock.h"
#include "World/datablock.h"

#include <atomic>
#include <cstddef>
#include <memory>

// One cached block pair: a terrain block and its water block, always of the
// same coordinates, owned together by the data manager.
//
// Threads: the recency links, `index` and `saveFailed` belong to the data
// manager and are guarded by its mutex. The blocks are used by any thread
// that holds a NodePin on the node. `pins` rises only under the mutex or
// from a pin that exists already, and falls with release order, so the
// manager, which reads it with acquire order under its mutex, sees every use
// of a node it finds unpinned as finished.
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
    // NodePins that refer to the node.
    std::atomic<int> pins { 0 };

    bool isPinned() const { return pins.load(std::memory_order_acquire) > 0; }
};
