// A role that is not on the screen yields null, and the screen's write to it asserts:
// a mode writes only the controls its layout gives it a role for.
#include "shell/GameControls.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace hop::shell {

namespace {

void collect(const QWidget& screen, const std::vector<ControlEntry>& entries, std::map<GameRole, QObject*>& into,
             std::map<modes::Readout, QLabel*>& captions)
{
    for (const ControlEntry& entry : entries) {
        if (!std::holds_alternative<std::monostate>(entry.role))
            into[entry.role] = screen.findChild<QObject*>(entry.name);
        if (entry.captionOf)
            captions[*entry.captionOf] = screen.findChild<QLabel*>(entry.name);
        collect(screen, entry.children, into, captions);
    }
}

} // namespace

GameControls::GameControls(const QWidget& screen, const ScreenLayout& layout)
{
    collect(screen, layout.controls, byRole_, captions_);
}

QObject* GameControls::find(const GameRole& role) const
{
    const auto it = byRole_.find(role);
    return it == byRole_.end() ? nullptr : it->second;
}

QLabel* GameControls::readout(modes::Readout readout) const
{
    return qobject_cast<QLabel*>(find(readout));
}

QPushButton* GameControls::button(modes::Button button) const
{
    return qobject_cast<QPushButton*>(find(button));
}

QWidget* GameControls::overlay(modes::Overlay overlay) const
{
    return qobject_cast<QWidget*>(find(overlay));
}

QTimer* GameControls::timer(modes::TimerId timer) const
{
    return qobject_cast<QTimer*>(find(timer));
}

QLabel* GameControls::caption(modes::Readout readout) const
{
    const auto it = captions_.find(readout);
    return it == captions_.end() ? nullptr : it->second;
}

} // namespace hop::shell
