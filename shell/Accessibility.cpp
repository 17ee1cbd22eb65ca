// Roles and states are the ones Orca acts on: a notification is spoken when shown, an
// alert or dialog is read when it opens, a window that waits for another is modal.
#include "shell/Accessibility.h"

#include "shell/HelpWindow.h"
#include "shell/PictureCell.h"
#include "shell/Screen.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace hop::shell {

namespace {

const char* const kHidden = "hopHiddenFromScreenReaders";

class HoleAccessible : public QAccessibleWidget {
public:
    explicit HoleAccessible(PictureCell* cell) : QAccessibleWidget(cell, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return cell()->voice()->holeName(cell()->voicedHole());
        case QAccessible::Description: return cell()->voice()->holeDescription(cell()->voicedHole());
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        s.focused = widget()->hasFocus();
        s.selected = cell()->hint() == PictureCell::Hint::Held;
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            cell()->voice()->pressHole(cell()->voicedHole());
    }

private:
    PictureCell* cell() const { return static_cast<PictureCell*>(widget()); }
};

class AnnouncementAccessible : public QAccessibleWidget {
public:
    explicit AnnouncementAccessible(Announcement* a) : QAccessibleWidget(a, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<const Announcement*>(widget())->words() : QString();
    }
};

// A window's button: unavailable, to a screen reader, while its window waits for
// another one (the menu behind the version window), though it keeps its look.
class ScreenButtonAccessible : public QAccessibleWidget {
public:
    ScreenButtonAccessible(QPushButton* button, const Screen* screen)
        : QAccessibleWidget(button, QAccessible::Button), screen_(screen)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const QPushButton*>(widget())->text().remove(QLatin1Char('&'));
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (screen_->inputBlocked()) {
            s.disabled = true;
            s.focusable = false;
        }
        return s;
    }

    QStringList actionNames() const override
    {
        return screen_->inputBlocked() ? QStringList() : QStringList{pressAction()};
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction() && !screen_->inputBlocked())
            static_cast<QPushButton*>(widget())->click();
    }

private:
    const Screen* screen_;
};

class HiddenAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        return s;
    }
};

class ScreenAccessible : public QAccessibleWidget {
public:
    explicit ScreenAccessible(Screen* screen)
        : QAccessibleWidget(screen, waits(screen) ? QAccessible::Dialog : QAccessible::Window)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.modal = waits(static_cast<const Screen*>(widget()));
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        const QString& name = static_cast<const Screen*>(widget())->spokenName();
        return t == QAccessible::Name && !name.isEmpty() ? name : QAccessibleWidget::text(t);
    }

private:
    // The version window stands over the menu until it is closed.
    static bool waits(const Screen* screen) { return screen->layout().frame == Frame::FixedTool; }
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (widget->property(kHidden).toBool())
        return new HiddenAccessible(widget, QAccessible::StaticText);
    if (auto* cell = qobject_cast<PictureCell*>(object); cell && cell->voice())
        return new HoleAccessible(cell);
    if (auto* announcement = qobject_cast<Announcement*>(object))
        return new AnnouncementAccessible(announcement);
    if (auto* screen = qobject_cast<Screen*>(object))
        return new ScreenAccessible(screen);
    if (auto* help = qobject_cast<HelpWindow*>(object))
        return new QAccessibleWidget(help, QAccessible::Window);
    if (auto* button = qobject_cast<QPushButton*>(object))
        if (auto* screen = qobject_cast<const Screen*>(button->window()))
            return new ScreenButtonAccessible(button, screen);
    return nullptr;
}

} // namespace

Announcement::Announcement(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Announcement"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcement::say(const QString& words)
{
    // Shown afresh each time: the showing is what makes a screen reader speak.
    hide();
    words_ = words;
    show();
}

void Announcement::forget()
{
    hide();
    words_.clear();
}

void keepFromScreenReaders(QWidget* label)
{
    label->setProperty(kHidden, true);
    // An interface made while the label was being built would not know it.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label); made && !dynamic_cast<HiddenAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

namespace {

// Qt learns that a screen reader listens only after asking the accessibility bus, which
// on a busy machine answers after the first window is up and active; a screen reader
// started after the game comes in later still. Either way the active window was never
// told, and the title would open to nobody: it is told once the screen reader is there.
class LateListener : public QObject, public QAccessible::ActivationObserver {
public:
    using QObject::QObject;
    ~LateListener() override { QAccessible::removeActivationObserver(this); }

    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            QTimer::singleShot(0, this, [] {
                QWidget* window = QApplication::activeWindow();
                if (!window)
                    return;
                QAccessible::State activated;
                activated.active = true;
                QAccessibleStateChangeEvent event(window, activated);
                QAccessible::updateAccessibility(&event);
                QAccessibleEvent focus(QApplication::focusWidget() ? QApplication::focusWidget() : window, QAccessible::Focus);
                QAccessible::updateAccessibility(&focus);
            });
    }
};

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        QAccessible::installActivationObserver(new LateListener(qApp));
        installed = true;
    }
}

} // namespace hop::shell
