#pragma once

#include "ui/Theme.h"

#include <QWidget>

#include <optional>

class QVBoxLayout;

// A plain coloured area: `fill`, or `surface` when none; square corners, no outline.
class SurfaceView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SurfaceView)

public:
    explicit SurfaceView(QWidget* parent = nullptr);

    std::optional<ThemeColor> fill() const { return m_fill; }
    void setFill(std::optional<ThemeColor> fill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<ThemeColor> m_fill;
};

// A rounded box with a fill and a 1-point outline, both theme pairs: settings cards, badges, text-entry frames.
class RoundedBox final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RoundedBox)

public:
    RoundedBox(ThemeColor fill, ThemeColor outline, qreal radius, QWidget* parent = nullptr);

    void setColors(ThemeColor fill, ThemeColor outline);
    ThemeColor fill() const { return m_fill; }
    ThemeColor outline() const { return m_outline; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeColor m_fill;
    ThemeColor m_outline;
    qreal m_radius;
};

// The background of an attention banner; draws nothing at all while inactive.
class AttentionSurface final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AttentionSurface)
    Q_PROPERTY(bool active READ isActive WRITE setActive)

public:
    explicit AttentionSurface(QWidget* parent = nullptr);

    bool isActive() const { return m_active; }
    void setActive(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_active = false;
};

// A small status disc coloured by tone.
class StatusDot final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusDot)

public:
    explicit StatusDot(QWidget* parent = nullptr);

    Tone tone() const { return m_tone; }
    void setTone(Tone tone);
    static ThemeColor colorFor(Tone tone);

    QSize sizeHint() const override { return {5, 5}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tone m_tone = Tone::neutral;
};

// The document of a scroll area: content starts at the top and takes the area's width (Qt's widgets already
// count from the top left, so this only fixes the sizing a scroll area gives its document).
class FlippedDocumentView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlippedDocumentView)

public:
    explicit FlippedDocumentView(QWidget* parent = nullptr);
};

// A vertical stack that lays its views out from the top, leading-aligned, each as wide as the stack.
class SettingsStack final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsStack)

public:
    explicit SettingsStack(int spacing, QWidget* parent = nullptr);

    void addView(QWidget* view);
    QVBoxLayout* column() const { return m_column; }

private:
    QVBoxLayout* m_column;
};
