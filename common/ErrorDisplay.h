#pragma once

#include <QFileDevice>
#include <QString>
#include <exception>
#include <utility>

// The general error display: an exception that leaves a handler stops the operation and its
// text is shown to the user.
void showError(const std::exception &e);
void showUnknownError();

// Wraps a handler for connect(): exceptions end in the error display instead of unwinding
// through Qt's signal dispatch.
template <class F>
auto guarded(F handler)
{
    return [handler = std::move(handler)]() {
        try {
            handler();
        } catch (const std::exception &e) {
            showError(e);
        } catch (...) {
            showUnknownError();
        }
    };
}

// A file operation that failed, in Chinese, naming the file and why: in place of
// QFile::errorString(), whose text ("Permission denied") is the system's English. `mode` is
// how the file was being opened, so that a missing file and a folder without write
// permission are told apart.
QString fileErrorText(const QString &path, QFileDevice::FileError error,
                      QIODevice::OpenMode mode = QIODevice::ReadOnly);
// The same for a file object after its failure (its name and error).
QString fileErrorText(const QFileDevice &file, QIODevice::OpenMode mode = QIODevice::ReadOnly);
