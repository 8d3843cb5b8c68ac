#pragma once

#include <QString>

#include <memory>

class QTranslator;

// Qt's own texts (standard buttons, a text field's context menu) in the language our copy uses. Loaded from the
// system's Qt translations; none when the app speaks English or the files are not installed.
std::unique_ptr<QTranslator> qtTranslator(bool japanese, const QString& directory);
// The same from the folder Qt was built to look in.
std::unique_ptr<QTranslator> qtTranslator(bool japanese);
