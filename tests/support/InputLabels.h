#pragma once

#include <QStringList>

class QWidget;

// The input boxes of `window` that a screen reader would not announce by their caption: no
// accessible name, or only the title of the group around them. Each as "objectName (class)".
// Boxes hidden in the window and the editors inside a combo or spin box are left out. Every
// window test calls it: QVERIFY_INPUTS_LABELLED(window).
QStringList unlabelledInputs(QWidget *window);

// The name a screen reader announces for a widget.
QString spokenName(QWidget *widget);

#define QVERIFY_INPUTS_LABELLED(window)                                                                        \
    do {                                                                                                       \
        const QStringList unlabelled_ = unlabelledInputs(window);                                              \
        QVERIFY2(unlabelled_.isEmpty(), qPrintable(QStringLiteral("inputs without a caption: ")                \
                                                   + unlabelled_.join(QStringLiteral(", "))));                 \
    } while (false)
