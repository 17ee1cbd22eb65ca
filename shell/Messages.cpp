// Every message box of the game goes through here.
#include "shell/Messages.h"

#include "shell/Accessibility.h"

#include "modes/Texts.h"
#include "shell/ScreenBuilder.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>
#include <QTimer>

#include <algorithm>

namespace hop::shell {

namespace {
// The window manager writes the caption in its own title font, often bold and larger
// than the game's, between its buttons (an icon, minimize, maximize, close); a box
// narrower than all that shows the caption cut.
int captionWidth(const QFont& boxFont, const QString& caption)
{
    QFont title = boxFont;
    title.setBold(true);
    title.setPointSizeF(std::max(title.pointSizeF(), 11.0));
    const QFontMetrics metrics(title);
    const int button = metrics.height() + 10;
    return metrics.horizontalAdvance(caption) + 4 * button + 2 * button;
}

} // namespace

QString displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

void showMessage(const QString& text, QWidget* owner)
{
    // A screen that ignores input still lets its own boxes through (see Screen).
    // Held by a guard: should the owner go while the box is up, the box goes with it.
    QPointer<QMessageBox> box = new QMessageBox(owner);
    box->setObjectName(QStringLiteral("GameMessage"));
    // A box a move opened is heard as that move's end: its words come first. Set before
    // anything could ask for the box's accessible interface.
    box->setProperty(kMoveBeforeMessage, takeUnspokenAnnouncement());
    // The game's own face: no second Japanese font is loaded just for the box.
    box->setFont(gameFont(FontStyle{}));
    const QString caption = QString::fromUtf8(modes::texts::kApplicationTitle);
    box->setWindowTitle(caption);
    box->setIcon(QMessageBox::NoIcon);
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(text));
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    // Some styles decorate dialog buttons with icons; the game's boxes carry none.
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    // The box sizes itself from its grid; a row of this width keeps the caption whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(captionWidth(box->font(), caption), 0), grid->rowCount(), 0, 1,
                      grid->columnCount());
    // A window manager may leave a newly mapped box unfocused (its user time older than
    // the screen's, or asked before the box was mapped on a busy machine); Enter must reach
    // OK without a click, so it is asked again until the box has the keyboard.
    auto* activation = new QTimer(box);
    activation->setInterval(100);
    QObject::connect(activation, &QTimer::timeout, box, [box, activation] {
        if (box->isActiveWindow())
            activation->stop();
        else
            box->activateWindow();
    });
    QTimer::singleShot(0, box, [box, activation] {
        box->activateWindow();
        activation->start();
    });
    box->exec();
    delete box.data();
}

} // namespace hop::shell
