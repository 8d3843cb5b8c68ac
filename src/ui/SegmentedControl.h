#pragma once

#include <QStringList>
#include <QWidget>

// A row of equal-width segments, one of them selected and tinted with the accent colour.
class SegmentedControl final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SegmentedControl)

public:
    explicit SegmentedControl(const QStringList& titles, QWidget* parent = nullptr);

    QStringList titles() const { return m_titles; }
    int currentIndex() const { return m_selected; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Where segment `index` is drawn, in the control's coordinates.
    QRectF segmentRect(int index) const;
    // As a click on segment `index` (screen readers press segments too).
    void chooseSegment(int index);

public Q_SLOTS:
    // Selects a segment without emitting `activated`; an index out of range selects nothing.
    void setCurrentIndex(int index);

Q_SIGNALS:
    // The user chose a segment.
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int segmentAt(const QPointF& point) const;

    QStringList m_titles;
    int m_selected = 0;
};
