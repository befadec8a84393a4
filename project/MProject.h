#pragma once

#include <QString>

#include <array>

class QXmlAttributes;

// The descriptive record of the loaded project: site name, three contacts
// and six comment lines. The design-project reader and the panel-file reader
// fill it while they parse; the program reads it for the "Project
// Information" text.
//
// Beside it lives the program-wide exit PIN, which is not part of any one
// record: it guards leaving the program and outlives project loads.
class MProject
{
public:
    static constexpr int CommentCount = 6;

    MProject();
    virtual ~MProject() = default;

    // Site name "SITE NAME", every other text empty; the exit PIN stays.
    void reset();

    // One element of the design project's "ProjectInfo" section. Always true,
    // so the parse goes on.
    bool startElement(const QString &name, const QXmlAttributes &atts);

    // One leaf of the panel file's "Project" section.
    void setValue(const QString &section, const QString &key, const QString &value);
    void setFacilityValue(const QString &key, const QString &value);
    void setBusinessManagerValue(const QString &key, const QString &value);
    void setEngineerValue(const QString &key, const QString &value);
    void setCustomerValue(const QString &key, const QString &value);
    void setCommentValue(const QString &key, const QString &value);
    void setExitCodeValue(const QString &key, const QString &value);

    QString projectInfoText() const;

    QString siteName() const { return m_siteName; }
    QString businessManagerName() const { return m_businessManagerName; }
    QString businessManagerEmail() const { return m_businessManagerEmail; }
    QString businessManagerTel() const { return m_businessManagerTel; }
    QString engineerName() const { return m_engineerName; }
    QString engineerEmail() const { return m_engineerEmail; }
    QString engineerTel() const { return m_engineerTel; }
    QString customerName() const { return m_customerName; }
    QString customerAddress() const { return m_customerAddress; }
    QString customerEmail() const { return m_customerEmail; }
    QString customerTel() const { return m_customerTel; }
    // Comment 1 to 6; empty for any other number.
    QString comment(int number) const;

    // The program-wide exit PIN; empty until a project sets one.
    static QString exitPin();
    static void setExitPin(const QString &pin);

private:
    QString m_businessManagerName;
    QString m_businessManagerEmail;
    QString m_businessManagerTel;
    QString m_engineerName;
    QString m_engineerEmail;
    QString m_engineerTel;
    QString m_customerName;
    QString m_customerAddress;
    QString m_customerEmail;
    QString m_customerTel;
    std::array<QString, CommentCount> m_comments;
    QString m_siteName;
};
