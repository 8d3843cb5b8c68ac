#include "sessions/association/AssociationPanel.h"

#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/StatusPanel.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QStandardItemModel>
#include <QVBoxLayout>

AssociationPanel buildAssociationPanel(QWidget* window, const Copy& copy) {
    AssociationPanel views;
    views.panel = named(new StatusPanel(window), "associationPanel");
    views.panel->setMinimumSize(460, 0);
    views.panel->resize(520, 240);
    views.panel->setWindowTitle(copy.text("Action の関連", "Linked Action"));
    auto* column = new QVBoxLayout(views.panel);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(12);

    auto* title = themedLabel(views.panel, "associationTitle", Theme::text, 16, QFont::DemiBold, false);
    title->setText(copy.text("関連する Action", "Related Action"));
    auto* note = themedLabel(views.panel, "associationNote", Theme::secondary, 13);
    note->setText(copy.text("この会話の作業を報告する Action を選びます。",
                            "Choose the Action this conversation's work is reported against."));
    column->addWidget(title);
    column->addWidget(note);

    views.controls = named(new QWidget(views.panel), "actionAssociationControls");
    auto* controls = new QVBoxLayout(views.controls);
    controls->setContentsMargins(0, 4, 0, 0);
    controls->setSpacing(12);
    views.picker = named(new QComboBox(views.controls), "actionAssociationPicker");
    views.picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    views.picker->setMinimumContentsLength(24);
    views.picker->setMaxVisibleItems(16);
    views.picker->setAccessibleName(copy.text("Action", "Action"));
    controls->addWidget(views.picker);
    views.error = themedLabel(views.controls, "associationError", Theme::attentionInk, 13);
    views.error->setTextFormat(Qt::PlainText);
    views.error->hide();
    controls->addWidget(views.error);
    column->addWidget(views.controls);
    column->addStretch(1);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    views.refresh = named(new FlatOutlineButton(copy.text("再確認", "Re-check")), "actionAssociationRefresh");
    views.unlink = named(new FlatOutlineButton(copy.text("接続を解除", "Unlink")), "actionAssociationUnlink");
    views.cancel = named(new FlatOutlineButton(copy.text("キャンセル", "Cancel")), "associationCancel");
    views.select = named(new SolidActionButton(copy.text("保存", "Save")), "actionAssociationSelect");
    views.select->setMinimumWidth(88);
    views.select->setDefault(true); // Return saves; it does nothing while saving is not possible
    buttons->addWidget(views.refresh);
    buttons->addWidget(views.unlink);
    buttons->addStretch(1);
    buttons->addWidget(views.cancel);
    buttons->addWidget(views.select);
    column->addLayout(buttons);
    return views;
}

void fillAssociationPicker(QComboBox* picker, const QList<AssociationPickerItem>& items, const QString& linkedId,
                           const Copy& copy) {
    // One model reset rather than an insertion per item: a workspace may offer thousands of Actions.
    auto* model = new QStandardItemModel(picker);
    model->appendRow(new QStandardItem(copy.text("Action を選択…", "Choose an Action…")));
    int selected = 0;
    for (const AssociationPickerItem& item : items) {
        auto* row = new QStandardItem(item.title);
        row->setData(item.id, Qt::UserRole);
        row->setToolTip(plainToolTip(item.title));
        if (selected == 0 && !linkedId.isEmpty() && item.id == linkedId) {
            selected = model->rowCount();
        }
        model->appendRow(row);
    }
    picker->setModel(model); // the combo box deletes the model it owned before
    picker->setCurrentIndex(selected);
}
