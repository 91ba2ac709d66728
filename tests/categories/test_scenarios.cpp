#include "scenario.h"

#include "phonesim/imageirmcstore.h"
#include "phonesim/simtextmessage.h"
#include "phonesim/smspdu.h"
#include "phonesim/smsstore.h"

#include <QTimeZone>
#include <functional>

// Every category on its way through the whole program, one scenario a row; what each scenario
// leaves is compared whole with its record under tests/data/categories/ (see scenario.h).

namespace {

using Box = MainView::Box;
using namespace phonesim;
using Faults = phonesim::Faults;

QJsonObject blank()
{
    return blankPhone(QStringLiteral("BVT610"));
}

QJsonObject with(QJsonObject phone, const QString& key, const QJsonValue& value)
{
    phone.insert(key, value);
    return phone;
}

QJsonObject withModel(QJsonObject phone, const QString& model)
{
    QJsonObject identity = phone.value(QStringLiteral("identity")).toObject();
    identity.insert(QStringLiteral("model"), model);
    return with(phone, QStringLiteral("identity"), identity);
}

// The demo or blank phone with count profiles of which active is the active one, and the name
// of the second replaced when name is given.
QJsonObject withProfiles(QJsonObject phone, int count, int active, const QString& name = QString())
{
    QJsonObject settings = phone.value(QStringLiteral("settings")).toObject();
    QJsonObject group = settings.value(QStringLiteral("profiles")).toObject();
    QJsonArray list = group.value(QStringLiteral("list")).toArray();
    while (list.size() > count)
        list.removeLast();
    if (!name.isNull()) {
        QJsonObject second = list.at(1).toObject();
        second.insert(QStringLiteral("name"), name);
        list.replace(1, second);
    }
    group.insert(QStringLiteral("list"), list);
    group.insert(QStringLiteral("active"), active);
    settings.insert(QStringLiteral("profiles"), group);
    return with(phone, QStringLiteral("settings"), settings);
}

QJsonObject bookmark(const QString& name, const QString& url)
{
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("url"), url}};
}

QJsonObject withMessages()
{
    const auto received = [](const QString& text) {
        const smspdu::Pdu pdu =
            smspdu::deliver(QStringLiteral("+491710760000"), QStringLiteral("+4917012345678"),
                            QDateTime(QDate(2004, 5, 17), QTime(9, 0), QTimeZone(7200)), text);
        return StoredSms{smstype::ReceivedRead, pdu.length, pdu.hex};
    };
    const smspdu::Pdu draft = smspdu::submit(QStringLiteral("+4930123456"), QStringLiteral("four"));
    return with(blank(), SmsStore::Key,
                SmsStore::storages(30,
                                   {received(QStringLiteral("one")), received(QStringLiteral("two")),
                                    received(QStringLiteral("\u0414\u0430"))},
                                   150, {StoredSms{smstype::StoredUnsent, draft.length, draft.hex}}));
}

void fault(Scenario& s, const std::function<void(Faults&)>& edit)
{
    editFaults(s.h(), edit);
}

const QList<Box> kEvery{Box::Pb,       Box::Cal,      Box::SMS,      Box::DataAccount, Box::WAP,
                        Box::Bookmark, Box::Profiles, Box::Lock,     Box::Time,        Box::CustomMenu};

struct Row
{
    const char* name;
    std::function<QJsonObject()> phone;
    std::function<void(Scenario&)> run;
};

const Row kRows[] = {
    // Every section of the demo phone, byte for byte.
    {"demo_every_category", demoPhone, [](Scenario& s) {
         s.backup(kEvery);
         s.note(QStringLiteral("alternate line: %1").arg(s.h().program->categories().profiles.bAlternateLine));
     }},

    {"time_refused_then_unanswered", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.refused.insert(344, 0x7001); });
         s.backup({Box::Time});
         // The second run must not reuse the first run's value.
         fault(s, [](Faults& f) { f.unanswered.insert(347); });
         s.backup({Box::Time});
     }},
    {"time_only_nitz", blank, [](Scenario& s) {
         s.settings(QStringLiteral("time"));
         s.restore(QStringLiteral("time_nitz.MS"));
         s.settings(QStringLiteral("time"));
     }},
    // 0.5 rounds to the even 0; the time format goes twice and the phone keeps the second.
    {"time_format_twice", blank, [](Scenario& s) {
         s.restore(QStringLiteral("time_format.MS"));
         s.settings(QStringLiteral("time"));
     }},
    {"time_empty_section", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) {
             for (qint32 code : {36, 344, 347})
                 f.refused.insert(code, 0x7001);
         });
         s.backup({Box::Time});
         // Nothing is sent, so none of the unanswered commands is waited for.
         fault(s, [](Faults& f) { f = Faults{}; f.unanswered = {37, 343, 346}; });
         s.restore();
     }},

    {"locks_unread_mode", demoPhone, [](Scenario& s) {
         s.backup({Box::Lock});
         fault(s, [](Faults& f) { f.unanswered.insert(51); });
         s.backup({Box::Lock});
         s.restore(QStringLiteral("locks_one.MS"));
         s.h().image->setFaults({});
         // The empty section leaves the mode the earlier restore set.
         s.restore();
         s.settings(QStringLiteral("keylock"));
     }},
    {"locks_extra_key", demoPhone, [](Scenario& s) {
         s.restore(QStringLiteral("locks_extra.MS"));
         s.settings(QStringLiteral("keylock"));
     }},

    // The list, five removals at position 1, three additions.
    {"shortcuts_into_blank", blank, [](Scenario& s) {
         s.restore(QStringLiteral("shortcuts.MS"));
         s.category(QStringLiteral("shortcuts"));
     }},
    {"shortcuts_empty_menu", [] { return with(blank(), QStringLiteral("shortcuts"), QJsonArray{}); },
     [](Scenario& s) {
         s.restore(QStringLiteral("shortcuts.MS"));
         s.backup({Box::CustomMenu, Box::Lock});
         s.category(QStringLiteral("shortcuts"));
     }},
    {"shortcuts_list_unanswered", [] { return with(blank(), QStringLiteral("shortcuts"), QJsonArray{1}); },
     [](Scenario& s) {
         fault(s, [](Faults& f) { f.unanswered.insert(159); });
         s.restore(QStringLiteral("shortcuts.MS"));
         s.category(QStringLiteral("shortcuts"));
     }},
    // A refused list after a good one does not bring the earlier list back.
    {"shortcuts_refused_after_good", demoPhone, [](Scenario& s) {
         s.backup({Box::CustomMenu, Box::Lock});
         fault(s, [](Faults& f) { f.refused.insert(159, 0x7001); });
         s.backup({Box::CustomMenu, Box::Lock});
     }},
    {"shortcuts_stray_lines", [] { return with(blank(), QStringLiteral("shortcuts"), QJsonArray{8, 5, 3}); },
     [](Scenario& s) {
         s.restore(QStringLiteral("shortcuts_odd.MS"));
         s.category(QStringLiteral("shortcuts"));
         s.restore(QStringLiteral("shortcuts_no_numbers.MS"));
         s.category(QStringLiteral("shortcuts"));
     }},
    // The BVT300 has neither camera (4) nor music player (9).
    {"shortcuts_other_model", [] { return blankPhone(QStringLiteral("BVT300")); }, [](Scenario& s) {
         s.restore(QStringLiteral("shortcuts.MS"));
         s.category(QStringLiteral("shortcuts"));
     }},

    // Added to what the phone holds: restoring twice gives every bookmark twice.
    {"bookmarks_restored_twice",
     [] {
         return with(blank(), QStringLiteral("bookmarks"),
                     QJsonArray{bookmark(QStringLiteral("News"), QStringLiteral("http://a.example//x")),
                                bookmark(QStringLiteral("Mail"), QStringLiteral("http://b.example/"))});
     },
     [](Scenario& s) {
         s.backup({Box::Bookmark});
         s.restore();
         s.restore();
         s.category(QStringLiteral("bookmarks"));
     }},
    {"bookmarks_refused_after_good", demoPhone, [](Scenario& s) {
         s.backup({Box::Bookmark});
         fault(s, [](Faults& f) { f.refused.insert(218, 0x7001); });
         s.backup({Box::Bookmark});
     }},
    {"bookmarks_none", blank, [](Scenario& s) {
         s.backup({Box::Bookmark});
         s.restore();
         s.category(QStringLiteral("bookmarks"));
     }},
    // The phone refuses the second add, which has no address.
    {"bookmarks_gaps", blank, [](Scenario& s) {
         s.restore(QStringLiteral("bookmarks_gaps.MS"));
         s.category(QStringLiteral("bookmarks"));
     }},
    {"bookmarks_line_breaks_and_nuls",
     [] {
         return with(blank(), QStringLiteral("bookmarks"),
                     QJsonArray{bookmark(QStringLiteral("A\r\n<Settings_Time>"),
                                         QString::fromLatin1("http://x/\0y", 11))});
     },
     [](Scenario& s) { s.backup({Box::Bookmark}); }},

    {"profiles_walk", [] { return withProfiles(demoPhone(), 3, 2); }, [](Scenario& s) {
         s.backup({Box::Profiles});
         s.settings(QStringLiteral("profiles"));
     }},
    {"profiles_nul_padded_name",
     [] { return withProfiles(demoPhone(), 5, 2, QStringLiteral("Meeting") + QString(3, QChar(0))); },
     [](Scenario& s) {
         s.backup({Box::Profiles});
         s.note(QStringLiteral("kept: ") + s.h().program->categories().profiles.Profiles.at(1).Name.value);
     }},
    {"profiles_ring_volumes_refused", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.refused.insert(23, 0x7001); });
         s.backup({Box::Profiles});
         s.switchTo(blank());
         s.restore();
         s.settings(QStringLiteral("profiles"));
     }},
    {"profiles_other_model", [] { return withModel(demoPhone(), QStringLiteral("BVT300")); },
     [](Scenario& s) {
         s.backup({Box::Profiles});
         s.note(QStringLiteral("alternate line: %1").arg(s.h().program->categories().profiles.bAlternateLine));
     }},
    {"profiles_marked_active", blank, [](Scenario& s) {
         s.restore(QStringLiteral("profiles_active.MS"));
         s.settings(QStringLiteral("profiles"));
     }},
    {"profiles_five_into_four", demoPhone, [](Scenario& s) {
         s.backup({Box::Profiles});
         s.switchTo(withProfiles(blank(), 4, 1));
         s.restore();
         s.settings(QStringLiteral("profiles"));
     }},
    // 1.5 - 1 rounds to the even 0: the second group is profile 1.
    {"profiles_malformed", blank, [](Scenario& s) {
         s.restore(QStringLiteral("profiles_malformed.MS"));
         s.settings(QStringLiteral("profiles"));
         s.settings(QStringLiteral("time"));
     }},
    {"profiles_negative_values", blank, [](Scenario& s) {
         s.restore(QStringLiteral("profiles_negative.MS"));
         s.settings(QStringLiteral("profiles"));
         Program& program = *s.h().program;
         program.file().sBackUpFIleName = s.h().path(QStringLiteral("again.MS"));
         program.categories().profiles.bSaveProfileSettings();
         s.keepFile(program.file().sBackUpFIleName, QStringLiteral("again.MS"));
     }},
    {"profiles_count_refused", demoPhone, [](Scenario& s) {
         s.backup({Box::Profiles});
         s.switchTo(blank());
         fault(s, [](Faults& f) { f.refused.insert(126, 0x7001); });
         s.restore();
         s.settings(QStringLiteral("profiles"));
     }},
    // No profiles at all; then a ring volume answer without values inside profile 1.
    {"profiles_walk_errors", [] { return withProfiles(demoPhone(), 0, 1); }, [](Scenario& s) {
         s.backup({Box::Profiles, Box::Time});
         s.switchTo(demoPhone());
         fault(s, [](Faults& f) { f.nonArrayData.insert(23); });
         s.backup({Box::Profiles});
         s.settings(QStringLiteral("profiles"));
     }},

    {"sms_both_storages", withMessages, [](Scenario& s) { s.backup({Box::SMS}); }},
    {"sms_none", blank, [](Scenario& s) { s.backup({Box::SMS, Box::Time}); }},
    // Gives up after 15 silent seconds; a slow phone whose events keep coming is waited for.
    {"sms_read_never_ends", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.sms.unendingReads = {1}; });
         s.backup({Box::SMS});
         s.switchTo(demoPhone());
         s.h().image->setLatencyMs(10000);
         s.backup({Box::SMS});
     }},
    {"sms_unplugged", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.sms.unplugAfterMessages = 2; });
         s.backup({Box::SMS, Box::Time});
     }},
    // The phone refuses the third, whose Length does not fit its PDU.
    {"sms_section_reader", blank, [](Scenario& s) {
         s.restore(QStringLiteral("sms_numbers.MS"));
         for (const SMSRecord& sms : s.h().program->categories().sms.SMSList)
             s.note(QStringLiteral("read: %1 %2 %3 %4").arg(sms.PDU).arg(sms.Length).arg(sms.Storage).arg(sms.Type));
         s.category(SmsStore::Key);
     }},
    // Each write gives up at 15.001 s; the first's late answer is not the second's.
    {"sms_late_write", blank, [](Scenario& s) {
         fault(s, [](Faults& f) { f.sms.lateWriteSeconds = 15.5; });
         s.restore(QStringLiteral("sms_two.MS"));
         s.h().clock.runAll();
         s.category(SmsStore::Key);
     }},
    {"sms_write_just_in_time", blank, [](Scenario& s) {
         fault(s, [](Faults& f) { f.sms.lateWriteSeconds = 15.0; });
         s.restore(QStringLiteral("sms_two.MS"));
         s.category(SmsStore::Key);
     }},
    {"sms_no_sms_object", demoPhone, [](Scenario& s) {
         s.backup({Box::SMS});
         s.switchTo(blank());
         s.h().monitor->phone()->setTextMessage(nullptr);
         s.restore();
     }},
    // A new SMS object after the phone came back is the one the next backup talks to.
    {"sms_round_trip", demoPhone, [](Scenario& s) {
         s.backup({Box::SMS});
         s.switchTo(blank());
         s.restore();
         s.category(SmsStore::Key);
         SimCellPhone& phone = *s.h().monitor->phone();
         phone.setTextMessage(new SimTextMessage(phone));
         s.h().monitor->unplug();
         s.h().monitor->plug();
         s.backup({Box::SMS});
     }},

    // A high Number names one account, and a lower one after it keeps those read before.
    {"accounts_named_by_the_file", blank, [](Scenario& s) {
         s.restore(QStringLiteral("accounts_numbers.MS"));
         s.category(QStringLiteral("dataAccounts"));
     }},

    {"wap_gateway_answer_lacks_value", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.nonArrayData.insert(205); });
         s.backup({Box::WAP, Box::Time});
         s.category(QStringLiteral("wapProfiles"));
         fault(s, [](Faults& f) { f = Faults{}; f.refused.insert(186, 0x7001); });
         s.backup({Box::WAP});
     }},
    // Slots the file does not describe keep their settings; no walk over thousands of them.
    {"wap_slots_not_described", demoPhone, [](Scenario& s) {
         s.restore(QStringLiteral("wap_slots.MS"));
         s.category(QStringLiteral("wapProfiles"));
     }},

    {"obex_one_contact", blank, [](Scenario& s) {
         s.restore(QStringLiteral("contact.MS"));
         s.category(ImageIrmcStore::PhonebookKey);
     }},
    {"obex_phonebook_get_fails", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.obex.failGetAfterPackets = 1; });
         s.backup({Box::Pb, Box::Cal, Box::Time});
         s.note(QStringLiteral("button: ") + s.h().view.buttonCaption(MainView::Button::Backup));
     }},
    // The open calendar section sends nothing, and the time settings after it are restored.
    {"obex_calendar_get_fails", demoPhone, [](Scenario& s) {
         s.backup({Box::Pb});
         fault(s, [](Faults& f) { f.obex.failGetAfterPackets = 0; });
         s.backup({Box::Cal, Box::Time});
         s.switchTo(blank());
         s.restore();
         s.category(ImageIrmcStore::CalendarKey);
     }},
    {"obex_connect_refused", demoPhone, [](Scenario& s) {
         fault(s, [](Faults& f) { f.obex.refuseConnect = true; });
         s.backup({Box::Pb});
     }},
    {"obex_empty_section", blank, [](Scenario& s) { s.restore(QStringLiteral("contacts_empty.MS")); }},
    {"obex_put_refused", demoPhone, [](Scenario& s) {
         s.backup({Box::Pb, Box::Cal});
         s.switchTo(blank());
         fault(s, [](Faults& f) { f.obex.refusePutNumber = 2; });
         s.restore();
         s.category(ImageIrmcStore::PhonebookKey);
         s.category(ImageIrmcStore::CalendarKey);
     }},
    // The same entries come back with new LUIDs, and a second backup is the first one.
    {"obex_master_reset_round_trip", demoPhone, [](Scenario& s) {
         s.category(ImageIrmcStore::PhonebookKey);
         s.backup({Box::Pb, Box::Cal});
         s.h().view.setTicked(Box::MasterReset, true);
         s.h().ui.nextInput(QStringLiteral("7391"));
         s.restore();
         s.category(ImageIrmcStore::PhonebookKey);
         s.h().view.setTicked(Box::MasterReset, false);
         s.backup({Box::Pb, Box::Cal});
     }},
};

class CategoryScenario : public testing::TestWithParam<Row>
{
};

TEST_P(CategoryScenario, LeavesWhatItsRecordSays)
{
    Scenario scenario(QLatin1String(GetParam().name), GetParam().phone());
    GetParam().run(scenario);
    scenario.compare();
}

INSTANTIATE_TEST_SUITE_P(Rows, CategoryScenario, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

} // namespace
