#pragma once

#include "ui/Tone.h"

#include <QWidget>

class QPushButton;
class ThemedLabel;

// A settings row: a tone-coloured dot, a fixed-width title, a detail that truncates first, and an optional action.
class StatusRow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusRow)

public:
    explicit StatusRow(const QString& title, QWidget* parent = nullptr);

    // Stores the tone, colours the dot by it and shows `text` as the detail and its tool tip.
    void render(const QString& text, Tone tone);

    Tone tone() const { return m_tone; }
    ThemedLabel* dot() const { return m_dot; }
    ThemedLabel* title() const { return m_title; }
    ThemedLabel* detail() const { return m_detail; }
    QPushButton* action() const { return m_action; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tone m_tone = Tone::neutral;
    ThemedLabel* m_dot;
    ThemedLabel* m_title;
    ThemedLabel* m_detail;
    QPushButton* m_action;
};
