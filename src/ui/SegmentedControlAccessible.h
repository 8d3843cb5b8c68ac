#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// Screen readers see a segmented control as a tab list whose segments are tabs with their titles, the chosen one
// selected, each pressable. Installed once as a factory for the widget class.
QAccessibleInterface* segmentedControlAccessible(const QString& className, QObject* object);
