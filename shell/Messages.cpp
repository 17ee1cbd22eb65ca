// Every message box of the game goes through here.
#include "shell/Messages.h"

#include "modes/Texts.h"

#include "shell/ScreenBuilder.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>

namespace hop::shell {

namespace {
MessageHook& hook()
{
    static MessageHook h;
    return h;
}
} // namespace

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

QString displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

void showMessage(const QString& text, QWidget* owner)
{
    if (hook()) {
        hook()(text);
        return;
    }
    // A screen that ignores input still lets its own boxes through (see Screen).
    // Held by a guard: should the owner go while the box is up, the box goes with it.
    QPointer<QMessageBox> box = new QMessageBox(owner);
    box->setObjectName(QStringLiteral("GameMessage"));
    // The game's own face: no second Japanese font is loaded just for the box.
    box->setFont(gameFont(FontStyle{}));
    box->setWindowTitle(QString::fromUtf8(modes::texts::kApplicationTitle));
    box->setIcon(QMessageBox::NoIcon);
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(text));
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    // Some styles decorate dialog buttons with icons; the game's boxes carry none.
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    box->exec();
    delete box.data();
}

} // namespace hop::shell
