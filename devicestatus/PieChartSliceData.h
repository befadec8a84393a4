#pragma once

#include <QObject>
#include <QString>

// One slice of a dashboard pie: how many devices of one kind are in one
// state, and the state's colour.
class PieChartSliceData : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString label READ label WRITE setLabel NOTIFY changed)
    Q_PROPERTY(double value READ value WRITE setValue NOTIFY changed)
    Q_PROPERTY(QString color READ color WRITE setColor NOTIFY changed)

public:
    PieChartSliceData() = default;

    QString label() const { return m_label; }
    void setLabel(const QString &label);
    double value() const { return m_value; }
    void setValue(double value);
    QString color() const { return m_color; }
    void setColor(const QString &color);

signals:
    void changed();

private:
    QString m_label;
    double m_value = 0.0;
    QString m_color;
};
