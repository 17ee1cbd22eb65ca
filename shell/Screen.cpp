// Window frame, centring and the close step shared by every screen.
#include "shell/Screen.h"

#include "resources/BuiltinPictures.h"
#include "shell/FrameExtents.h"
#include "shell/ScreenBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace hop::shell {

QString clockNote(modes::Pace clock)
{
    return clock == modes::Pace::Slow ? QStringLiteral("（時間 %1 倍）").arg(modes::kSlowClockFactor) : QString();
}

int pictureScale(const QWidget* widget)
{
    return std::max(1, int(std::ceil(widget->devicePixelRatioF())));
}

namespace {

Qt::WindowFlags flagsFor(const ScreenLayout& layout)
{
    if (layout.frame == Frame::None)
        return Qt::Window | Qt::FramelessWindowHint;
    Qt::WindowFlags flags = (layout.frame == Frame::FixedTool ? Qt::Tool : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (layout.minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

} // namespace

QPoint reachable(const QRect& outer, const QRect& area)
{
    return {std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width())),
            std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()))};
}

Screen::Screen(const ScreenLayout& layout, QWidget* owner) : QWidget(nullptr, flagsFor(layout)), layout_(layout)
{
    // Owned through its native window, not as a child widget: a child would take the
    // owner's icon, fonts and lifetime along with its place above it.
    if (owner && owner->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(owner->windowHandle());
    }
    setObjectName(layout.name);
    setWindowTitle(layout.caption);
    setFixedSize(twipsToPixels(layout.clientWidth), twipsToPixels(layout.clientHeight));
    setFont(gameFont(layout.baseFont));
    // The background is painted, not set in the palette: the style keys its drawings of the
    // buttons by their palette, and a palette of each screen's own would leave a set of
    // drawings behind with every screen opened. With the application's, they are shared.
    setAttribute(Qt::WA_OpaquePaintEvent, layout.background.has_value());
    if (layout.programIcon) {
        // Drawn once and kept for the whole run (never destroyed after the application
        // is gone); only the screens designed with it carry it.
        static const QIcon* const icon = new QIcon(resources::programIconSet());
        setWindowIcon(*icon);
    }
    const QList<QWidget*> order = buildControls(this, layout.controls, layout.baseFont);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

namespace {
// The frame of each kind of window, as the window manager last framed or described one.
QMargins& knownFrame(Frame kind)
{
    static QMargins margins[3];
    return margins[int(kind)];
}
} // namespace

void Screen::centre(int raiseTwips)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull() && layout_.frame != Frame::None) {
        if (knownFrame(layout_.frame).isNull())
            knownFrame(layout_.frame) = askFrameExtents(this).value_or(QMargins());
        frame = knownFrame(layout_.frame);
    }
    const QSize outer = size().grownBy(frame);
    const QRect area = screen->geometry();
    const double left = (area.width() - outer.width()) / 2.0;
    const double top = (area.height() - outer.height()) / 2.0 - raiseTwips / double(kTwipsPerPixel);
    // Centred on the whole screen, then kept off the panels and the screen's edges: a
    // title bar or close box out of reach would leave the window stuck.
    const QPoint centred(area.left() + int(std::floor(left)), area.top() + int(std::floor(top)));
    const QPoint corner = reachable(QRect(centred, outer), screen->availableGeometry());
    // Placed by its client area: the frame's corner is where the rule puts it, whether or
    // not the platform already knows the frame it will draw there.
    setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), size()));
}

void Screen::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (windowHandle() && layout_.frame != Frame::None && !windowHandle()->frameMargins().isNull())
        knownFrame(layout_.frame) = windowHandle()->frameMargins();
}

void Screen::focusFirstControl()
{
    QWidget* best = nullptr;
    int bestTab = 0;
    for (QWidget* w : findChildren<QWidget*>()) {
        const int tab = w->property("tabPosition").isValid() ? w->property("tabPosition").toInt() : -1;
        if (tab < 0 || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(this))
            continue;
        if (!best || tab < bestTab) {
            best = w;
            bestTab = tab;
        }
    }
    if (best)
        best->setFocus(Qt::OtherFocusReason);
}

void Screen::setBackgroundPicture(QImage picture)
{
    // Converted once to the screen's own format, rather than on every paint, and in
    // place where it can be: a picture at the size limit must not be held twice.
    background_ = QPixmap::fromImage(std::move(picture));
    update();
}

void Screen::setInputBlocked(bool blocked, QWidget* over)
{
    over_ = blocked ? over : nullptr;
    if (blocked == inputBlocked_)
        return;
    inputBlocked_ = blocked;
    // Input reaches a control through the application, whichever child it is aimed at.
    if (blocked)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    // Its buttons keep their look, but a screen reader is told they are unavailable.
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.disabled = true;
        changed.focusable = true;
        for (QPushButton* button : findChildren<QPushButton*>()) {
            QAccessibleStateChangeEvent event(button, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void Screen::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The window manager gave the blocked screen the keyboard: it belongs to the window
    // standing over it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && over_ && over_->isVisible()) {
        over_->raise();
        over_->activateWindow();
    }
}

bool Screen::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    // A blocked button must not light up under the pointer either.
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::Enter:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        break;
    default:
        return false;
    }
    // Caught at the window, before the application gives the focus to the control pressed.
    if (watched->isWindowType() && watched == windowHandle()) {
        if (event->type() == QEvent::MouseButtonPress && over_ && over_->isVisible()) {
            over_->raise();
            over_->activateWindow();
        }
        return true;
    }
    // A message box is a window of its own, so it keeps taking input.
    return watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
}

void Screen::closeFromProgram()
{
    programClose_ = true;
    close();
}

void Screen::closeEvent(QCloseEvent* event)
{
    // A screen that ignores input ignores its close box too.
    if (closing_ || (inputBlocked_ && !programClose_)) {
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
    closeStep();
    Q_EMIT closed();
    deleteLater();
}

void Screen::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (layout_.background)
        painter.fillRect(event->rect(), *layout_.background);
    // Unscaled: one picture pixel per logical pixel, repeated without smoothing on HiDPI.
    if (!background_.isNull())
        painter.drawPixmap(QPointF(0, 0), background_);
}

} // namespace hop::shell
