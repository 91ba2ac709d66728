#include "irmc/irmcnames.h"

namespace irmc {

namespace {

struct BookNames
{
    IrmcBook book;
    QLatin1String whole;
    QLatin1String info;
    QLatin1String luidFolder;
    QLatin1String extension;
};

const BookNames Books[] = {
    {IrmcBook::Phonebook, QLatin1String("telecom/pb.vcf"), QLatin1String("telecom/pb/info.log"),
     QLatin1String("telecom/pb/luid/"), QLatin1String(".vcf")},
    {IrmcBook::Calendar, QLatin1String("telecom/cal.vcs"), QLatin1String("telecom/cal/info.log"),
     QLatin1String("telecom/cal/luid/"), QLatin1String(".vcs")},
};

using Kind = IrmcObjectName::Kind;

IrmcObjectName inLuidFolder(IrmcBook book, const QString& rest, QLatin1String extension)
{
    if (rest == QLatin1String("cc.log"))
        return {Kind::ChangeCounter, book, {}, 0};
    if (rest.endsWith(QLatin1String(".log"))) {
        bool ok = false;
        const qint64 since = rest.chopped(4).toLongLong(&ok);
        if (ok && since >= 0 && rest.at(0).isDigit())
            return {Kind::ChangeLog, book, {}, since};
        return {};
    }
    if (!rest.endsWith(extension))
        return {};
    const QString luid = rest.chopped(extension.size());
    if (luid.isEmpty())
        return {Kind::NewEntry, book, {}, 0};
    if (luid.contains(QLatin1Char('/')))
        return {};
    return {Kind::Entry, book, luid, 0};
}

} // namespace

IrmcObjectName parseObjectName(const QString& name)
{
    if (name == QLatin1String("telecom/devinfo.txt"))
        return {Kind::DeviceInfo, IrmcBook::Phonebook, {}, 0};
    for (const BookNames& names : Books) {
        if (name == names.whole)
            return {Kind::WholeBook, names.book, {}, 0};
        if (name == names.info)
            return {Kind::InfoLog, names.book, {}, 0};
        if (name.startsWith(names.luidFolder))
            return inLuidFolder(names.book, name.mid(names.luidFolder.size()), names.extension);
    }
    return {};
}

} // namespace irmc
