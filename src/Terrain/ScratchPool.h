#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Working memory of a mesh build, kept per thread and lent to one user at a
// time: builds reuse memory that is already mapped instead of growing fresh
// buffers (and page-faulting through them) every time. Whatever a lease
// leaves in its T is there for the next lease on the same thread.
template <typename T> class ScratchLease
{
public:
    ScratchLease()
        : item(take())
    {
    }
    ~ScratchLease() { pool().push_back(std::move(item)); }
    ScratchLease(const ScratchLease&) = delete;
    ScratchLease& operator=(const ScratchLease&) = delete;

    T& operator*() const { return *item; }
    T* operator->() const { return item.get(); }

private:
    static std::vector<std::unique_ptr<T>>& pool()
    {
        thread_local std::vector<std::unique_ptr<T>> items;
        return items;
    }
    static std::unique_ptr<T> take()
    {
        auto& items = pool();
        if (items.empty())
            return std::make_unique<T>();
        std::unique_ptr<T> taken = std::move(items.back());
        items.pop_back();
        return taken;
    }

    std::unique_ptr<T> item;
};

// Marks entries of a reused table as belonging to the current use: an entry
// counts only when its stamp equals the generation, so starting over costs
// one increment instead of clearing the table.
struct Generation
{
    std::uint32_t current = 0;

    // Starts a new use of tables whose stamps are given; clears them only
    // when the counter wraps.
    template <typename... Stamped> void next(Stamped&... tables)
    {
        if (++current == 0) {
            (clear(tables), ...);
            current = 1;
        }
    }

private:
    template <typename Table> static void clear(Table& table)
    {
        for (auto& entry : table)
            entry.stamp = 0;
    }
};
