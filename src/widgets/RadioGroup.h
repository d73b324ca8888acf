#pragma once
// A titled group of radio buttons addressed by item index. itemIndexChanged fires for every
// change of the selection, made by the user or by the program, so that a reaction bound to it
// runs in both cases.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace zuvo {

class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)

public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList items() const { return items_; }
    // Rebuilds the buttons; the selection is kept when it is still in range, else cleared.
    void setItems(const QStringList& items);
    // -1 when no item is selected.
    int itemIndex() const { return itemIndex_; }
    // An index out of range clears the selection.
    void setItemIndex(int index);

signals:
    void itemIndexChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();
    void applySelection();

    QStringList items_;
    int itemIndex_ = -1;
    QButtonGroup* buttons_;
};

} // namespace zuvo
