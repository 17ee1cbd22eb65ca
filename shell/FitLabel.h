// A label that keeps its designed face, size and rectangle with a stand-in font:
// single lines that run wide are narrowed ("120" must fit its 25 pixels), and wrapped
// text is set with the designed face's tighter line spacing.
#pragma once

#include <QLabel>

class QTextLayout;

namespace hop::shell {

class FitLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The horizontal stretch (percent) the text is drawn with in the current size.
    int fittingStretch() const;

    // From one wrapped line's top to the next: one em, as the designed face sets them.
    static qreal lineStep(const QFontMetricsF& metrics, const QFont& font);
    // Breaks `layout` into lines of `width`, stacked `lineStep` apart; returns the height
    // from the first line's top to the last line's bottom.
    static qreal layOutWrapped(QTextLayout& layout, qreal width, qreal step);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintWrapped();
};

} // namespace hop::shell
