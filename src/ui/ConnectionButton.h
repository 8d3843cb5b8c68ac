#pragma once

#include "ui/Tone.h"

#include <QAbstractButton>

// The sidebar's one-line connection summary: a tone dot, the title and a settings glyph.
class ConnectionButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConnectionButton)

public:
    explicit ConnectionButton(QWidget* parent = nullptr);

    void setTone(Tone tone);
    Tone tone() const { return m_tone; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tone m_tone = Tone::busy;
};
