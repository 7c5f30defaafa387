#include "common/ScanBurst.h"

static bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

static bool typesText(const ScanBurst::Key &key)
{
    if (key.text.isEmpty() || key.modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    for (const QChar c : key.text)
        if (!c.isPrint())
            return false;
    return true;
}

ScanBurst::Verdict ScanBurst::press(const Key &key, qint64 msec)
{
    if (scanned_) {
        keys_.clear();
        scanned_ = false;
    }
    if (isEnter(key.key)) {
        scanned_ = keys_.size() >= MinKeys && continues(msec);
        if (!scanned_)
            keys_.clear();
        return scanned_ ? Verdict::Scan : Verdict::Pass;
    }
    // A lone space is a person pressing the box's button; inside a run it is part of a code.
    if (!typesText(key) || (key.key == Qt::Key_Space && !continues(msec))) {
        keys_.clear();
        return Verdict::Pass;
    }
    if (!continues(msec))
        keys_.clear();
    keys_.append(key);
    last_ = msec;
    return Verdict::Held;
}
