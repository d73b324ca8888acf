#include "params/ComboIndex.h"

#include <algorithm>

namespace zuvo {

int comboItemIndex(const QStringList& items, const QString& text, int searchLimit) {
    const int end = std::min<int>(searchLimit, static_cast<int>(items.size()));
    for (int i = 0; i < end && !items[i].isEmpty(); ++i) {
        if (items[i] == text) {
            return i;
        }
    }
    return 0;
}

} // namespace zuvo
