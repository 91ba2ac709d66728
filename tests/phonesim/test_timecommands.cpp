#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <gtest/gtest.h>

using namespace phonesim;

using TimeFixture = CommandFixture;

TEST(TimeCommands, ReadsAnswerTheStoredValuesAs16BitIntegers)
{
    TimeFixture f;
    const QList<std::pair<qint32, int>> reads{{36, 1}, {344, 1}, {347, 0}};
    for (const auto& [code, expected] : reads) {
        const RecordedAnswer answer = f.call(code);
        EXPECT_EQ(answer.status, status::Ok) << code;
        const QVariantList data = answer.data.toList();
        ASSERT_EQ(data.size(), 1) << code;
        EXPECT_EQ(data[0].typeId(), QMetaType::Short) << code;
        EXPECT_EQ(data[0].toInt(), expected) << code;
    }
}

TEST(TimeCommands, WritesChangeWhatTheReadsAnswer)
{
    TimeFixture f;
    const QList<std::tuple<qint32, qint32, QString>> pairs{
        {37, 36, QStringLiteral("timeFormat")},
        {343, 344, QStringLiteral("daylightSaving")},
        {346, 347, QStringLiteral("timeZoneUpdate")}};
    for (const auto& [set, get, key] : pairs) {
        const int current = f.call(get).data.toList().value(0).toInt();
        const qint16 other = static_cast<qint16>(1 - current);
        EXPECT_EQ(f.call(set, {int16(other)}).status, status::Ok) << set;
        EXPECT_EQ(f.call(get).data.toList().value(0).toInt(), other) << get;
        EXPECT_EQ(f.image->settings(QStringLiteral("time")).value(key).toInt(), other)
            << key.toStdString();
    }
    // A 32-bit value is as good as a 16-bit one.
    EXPECT_EQ(f.call(37, {QVariant::fromValue<qint32>(1)}).status, status::Ok);
    EXPECT_EQ(f.call(36).data.toList().value(0).toInt(), 1);
}

TEST(TimeCommands, BadParametersAreRefusedAndChangeNothing)
{
    TimeFixture f;
    const QList<QVariantList> bad{{},
                                  {int16(2)},
                                  {int16(-1)},
                                  {int16(0), int16(0)},
                                  {QStringLiteral("0")},
                                  {QVariant(0.0)},
                                  {QVariant(false)},
                                  {QVariant()}};
    for (const QVariantList& params : bad) {
        const RecordedAnswer answer = f.call(37, params);
        EXPECT_EQ(answer.status, status::InvalidParameter);
        EXPECT_TRUE(answer.data.toList().isEmpty());
    }
    EXPECT_EQ(f.call(36).data.toList().value(0).toInt(), 1);
    // A read takes no parameters.
    EXPECT_EQ(f.call(36, {int16(0)}).status, status::InvalidParameter);
}

TEST(TimeCommands, MissingOrBrokenStoredValuesReadAsFactoryValues)
{
    QJsonObject json = demoPhone();
    QJsonObject settings = json.value(QStringLiteral("settings")).toObject();
    settings.insert(QStringLiteral("time"),
                    QJsonObject{{QStringLiteral("timeFormat"), QStringLiteral("twelve")},
                                {QStringLiteral("daylightSaving"), 7}});
    json.insert(QStringLiteral("settings"), settings);
    SimPhoneFixture f(json);
    AnswerRecorder recorder(&f.settings());
    f.send(36);
    f.send(344);
    f.send(347);
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 3);
    const QJsonObject factory = blankTimeSettings();
    EXPECT_EQ(recorder.answers[0].data.toList().value(0).toInt(),
              factory.value(QStringLiteral("timeFormat")).toInt());
    EXPECT_EQ(recorder.answers[1].data.toList().value(0).toInt(),
              factory.value(QStringLiteral("daylightSaving")).toInt());
    EXPECT_EQ(recorder.answers[2].data.toList().value(0).toInt(),
              factory.value(QStringLiteral("timeZoneUpdate")).toInt());
}
