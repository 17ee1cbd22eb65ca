// The game's help: rules, the three modes, and what the completion password proves.
#pragma once

#include <QString>
#include <QWidget>

namespace hop::shell {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow();
    // The topic the completion message points to.
    static QString masteryTopic() { return QStringLiteral("目指せ！ゲームマスター"); }
    static QString html();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace hop::shell
