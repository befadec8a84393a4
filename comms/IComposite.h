#pragma once

#include <QObject>

// The set of all transports of the loaded project. It lists them, owns
// none, and drives the connection indicator from their states.
class IComposite : public QObject
{
    Q_OBJECT

public:
    explicit IComposite(QObject *parent = nullptr);
    ~IComposite() override;
};
