#pragma once

#include <QString>
#include <stdexcept>

// A template that cannot be read or a report that cannot be written; the text is for the
// general error display.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString &text) : std::runtime_error(text.toStdString()) {}
};
