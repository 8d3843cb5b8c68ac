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
};
