#pragma once

#include <QSplitter>

// The sidebar beside the content: the divider between them is a one-pixel line in the `border` colour that the user
// can drag (Qt keeps a few pixels around it to grab) to widen the lists.
class SidebarSplitter final : public QSplitter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarSplitter)

public:
    explicit SidebarSplitter(QWidget* parent = nullptr);

protected:
    QSplitterHandle* createHandle() override;
};
