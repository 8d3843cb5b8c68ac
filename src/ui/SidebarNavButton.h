#pragma once

#include "ui/Symbols.h"

#include <QPushButton>

// A sidebar entry: a symbol and a title on a rounded background that shows the selected page.
class SidebarNavButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarNavButton)
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected)

public:
    SidebarNavButton(const QString& title, Symbol symbol, QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    Symbol symbol() const { return m_symbol; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    bool m_selected = false;
};
