#include "service/RecordingFile.h"

#include "common/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zuvo {
namespace {

PositionRecord recordOf(std::initializer_list<std::int32_t> counts) {
    PositionRecord record;
    for (std::int32_t c : counts) {
        record.take(c, 100, ChartScale{640, 400, 100});
    }
    return record;
}

TEST(RecordingFile, NameFromTheTimeOfSaving) {
    EXPECT_EQ(recordingFileName(QTime(0, 0, 0)), QStringLiteral("WEG000000.txt"));
    EXPECT_EQ(recordingFileName(QTime(9, 5, 3)), QStringLiteral("WEG090503.txt"));
    EXPECT_EQ(recordingFileName(QTime(23, 59, 7)), QStringLiteral("WEG235907.txt"));
}

TEST(RecordingFile, HundredthsOfATurnTruncateTowardZero) {
    struct Case {
        std::int32_t counts, hundredths;
    };
    const Case cases[] = {
        {0, 0},
        {1024, 100},
        {1536, 150},
        {-1, 0},
        {-11, -1},
        {10, 0},
        {11, 1},
        {21474836, 2097151},
        {INT32_MAX, 209715199},
        {INT32_MIN, -209715200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hundredthsOfTurn(c.counts), c.hundredths) << c.counts;
    }
}

TEST(RecordingFile, TurnsWithTwoDecimals) {
    struct Case {
        std::int64_t hundredths;
        QChar separator;
        QString text;
    };
    const Case cases[] = {
        {100, '.', "1.00"},
        {150, ',', "1,50"},
        {-50, '.', "-0.50"},
        {0, '.', "0.00"},
        {5, ',', "0,05"},
        {-12345, ',', "-123,45"},
        {209715199, '.', "2097151.99"},
        {-419430399, '.', "-4194303.99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(turnsText(c.hundredths, c.separator), c.text) << c.hundredths;
    }
}

TEST(RecordingFile, OneLinePerSampleWithItsChange) {
    const PositionRecord record = recordOf({1024, 1536, 1024});
    EXPECT_EQ(recordingText(record, '.'),
              QByteArray("1.00  0.00\r\n1.50  0.50\r\n1.00  -0.50\r\n"));
    EXPECT_EQ(recordingText(record, ','),
              QByteArray("1,00  0,00\r\n1,50  0,50\r\n1,00  -0,50\r\n"));

    // Extremes of the position do not overflow the change.
    EXPECT_EQ(recordingText(recordOf({INT32_MIN, INT32_MAX}), '.'),
              QByteArray("-2097152.00  0.00\r\n2097151.99  4194303.99\r\n"));
}

TEST(RecordingFile, OnlySamplesSinceTheLastClearOrWrap) {
    PositionRecord record = recordOf({1024, 2048});
    record.clear();
    EXPECT_TRUE(recordingText(record, '.').isEmpty());

    for (int i = 0; i < PositionRecord::kCapacity; ++i) {
        record.take(i, 100, ChartScale{640, 400, 100});
    }
    EXPECT_EQ(record.count(), 0);
    record.take(2048, 100, ChartScale{640, 400, 100});
    record.take(3072, 100, ChartScale{640, 400, 100});
    EXPECT_EQ(recordingText(record, '.'), QByteArray("2.00  0.00\r\n3.00  1.00\r\n"));
}

TEST(RecordingFile, SavingWritesReplacesOrReports) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QTime time(14, 3, 9);
    const QString path = QDir(folder.path()).filePath(QStringLiteral("WEG140309.txt"));

    const RecordingSave first = saveRecording(folder.path(), time, recordOf({1024}), ',');
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    EXPECT_EQ(first.path, path);

    const RecordingSave second = saveRecording(folder.path(), time, recordOf({1536, 1024}), ',');
    ASSERT_TRUE(second.ok);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("1,50  0,00\r\n1,00  -0,50\r\n"));
    file.close();

    const QString missing = QDir(folder.path()).filePath(QStringLiteral("gone"));
    const RecordingSave failed = saveRecording(missing, time, recordOf({1024}), ',');
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_FALSE(QFile::exists(failed.path));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"WEG140309.txt"});
}

// A disk that fills up while saving: the earlier recording of that name stays whole.
TEST(RecordingFile, AFullDiskKeepsTheEarlierFileAndSaysSo) {
    QTemporaryDir folder;
    const QTime time(14, 3, 9);
    ASSERT_TRUE(saveRecording(folder.path(), time, recordOf({1024}), ',').ok);
    RecordingSave failed;
    {
        const test::FileSizeLimit limit(4);
        ASSERT_TRUE(limit.active());
        failed = saveRecording(folder.path(), time, recordOf({1536, 1024}), ',');
    }
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
    QFile file(failed.path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("1,00  0,00\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"WEG140309.txt"});
}

} // namespace
} // namespace zuvo
