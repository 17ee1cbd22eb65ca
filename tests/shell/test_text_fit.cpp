// Every text of the six screens, set in the real font at its control's width, stays
// wholly inside its control: a stand-in font must not cost the player a line or a letter.
#include "shell/FitLabel.h"
#include "shell/Layout.h"
#include "shell/Screen.h"

#include <QPushButton>
#include <QStyleOptionButton>
#include <QTextLayout>

#include <gtest/gtest.h>

using namespace hop;

TEST(TextFit, EveryLabelAndButtonShowsItsWholeText)
{
    for (const shell::ScreenLayout* layout : {&shell::titleLayout(), &shell::menuLayout(), &shell::versionLayout(),
                                              &shell::boardALayout(), &shell::boardBLayout(), &shell::stagesLayout()}) {
        shell::Screen screen(*layout);
        for (auto* label : screen.findChildren<shell::FitLabel*>()) {
            if (label->text().isEmpty() || label->width() == 0)
                continue;  // the hidden state holders have no rectangle
            SCOPED_TRACE(layout->name.toStdString() + " " + label->objectName().toStdString());
            QFont font = label->font();
            font.setStretch(label->fittingStretch());
            const QFontMetricsF metrics(font, label);
            const QRect area = label->contentsRect();
            const qreal step = shell::FitLabel::lineStep(metrics, font);
            if (label->wordWrap()) {
                QTextLayout text(label->text(), font, label);
                EXPECT_LE(shell::FitLabel::layOutWrapped(text, area.width(), step), area.height())
                    << text.lineCount() << " lines";
            } else {
                EXPECT_LE(metrics.horizontalAdvance(label->text()), area.width());
                EXPECT_LE(step, area.height());
            }
        }
        for (auto* button : screen.findChildren<QPushButton*>()) {
            SCOPED_TRACE(layout->name.toStdString() + " " + button->objectName().toStdString());
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const QFontMetricsF metrics(button->font(), button);
            EXPECT_LE(metrics.horizontalAdvance(button->text()), area.width());
            EXPECT_LE(metrics.height(), area.height());
        }
    }
}
