#pragma once

#include "components/ReportLayout.h"

class QPainter;

// Paints a laid-out page. The painter's transform maps report units to its device; fonts are
// sized for that device so that a point is a point on paper, in the preview and in a PDF.
class ReportRenderer {
public:
    static void paintPage(const LaidPage &page, QPainter &painter);
    static void paintObject(const ReportObject &object, QPainter &painter);
    // The object's font for the painter's device.
    static QFont fontFor(const ReportObject &object, const QPainter &painter);
};
