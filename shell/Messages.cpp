// Every message box of the game goes through here.
#include "shell/Messages.h"

#include "shell/Screen.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>

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

void showMessage(const QString& text)
{
    if (hook()) {
        hook()(text);
        return;
    }
    // No parent: the screen behind may be disabled, and a box parented to it
    // would be disabled with it.
    QMessageBox box;
    box.setObjectName(QStringLiteral("GameMessage"));
    // The game's own face: no second Japanese font is loaded just for the box.
    box.setFont(gameFont(FontStyle{}));
    box.setWindowTitle(QStringLiteral("Hopstone"));
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    // Some styles decorate dialog buttons with icons; the game's boxes carry none.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    box.exec();
}

} // namespace hop::shell
