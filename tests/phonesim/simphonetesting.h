#pragma once

#include "fakeclock.h"
#include "phone/variants.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simphonemonitor.h"
#include "phonesim/simsettingsobject.h"
#include "phonesim/simstatus.h"

#include <QList>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>

// What a settings object answered, in order.
struct RecordedAnswer
{
    qint32 transactionId;
    qint32 status;
    QVariant data;
};

class AnswerRecorder : public QObject
{
public:
    explicit AnswerRecorder(SettingsObject* settings)
    {
        connect(settings, &SettingsObject::OnNotifyResponse, this,
                [this](qint32 id, qint32 status, const QVariant& data) {
                    answers.append({id, status, data});
                });
    }
    QList<RecordedAnswer> answers;
};

// A demo phone in memory, connected from the start.
struct SimPhoneFixture
{
    explicit SimPhoneFixture(const QJsonObject& json = phonesim::demoPhone())
        : image(phonesim::PhoneImage::inMemory(json)),
          monitor(image, clock, phonesim::SimPhoneOptions{true, 50})
    {
    }

    phonesim::SimCellPhone& phone() { return *monitor.phone(); }
    phonesim::SimSettingsObject& settings() { return *monitor.phone()->settingsObject(); }

    // Sends one command and returns its transaction id.
    qint32 send(qint32 code, QVariantList params = {})
    {
        qint32 id = 0;
        settings().SendCommand(code, params, id);
        return id;
    }

    FakeClock clock;
    std::shared_ptr<phonesim::PhoneImage> image;
    phonesim::SimPhoneMonitor monitor;
};

// A demo phone whose answers are recorded, for tests that send one command at a time.
struct CommandFixture : SimPhoneFixture
{
    explicit CommandFixture(const QJsonObject& json = phonesim::demoPhone())
        : SimPhoneFixture(json), recorder(&settings())
    {
    }

    // Sends one command, lets the phone answer and returns that answer; exactly one must come.
    RecordedAnswer call(qint32 code, QVariantList params = {})
    {
        const qsizetype before = recorder.answers.size();
        send(code, params);
        clock.runAll();
        EXPECT_EQ(recorder.answers.size(), before + 1) << code;
        return recorder.answers.value(before, RecordedAnswer{0, -1, QVariant()});
    }
    // The values of an answer that must be a success.
    QVariantList values(qint32 code, QVariantList params = {})
    {
        const RecordedAnswer answer = call(code, params);
        EXPECT_EQ(answer.status, phonesim::status::Ok) << code;
        return answer.data.toList();
    }

    AnswerRecorder recorder;
};

using variants::int16;
using variants::int32;
