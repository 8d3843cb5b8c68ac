#pragma once

#include "sessions/association/ActionDeadline.h"

#include <QList>

class QPushButton;
class QRadioButton;
class QWidget;
class StatusPanel;
class ThemedLabel;
struct Copy;

// The sheet in which the user chooses how to meet a linked Action's deadline. Only views: the association area owns
// the state and the command.
struct DeadlineReviewSheet {
    StatusPanel* panel = nullptr;
    ThemedLabel* work = nullptr;
    ThemedLabel* blocker = nullptr;
    QWidget* options = nullptr;
    QList<QRadioButton*> radios; // in the order of the options, each with its option id as "optionId"
    ThemedLabel* feedback = nullptr;
    QPushButton* save = nullptr;
    QPushButton* cancel = nullptr;
};

DeadlineReviewSheet buildDeadlineReviewSheet(QWidget* window, const Copy& copy);

// Replaces the options with one radio button (and its description) per option; `choice` is on.
void fillDeadlineOptions(DeadlineReviewSheet& sheet, const QList<DeadlineOptionItem>& options, const QString& choice);
