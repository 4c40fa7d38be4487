#pragma once

#include "platform/Services.h"

namespace korvane {

// The busy pointer over a window for as long as the scope lasts, whatever way it is left.
class BusyScope {
public:
    BusyScope(BusyPointer& pointer, QWidget& window) : pointer_(pointer), window_(window) {
        pointer_.setBusy(window_, true);
    }
    ~BusyScope() { pointer_.setBusy(window_, false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyPointer& pointer_;
    QWidget& window_;
};

} // namespace korvane
