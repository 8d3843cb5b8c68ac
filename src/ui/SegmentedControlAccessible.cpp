#include "ui/SegmentedControlAccessible.h"

#include "ui/SegmentedControl.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

namespace {

// One segment: it has no widget of its own, so its interface is registered with Qt and owned by the tab list's.
class SegmentAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SegmentAccessible(SegmentedControl* control, int index) : m_control(control), m_index(index) {}

    bool isValid() const override { return m_control && m_index < m_control->titles().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_control ? m_control->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_control); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text kind) const override {
        return isValid() && kind == QAccessible::Name ? m_control->titles().at(m_index) : QString();
    }

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = m_control->segmentRect(m_index).toAlignedRect();
        return {m_control->mapToGlobal(local.topLeft()), local.size()};
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = m_control->currentIndex() == m_index;
        state.focused = state.selected && m_control->hasFocus();
        state.invisible = !m_control->isVisible();
        state.disabled = !m_control->isEnabled();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (isValid() && m_control->isEnabled() && name == pressAction()) {
            m_control->chooseSegment(m_index);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<SegmentedControl> m_control;
    int m_index;
};

class TabListAccessible final : public QAccessibleWidget {
public:
    explicit TabListAccessible(SegmentedControl* control) : QAccessibleWidget(control, QAccessible::PageTabList) {}

    ~TabListAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_segments)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return static_cast<int>(control()->titles().size()); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        while (m_segments.size() <= index) {
            m_segments.append(QAccessible::registerAccessibleInterface(
                new SegmentAccessible(control(), static_cast<int>(m_segments.size()))));
        }
        return QAccessible::accessibleInterface(m_segments.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int index = 0; index < childCount(); ++index) {
            if (this->child(index) == child) {
                return index;
            }
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        for (int index = 0; index < childCount(); ++index) {
            if (child(index)->rect().contains(x, y)) {
                return child(index);
            }
        }
        return nullptr;
    }

    QAccessibleInterface* focusChild() const override {
        return control()->hasFocus() ? child(control()->currentIndex()) : nullptr;
    }

private:
    SegmentedControl* control() const { return static_cast<SegmentedControl*>(widget()); }

    mutable QList<QAccessible::Id> m_segments;
};

} // namespace

QAccessibleInterface* segmentedControlAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("SegmentedControl") && object && object->isWidgetType()) {
        return new TabListAccessible(static_cast<SegmentedControl*>(object));
    }
    return nullptr;
}
