#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// A statement or a connection the database refused. The text is what the general error
// display shows the user.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString &text() const { return text_; }

private:
    QString text_;
};

} // namespace db
