#pragma once

#include <QAbstractButton>

// An on/off switch: a rounded track, filled with the accent colour when on, and a round knob. It is a checkable
// button, so clicks, Space, `toggled` and accessibility work as for a check box.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ToggleSwitch)

public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole track answers clicks, not only a text area.
    bool hitButton(const QPoint& position) const override;
};
