#pragma once
// Setters of the display widgets return early when nothing changes and repaint otherwise; this is
// the one place that decides "changed".

namespace zuvo {

template <typename T> bool assignIfChanged(T& field, const T& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

} // namespace zuvo
