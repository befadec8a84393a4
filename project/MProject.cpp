#include "MProject.h"

#include "XmlHandler.h"

#include <QCoreApplication>
#include <QXmlAttributes>

namespace {

// One PIN for the whole program, independent of the record.
QString s_exitPin;

// The element names of both project files; "BusinessManeger" is spelled so
// in the files.
const QString kFacility = QStringLiteral("Facility");
const QString kBusinessManager = QStringLiteral("BusinessManeger");
const QString kEngineer = QStringLiteral("Engineer");
const QString kCustomer = QStringLiteral("Customer");
const QString kComments = QStringLiteral("Comments");
const QString kExitCode = QStringLiteral("ExitCode");

const QString kName = QStringLiteral("name");
const QString kEmail = QStringLiteral("email");
const QString kTel = QStringLiteral("tel");
const QString kAddress = QStringLiteral("address");

// "comment1" .. "comment6" -> 0 .. 5, else -1.
int commentIndex(const QString &key)
{
    for (int i = 0; i < MProject::CommentCount; ++i) {
        if (key == QStringLiteral("comment%1").arg(i + 1))
            return i;
    }
    return -1;
}

} // namespace

MProject::MProject()
{
    reset();
}

void MProject::reset()
{
    m_businessManagerName.clear();
    m_businessManagerEmail.clear();
    m_businessManagerTel.clear();
    m_engineerName.clear();
    m_engineerEmail.clear();
    m_engineerTel.clear();
    m_customerName.clear();
    m_customerAddress.clear();
    m_customerEmail.clear();
    m_customerTel.clear();
    for (QString &comment : m_comments)
        comment.clear();
    m_siteName = QStringLiteral("SITE NAME");
}

bool MProject::startElement(const QString &name, const QXmlAttributes &atts)
{
    // A missing attribute reads as empty and so empties its field.
    const auto attr = [&atts](const QString &attrName) {
        return XmlHandler::getAttribute(atts, attrName);
    };

    if (name == kFacility) {
        m_siteName = attr(kName);
    } else if (name == kBusinessManager) {
        m_businessManagerName = attr(kName);
        m_businessManagerEmail = attr(kEmail);
        m_businessManagerTel = attr(kTel);
    } else if (name == kEngineer) {
        m_engineerName = attr(kName);
        m_engineerEmail = attr(kEmail);
        m_engineerTel = attr(kTel);
    } else if (name == kCustomer) {
        m_customerName = attr(kName);
        m_customerAddress = attr(kAddress);
        m_customerEmail = attr(kEmail);
        m_customerTel = attr(kTel);
    } else if (name == kComments) {
        for (int i = 0; i < CommentCount; ++i)
            m_comments[static_cast<size_t>(i)] = attr(QStringLiteral("comment%1").arg(i + 1));
    } else if (name == kExitCode) {
        s_exitPin = attr(QStringLiteral("ExitPIN"));
    }
    return true;
}

void MProject::setValue(const QString &section, const QString &key, const QString &value)
{
    if (section == kFacility)
        setFacilityValue(key, value);
    else if (section == kBusinessManager)
        setBusinessManagerValue(key, value);
    else if (section == kEngineer)
        setEngineerValue(key, value);
    else if (section == kCustomer)
        setCustomerValue(key, value);
    else if (section == kComments)
        setCommentValue(key, value);
    else if (section == kExitCode)
        setExitCodeValue(key, value);
}

void MProject::setFacilityValue(const QString &key, const QString &value)
{
    // Stored panel files write an empty site name as "None".
    if (key == kName)
        m_siteName = (value == QStringLiteral("None")) ? QString() : value;
    // The facility precedes the optional "ExitCode" section, so a panel file
    // with a project section decides the PIN on its own.
    s_exitPin.clear();
}

void MProject::setBusinessManagerValue(const QString &key, const QString &value)
{
    if (key == kName)
        m_businessManagerName = value;
    else if (key == kEmail)
        m_businessManagerEmail = value;
    else if (key == kTel)
        m_businessManagerTel = value;
}

void MProject::setEngineerValue(const QString &key, const QString &value)
{
    if (key == kName)
        m_engineerName = value;
    else if (key == kEmail)
        m_engineerEmail = value;
    else if (key == kTel)
        m_engineerTel = value;
}

void MProject::setCustomerValue(const QString &key, const QString &value)
{
    if (key == kName)
        m_customerName = value;
    else if (key == kAddress)
        m_customerAddress = value;
    else if (key == kEmail)
        m_customerEmail = value;
    else if (key == kTel)
        m_customerTel = value;
}

void MProject::setCommentValue(const QString &key, const QString &value)
{
    const int index = commentIndex(key);
    if (index >= 0)
        m_comments[static_cast<size_t>(index)] = value;
}

void MProject::setExitCodeValue(const QString &key, const QString &value)
{
    if (key == QStringLiteral("exitPIN"))
        s_exitPin = value;
}

QString MProject::projectInfoText() const
{
    const QChar nl = QLatin1Char('\n');
    QString text;
    text += QCoreApplication::translate("QObject", "Facility\n");
    text += m_siteName + nl + nl;
    text += QCoreApplication::translate("QObject", "Business Manager\n");
    text += m_businessManagerName + nl + m_businessManagerEmail + nl + m_businessManagerTel + nl + nl;
    text += QCoreApplication::translate("QObject", "Engineer\n");
    text += m_engineerName + nl + m_engineerEmail + nl + m_engineerTel + nl + nl;
    text += QCoreApplication::translate("QObject", "Customer\n");
    text += m_customerName + nl + m_customerAddress + nl + m_customerEmail + nl + m_customerTel + nl
        + nl;
    return text;
}

QString MProject::comment(int number) const
{
    if (number < 1 || number > CommentCount)
        return QString();
    return m_comments[static_cast<size_t>(number - 1)];
}

QString MProject::exitPin()
{
    return s_exitPin;
}

void MProject::setExitPin(const QString &pin)
{
    s_exitPin = pin;
}
