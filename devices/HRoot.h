#pragma once

#include <QObject>

// The root of the device tree, made by the model. The node tree itself is
// built on it by the device-tree classes.
class HRoot : public QObject
{
    Q_OBJECT

public:
    explicit HRoot(QObject *parent = nullptr);
    ~HRoot() override;
};
