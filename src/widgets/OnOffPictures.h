#pragma once
// The two 48×18 pictures of the output switch grid: index 0 "OFF" in red on grey, index 1 "ON"
// in green.

#include <QImage>
#include <QList>

namespace zuvo {

// Drawn once on first use.
const QList<QImage>& onOffPictures();

} // namespace zuvo
