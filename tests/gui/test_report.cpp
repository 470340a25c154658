// The report of a run, without a window: how the results of a run become the
// counts and the failure sections that the message box shows.
#include "convert/report.h"
#include "velloran/engine.h"

#include <QtTest>

namespace {

// One result written as text: "ok", "read", "write", "cancel", "invalid:<line>"
// or "unrepresentable:<line>:<character>".
velloran::FileResult result(const QString &text)
{
    using velloran::Outcome;
    const QStringList parts = text.split(u':');
    velloran::FileResult result;
    if (parts[0] == "read")
        result.outcome = Outcome::CannotRead;
    else if (parts[0] == "write")
        result.outcome = Outcome::CannotWrite;
    else if (parts[0] == "cancel")
        result.outcome = Outcome::Cancelled;
    else if (parts[0] == "invalid")
        result.outcome = Outcome::InvalidSource;
    else if (parts[0] == "unrepresentable")
        result.outcome = Outcome::Unrepresentable;
    if (parts.size() > 1)
        result.line = parts[1].toULongLong();
    if (parts.size() > 2)
        result.character = parts[2].toUcs4().at(0);
    return result;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void report_data()
    {
        QTest::addColumn<QStringList>("results"); // one per entry, see result()
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("details"); // {N} stands for the N-th entry
        const auto row = [](const char *tag, const QStringList &results, const char *text,
                            const QString &details) {
            QTest::newRow(tag) << results << QString(text) << details;
        };
        const QString read = "以下文件因为无法读取而转换失败：\n";
        const QString write = "\n以下文件因为无法写入而转换失败\n";
        const QString invalid = "\n以下文件含有源编码无法识别的字节而转换失败：\n";
        const QString unrepresentable = "\n以下文件含有目标编码无法表示的字符而转换失败：\n";

        row("no entries", {}, "成功0个，失败0个", "");
        row("all converted", {"ok", "ok", "ok"}, "成功3个，失败0个", "");
        row("read failures only", {"ok", "read", "ok"}, "成功2个，失败1个", read + "{1}\n");
        // A section after none still starts with its line feed.
        row("write failures only", {"write", "ok"}, "成功1个，失败1个", write + "{0}\n");
        // Sections in a fixed order, whatever the order of the entries;
        // entries in list order within each.
        row("every kind of failure",
            {"unrepresentable:3:这", "invalid:2", "write", "read", "invalid:7", "read", "ok"},
            "成功1个，失败6个",
            read + "{3}\n{5}\n" + write + "{2}\n" + invalid + "{1}（第2行）\n{4}（第7行）\n" +
                unrepresentable + "{0}（第3行：“这”）\n");
        row("all failed", {"read", "write", "read"}, "成功0个，失败3个",
            read + "{0}\n{2}\n" + write + "{1}\n");
        // Cancelled entries are neither converted nor failed, and have no section.
        row("cancelled", {"ok", "cancel", "read", "cancel"}, "成功1个，失败1个，取消2个",
            read + "{2}\n");
        row("all cancelled", {"cancel", "cancel"}, "成功0个，失败0个，取消2个", "");
        // A character beyond the first 65536 is shown whole, not as half a pair.
        row("character beyond the BMP", {"unrepresentable:1:𠀀"}, "成功0个，失败1个",
            unrepresentable + "{0}（第1行：“𠀀”）\n");
        row("line beyond 32 bits", {"invalid:5000000000"}, "成功0个，失败1个",
            invalid + "{0}（第5000000000行）\n");
    }

    void report()
    {
        QFETCH(QStringList, results);
        QFETCH(QString, text);
        QFETCH(QString, details);
        // Names that look like placeholders must come out as they are.
        QStringList entries;
        std::vector<velloran::FileResult> outcomes;
        for (int i = 0; i < results.size(); ++i) {
            entries << "/数据 目录/文件" + QString::number(i) + " %1 %2.txt";
            outcomes.push_back(result(results[i]));
            details.replace(QString("{%1}").arg(i), entries[i]);
        }

        const RunReport report = makeReport(entries, outcomes);
        QCOMPARE(reportText(report), text);
        QCOMPARE(reportDetails(report), details);
    }

    void unknownEncoding()
    {
        QCOMPARE(unknownEncodingText("NoSuch%1"),
                 QString("无法识别编码“NoSuch%1”，未转换任何文件。"));
    }
};

QTEST_APPLESS_MAIN(TestReport)
#include "test_report.moc"
