// One builder for every screen: each control's look comes from its layout entry only.
#include "shell/ScreenBuilder.h"

#include "shell/FitLabel.h"
#include "shell/PictureCell.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace hop::shell {

QFont gameFont(const FontStyle& entry)
{
    QFont font;
    // A bare "MS PGothic" would fall back to a Latin face on Linux; the list
    // finds a Japanese Gothic wherever one is installed.
    font.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(entry.points);
    font.setBold(entry.bold);
    font.setUnderline(entry.underline);
    return font;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

namespace {

Qt::Alignment alignment(Align align)
{
    switch (align) {
    case Align::Right: return Qt::AlignRight | Qt::AlignTop;
    case Align::Center: return Qt::AlignHCenter | Qt::AlignTop;
    case Align::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

void applyColours(QWidget* w, const ControlEntry& entry, QPalette::ColorRole backRole, QPalette::ColorRole textRole)
{
    QPalette palette = w->palette();
    if (entry.background) {
        palette.setColor(backRole, *entry.background);
        w->setAutoFillBackground(true);
    }
    if (entry.foreground)
        palette.setColor(textRole, *entry.foreground);
    w->setPalette(palette);
}

// The widget of the entry's kind with what only that kind has; a timer is no widget.
QWidget* newControl(QWidget* parent, const ControlEntry& entry)
{
    switch (entry.kind) {
    case ControlKind::Timer: {
        auto* timer = new QTimer(parent);
        timer->setObjectName(entry.name);
        timer->setTimerType(Qt::PreciseTimer);
        return nullptr;
    }
    case ControlKind::Label: {
        // The text only once the label is whole: set by QLabel's constructor, it would make
        // Qt's accessibility cache keep a second interface for the label, which outlives it.
        auto* label = new FitLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setText(entry.text);
        label->setAlignment(alignment(entry.align));
        label->setWordWrap(entry.wrap);
        applyColours(label, entry, QPalette::Window, QPalette::WindowText);
        return label;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(entry.text, parent);
        // Enter presses the focused button, as Space does.
        button->setAutoDefault(!entry.defaultButton);
        button->setDefault(entry.defaultButton);
        return button;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(entry.text, parent);
        edit->setReadOnly(true);
        edit->setCursorPosition(0);
        applyColours(edit, entry, QPalette::Base, QPalette::Text);
        return edit;
    }
    case ControlKind::Picture:
    case ControlKind::PictureBox: {
        auto* cell = new PictureCell(parent);
        cell->setStretch(entry.stretch);
        if (entry.kind == ControlKind::PictureBox)
            cell->setFocusPolicy(Qt::StrongFocus);
        return cell;
    }
    case ControlKind::Panel: {
        auto* panel = new QWidget(parent);
        applyColours(panel, entry, QPalette::Window, QPalette::WindowText);
        return panel;
    }
    }
    return nullptr;
}

// What every control has: name, place, font, state, and its stop in the tab order.
QWidget* makeControl(QWidget* parent, const ControlEntry& entry, const FontStyle& baseFont,
                     std::vector<std::pair<int, QWidget*>>& ordered)
{
    QWidget* w = newControl(parent, entry);
    if (!w)
        return nullptr;
    w->setObjectName(entry.name);
    w->setGeometry(twipsRect(entry.left, entry.top, entry.width, entry.height));
    w->setFont(gameFont(entry.font.value_or(baseFont)));
    w->setEnabled(entry.enabled);
    if (!entry.tabStop && w->focusPolicy() != Qt::NoFocus)
        w->setFocusPolicy(Qt::ClickFocus);
    if (entry.tab >= 0 && (w->focusPolicy() & Qt::TabFocus))
        ordered.emplace_back(entry.tab, w);
    if (entry.kind == ControlKind::Panel) {
        const QList<QWidget*> inner = buildControls(w, entry.children, baseFont);
        for (QWidget* child : inner)
            ordered.emplace_back(child->property("tabPosition").toInt(), child);
    }
    w->setProperty("tabPosition", entry.tab);
    w->setVisible(entry.visible);
    return w;
}

} // namespace

QList<QWidget*> buildControls(QWidget* parent, const std::vector<ControlEntry>& controls, const FontStyle& baseFont)
{
    QList<QWidget*> focusable;
    std::vector<std::pair<int, QWidget*>> ordered;
    QList<QWidget*> panels;
    for (const ControlEntry& entry : controls) {
        QWidget* w = makeControl(parent, entry, baseFont, ordered);
        if (w && entry.kind == ControlKind::Panel)
            panels.append(w);
    }
    // A panel covers whatever lies beneath it.
    for (QWidget* panel : panels)
        panel->raise();
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : ordered)
        focusable.append(entry.second);
    return focusable;
}

} // namespace hop::shell
