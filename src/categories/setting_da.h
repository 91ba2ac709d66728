#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <exception>

struct CategoryServices;

// One dial-up account of the phone.
struct CSDAccountRecord
{
    qint32 ID = 0;
    // The number the phone gave the account when it was defined again; 0 until then.
    qint32 RestoredID = 0;
    QString Name;
    QString PhoneNumber;
    QString Username;
    QString Password;
    qint32 DataRate = 0;
    qint32 DialType = 0;
    // Named by a Number line of the file being restored; only such accounts are restored.
    bool fromFile = false;
};

// One packet data account of the phone with its packet data context.
struct GPRSAccountRecord
{
    qint32 ID = 0;
    qint32 RestoredID = 0;
    QString Name;
    QString Username;
    QString Password;
    QString APN;
    qint32 PrefService = 0;
    qint32 Auth = 0;
    QString PDP_Type;
    QString PDP_Address;
    qint16 DataComp = 0;
    qint16 HeadComp = 0;
    bool fromFile = false;
};

// The "DataAccount" category: the CSD and GPRS accounts, backed up as the
// Settings_DataAccount section. The WAP profiles read the lists to find the number a restored
// account received.
class Setting_DA
{
public:
    explicit Setting_DA(CategoryServices& services);

    // Reads every account; false when its answer could not be read (the log then holds the
    // answer). A phone without accounts leaves both lists empty.
    bool GetDA();
    bool bSaveDataAccounts();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeDataAccounts(int lineIndex);
    // Defines the accounts anew, CSD first, each under the index after the one the phone
    // returned for the account before it.
    void SetDA();

    QList<CSDAccountRecord> DataAccountCSD;
    QList<GPRSAccountRecord> DataAccountGPRS;

private:
    void readAccounts(qint32& lLine, qint32& nCounter);
    void readContexts(qint32& lLine);
    void logError(const std::exception& error, qint32 lLine, qint32 nCounter);
    int readGroup(int lineIndex, bool gprs);
    void storeCsdElement(int index, const QString& key, const QString& value);
    void storeGprsElement(int index, const QString& key, const QString& value);

    CategoryServices& m_services;
};
