#pragma once

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
