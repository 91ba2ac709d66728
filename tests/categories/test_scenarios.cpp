#include "categorygolden.h"

#include "categories/categorytable.h"

#include "phonesim/imageirmcstore.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simsettingsobject.h"
#include "phonesim/simtextmessage.h"
#include "phonesim/smspdu.h"
#include "phonesim/smsstore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <memory>
#include <vector>

// Every category on its way through the whole program. Each folder under tests/data/categories
// with a steps.txt is one scenario: its steps run backups and restores on the simulated phone,
// and what they leave (each step's outcome, settings commands and time, every backup file byte
// for byte, the phone data asked for, the status and log lines) is compared whole with the other
// files of the folder. A backup that several scenarios leave alike names its one file under
// tests/data instead ("backup SMS -> categories/demo_backups/sms.MS"). Files to restore come
// from tests/data/categories/input/.

namespace {

using Box = MainView::Box;
using namespace phonesim;

QJsonObject withProfiles(QJsonObject phone, int count, int active, const QString& secondName)
{
    QJsonObject settings = phone.value(QStringLiteral("settings")).toObject();
    QJsonObject group = settings.value(QStringLiteral("profiles")).toObject();
    QJsonArray list = group.value(QStringLiteral("list")).toArray();
    while (list.size() > count)
        list.removeLast();
    if (!secondName.isEmpty()) {
        QJsonObject second = list.at(1).toObject();
        second.insert(QStringLiteral("name"), QString(secondName).replace(QStringLiteral("\\0"), QChar(0)));
        list.replace(1, second);
    }
    group.insert(QStringLiteral("list"), list);
    group.insert(QStringLiteral("active"), active);
    settings.insert(QStringLiteral("profiles"), group);
    phone.insert(QStringLiteral("settings"), settings);
    return phone;
}

QJsonValue messages()
{
    const auto received = [](const QString& text) {
        const smspdu::Pdu pdu =
            smspdu::deliver(QStringLiteral("+491710760000"), QStringLiteral("+4917012345678"),
                            QDateTime(QDate(2004, 5, 17), QTime(9, 0), QTimeZone(7200)), text);
        return StoredSms{smstype::ReceivedRead, pdu.length, pdu.hex};
    };
    const smspdu::Pdu draft = smspdu::submit(QStringLiteral("+4930123456"), QStringLiteral("four"));
    return SmsStore::storages(30, {received(QStringLiteral("one")), received(QStringLiteral("two")),
                                   received(QStringLiteral("\u0414\u0430"))},
                              150, {StoredSms{smstype::StoredUnsent, draft.length, draft.hex}});
}

QString json(const QJsonValue& value)
{
    return QString::fromUtf8(value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                             : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

class Scenario
{
public:
    explicit Scenario(const QString& name) : m_name(name) {}

    void run()
    {
        const QStringList steps = QString::fromUtf8(fileBytes(goldenPath(m_name + QStringLiteral("/steps.txt"))))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(steps.isEmpty()) << m_name.toStdString();
        for (const QString& step : steps) {
            if (!step.startsWith(QLatin1Char('#'))) {
                ASSERT_TRUE(perform(step.split(QLatin1Char(' ')))) << step.toStdString();
            }
        }
        compare();
    }

private:
    ProgramHarness& h()
    {
        if (m_harnesses.empty() || m_pendingPhone) {
            if (!m_harnesses.empty())
                flushLines(*m_harnesses.back());
            m_harnesses.push_back(std::make_unique<ProgramHarness>(m_phone));
            m_pendingPhone = false;
        }
        return *m_harnesses.back();
    }

    void editFaults(const std::function<void(Faults&)>& edit) { ::editFaults(h(), edit); }

    // One step: its words; false when the step is not known.
    bool perform(const QStringList& w)
    {
        const QString& verb = w.at(0);
        const auto number = [&w](int i) { return w.value(i).toInt(nullptr, 0); };
        if (verb == QLatin1String("phone")) {
            // A new phone: demo, or blank with a model; "with" steps change it before its start.
            m_phone = w.value(1) == QLatin1String("demo") ? demoPhone() : blankPhone(w.value(2));
            m_pendingPhone = true;
        } else if (verb == QLatin1String("with")) {
            m_phone.insert(w.value(1), w.value(1) == SmsStore::Key ? messages()
                                                                 : QJsonDocument::fromJson(w.mid(2).join(QLatin1Char(' ')).toUtf8()).array());
        } else if (verb == QLatin1String("model")) {
            QJsonObject identity = m_phone.value(QStringLiteral("identity")).toObject();
            identity.insert(QStringLiteral("model"), w.value(1));
            m_phone.insert(QStringLiteral("identity"), identity);
        } else if (verb == QLatin1String("profiles")) {
            m_phone = withProfiles(m_phone, number(1), number(2), w.value(3));
        } else if (verb == QLatin1String("backup")) {
            const qsizetype arrow = w.indexOf(QStringLiteral("->"));
            QList<Box> boxes;
            // A box by its object name without "chk": "Pb", "CustomMenu".
            for (const QString& box : w.mid(1, arrow < 0 ? -1 : arrow - 1)) {
                for (const categorytable::Row& row : categorytable::rows()) {
                    if (QLatin1String(row.boxName).mid(3) == box)
                        boxes << row.box;
                }
            }
            const QString name = QStringLiteral("backup%1.MS").arg(++m_backups);
            m_last = h().path(name);
            step(QStringLiteral("backup"), [&] { return h().backup(boxes, m_last); });
            keepFile(m_last, name, arrow < 0 ? QString() : w.value(arrow + 1));
        } else if (verb == QLatin1String("restore")) {
            const QString file = w.size() > 1 ? goldenPath(QStringLiteral("input/") + w.at(1)) : m_last;
            step(w.join(QLatin1Char(' ')), [&] { return h().restore(file); });
        } else if (verb == QLatin1String("category")) {
            note(w.at(1) + QStringLiteral(": ") + json(h().image->category(w.at(1))));
        } else if (verb == QLatin1String("settings")) {
            note(w.at(1) + QStringLiteral(": ") + json(h().image->settings(w.at(1))));
        } else if (verb == QLatin1String("fault")) {
            return fault(w.value(1), number(2), w.value(2).toDouble(), w.size() > 3 ? number(3) : 0x7001);
        } else if (verb == QLatin1String("latency")) {
            h().image->setLatencyMs(number(1));
        } else if (verb == QLatin1String("run-all")) {
            h().clock.runAll();
        } else if (verb == QLatin1String("sms-object")) {
            SimCellPhone& phone = *h().monitor->phone();
            phone.setTextMessage(w.value(1) == QLatin1String("none") ? nullptr : new SimTextMessage(phone));
        } else if (verb == QLatin1String("replug")) {
            h().monitor->unplug();
            h().monitor->plug();
        } else if (verb == QLatin1String("master-reset")) {
            h().view.setTicked(Box::MasterReset, w.size() > 1);
            if (w.size() > 1)
                h().ui.nextInput(w.at(1));
        } else if (verb == QLatin1String("note")) {
            return noteState(w.value(1));
        } else {
            return false;
        }
        return true;
    }

    // Refusals answer status, 0x7001 unless the step names another.
    bool fault(const QString& kind, qint32 code, double seconds, qint32 status)
    {
        if (kind == QLatin1String("clear"))
            h().image->setFaults({});
        else if (kind == QLatin1String("refused"))
            editFaults([code, status](Faults& f) { f.refused.insert(code, status); });
        else if (kind == QLatin1String("unanswered"))
            editFaults([code](Faults& f) { f.unanswered.insert(code); });
        else if (kind == QLatin1String("non-array"))
            editFaults([code](Faults& f) { f.nonArrayData.insert(code); });
        else if (kind == QLatin1String("late-write"))
            editFaults([seconds](Faults& f) { f.sms.lateWriteSeconds = seconds; });
        else if (kind == QLatin1String("unending-read"))
            editFaults([code](Faults& f) { f.sms.unendingReads = {code}; });
        else if (kind == QLatin1String("unplug-after"))
            editFaults([code](Faults& f) { f.sms.unplugAfterMessages = code; });
        else if (kind == QLatin1String("obex-get-fails-after"))
            editFaults([code](Faults& f) { f.obex.failGetAfterPackets = code; });
        else if (kind == QLatin1String("obex-connect-refused"))
            editFaults([](Faults& f) { f.obex.refuseConnect = true; });
        else if (kind == QLatin1String("obex-put-refused"))
            editFaults([code](Faults& f) { f.obex.refusePutNumber = code; });
        else
            return false;
        return true;
    }

    // What the program holds beyond the phone and the files.
    bool noteState(const QString& what)
    {
        Program& program = *h().program;
        if (what == QLatin1String("alternate-line")) {
            note(QStringLiteral("alternate line: %1").arg(program.categories().profiles.bAlternateLine));
        } else if (what == QLatin1String("profile-names")) {
            for (const ProfileRecord& profile : program.categories().profiles.Profiles)
                note(QStringLiteral("profile name: ") + profile.Name.value);
        } else if (what == QLatin1String("sms-list")) {
            for (const SMSRecord& sms : program.categories().sms.SMSList)
                note(QStringLiteral("read: %1 %2 %3 %4").arg(sms.PDU).arg(sms.Length).arg(sms.Storage).arg(sms.Type));
        } else if (what == QLatin1String("backup-button")) {
            note(QStringLiteral("button: ") + h().view.buttonCaption(MainView::Button::Backup));
        } else if (what == QLatin1String("saved-profiles")) {
            program.file().sBackUpFIleName = h().path(QStringLiteral("profiles.MS"));
            program.categories().profiles.bSaveProfileSettings();
            keepFile(program.file().sBackUpFIleName, QStringLiteral("profiles.MS"));
        } else {
            return false;
        }
        return true;
    }

    template <typename Run> void step(const QString& what, Run run)
    {
        const int before = commands();
        const qint64 start = h().clock.nowMs();
        const RunOutcome outcome = run();
        static const char* const names[] = {"Completed", "Incomplete", "Ended", "Failed"};
        note(QStringLiteral("%1 -> %2, %3 commands, %4 ms")
                 .arg(what, QLatin1String(names[static_cast<int>(outcome)]))
                 .arg(commands() - before)
                 .arg(h().clock.nowMs() - start));
    }

    int commands() { return h().monitor->phone()->settingsObject()->answeredCommands(); }

    // Keeps the file to compare with the scenario's file of that name, or with golden (a path
    // under tests/data) where it names one.
    void keepFile(const QString& path, const QString& name, const QString& golden = QString())
    {
        if (QFile::exists(path))
            m_files[golden.isEmpty() ? ownFolder() + name : golden] = fileBytes(path);
        else
            note(name + QStringLiteral(": no file"));
    }

    QString ownFolder() const { return QStringLiteral("categories/") + m_name + QLatin1Char('/'); }

    void note(const QString& line) { m_record << line; }

    void flushLines(const ProgramHarness& harness)
    {
        // What every start-up writes is left out.
        const QStringList status = harness.statusLines();
        const QStringList log = harness.logLines();
        m_record << QStringLiteral("status:");
        for (const QString& line : status.mid(status.indexOf(QStringLiteral("Known PhoneType!!")) + 1))
            m_record << QStringLiteral("  ") + line;
        m_record << QStringLiteral("log:");
        for (const QString& line : log.mid(log.indexOf(QStringLiteral("Form Loaded")) + 1))
            m_record << QStringLiteral("  ") + line;
    }

    void compare()
    {
        flushLines(h());
        QString record = m_record.join(QLatin1Char('\n')) + QLatin1Char('\n');
        for (const auto& harness : m_harnesses)
            record.replace(harness->dir.path(), QStringLiteral("%TMP%"));
        m_files[ownFolder() + QStringLiteral("record.txt")] =
            record.replace(QChar(0), QStringLiteral("\\0")).toUtf8();
        QStringList expected = QDir(goldenPath(m_name)).entryList(QDir::Files);
        expected.removeOne(QStringLiteral("steps.txt"));
        QStringList own;
        for (const QString& file : m_files.keys()) {
            if (file.startsWith(ownFolder()))
                own << file.mid(ownFolder().size());
        }
        if (!qEnvironmentVariableIsSet("CELLARCHIVE_UPDATE_GOLDEN")) {
            EXPECT_EQ(expected, own) << m_name.toStdString();
        }
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            expectGoldenFile(it.value(), it.key());
    }

    QString m_name;
    QJsonObject m_phone = demoPhone();
    bool m_pendingPhone = false;
    std::vector<std::unique_ptr<ProgramHarness>> m_harnesses;
    QStringList m_record;
    QMap<QString, QByteArray> m_files;
    QString m_last;
    int m_backups = 0;
};

std::vector<std::string> scenarios()
{
    std::vector<std::string> names;
    const QDir data(goldenPath(QString()));
    for (const QString& name : data.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFile::exists(data.filePath(name + QStringLiteral("/steps.txt"))))
            names.push_back(name.toStdString());
    }
    return names;
}

class CategoryScenario : public testing::TestWithParam<std::string>
{
};

TEST_P(CategoryScenario, LeavesWhatItsRecordSays)
{
    Scenario(QString::fromStdString(GetParam())).run();
}

INSTANTIATE_TEST_SUITE_P(Folders, CategoryScenario, testing::ValuesIn(scenarios()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
