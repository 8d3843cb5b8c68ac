#pragma once

#include <QAbstractButton>

// An on/off switch: a rounded track in the action colour while on, a quiet one while off, with a round knob.
// It is an ordinary checkable button, so Space toggles it and accessibility reports its state.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ToggleSwitch)

public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
