// What the board needs of the screen that shows it.
#pragma once

#include <string>

namespace hop {

enum class DragIcon { Drag, Drop };

class BoardView {
public:
    virtual ~BoardView() = default;
    // Mirror a named cell's decimal text into the control of that name (N05, Label2, Label1, TIM...).
    virtual void setText(const std::string& control, const std::string& text) = 0;
    // Give hole cell k the piece picture, or no picture.
    virtual void setHolePicture(int k, bool piece) = 0;
    virtual void showHole(int k, bool shown) = 0;
    virtual void setDragIcon(int k, DragIcon icon) = 0;
};

// "N01" ... "N23"
std::string stateLabelName(int k);

} // namespace hop
