#include "convert/report.h"

#include "ui/translation.h"
#include "velloran/engine.h"

namespace {

// One line of a failure list: the entry as listed, then a line feed.
QString line(const QString &entry, const QString &where = {})
{
    return entry + where + QLatin1Char('\n');
}

} // namespace

RunReport makeReport(const QStringList &entries, const std::vector<velloran::FileResult> &results)
{
    using velloran::Outcome;
    RunReport report;
    report.entries = int(entries.size());
    for (qsizetype i = 0; i < entries.size() && i < qsizetype(results.size()); ++i) {
        const velloran::FileResult &result = results[size_t(i)];
        const QString &entry = entries[i];
        switch (result.outcome) {
        case Outcome::Converted:
            ++report.succeeded;
            break;
        case Outcome::Cancelled:
            ++report.cancelled;
            break;
        case Outcome::SharedOutput:
        case Outcome::AlreadyUtf8:
        case Outcome::Undecided:
            // Refused before anything was written: counted as failed, listed
            // in no section of their own yet.
            break;
        case Outcome::CannotRead:
            report.readfailed += line(entry);
            break;
        case Outcome::CannotWrite:
            report.writefailed += line(entry);
            break;
        case Outcome::InvalidSource:
            report.invalidfailed += line(entry, windowTr("（第%1行）").arg(result.line));
            break;
        case Outcome::Unrepresentable: {
            const char32_t character = result.character;
            const QString where =
                windowTr("（第%1行：“%2”）").arg(result.line).arg(QString::fromUcs4(&character, 1));
            report.unrepresentablefailed += line(entry, where);
            break;
        }
        }
    }
    return report;
}

QString reportText(const RunReport &report)
{
    if (report.cancelled == 0)
        return windowTr("成功%1个，失败%2个").arg(report.succeeded).arg(report.failed());
    return windowTr("成功%1个，失败%2个，取消%3个")
        .arg(report.succeeded)
        .arg(report.failed())
        .arg(report.cancelled);
}

QString reportDetails(const RunReport &report)
{
    // The read section opens the details; every later section starts with a
    // line feed, which leaves a blank line after the section before it.
    QString details;
    if (!report.readfailed.isEmpty())
        details = windowTr("以下文件因为无法读取而转换失败：\n") + report.readfailed;
    if (!report.writefailed.isEmpty())
        details += windowTr("\n以下文件因为无法写入而转换失败\n") + report.writefailed;
    if (!report.invalidfailed.isEmpty())
        details +=
            windowTr("\n以下文件含有源编码无法识别的字节而转换失败：\n") + report.invalidfailed;
    if (!report.unrepresentablefailed.isEmpty())
        details += windowTr("\n以下文件含有目标编码无法表示的字符而转换失败：\n") +
                   report.unrepresentablefailed;
    return details;
}

QString unknownEncodingText(const QString &name)
{
    return windowTr("无法识别编码“%1”，未转换任何文件。").arg(name);
}
