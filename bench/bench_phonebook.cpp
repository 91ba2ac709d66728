// Backup and restore of a large phonebook and calendar through the whole program and the
// simulated phone's OBEX server, with the system clock and no phone latency. Each phase is its
// own process so that each reports its own peak memory:
//
//   bench_phonebook make DIR [CONTACTS [CALENDAR]]   phone image DIR/full-phone.json
//   bench_phonebook backup DIR                       DIR/full-phone.json -> DIR/backup.MS
//   bench_phonebook restore DIR                      DIR/backup.MS -> blank DIR/restored-phone.json
//   bench_phonebook restore DIR --in-memory          the same into a blank phone without a file
//
// The restore phase also checks that the restored phone holds every entry of the full one,
// and times the code-page conversion of the data the restore puts.

#include "statuslog/mainview.h"
#include "shell/program.h"
#include "categories/obexmodule.h"
#include "cli/cliuserinterface.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "phonesim/demophone.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simphonemonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

const QString FullImage = QStringLiteral("full-phone.json");
const QString RestoredImage = QStringLiteral("restored-phone.json");
const QString BackupName = QStringLiteral("backup.MS");
const QString Model = QStringLiteral("BVT610");

// The system clock, also adding up the time spent in the fixed pauses: waits for a deadline
// a second or more ahead that were waited out to the end (a command answered early is no pause).
class PauseMeasuringClock final : public MonotonicClock
{
public:
    qint64 nowMs() const override { return m_clock.nowMs(); }

    void yieldUntil(qint64 deadlineMs) override
    {
        const qint64 ahead = deadlineMs - m_clock.nowMs();
        if (ahead < 900) {
            m_clock.yieldUntil(deadlineMs);
            return;
        }
        QElapsedTimer timer;
        timer.start();
        m_clock.yieldUntil(deadlineMs);
        m_waitNs[deadlineMs] += timer.nsecsElapsed();
        if (m_clock.nowMs() >= deadlineMs)
            m_reached.insert(deadlineMs);
    }

    void callLater(qint64 delayMs, QObject* context, std::function<void()> fn) override
    {
        m_clock.callLater(delayMs, context, std::move(fn));
    }

    int pauses() const { return int(m_reached.size()); }
    double pauseSeconds() const
    {
        qint64 ns = 0;
        for (const qint64 deadline : m_reached)
            ns += m_waitNs.value(deadline);
        return double(ns) / 1e9;
    }

private:
    SystemMonotonicClock m_clock;
    QHash<qint64, qint64> m_waitNs;
    QSet<qint64> m_reached;
};

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Generated contacts: accented names, one to four numbers, quoted-printable addresses and
// notes, now and then a note long enough to need several OBEX packets.
QString contact(int i, std::mt19937& random)
{
    static const QStringList first{
        QStringLiteral("José"),   QStringLiteral("Zoë"),    QStringLiteral("François"),
        QStringLiteral("Jürgen"), QStringLiteral("Øyvind"), QStringLiteral("Anna"),
        QStringLiteral("Måns"),   QStringLiteral("Chloé"),  QStringLiteral("Björn"),
        QStringLiteral("Renée"),  QStringLiteral("Tom"),    QStringLiteral("Ángel"),
        QStringLiteral("Sofia"),  QStringLiteral("Željko"), QStringLiteral("Inès")};
    static const QStringList last{
        QStringLiteral("Álvarez"),  QStringLiteral("Dupré"),     QStringLiteral("Weiß"),
        QStringLiteral("Sørensen"), QStringLiteral("Lindqvist"), QStringLiteral("Berg"),
        QStringLiteral("Müller"),   QStringLiteral("Núñez"),     QStringLiteral("Holm"),
        QStringLiteral("Rossi"),    QStringLiteral("Ødegård"),   QStringLiteral("Šimek"),
        QStringLiteral("Evans"),    QStringLiteral("Æsir"),      QStringLiteral("O'Connor")};
    static const QStringList kinds{QStringLiteral("CELL"), QStringLiteral("HOME"),
                                   QStringLiteral("WORK"), QStringLiteral("FAX"),
                                   QStringLiteral("PREF;CELL")};
    const QString& given = first.at(random() % first.size());
    const QString family = last.at(random() % last.size()) + QString::number(i);
    QStringList lines{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:2.1"),
                      QStringLiteral("N:%1;%2").arg(family, given),
                      QStringLiteral("FN:%1 %2").arg(given, family)};
    const int numbers = 1 + int(random() % 4);
    for (int n = 0; n < numbers; ++n)
        lines << QStringLiteral("TEL;%1:+46%2")
                     .arg(kinds.at(n), QString::number(700000000 + random() % 99999999));
    if (i % 3 == 0)
        lines << QStringLiteral("EMAIL;INTERNET:contact%1@example.com").arg(i);
    if (i % 5 == 0)
        lines << QStringLiteral("ADR;HOME;ENCODING=QUOTED-PRINTABLE:;;Storgatan %1=0D=0A=").arg(i)
              << QStringLiteral("L=E4genhet 1102;Malm=F6;;211 34;Sweden");
    if (i % 7 == 0)
        lines << QStringLiteral("NOTE;ENCODING=QUOTED-PRINTABLE:Tr=E4ffas p=E5 kv=E4llar");
    if (i % 100 == 0)
        lines
            << QStringLiteral("NOTE:") +
                   QStringLiteral("Met at the trade fair; prefers calls after ten. ").repeated(30);
    lines << QStringLiteral("END:VCARD");
    return lines.join(QStringLiteral("\r\n"));
}

// Generated calendar entries: seven events for every three to-dos.
QString calendarEntry(int i, std::mt19937& random)
{
    static const QStringList subjects{
        QStringLiteral("Café with Zoë"), QStringLiteral("Team meeting"), QStringLiteral("Dentist"),
        QStringLiteral("Übergabe Projekt"), QStringLiteral("Réunion budget")};
    const QString subject = subjects.at(random() % subjects.size()) + QString::number(i);
    const QString day = QStringLiteral("2024%1%2")
                            .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                            .arg(1 + i % 28, 2, 10, QLatin1Char('0'));
    QStringList lines;
    if (i % 10 < 7) {
        lines << QStringLiteral("BEGIN:VEVENT") << QStringLiteral("SUMMARY:") + subject
              << QStringLiteral("LOCATION:Room %1").arg(random() % 40)
              << QStringLiteral("DTSTART:%1T083000Z").arg(day)
              << QStringLiteral("DTEND:%1T091500Z").arg(day);
        if (i % 4 == 0)
            lines << QStringLiteral("AALARM:%1T080000Z").arg(day);
        if (i % 6 == 0)
            lines << QStringLiteral("RRULE:W1 TH #0");
        lines << QStringLiteral("CATEGORIES:BUSINESS") << QStringLiteral("END:VEVENT");
    } else {
        lines << QStringLiteral("BEGIN:VTODO") << QStringLiteral("SUMMARY:") + subject
              << QStringLiteral("DUE:%1T170000Z").arg(day)
              << QStringLiteral("PRIORITY:%1").arg(1 + random() % 3)
              << QStringLiteral("STATUS:NEEDS ACTION") << QStringLiteral("CATEGORIES:PERSONAL")
              << QStringLiteral("END:VTODO");
    }
    return lines.join(QStringLiteral("\r\n"));
}

QJsonArray generated(int count, QString (*make)(int, std::mt19937&), std::mt19937& random)
{
    QJsonArray entries;
    for (int i = 1; i <= count; ++i)
        entries.append(QJsonObject{{QStringLiteral("luid"), QString::number(i)},
                                   {QStringLiteral("data"), make(i, random)}});
    return entries;
}

int makeImage(const QString& dir, int contacts, int calendar)
{
    std::mt19937 random(4711);
    QJsonObject root = phonesim::blankPhone(Model);
    root.insert(phonesim::ImageIrmcStore::PhonebookKey, generated(contacts, contact, random));
    root.insert(phonesim::ImageIrmcStore::CalendarKey, generated(calendar, calendarEntry, random));
    QString error;
    auto image = phonesim::PhoneImage::fromJson(root, error);
    if (!image || !image->saveAs(QDir(dir).filePath(FullImage), error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("phone image with %d contacts and %d calendar entries: %s\n", contacts, calendar,
                qPrintable(QDir(dir).filePath(FullImage)));
    return 0;
}

std::shared_ptr<phonesim::PhoneImage> loadImage(const QString& path)
{
    QString error;
    auto image = phonesim::PhoneImage::load(path, error);
    if (!image)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return image;
}

// The program on the phone of an image, started and connected.
struct Bench
{
    Bench(const QString& dir, std::shared_ptr<phonesim::PhoneImage> phone)
        : ui(QDir(dir).filePath(BackupName), true, QString()), image(std::move(phone)),
          program(ProgramEnvironment{clock, wallClock, ui, view,
                                     [this](QObject* parent) {
                                         return new phonesim::SimPhoneMonitor(
                                             image, clock, phonesim::SimPhoneOptions{true, 0},
                                             parent);
                                     },
                                     dir, QString()})
    {
        program.Form_Load();
    }

    PauseMeasuringClock clock;
    SystemWallClock wallClock;
    PlainMainView view;
    CliUserInterface ui;
    std::shared_ptr<phonesim::PhoneImage> image;
    Program program;
};

void report(const char* phase, double seconds, const PauseMeasuringClock& clock)
{
    std::printf("%s: %.3f s in all, %.3f s in %d fixed OBEX pauses, %.3f s of work; peak %.1f MB\n",
                phase, seconds, clock.pauseSeconds(), clock.pauses(),
                seconds - clock.pauseSeconds(), peakMegabytes());
}

int countLines(const QString& file, const QString& prefix)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return -1;
    int count = 0;
    while (!in.atEnd()) {
        if (in.readLine().startsWith(prefix.toLatin1()))
            ++count;
    }
    return count;
}

int backup(const QString& dir)
{
    auto image = loadImage(QDir(dir).filePath(FullImage));
    if (!image)
        return 1;
    QFile::remove(QDir(dir).filePath(BackupName));
    Bench bench(dir, image);
    for (const MainView::Box box : {MainView::Box::Pb, MainView::Box::Cal}) {
        if (!bench.view.isBoxEnabled(box)) {
            std::fprintf(stderr, "the phone model leaves the phonebook or calendar box off\n");
            return 1;
        }
        bench.view.setTicked(box, true);
    }
    QElapsedTimer timer;
    timer.start();
    const RunOutcome outcome = bench.program.cmdBackup_Click();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    report("backup", seconds, bench.clock);
    const QString file = QDir(dir).filePath(BackupName);
    std::printf("backup file %s: %d contacts, %d calendar entries\n", qPrintable(file),
                countLines(file, QStringLiteral("   <Contact Value=")),
                countLines(file, QStringLiteral("   <Calendar Value=")));
    return outcome == RunOutcome::Completed ? 0 : 1;
}

QStringList entryData(const phonesim::PhoneImage& image, const QString& key)
{
    QStringList data;
    for (const QJsonValue& value : image.category(key).toArray())
        data << value.toObject().value(QStringLiteral("data")).toString();
    std::sort(data.begin(), data.end());
    return data;
}

// Entries of the full phone that the restored one lacks, with duplicates counted.
int missingEntries(const QStringList& expected, const QStringList& actual)
{
    QStringList missing;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                        std::back_inserter(missing));
    return int(missing.size());
}

// The code-page conversion the restore does for each put: the object the program builds from
// the line, and the object's name for its Name header, one character at a time.
double conversionSeconds(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return -1;
    const QStringList lines = codepage::decode(in.readAll()).split(QStringLiteral("\r\n"));
    QList<std::pair<QString, QString>> puts; // name, object
    for (const QString& line : lines) {
        const bool calendar = line.startsWith(QLatin1String("   <Calendar Value="));
        if (!calendar && !line.startsWith(QLatin1String("   <Contact Value=")))
            continue;
        QString entry;
        if (!ObexModule::entryOfLine(line, calendar, entry))
            continue;
        puts.append(calendar ? std::pair{QStringLiteral("telecom/cal/luid/.vcs"),
                                         ObexModule::calendarObjectOf(entry)}
                             : std::pair{QStringLiteral("telecom/pb/luid/.vcf"), entry});
    }
    constexpr int Passes = 5;
    qint64 best = -1;
    qint64 bytes = 0;
    uchar checksum = 0;
    for (int pass = 0; pass < Passes; ++pass) {
        QElapsedTimer timer;
        timer.start();
        bytes = 0;
        for (const auto& [name, object] : puts) {
            for (const QChar c : name)
                checksum ^= static_cast<uchar>(codepage::encodeChar(c));
            bytes += name.size() + codepage::encode(object).size();
        }
        const qint64 ns = timer.nsecsElapsed();
        best = best < 0 ? ns : qMin(best, ns);
    }
    std::printf("(%lld puts, %lld characters converted, checksum %d)\n",
                static_cast<long long>(puts.size()), static_cast<long long>(bytes), checksum);
    return double(best) / 1e9;
}

// inMemory: the blank phone has no file, so the phone's saves cost nothing.
int restore(const QString& dir, bool inMemory)
{
    const QString path = QDir(dir).filePath(RestoredImage);
    QString error;
    auto image = phonesim::PhoneImage::inMemory(phonesim::blankPhone(Model));
    if (!inMemory) {
        if (!image->saveAs(path, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        image = loadImage(path);
        if (!image)
            return 1;
    }
    RunOutcome outcome;
    double seconds = 0;
    double work = 0;
    {
        Bench bench(dir, image);
        QElapsedTimer timer;
        timer.start();
        outcome = bench.program.cmdRestore_Click();
        seconds = double(timer.nsecsElapsed()) / 1e9;
        work = seconds - bench.clock.pauseSeconds();
        report("restore", seconds, bench.clock);
    }

    // The phone's file, when it has one, must hold every entry once the restore is over.
    const auto restored = inMemory ? image : loadImage(path);
    const auto full = loadImage(QDir(dir).filePath(FullImage));
    if (!restored || !full)
        return 1;
    const QString pb = phonesim::ImageIrmcStore::PhonebookKey;
    const QString cal = phonesim::ImageIrmcStore::CalendarKey;
    const QStringList contacts = entryData(*restored, pb);
    const QStringList calendar = entryData(*restored, cal);
    const int missing = missingEntries(entryData(*full, pb), contacts) +
                        missingEntries(entryData(*full, cal), calendar);
    std::printf("restored phone %s: %lld contacts, %lld calendar entries, %d entries of the full "
                "phone missing or changed\n",
                qPrintable(inMemory ? QStringLiteral("(in memory)") : path),
                static_cast<long long>(contacts.size()), static_cast<long long>(calendar.size()),
                missing);

    const double conversion = conversionSeconds(QDir(dir).filePath(BackupName));
    std::printf("code-page conversion of the put data: %.4f s = %.2f %% of the restore's work, "
                "%.2f %% of the whole restore\n",
                conversion, 100.0 * conversion / work, 100.0 * conversion / seconds);
    return outcome == RunOutcome::Completed && missing == 0 ? 0 : 1;
}

int usage()
{
    std::fprintf(stderr, "usage: bench_phonebook make DIR [CONTACTS [CALENDAR]]\n"
                         "       bench_phonebook backup DIR\n"
                         "       bench_phonebook restore DIR [--in-memory]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString& phase = args.at(0);
    const QString& dir = args.at(1);
    if (!QDir().mkpath(dir))
        return usage();
    if (phase == QLatin1String("make"))
        return makeImage(dir, args.size() > 2 ? args.at(2).toInt() : 5000,
                         args.size() > 3 ? args.at(3).toInt() : 1000);
    if (phase == QLatin1String("backup") && args.size() == 2)
        return backup(dir);
    if (phase == QLatin1String("restore") && args.size() == 2)
        return restore(dir, false);
    if (phase == QLatin1String("restore") && args.size() == 3 &&
        args.at(2) == QLatin1String("--in-memory"))
        return restore(dir, true);
    return usage();
}
