#pragma once

#include <QLineEdit>

// A search field: a rounded `input` box with a magnifier, placeholder in `secondary`, no focus ring.
class SearchField final : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchField)

public:
    explicit SearchField(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
