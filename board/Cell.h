// A numeric cell whose observer runs synchronously, only when a write changes its value.
#pragma once

#include <functional>
#include <utility>

namespace hop::board {

class Cell {
public:
    using Observer = std::function<void(int)>;

    explicit Cell(int value = 0) : value_(value) {}
    Cell(const Cell&) = delete;
    Cell& operator=(const Cell&) = delete;

    int get() const { return value_; }

    // The observer sees the new value and may write other cells (or this one)
    // before set() returns; nothing here runs after it.
    void set(int value)
    {
        if (value == value_)
            return;
        value_ = value;
        if (observer_)
            observer_(value);
    }

    void onChange(Observer observer) { observer_ = std::move(observer); }

private:
    int value_;
    Observer observer_;
};

} // namespace hop::board
