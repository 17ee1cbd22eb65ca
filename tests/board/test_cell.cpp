// The three promises of a cell's notification, on which the modes' checks rely.
#include "board/Cell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using hop::board::Cell;

TEST(CellNotification, OnlyAChangeNotifiesAndNestedNotificationsRunDepthFirstInsideTheWrite)
{
    Cell a(0), b(0), c(0);
    std::vector<std::string> order;
    a.onChange([&](int v) {
        order.push_back("a" + std::to_string(v));
        b.set(v * 10);
        order.push_back("a end");
    });
    b.onChange([&](int v) {
        order.push_back("b" + std::to_string(v));
        c.set(v + 1);
        order.push_back("b end");
    });
    c.onChange([&](int v) { order.push_back("c" + std::to_string(v)); });
    a.set(0);
    a.set(1);
    a.set(1);
    order.push_back("returned");
    EXPECT_EQ(order, (std::vector<std::string>{"a1", "b10", "c11", "b end", "a end", "returned"}));
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
