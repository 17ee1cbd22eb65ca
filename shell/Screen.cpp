// Window frame, centring and the close step shared by every screen.
#include "shell/Screen.h"

#include "resources/BuiltinPictures.h"
#include "shell/ScreenBuilder.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

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

Screen::Screen(const ScreenLayout& layout) : QWidget(nullptr, flagsFor(layout)), layout_(layout)
{
    setObjectName(layout.name);
    setWindowTitle(layout.caption);
    setFixedSize(twipsToPixels(layout.clientWidth), twipsToPixels(layout.clientHeight));
    setFont(gameFont(layout.baseFont));
    if (layout.background) {
        QPalette p = palette();
        p.setColor(QPalette::Window, *layout.background);
        setPalette(p);
        setAutoFillBackground(true);
    }
    if (layout.programIcon) {
        // The application's icon is the same picture, drawn once at start-up.
        const QIcon appIcon = QGuiApplication::windowIcon();
        setWindowIcon(appIcon.isNull() ? builtin::programIconSet() : appIcon);
    }
    const QList<QWidget*> order = buildControls(this, layout.controls, layout.baseFont);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

namespace {
// The window manager's frame is known only once a framed window has been mapped;
// later windows of the same kind are centred with the frame seen last.
QMargins& lastFrame()
{
    static QMargins margins;
    return margins;
}
} // namespace

void Screen::centre(int raiseTwips)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull() && layout_.frame != Frame::None)
        frame = lastFrame();
    const QSize outer = size().grownBy(frame);
    const QRect area = screen->geometry();
    const double left = (area.width() - outer.width()) / 2.0;
    const double top = (area.height() - outer.height()) / 2.0 - raiseTwips / double(kTwipsPerPixel);
    move(area.left() + int(std::floor(left)), area.top() + int(std::floor(top)));
}

void Screen::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (windowHandle() && layout_.frame != Frame::None && !windowHandle()->frameMargins().isNull())
        lastFrame() = windowHandle()->frameMargins();
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

void Screen::setBackgroundPicture(const QImage& picture)
{
    // Converted once to the screen's own format, rather than on every paint.
    background_ = QPixmap::fromImage(picture);
    update();
}

void Screen::closeFromProgram()
{
    programClose_ = true;
    close();
}

void Screen::closeEvent(QCloseEvent* event)
{
    // A screen that ignores input ignores its close box too.
    if (closing_ || (!isEnabled() && !programClose_)) {
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
    if (background_.isNull())
        return;
    QPainter painter(this);
    // Unscaled: one picture pixel per logical pixel, repeated without smoothing on HiDPI.
    painter.drawPixmap(QPointF(0, 0), background_);
}

} // namespace hop::shell
