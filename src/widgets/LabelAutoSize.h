#pragma once
// Labels placed only by their top-left corner (marked with the dynamic property "autoSize") keep
// the size of their text whenever it changes, so that a longer live value is never cut off.

#include <QObject>

class QWidget;

namespace zuvo {

class LabelAutoSize : public QObject {
    Q_OBJECT

public:
    // Sizes every marked label under `root` now and follows its later text changes. The
    // follower lives as long as `root`.
    static void apply(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit LabelAutoSize(QObject* parent) : QObject(parent) {}
};

} // namespace zuvo
