#pragma once

#include <QLineEdit>

// A search field: a rounded `input` box with a magnifier, placeholder in `secondary`, no focus ring.
class SearchField final : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchField)

public:
    explicit SearchField(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // What a screen reader calls the clear button.
    void setClearButtonName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Escape clears the search; in an empty field it goes on to the window.
    void keyPressEvent(QKeyEvent* event) override;
};
