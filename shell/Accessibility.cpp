// Roles and states are the ones Orca acts on: a notification is spoken when shown, an
// alert or dialog is read when it opens, a window that waits for another is modal.
#include "shell/Accessibility.h"

#include "shell/HelpWindow.h"
#include "shell/PictureCell.h"
#include "shell/Screen.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeySequence>
#include <QMessageBox>
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

// One message's words, fixed when it is made.
class Notice : public QWidget {
    Q_OBJECT
public:
    Notice(QWidget* parent, const QString& words) : QWidget(parent), words_(words)
    {
        setObjectName(QStringLiteral("Announcement"));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
    }
    const QString words_;
};

class NoticeAccessible : public QAccessibleWidget {
public:
    explicit NoticeAccessible(Notice* n) : QAccessibleWidget(n, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<const Notice*>(widget())->words_ : QString();
    }
};

// A window's button: what Qt's own button interface reports (default, pressed, its
// shortcut), and unavailable, to a screen reader, while its window waits for another
// one (the menu behind the version window), though it keeps its look.
class ScreenButtonAccessible : public QAccessibleWidget {
public:
    ScreenButtonAccessible(QPushButton* button, const Screen* screen)
        : QAccessibleWidget(button, QAccessible::Button), screen_(screen)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text().remove(QLatin1Char('&'));
        if (t == QAccessible::Accelerator)  // as Qt's own: a default button answers to Enter
            return (button()->isDefault() ? QKeySequence(Qt::Key_Enter) : QKeySequence::mnemonic(button()->text()))
                .toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(t);
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        const QString keys = button()->shortcut().toString();
        return action == pressAction() && !keys.isEmpty() ? QStringList{keys} : QStringList();
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        s.defaultButton = button()->isDefault();
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
            button()->click();
    }

private:
    QPushButton* button() const { return static_cast<QPushButton*>(widget()); }

    const Screen* screen_;
};

// A game's message box, read as it opens by its caption and its words. The words are its
// text, as a screen reader reads a box's own text first: Orca 48 passes over labels of
// fewer than three words, which every Japanese message is, and Orca 43 would read a
// description a second time. A name change would reach Orca 43 without its words, so the
// move that opened the box is part of a name that never changes.
class MessageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit MessageAccessible(QMessageBox* box) : QAccessibleWidget(box, QAccessible::AlertMessage) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this) : QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString move = widget()->property(kMoveBeforeMessage).toString();
        return move.isEmpty() ? widget()->windowTitle() : widget()->windowTitle() + QStringLiteral("。") + move;
    }

    QString text(int start, int end) const override { return words().mid(start, end - start); }
    int characterCount() const override { return int(words().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString words() const { return static_cast<const QMessageBox*>(widget())->text(); }
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
    if (auto* notice = qobject_cast<Notice*>(object))
        return new NoticeAccessible(notice);
    if (auto* screen = qobject_cast<Screen*>(object))
        return new ScreenAccessible(screen);
    if (auto* box = qobject_cast<QMessageBox*>(object); box && box->property(kMoveBeforeMessage).isValid())
        return new MessageAccessible(box);
    if (auto* help = qobject_cast<HelpWindow*>(object))
        return new QAccessibleWidget(help, QAccessible::Window);
    if (auto* button = qobject_cast<QPushButton*>(object))
        if (auto* screen = qobject_cast<const Screen*>(button->window()))
            return new ScreenButtonAccessible(button, screen);
    return nullptr;
}

} // namespace

namespace {
QPointer<Notice> unshown;
}

void Announcement::say(const QString& words)
{
    forget();
    auto* notice = new Notice(parent_, words);
    shown_ = unshown = notice;
    // The showing is what makes a screen reader speak.
    QTimer::singleShot(0, notice, [notice] {
        if (unshown == notice)
            unshown = nullptr;
        notice->show();
    });
}

QString takeUnspokenAnnouncement()
{
    if (!unshown)
        return {};
    const QString words = unshown->words_;
    delete unshown.data();
    return words;
}

void Announcement::forget()
{
    if (shown_) {
        shown_->hide();
        shown_->deleteLater();
    }
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

#include "Accessibility.moc"
