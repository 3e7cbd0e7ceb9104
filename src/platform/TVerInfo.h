#pragma once

#include <QObject>
#include <QString>

// The version strings of the running program's file, read once when the component is
// created. The properties are read-only: assigning one is accepted and changes nothing.
class TVerInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString CompanyName READ CompanyName WRITE SetCompanyName STORED false)
    Q_PROPERTY(QString FileDescription READ FileDescription WRITE SetFileDescription STORED false)
    Q_PROPERTY(QString FileVersion READ FileVersion WRITE SetFileVersion STORED false)
    Q_PROPERTY(QString InternalName READ InternalName WRITE SetInternalName STORED false)
    Q_PROPERTY(QString LegalCopyright READ LegalCopyright WRITE SetLegalCopyright STORED false)
    Q_PROPERTY(
        QString OriginalFilename READ OriginalFilename WRITE SetOriginalFilename STORED false)
    Q_PROPERTY(QString ProductName READ ProductName WRITE SetProductName STORED false)
    Q_PROPERTY(QString ProductVersion READ ProductVersion WRITE SetProductVersion STORED false)

public:
    explicit TVerInfo(QObject* owner = nullptr);
    // Reads the given program file instead of the running one.
    TVerInfo(QObject* owner, const QString& programFile);

    QString CompanyName() const { return FCompanyName; }
    QString FileDescription() const { return FFileDescription; }
    QString FileVersion() const { return FFileVersion; }
    QString InternalName() const { return FInternalName; }
    QString LegalCopyright() const { return FLegalCopyright; }
    QString OriginalFilename() const { return FOriginalFilename; }
    QString ProductName() const { return FProductName; }
    QString ProductVersion() const { return FProductVersion; }

    void SetCompanyName(const QString&) { }
    void SetFileDescription(const QString&) { }
    void SetFileVersion(const QString&) { }
    void SetInternalName(const QString&) { }
    void SetLegalCopyright(const QString&) { }
    void SetOriginalFilename(const QString&) { }
    void SetProductName(const QString&) { }
    void SetProductVersion(const QString&) { }

private:
    void Read(const QString& programFile);

    QString FCompanyName;
    QString FFileDescription;
    QString FFileVersion;
    QString FInternalName;
    QString FLegalCopyright;
    QString FOriginalFilename;
    QString FProductName;
    QString FProductVersion;
};
