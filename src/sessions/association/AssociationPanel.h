#pragma once

#include "sessions/association/ActionAssociation.h"

#include <QList>

class QComboBox;
class QPushButton;
class QWidget;
class StatusPanel;
class ThemedLabel;
struct Copy;

// The sheet in which the user links the conversation to another Action, removes the link or asks the service to
// look again. Only views: the association area owns the state and the commands.
struct AssociationPanel {
    StatusPanel* panel = nullptr;
    QWidget* controls = nullptr;
    QComboBox* picker = nullptr;
    QPushButton* select = nullptr;
    QPushButton* unlink = nullptr;
    QPushButton* refresh = nullptr;
    QPushButton* cancel = nullptr;
    ThemedLabel* error = nullptr;
};

AssociationPanel buildAssociationPanel(QWidget* window, const Copy& copy);

// Fills the picker: the "choose" item without a value, then one item per Action; `linkedId` is selected when
// listed.
void fillAssociationPicker(QComboBox* picker, const QList<AssociationPickerItem>& items, const QString& linkedId,
                           const Copy& copy);
