#include "categories/setting_da.h"

#include "statuslog/statuslog.h"
#include "categories/categoryservices.h"
#include "core/programerror.h"
#include "phone/commandchannel.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

#include <algorithm>
#include <limits>

namespace {

// Elements of one account in the list answer, and of one context in the context answer.
constexpr qint32 kAccountElements = 9;
constexpr qint32 kContextElements = 15;

// Phones answer the number 0 where a text is absent.
QString accountText(const QVariantList& data, qint32 index)
{
    return variants::toText(variants::at(data, index));
}

// The packet data type is taken as it comes, so a 0 stays "0".
QString plainText(const QVariantList& data, qint32 index)
{
    const QVariant& value = variants::at(data, index);
    const QString text = variants::toText(value);
    if (text.isEmpty() && value.typeId() != QMetaType::QString)
        return QStringLiteral("0");
    return text;
}

qint32 toInt32(const QVariantList& data, qint32 index)
{
    return variants::toInt32(variants::at(data, index));
}

bool isNumeric(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        value.toString().trimmed().toDouble(&ok);
        return ok;
    }
    return value.canConvert<double>() && value.isValid();
}

// Adds an account of either kind with the values both kinds list first.
template <typename Record>
Record& appendAccount(QList<Record>& accounts, StatusLog& log, const QString& found,
                      const QVariantList& data, qint32 lLine)
{
    log.WriteLog(found);
    accounts.append(Record{});
    log.WriteLog(QStringLiteral("Store all values into the array"));
    Record& account = accounts.last();
    account.ID = toInt32(data, lLine + 1);
    account.Name = accountText(data, lLine + 2);
    account.Username = accountText(data, lLine + 3);
    account.Password = accountText(data, lLine + 4);
    return account;
}

qint32 indexAfter(qint32 index)
{
    if (index == std::numeric_limits<qint32>::max())
        throw ProgramError(ProgramError::Overflow, QStringLiteral("Cellarchive"),
                           QStringLiteral("Overflow"));
    return index + 1;
}

} // namespace

Setting_DA::Setting_DA(CategoryServices& services) : m_services(services) {}

bool Setting_DA::GetDA()
{
    qint32 lLine = 0;
    qint32 nCounter = 0;
    try {
        if (!m_services.send(CMD_GETDEFINEDDATAACCOUNTS)) {
            m_services.listNotRead(OutcomeTally::DataAccounts, CMD_GETDEFINEDDATAACCOUNTS);
            return false;
        }
        DataAccountCSD.clear();
        DataAccountGPRS.clear();
        m_services.log.WriteLog(QStringLiteral("Erased both arrays"));
        const qint32 count = toInt32(m_services.link.ResponseData, 0);
        // A factory phone has no accounts: an empty list read whole, not a failure.
        if (count == 0) {
            m_services.log.WriteLog(QStringLiteral("No Data Account available"));
            return true;
        }
        m_services.log.WriteLog(QStringLiteral("Found-->") + StatusLog::signed_(count) +
                                QStringLiteral("<--accounts"));
        readAccounts(lLine, nCounter);
        if (DataAccountGPRS.isEmpty())
            return true;
        m_services.log.WriteLog(QStringLiteral("There was gprs accounts-->Get more info"));
        m_services.log.WriteLog(QStringLiteral("Total number of GPRS Accounts-->") +
                                StatusLog::signed_(DataAccountGPRS.size()));
        // Without the contexts the accounts are still worth keeping.
        if (!m_services.send(CMD_GETDEFINEPDPCONTEXT)) {
            // Their access point names and addresses are missing: count them as not read.
            if (!m_services.channel.lastWasUnsupported()) {
                m_services.log.WriteLog(QStringLiteral("Not read -> ") +
                                        commandName(CMD_GETDEFINEPDPCONTEXT));
                m_services.tally.lost(OutcomeTally::DataAccounts,
                                      static_cast<int>(DataAccountGPRS.size()));
            }
            return true;
        }
        readContexts(lLine);
        return true;
    } catch (const std::exception& error) {
        logError(error, lLine, nCounter);
        m_services.tally.failed(OutcomeTally::DataAccounts);
        return false;
    }
}

void Setting_DA::readAccounts(qint32& lLine, qint32& nCounter)
{
    StatusLog& log = m_services.log;
    const QVariantList& data = m_services.link.ResponseData;
    const qint32 count = toInt32(data, 0);
    lLine = 0;
    for (nCounter = 1; nCounter <= count; ++nCounter) {
        log.WriteLog(QStringLiteral("Checking dataaccount-->") + StatusLog::signed_(nCounter));
        if (toInt32(data, lLine + 5) == 0) {
            CSDAccountRecord& account = appendAccount(
                DataAccountCSD, log, QStringLiteral("Found a CSD Account"), data, lLine);
            account.PhoneNumber = accountText(data, lLine + 6);
            account.DialType = toInt32(data, lLine + 7);
            account.DataRate = toInt32(data, lLine + 8);
            if (account.DataRate == 0)
                account.DataRate = 1;
        } else {
            GPRSAccountRecord& account = appendAccount(
                DataAccountGPRS, log, QStringLiteral("Found a GPRS Account"), data, lLine);
            account.PrefService = toInt32(data, lLine + 6);
            account.Auth = toInt32(data, lLine + 7);
        }
        lLine += kAccountElements;
    }
}

void Setting_DA::readContexts(qint32& lLine)
{
    StatusLog& log = m_services.log;
    const QVariantList& data = m_services.link.ResponseData;
    // Accounts and contexts are matched by their order alone.
    lLine = 1;
    for (qsizetype k = 0; k < DataAccountGPRS.size(); ++k) {
        GPRSAccountRecord& account = DataAccountGPRS[k];
        log.WriteLog(QStringLiteral("Checking GPRS Account-->") + StatusLog::signed_(k));
        log.WriteLog(QStringLiteral("GPRS Check-->1<--"));
        account.PDP_Type = plainText(data, lLine + 1);
        account.APN = accountText(data, lLine + 2);
        log.WriteLog(QStringLiteral("GPRS Check-->2<--"));
        account.PDP_Address = accountText(data, lLine + 3);
        log.WriteLog(QStringLiteral("GPRS Check-->3<--"));
        account.DataComp = variants::toInt16(variants::at(data, lLine + 4));
        account.HeadComp = variants::toInt16(variants::at(data, lLine + 5));
        lLine += kContextElements;
        log.WriteLog(QStringLiteral("Saved all info about GPRS Account-->") +
                     StatusLog::signed_(k));
    }
}

void Setting_DA::logError(const std::exception& error, qint32 lLine, qint32 nCounter)
{
    StatusLog& log = m_services.log;
    log.WriteLog(QStringLiteral("GetDA_Error"));
    log.WriteLog(QStringLiteral("lLine-->") + StatusLog::signed_(lLine));
    log.WriteLog(QStringLiteral("nCounter-->") + StatusLog::signed_(nCounter));
    // -1 is the upper bound of a list without elements, so the line never fails.
    log.WriteLog(QStringLiteral("UBound(DataAccountGPRS)-->") +
                 StatusLog::signed_(DataAccountGPRS.size() - 1));
    log.WriteLog(QStringLiteral("Print the response from the MS"));
    const QVariantList& data = m_services.link.ResponseData;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const QVariant& element = data.at(i);
        log.WriteLog((isNumeric(element) ? QStringLiteral("Element (N)-->")
                                         : QStringLiteral("Element (S)-->")) +
                     StatusLog::signed_(i) + QStringLiteral("<--Data-->") + element.toString() +
                     QStringLiteral("<--"));
    }
    if (const auto* programError = dynamic_cast<const ProgramError*>(&error))
        log.LogErrorDetails(*programError);
    else
        log.LogErrorDetails(QString::fromStdString(error.what()), -1,
                            QStringLiteral("Cellarchive"));
}

void Setting_DA::SetDA()
{
    StatusLog& log = m_services.log;
    const QVariantList& answer = m_services.link.ResponseData;
    // The file's ID is not sent: each account goes under the index after the one the phone
    // returned last, and a failed definition leaves that index where it was.
    qint32 lastIndex = 0;
    const CellPhone* phone = m_services.link.m_objCellPhone.data();
    const bool csdKept = !phone || phone->keepsCsdAccounts();
    const auto csdCount = std::count_if(DataAccountCSD.cbegin(), DataAccountCSD.cend(),
                                        [](const CSDAccountRecord& account) { return account.fromFile; });
    // A phone without CSD accounts is sent none; the closing line names them.
    if (!csdKept && csdCount > 0) {
        const QString what = csdCount == 1 ? QStringLiteral("CSD account") : QStringLiteral("CSD accounts");
        log.WriteLog(QStringLiteral("Not written -> %1 %2 (not supported by the phone)").arg(csdCount).arg(what));
        m_services.tally.unsupported(OutcomeTally::DataAccounts, static_cast<int>(csdCount), what);
    }
    for (qsizetype i = 0; i < DataAccountCSD.size() && csdKept; ++i) {
        CSDAccountRecord& account = DataAccountCSD[i];
        // A gap in the file's numbering is no account: nothing is defined for it.
        if (!account.fromFile)
            continue;
        log.UpdateStat(QStringLiteral("Restoring CSD accounts ") + QString::number(i + 1));
        if (m_services.write(OutcomeTally::DataAccounts, CMD_DEFINEDATAACCOUNT,
                             {variants::int32(indexAfter(lastIndex)), account.Name,
                              account.Username, account.Password, variants::int16(0),
                              account.PhoneNumber, variants::int32(account.DialType),
                              variants::int32(account.DataRate)})) {
            account.RestoredID = toInt32(answer, 0);
            lastIndex = account.RestoredID;
        }
        m_services.yieldOnce();
    }
    for (qsizetype i = 0; i < DataAccountGPRS.size(); ++i) {
        GPRSAccountRecord& account = DataAccountGPRS[i];
        if (!account.fromFile)
            continue;
        log.UpdateStat(QStringLiteral("Restoring GPRS accounts ") + QString::number(i + 1));
        // A refused definition has no index and no context to fill, as for a CSD account.
        if (m_services.write(OutcomeTally::DataAccounts, CMD_DEFINEDATAACCOUNT,
                             {variants::int32(indexAfter(lastIndex)), account.Name,
                              account.Username, account.Password, variants::int16(1),
                              variants::int32(account.PrefService),
                              variants::int32(account.Auth)})) {
            const qint32 restored = toInt32(answer, 0);
            const qint16 context = variants::toInt16(variants::at(answer, 1));
            account.RestoredID = restored;
            lastIndex = restored;
            m_services.write(OutcomeTally::DataAccounts, CMD_SETDEFINEPDPCONTEXT,
                             {variants::int16(context), account.PDP_Type, account.APN,
                              account.PDP_Address, variants::int16(account.DataComp),
                              variants::int16(account.HeadComp)});
        }
        m_services.yieldOnce();
    }
}
