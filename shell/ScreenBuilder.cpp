// One builder for every screen: each control's look comes from its layout entry only.
#include "shell/ScreenBuilder.h"

#include "shell/FitLabel.h"
#include "shell/PictureCell.h"
#include "shell/Screen.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace hop::shell {

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

void applyColours(QWidget* w, const ControlSpec& spec, QPalette::ColorRole backRole, QPalette::ColorRole textRole)
{
    QPalette palette = w->palette();
    if (spec.background) {
        palette.setColor(backRole, *spec.background);
        w->setAutoFillBackground(true);
    }
    if (spec.foreground)
        palette.setColor(textRole, *spec.foreground);
    w->setPalette(palette);
}

QWidget* makeControl(QWidget* parent, const ControlSpec& spec, const FontSpec& baseFont,
                     std::vector<std::pair<int, QWidget*>>& ordered)
{
    QWidget* w = nullptr;
    switch (spec.kind) {
    case ControlKind::Timer: {
        auto* timer = new QTimer(parent);
        timer->setObjectName(spec.name);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(spec.interval);
        return nullptr;
    }
    case ControlKind::Label: {
        auto* label = new FitLabel(spec.text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(alignment(spec.align));
        label->setWordWrap(spec.wrap);
        applyColours(label, spec, QPalette::Window, QPalette::WindowText);
        w = label;
        break;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(spec.text, parent);
        // Enter presses the focused button, as Space does.
        button->setAutoDefault(!spec.defaultButton);
        button->setDefault(spec.defaultButton);
        w = button;
        break;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(spec.text, parent);
        edit->setReadOnly(true);
        edit->setCursorPosition(0);
        applyColours(edit, spec, QPalette::Base, QPalette::Text);
        w = edit;
        break;
    }
    case ControlKind::Picture:
    case ControlKind::PictureBox: {
        auto* cell = new PictureCell(parent);
        cell->setStretch(spec.stretch);
        if (spec.kind == ControlKind::PictureBox)
            cell->setFocusPolicy(Qt::StrongFocus);
        w = cell;
        break;
    }
    case ControlKind::Panel: {
        auto* panel = new QWidget(parent);
        applyColours(panel, spec, QPalette::Window, QPalette::WindowText);
        w = panel;
        break;
    }
    }
    w->setObjectName(spec.name);
    w->setGeometry(twipsRect(spec.left, spec.top, spec.width, spec.height));
    w->setFont(gameFont(spec.font.value_or(baseFont)));
    w->setEnabled(spec.enabled);
    if (!spec.tabStop && w->focusPolicy() != Qt::NoFocus)
        w->setFocusPolicy(Qt::ClickFocus);
    if (spec.tab >= 0 && (w->focusPolicy() & Qt::TabFocus))
        ordered.emplace_back(spec.tab, w);
    if (spec.kind == ControlKind::Panel) {
        const QList<QWidget*> inner = buildControls(w, spec.children, baseFont);
        for (QWidget* child : inner)
            ordered.emplace_back(child->property("tabPosition").toInt(), child);
    }
    w->setProperty("tabPosition", spec.tab);
    w->setVisible(spec.visible);
    return w;
}

} // namespace

QList<QWidget*> buildControls(QWidget* parent, const std::vector<ControlSpec>& controls, const FontSpec& baseFont)
{
    QList<QWidget*> focusable;
    std::vector<std::pair<int, QWidget*>> ordered;
    QList<QWidget*> panels;
    for (const ControlSpec& spec : controls) {
        QWidget* w = makeControl(parent, spec, baseFont, ordered);
        if (w && spec.kind == ControlKind::Panel)
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
