#pragma once

#include <QList>
#include <QString>
#include <Qt>

// Tells a barcode scanner from a person while a message box is open. A scanner types its code
// and Enter within a few milliseconds; a person needs a good deal more between two keys. Keys
// with text are held back from the box; an Enter that ends a run of them, each following the one
// before within MaxGapMs, is a scan, and the run is handed back to be typed where it belongs.
// Anything else (a lone Enter, Escape, slow typing) leaves the box to do as it always does.
class ScanBurst {
public:
    // The longest pause between two keys of one scan. Scanners stay under 10 ms; a person's two
    // keys come 60 ms or more apart, even in a fast typist's rolled pairs.
    static constexpr qint64 MaxGapMs = 30;
    // The shortest code a scanner sends.
    static constexpr int MinKeys = 2;

    struct Key {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    enum class Verdict {
        Held, // part of what may be a scan: the box does not see it
        Pass, // the box handles it as usual
        Scan, // Enter that ends a scan: close the box, type keys() where the focus was
    };

    // One key press at `msec` (a monotonic clock).
    Verdict press(const Key &key, qint64 msec);
    // The keys of the scan, without its Enter.
    const QList<Key> &keys() const { return keys_; }

private:
    bool continues(qint64 msec) const { return !keys_.isEmpty() && msec - last_ <= MaxGapMs; }

    QList<Key> keys_;
    qint64 last_ = 0;
    bool scanned_ = false; // keys_ hold a finished scan
};
