// The holes are named from the board's own state, the one their pictures show, so a
// screen reader and the eye never disagree.
#include "shell/Accessibility.h"

#include "shell/HelpWindow.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"

#include <QAccessibleWidget>

namespace hop::shell {

namespace {

class HoleAccessible : public QAccessibleWidget {
public:
    HoleAccessible(PictureCell* cell, PlayScreen* screen, int k)
        : QAccessibleWidget(cell, QAccessible::Button), screen_(screen), k_(k)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const PictureCell* cell = static_cast<const PictureCell*>(widget());
        switch (t) {
        case QAccessible::Name:
            return QStringLiteral("穴 %1：%2")
                .arg(k_)
                .arg(screen_->game().board().hole(k_) == 1 ? QStringLiteral("駒あり") : QStringLiteral("空き"));
        case QAccessible::Description:
            if (cell->hint() == PictureCell::Hint::Held)
                return QStringLiteral("持ち上げています");
            if (cell->hint() == PictureCell::Hint::Target)
                return QStringLiteral("ここへ跳べます");
            return screen_->lastMoveTarget() == k_ ? screen_->lastMove() : QString();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        s.focused = widget()->hasFocus();
        s.selected = static_cast<const PictureCell*>(widget())->hint() == PictureCell::Hint::Held;
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            screen_->activateHole(k_);
    }

private:
    PlayScreen* screen_;
    int k_;
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (auto* cell = qobject_cast<PictureCell*>(object))
        if (auto* screen = qobject_cast<PlayScreen*>(cell->parentWidget()))
            if (const int k = screen->holeNumber(cell))
                return new HoleAccessible(cell, screen, k);
    // A screen is a window to the desktop; the version window, a tool window, a dialog.
    if (auto* screen = qobject_cast<Screen*>(object))
        return new QAccessibleWidget(screen, screen->layout().frame == Frame::FixedTool ? QAccessible::Dialog
                                                                                         : QAccessible::Window);
    if (auto* help = qobject_cast<HelpWindow*>(object))
        return new QAccessibleWidget(help, QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        installed = true;
    }
}

} // namespace hop::shell
