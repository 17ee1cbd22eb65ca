// A label that narrows its type, never its size, when a stand-in font runs wider
// than the face the layout was set in ("120" must fit its 25 pixels).
#pragma once

#include <QLabel>

namespace hop::shell {

class FitLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The horizontal stretch (percent) the text is drawn with in the current size.
    int fittingStretch() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace hop::shell
