#pragma once

#include "irmc/irmcstore.h"

#include <QString>

namespace irmc {

// What an OBEX object name of the IrMC server stands for.
struct IrmcObjectName
{
    enum class Kind {
        Unknown,
        DeviceInfo,    // telecom/devinfo.txt
        InfoLog,       // telecom/pb/info.log, telecom/cal/info.log
        WholeBook,     // telecom/pb.vcf, telecom/cal.vcs
        NewEntry,      // telecom/pb/luid/.vcf, telecom/cal/luid/.vcs
        Entry,         // telecom/pb/luid/LUID.vcf, telecom/cal/luid/LUID.vcs
        ChangeCounter, // telecom/pb/luid/cc.log, telecom/cal/luid/cc.log
        ChangeLog,     // telecom/pb/luid/CC.log: the changes after change counter CC
    };

    Kind kind = Kind::Unknown;
    IrmcBook book = IrmcBook::Phonebook;
    QString luid;
    qint64 since = 0;
};

IrmcObjectName parseObjectName(const QString& name);

} // namespace irmc
