#pragma once

#include <QObject>
#include <QString>

// One feature row of a status device: an indicator, a text, an error or
// warning with its code and explanation, or a header. A plain record; the
// device object that made it is its parent, and the list models read it.
class DeviceStatusInterfaceFeatureDisplayObject : public QObject
{
    Q_OBJECT

public:
    enum FeatureDisplayType {
        TypeIndicator = 0,
        TypeText = 1,
        TypeError = 2,
        TypeWarning = 3,
        TypeHeader = 4,
    };

    enum IndicatorColor {
        NoIndicator = -1, // text, warning-text and header rows show none
        Red = 0,
        Orange = 1,
        Yellow = 2,
        Gray = 3,
        Green = 4,
    };

    explicit DeviceStatusInterfaceFeatureDisplayObject(QObject *parent = nullptr);
    ~DeviceStatusInterfaceFeatureDisplayObject() override;

    int displayType() const { return m_displayType; }
    void setDisplayType(int type) { m_displayType = type; }
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name) { m_displayName = name; }
    QString displayValue() const { return m_displayValue; }
    void setDisplayValue(const QString &value) { m_displayValue = value; }
    int indicatorColor() const { return m_indicatorColor; }
    void setIndicatorColor(int color) { m_indicatorColor = color; }
    QString errorCode() const { return m_errorCode; }
    void setErrorCode(const QString &code) { m_errorCode = code; }
    // Sort key of the array's rows, ascending.
    int order() const { return m_order; }
    void setOrder(int order) { m_order = order; }
    QString errorDisplayValue() const { return m_errorDisplayValue; }
    void setErrorDisplayValue(const QString &value) { m_errorDisplayValue = value; }

private:
    int m_displayType = TypeIndicator;
    QString m_displayName;
    QString m_displayValue;
    int m_indicatorColor = NoIndicator;
    QString m_errorCode;
    int m_order = 0;
    QString m_errorDisplayValue;
};
