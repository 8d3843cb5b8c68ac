// Builders shared by the settings panel, the session form, the understanding panel and the delivery home.
#include "ui/Builders.h"

#include "ui/FlatButtons.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

SettingsStack* settingsStack(const QList<QWidget*>& views, int spacing) {
    auto* stack = new SettingsStack(spacing);
    for (QWidget* view : views) {
        stack->addView(view);
    }
    return stack;
}

QWidget* settingsCard(const QString& title, const QList<QWidget*>& views) {
    auto* card = new RoundedBox(Theme::surface, Theme::border, 12);
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);
    auto* heading = themedLabel(card, "cardTitle", Theme::text, 13, QFont::DemiBold, false);
    heading->setText(title);
    column->addWidget(heading);
    for (QWidget* view : views) {
        column->addWidget(view);
    }
    return card;
}

ComposerField composerField(int height) {
    auto* box = new RoundedBox(Theme::input, Theme::border, 10);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(2, 2, 2, 2);
    auto* editor = new QPlainTextEdit(box);
    editor->setFrameShape(QFrame::NoFrame);
    editor->setFont(systemFont(13));
    editor->viewport()->setAutoFillBackground(false);
    editor->setFixedHeight(height);
    column->addWidget(editor);
    return {box, editor};
}

void tintPrimaryTitle(QPushButton* button, bool attention) {
    if (auto* solid = qobject_cast<SolidActionButton*>(button)) {
        solid->setAttention(attention); // already drawn as the primary action
        return;
    }
    if (auto* outline = qobject_cast<FlatOutlineButton*>(button)) {
        outline->setPrimary(true);
        outline->setProperty("attention", attention);
        return;
    }
    if (button) {
        button->setFont(systemFont(13, QFont::DemiBold));
        button->setProperty("attention", attention);
    }
}
