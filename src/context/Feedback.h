#pragma once

#include <QString>

// The footer line: one bilingual sentence about the last thing that happened.
class Feedback {
public:
    Feedback() = default;
    virtual ~Feedback() = default;
    Feedback(const Feedback&) = delete;
    Feedback& operator=(const Feedback&) = delete;

    virtual void setFooterText(const QString& text) = 0;
    virtual QString footerText() const = 0;
    // A routine line, rewritten with every snapshot; it does not replace a held message.
    virtual void setRoutineFooterText(const QString& text) { setFooterText(text); }
    // Keeps the current text against routine lines for a while, or until the next ordinary write.
    virtual void holdFooterText() {}
};
