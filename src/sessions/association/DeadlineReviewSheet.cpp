#include "sessions/association/DeadlineReviewSheet.h"

#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/StatusPanel.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

ThemedLabel* hostLine(QWidget* parent, const char* name, ThemeColor color, qreal size) {
    ThemedLabel* label = themedLabel(parent, name, color, size);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

DeadlineReviewSheet buildDeadlineReviewSheet(QWidget* window, const Copy& copy) {
    DeadlineReviewSheet sheet;
    sheet.panel = named(new StatusPanel(window), "actionDeadlinePanel");
    sheet.panel->setMinimumSize(480, 0);
    sheet.panel->resize(540, 420);
    sheet.panel->setWindowTitle(copy.text("期限の進め方", "Deadline"));
    auto* column = new QVBoxLayout(sheet.panel);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(12);

    auto* title = themedLabel(sheet.panel, "deadlineTitle", Theme::text, 16, QFont::DemiBold, false);
    title->setText(copy.text("期限までの進め方", "How to meet the deadline"));
    column->addWidget(title);
    sheet.work = hostLine(sheet.panel, "deadlineWork", Theme::text, 13);
    sheet.work->setMaximumLines(6);
    sheet.blocker = hostLine(sheet.panel, "deadlineBlocker", Theme::secondary, 13);
    sheet.blocker->setMaximumLines(4);
    column->addWidget(sheet.work);
    column->addWidget(sheet.blocker);

    sheet.options = named(new QWidget(sheet.panel), "deadlineOptions");
    auto* options = new QVBoxLayout(sheet.options);
    options->setContentsMargins(0, 6, 0, 0);
    options->setSpacing(4);
    column->addWidget(sheet.options);

    sheet.feedback = hostLine(sheet.panel, "deadlineFeedback", Theme::attentionInk, 13);
    sheet.feedback->hide();
    column->addWidget(sheet.feedback);
    column->addStretch(1);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addStretch(1);
    sheet.cancel = named(new FlatOutlineButton(copy.text("キャンセル", "Cancel")), "deadlineCancel");
    sheet.save = named(new SolidActionButton(copy.text("選択を保存", "Save decision")), "deadlineSave");
    sheet.save->setMinimumWidth(110);
    sheet.save->setDefault(true);
    buttons->addWidget(sheet.cancel);
    buttons->addWidget(sheet.save);
    column->addLayout(buttons);
    return sheet;
}

void fillDeadlineOptions(DeadlineReviewSheet& sheet, const QList<DeadlineOptionItem>& options, const QString& choice) {
    QLayout* column = sheet.options->layout();
    while (QLayoutItem* item = column->takeAt(0)) {
        if (QWidget* view = item->widget()) {
            view->hide();
            view->deleteLater();
        }
        delete item;
    }
    sheet.radios.clear();
    for (const DeadlineOptionItem& option : options) {
        // Radios of one parent exclude each other: the descriptions sit beside them in the same stack.
        auto* radio = named(new QRadioButton(sheet.options), "deadlineOption");
        radio->setText(plainMenuText(option.title));
        radio->setFont(systemFont(14));
        radio->setProperty("optionId", option.id);
        radio->setChecked(option.id == choice);
        column->addWidget(radio);
        auto* description = hostLine(sheet.options, "deadlineOptionDescription", Theme::secondary, 13);
        description->setText(option.description);
        description->setContentsMargins(24, 0, 0, 8);
        description->setHidden(option.description.isEmpty());
        column->addWidget(description);
        sheet.radios.append(radio);
    }
}
