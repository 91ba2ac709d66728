#include "cli/serialcommand.h"

#include "cli/terminationsignals.h"
#include "core/clock.h"
#include "phonesim/phoneimage.h"
#include "atmodem/serialline.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {

// PATH made a link to the device; a link left by an earlier line is replaced, anything else
// at PATH is not touched.
bool makeLink(const QString& path, const QString& device, QString& error)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        QFile::remove(path);
    else if (info.exists()) {
        error = QStringLiteral("%1 exists and is no link; it is left as it is").arg(path);
        return false;
    }
    if (!QFile::link(device, path)) {
        error = QStringLiteral("cannot make the link %1").arg(path);
        return false;
    }
    return true;
}

} // namespace

int phoneSerial(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QString image;
    QString link;
    bool good = true;
    for (qsizetype i = 0; i < arguments.size() && good; ++i) {
        if (arguments.at(i) == QLatin1String("--link") && i + 1 < arguments.size() && link.isEmpty())
            link = arguments.at(++i);
        else if (!arguments.at(i).startsWith(QLatin1String("--")) && image.isEmpty())
            image = arguments.at(i);
        else
            good = false;
    }
    if (!good || image.isEmpty()) {
        err << "cellarchive-cli: phone serial needs exactly one IMAGE and at most --link PATH\n";
        return 2;
    }
    QString error;
    auto phone = phonesim::PhoneImage::load(image, error);
    if (!phone) {
        err << "cellarchive-cli: " << error << "\n";
        return 1;
    }
    TerminationSignals signals;
    SystemMonotonicClock clock;
    SystemWallClock wallClock;
    phonesim::SerialLine line(phone, clock, wallClock);
    if (!signals.ok() || !line.open(error) ||
        (!link.isEmpty() && !makeLink(link, line.devicePath(), error))) {
        err << "cellarchive-cli: " << (error.isEmpty() ? QStringLiteral("no signal descriptor") : error)
            << "\n";
        return 1;
    }
    out << line.devicePath() << "\n";
    out.flush();

    QEventLoop loop;
    QObject::connect(&signals, &TerminationSignals::received, &loop, &QEventLoop::quit);
    bool cut = false;
    QObject::connect(&line, &phonesim::SerialLine::cut, &loop, [&] {
        cut = true;
        loop.quit();
    });
    loop.exec();

    // Only a link that still leads to this line's device is this line's to remove.
    if (!link.isEmpty() && QFileInfo(link).symLinkTarget() == line.devicePath())
        QFile::remove(link);
    const bool folded = phone->close();
    if (cut)
        out << "Line cut after command " << line.commandCount() << "\n";
    out << "Commands answered: " << line.commandCount() << "\n";
    out.flush();
    if (!folded) {
        err << "cellarchive-cli: the image was not written whole: " << phone->lastSaveError()
            << "\n";
        return 1;
    }
    return 0;
}

} // namespace cli
