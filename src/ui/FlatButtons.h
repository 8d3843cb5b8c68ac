#pragma once

#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPushButton>

#include <optional>

// The flat push buttons of the interface. They stay QPushButtons so that default buttons, shortcuts and
// accessibility work as usual; only their drawing is ours, resolved from Theme at paint time.

// A secondary action: a thin outline, filled while pressed. Optionally tinted (title and symbol) and with a
// trailing symbol; marked primary it draws like a SolidActionButton.
class FlatOutlineButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlatOutlineButton)

public:
    explicit FlatOutlineButton(const QString& title = {}, QWidget* parent = nullptr);

    void setTrailingSymbol(std::optional<Symbol> symbol);
    void setTint(std::optional<ThemeColor> tint);
    std::optional<ThemeColor> tint() const { return m_tint; }
    void setPrimary(bool primary);
    bool isPrimary() const { return m_primary; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<Symbol> m_trailingSymbol;
    std::optional<ThemeColor> m_tint;
    bool m_primary = false;
};

// The primary action: filled with the action colour; disabled it turns to the quiet `selected` fill.
class SolidActionButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SolidActionButton)
    Q_PROPERTY(bool attention READ attention WRITE setAttention)

public:
    explicit SolidActionButton(const QString& title = {}, QWidget* parent = nullptr);

    // Whether the owner offers this action as the answer to something that needs the user.
    bool attention() const { return m_attention; }
    void setAttention(bool attention);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_attention = false;
};

// A link-like text button without background.
class InlineTextButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InlineTextButton)
    Q_PROPERTY(bool emphasized READ isEmphasized WRITE setEmphasized)

public:
    explicit InlineTextButton(const QString& title = {}, QWidget* parent = nullptr);

    bool isEmphasized() const { return m_emphasized; }
    void setEmphasized(bool emphasized);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_emphasized = false;
};

// A tab of a detail pane: the selected one is semibold and underlined.
class DetailsTabButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DetailsTabButton)
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected)

public:
    explicit DetailsTabButton(const QString& title = {}, QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_selected = false;
};

// A borderless square button showing one symbol (the appearance toggle).
class SymbolButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SymbolButton)

public:
    explicit SymbolButton(Symbol symbol, QWidget* parent = nullptr);

    Symbol symbol() const { return m_symbol; }
    void setSymbol(Symbol symbol);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
};
