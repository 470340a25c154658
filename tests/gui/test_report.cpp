// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a run in the window's words, without a window: the counts as
// the message box's text, and the engine's sections (velloran/report.h decides
// which entry goes where) as its details, in Chinese.
#include "convert/report.h"
#include "velloran/engine.h"

#include <QHash>
#include <QtTest>

namespace {

// One result written as text: "ok", "read", "write", "cancel", "utf8",
// "undecided", "shared", "invalid:<line>[:<likely encoding>]", "likely:<encoding>"
// (converted, but looks like that encoding), "lookalike:<encoding>" (not
// converted: looks like that encoding) or "unrepresentable:<line>:<character>";
// "@<N>" at the end names entry N as the one in its way.
velloran::FileResult result(const QString &text)
{
    using velloran::Outcome;
    const QStringList withSame = text.split(u'@');
    const QStringList parts = withSame[0].split(u':');
    velloran::FileResult result;
    const QString kind = parts[0];
    static const QHash<QString, Outcome> outcomes{
        {"ok", Outcome::Converted},
        {"likely", Outcome::Converted},
        {"lookalike", Outcome::LooksLikeOther},
        {"read", Outcome::CannotRead},
        {"write", Outcome::CannotWrite},
        {"cancel", Outcome::Cancelled},
        {"invalid", Outcome::InvalidSource},
        {"unrepresentable", Outcome::Unrepresentable},
        {"utf8", Outcome::AlreadyUtf8},
        {"shared", Outcome::SharedOutput},
        {"undecided", Outcome::Undecided},
    };
    result.outcome = outcomes.value(kind);
    if (kind == "likely" || kind == "lookalike")
        result.likely = parts[1].toStdString();
    else if (parts.size() > 1)
        result.line = parts[1].toULongLong();
    if (parts.size() > 2 && kind == "invalid")
        result.likely = parts[2].toStdString();
    else if (parts.size() > 2)
        result.character = parts[2].toUcs4().at(0);
    if (withSame.size() > 1)
        result.sameAs = withSame[1].toULong();
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
        const QString shared = "\n以下文件与列表中另一文件输出到同一位置，未转换：\n";
        const QString utf8 = "\n以下文件看起来已经是UTF-8编码，未转换：\n";
        const QString notBig5 = "\n以下文件看起来是Big5编码，未转换：\n";
        const QString big5 = "\n以下文件已转换，但看起来是Big5编码，请检查：\n";
        const QString gb = "\n以下文件已转换，但看起来是GB18030编码，请检查：\n";
        const QString cancelled = "\n以下文件因取消而未转换：\n";

        row("no entries", {}, "成功0个，失败0个", "");
        // A section after none still starts with its line feed.
        row("write failures only", {"write", "ok"}, "成功1个，失败1个", write + "{0}\n");
        // Every heading and every kind of line, a blank line between sections.
        // The undecided entry is counted as failed but not listed: the window
        // always names its source, and only a run that detects it refuses one.
        row("every section",
            {"read", "write", "invalid:2", "invalid:3:UTF-8", "unrepresentable:3:这", "ok",
             "shared@5", "utf8", "undecided", "likely:Big5", "likely:GB18030", "cancel",
             "lookalike:Big5"},
            "成功3个，失败9个，取消1个",
            read + "{0}\n" + write + "{1}\n" + invalid +
                "{2}（第2行）\n{3}（第3行；可能是UTF-8编码）\n" + unrepresentable +
                "{4}（第3行：“这”）\n" + shared + "{6}（与 {5} 相同）\n" + utf8 + "{7}\n" +
                notBig5 + "{12}\n" + big5 + "{9}\n" + gb + "{10}\n" + cancelled + "{11}\n");
        // A character beyond the first 65536 is shown whole, not as half a pair.
        row("character beyond the BMP", {"unrepresentable:1:𠀀"}, "成功0个，失败1个",
            unrepresentable + "{0}（第1行：“𠀀”）\n");
        row("line beyond 32 bits", {"invalid:5000000000"}, "成功0个，失败1个",
            invalid + "{0}（第5000000000行）\n");
        // An invisible character is named by its code point.
        row("invisible character", {"unrepresentable:2:\u200B"}, "成功0个，失败1个",
            unrepresentable + "{0}（第2行：“U+200B”）\n");
        // No listed entry in its way: the line names none.
        row("shared output without an entry", {"shared"}, "成功0个，失败1个",
            shared + "{0}（与  相同）\n");
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

        const velloran::RunReport report = velloran::makeRunReport(outcomes);
        QCOMPARE(reportText(report), text);
        QCOMPARE(reportDetails(entries, report), details);
    }

    void visibleCharacter_data()
    {
        QTest::addColumn<uint>("character");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *tag, char32_t c, const char *shown) {
            QTest::newRow(tag) << uint(c) << QString(shown);
        };
        // Characters that show are themselves.
        row("Latin", U'a', "a");
        row("Han beyond the BMP", U'\U00020000', "𠀀");
        row("full-width punctuation", U'，', "，");
        row("the plain space", U' ', " ");
        row("the replacement character", U'\uFFFD', "\uFFFD");
        // Format characters and other default-ignorable code points show nothing.
        row("soft hyphen", U'\u00AD', "U+00AD");
        row("unassigned ignorable", U'\u2065', "U+2065");
        row("Hangul filler, a letter", U'\u3164', "U+3164");
        // Controls, other spaces and separators show as blanks or not at all.
        row("NUL", U'\0', "U+0000");
        row("ideographic space", U'\u3000', "U+3000");
        row("line separator", U'\u2028', "U+2028");
        // A combining mark alone would sit on the quotation mark.
        row("combining acute", U'\u0301', "U+0301");
        row("enclosing circle", U'\u20DD', "U+20DD");
        row("spacing combining mark", U'\u0903', "U+0903");
        // Code points without a glyph of their own.
        row("private use", U'\uE000', "U+E000");
        row("unassigned", U'\u0378', "U+0378");
        row("highest code point", U'\U0010FFFF', "U+10FFFF");
    }

    void visibleCharacter()
    {
        QFETCH(uint, character);
        QFETCH(QString, shown);
        QCOMPARE(::visibleCharacter(char32_t(character)), shown);
    }
};

QTEST_APPLESS_MAIN(TestReport)
#include "test_report.moc"
