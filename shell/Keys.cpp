#include "shell/Keys.h"

#include <QAccessible>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QTimer>

namespace hop::shell {

namespace {

struct Binding {
    KeyPlace place;
    int key;
    KeyAction action;
    int lastKey = 0;  // a range of keys from `key`, the digits
    // Held down, the key goes on acting: it moves the mark. Every other key acts once.
    bool repeats = false;
};

// Return and Enter are one key to a player: the main keyboard's and the keypad's.
constexpr Binding kBindings[] = {
    // Passed as a dialog is, for a player without a mouse.
    {KeyPlace::Title, Qt::Key_Return, KeyAction::PassTitle},
    {KeyPlace::Title, Qt::Key_Enter, KeyAction::PassTitle},
    {KeyPlace::Title, Qt::Key_Space, KeyAction::PassTitle},
    {KeyPlace::Title, Qt::Key_Escape, KeyAction::PassTitle},
    {KeyPlace::Version, Qt::Key_Return, KeyAction::PressOk},
    {KeyPlace::Version, Qt::Key_Enter, KeyAction::PressOk},
    {KeyPlace::Version, Qt::Key_Escape, KeyAction::CloseWindow},
    {KeyPlace::Help, Qt::Key_Escape, KeyAction::CloseWindow},
    {KeyPlace::Board, Qt::Key_Left, KeyAction::MarkLeft, 0, true},
    {KeyPlace::Board, Qt::Key_Right, KeyAction::MarkRight, 0, true},
    {KeyPlace::Board, Qt::Key_Up, KeyAction::MarkUp, 0, true},
    {KeyPlace::Board, Qt::Key_Down, KeyAction::MarkDown, 0, true},
    {KeyPlace::Board, Qt::Key_Return, KeyAction::Activate},
    {KeyPlace::Board, Qt::Key_Enter, KeyAction::Activate},
    {KeyPlace::Board, Qt::Key_Space, KeyAction::Activate},
    {KeyPlace::Board, Qt::Key_Escape, KeyAction::PutBack},
    // The main keyboard's digits and the keypad's are the same keys to Qt.
    {KeyPlace::Board, Qt::Key_0, KeyAction::MarkHole, Qt::Key_9},
    {KeyPlace::Board, Qt::Key_PageDown, KeyAction::MarkNext, 0, true},
    {KeyPlace::Board, Qt::Key_N, KeyAction::MarkNext, 0, true},
    {KeyPlace::Board, Qt::Key_PageUp, KeyAction::MarkPrevious, 0, true},
    {KeyPlace::Board, Qt::Key_P, KeyAction::MarkPrevious, 0, true},
    {KeyPlace::Board, Qt::Key_T, KeyAction::TellState},
};

bool binds(const Binding& b, int key)
{
    return b.key == key || (b.key < key && key <= b.lastKey);
}

// Keys that press, pass, close or tell something, or type a hole's number: held down,
// they act once, wherever they land (a button, a message box).
bool actsOnce(int key)
{
    for (const Binding& b : kBindings)
        if (binds(b, key))
            return !b.repeats;
    return false;
}

// Qt marks a repeat by the next press reaching the same window as the release before it;
// a held key that closes one window and opens another goes unmarked there. X gives a
// repeat's release and press one time stamp, which no two strokes of a finger share.
// With a screen reader listening, Qt's accessibility bridge takes every key event first and
// sends it on later as a copy without its time stamp: the guard puts itself in front of
// the bridge, and lets such copies pass as they are.
class KeyGuard : public QObject, public QAccessible::ActivationObserver {
public:
    using QObject::QObject;

    void accessibilityActiveChanged(bool active) override
    {
        // The bridge installs its filter as it becomes active; the last one installed is asked first.
        if (active)
            QTimer::singleShot(0, this, [this] { qApp->installEventFilter(this); });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (!actsOnce(key->key()))
            return false;
        if (key->timestamp() == 0)
            return key->isAutoRepeat();
        if (event->type() == QEvent::KeyRelease) {
            releasedAt_[key->key()] = key->timestamp();
            return key->isAutoRepeat();
        }
        const auto released = releasedAt_.constFind(key->key());
        const bool repeat = released != releasedAt_.cend() && key->timestamp() == *released;
        return key->isAutoRepeat() || repeat;
    }

private:
    QHash<int, quint64> releasedAt_;
};

} // namespace

KeyAction keyAction(KeyPlace place, const QKeyEvent& event)
{
    // With Ctrl, Alt or the logo key held, a key belongs to the desktop.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return KeyAction::None;
    for (const Binding& b : kBindings)
        if (b.place == place && binds(b, event.key()))
            return b.action;
    return KeyAction::None;
}

int keyDigit(const QKeyEvent& event)
{
    return event.key() - Qt::Key_0;
}

QStringList keyNames(KeyPlace place, KeyAction action)
{
    QStringList names;
    for (const Binding& b : kBindings) {
        if (b.place != place || b.action != action)
            continue;
        // The keypad's Enter is the same key to a player; a range is the digits.
        const QString name = b.lastKey                ? QStringLiteral("数字キー")
                             : b.key == Qt::Key_Enter  ? QString()
                             : b.key == Qt::Key_Return ? QStringLiteral("Enter")
                             : b.key == Qt::Key_Escape ? QStringLiteral("Escape")
                             : b.key == Qt::Key_PageDown ? QStringLiteral("Page Down")
                             : b.key == Qt::Key_PageUp   ? QStringLiteral("Page Up")
                                                         : QKeySequence(b.key).toString();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

QString anyKeyOf(KeyPlace place, KeyAction action)
{
    QStringList names = keyNames(place, action);
    const QString last = names.isEmpty() ? QString() : names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral("、")) + QStringLiteral(" または ") + last;
}

QKeySequence helpKey()
{
    return QKeySequence(Qt::Key_F1);
}

void installKeyGuard()
{
    static KeyGuard* guard = nullptr;
    if (!guard) {
        guard = new KeyGuard(qApp);
        qApp->installEventFilter(guard);
        QAccessible::installActivationObserver(guard);
    }
}

} // namespace hop::shell
