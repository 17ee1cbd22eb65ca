// What a screen reader finds on a play screen: the words the game last told it, the hole the keyboard is on.
#pragma once

#include <QAccessible>
#include <QWidget>

namespace hop::test {

// The words the game shows on `screen`, or is about to once the event loop runs; none once forgotten.
inline QString lastTold(const QWidget* screen)
{
    const QList<QWidget*> notices = screen->findChildren<QWidget*>(QStringLiteral("Announcement"), Qt::FindDirectChildrenOnly);
    // A forgotten notice was hidden on its way out; one still to be shown was never hidden.
    if (notices.isEmpty() || (notices.last()->isHidden() && notices.last()->testAttribute(Qt::WA_WState_ExplicitShowHide)))
        return {};
    return QAccessible::queryAccessibleInterface(notices.last())->text(QAccessible::Name);
}

// The hole with the screen's keyboard focus, which the mark carries; 0 off the board.
inline int focusedHole(const QWidget* screen)
{
    const QString name = screen->focusWidget() ? screen->focusWidget()->objectName() : QString();
    return name.startsWith(QLatin1String("Image")) ? name.mid(5).toInt() : 0;
}

} // namespace hop::test
