// The three promises of a cell's notification, on which the modes' checks rely.
#include "board/Cell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using hop::board::Cell;

TEST(CellNotification, WritingTheSameValueNotifiesNothing)
{
    Cell cell(5);
    int calls = 0;
    cell.onChange([&](int) { ++calls; });
    cell.set(5);
    EXPECT_EQ(calls, 0);
    cell.set(6);
    cell.set(6);
    EXPECT_EQ(calls, 1);
}

namespace {
std::string event(char cell, int value, const char* what = "")
{
    std::string text(1, cell);
    text += std::to_string(value);
    text += what;
    return text;
}
} // namespace

TEST(CellNotification, NestedNotificationsRunDepthFirstInsideTheWrite)
{
    Cell a(0), b(0), c(0);
    std::vector<std::string> order;
    a.onChange([&](int v) {
        order.push_back(event('a', v, " begin"));
        b.set(v * 10);
        order.push_back(event('a', v, " end"));
    });
    b.onChange([&](int v) {
        order.push_back(event('b', v, " begin"));
        c.set(v + 1);
        order.push_back(event('b', v, " end"));
    });
    c.onChange([&](int v) { order.push_back(event('c', v)); });

    a.set(1);
    order.push_back("returned");
    EXPECT_EQ(order, (std::vector<std::string>{"a1 begin", "b10 begin", "c11", "b10 end", "a1 end", "returned"}));
    EXPECT_EQ(c.get(), 11);
}

TEST(CellNotification, AnObserverMayWriteItsOwnCellAgain)
{
    Cell cell(0);
    std::vector<int> seen;
    cell.onChange([&](int v) {
        seen.push_back(v);
        if (v == 1)
            cell.set(0);  // as a reset inside a clear check does
    });
    cell.set(1);
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
    EXPECT_EQ(cell.get(), 0);
}
