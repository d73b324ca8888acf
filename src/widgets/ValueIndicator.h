#pragma once
// A number in a sunken display window with its name written above it.

#include <QWidget>

namespace zuvo {

class ValueIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName)
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(QString valueFormat READ valueFormat WRITE setValueFormat)

public:
    explicit ValueIndicator(QWidget* parent = nullptr);

    QString name() const { return name_; }
    void setName(const QString& name);
    double value() const { return value_; }
    void setValue(double value);
    QString valueFormat() const { return valueFormat_; }
    void setValueFormat(const QString& format);

    QString valueText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    double value_ = 0;
    QString valueFormat_ = "###0";
};

} // namespace zuvo
