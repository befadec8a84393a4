#pragma once

#include <QList>
#include <QMetaType>

// The meter readings of one ARX amplifier, copied whole wherever it goes.
// Entry n of every list belongs to channel n, counted from 0: the inputs'
// peaks (analog, digital), the outputs' RMS voltage, and each as a 0..1
// display level.
struct ArxWebSocketModel
{
    QList<double> analogInputValues;
    QList<double> digitalInputValues;
    QList<double> outputValues;
    QList<double> analogInputLevels;
    QList<double> digitalInputLevels;
    QList<double> outputLevels;

    void clear()
    {
        analogInputValues.clear();
        digitalInputValues.clear();
        outputValues.clear();
        analogInputLevels.clear();
        digitalInputLevels.clear();
        outputLevels.clear();
    }
    bool isEmpty() const
    {
        return analogInputValues.isEmpty() && digitalInputValues.isEmpty() && outputValues.isEmpty()
            && analogInputLevels.isEmpty() && digitalInputLevels.isEmpty() && outputLevels.isEmpty();
    }
};

Q_DECLARE_METATYPE(ArxWebSocketModel)
