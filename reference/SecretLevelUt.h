#pragma once

#include "components/LookupListEditor.h"

// 密级设置: the secrecy levels.
class TSecretLevelFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TSecretLevelFm(QWidget *parent = nullptr);
};
