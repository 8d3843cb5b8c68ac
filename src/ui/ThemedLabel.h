#pragma once

#include "ui/Theme.h"

#include <QLabel>

// A label whose text colour is a theme pair resolved at paint time. With eliding on, a single line is cut at the
// end with "…" while text() keeps the whole string.
class ThemedLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThemedLabel)

public:
    explicit ThemedLabel(ThemeColor color, QWidget* parent = nullptr);

    void setColor(ThemeColor color);
    ThemeColor color() const { return m_color; }
    void setElided(bool elided);
    // Font helpers for the system font at a point size and weight.
    void setSystemFont(qreal pointSize, QFont::Weight weight = QFont::Normal);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeColor m_color;
    bool m_elided = false;
};
