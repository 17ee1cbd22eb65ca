// The game's help: rules, the three modes, and what the completion password proves.
#pragma once

#include <QString>
#include <QWidget>

namespace hop::shell {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow();
    static QString html();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace hop::shell
