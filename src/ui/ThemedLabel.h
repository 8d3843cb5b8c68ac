#pragma once

#include "ui/Theme.h"

#include <QLabel>

#include <array>
#include <utility>

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
    // Where an elided line is cut (the end unless set).
    void setElideMode(Qt::TextElideMode mode);
    // An empty label takes no room at all (its margins included), so optional lines leave no gaps.
    void setCollapsesWhenEmpty(bool collapses);
    // A wrapping label shows at most `lines` lines, the last one cut with "…" (0: no limit).
    void setMaximumLines(int lines);
    // The system font at a size (device-independent pixels) and weight.
    void setSystemFont(qreal size, QFont::Weight weight = QFont::Normal);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeColor m_color;
    bool m_elided = false;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
    int m_maxLines = 0;
    bool m_collapses = false;
    // Layouts ask for the same few widths many times in one pass, often in turn, and each answer lays the text out
    // again: the last few answers are kept while the text and its look stay the same.
    struct HeightForWidth {
        QString text;
        QFont font;
        QMargins margins;
        bool wordWrap = false;
        Qt::TextFormat format = Qt::PlainText;
        std::array<std::pair<int, int>, 4> heights{{{-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}}}; // width, height
        qsizetype next = 0;
        void forget() { heights.fill({-1, 0}); }
    };
    mutable HeightForWidth m_heightForWidth;
};
