#include "convert/report.h"

#include "ui/translation.h"
#include "velloran/report.h"
#include "velloran/result.h"

#include <algorithm>

namespace {

// One line of a failure list: the entry as listed, then a line feed.
QString line(const QString &entry, const QString &where = {})
{
    return entry + where + QLatin1Char('\n');
}

QString invalidLine(const QString &entry, const velloran::FileResult &result)
{
    if (result.likely.empty())
        return line(entry, windowTr("（第%1行）").arg(result.line));
    return line(entry, windowTr("（第%1行；可能是%2编码）")
                           .arg(result.line)
                           .arg(QString::fromStdString(result.likely)));
}

QString unrepresentableLine(const QString &entry, const velloran::FileResult &result)
{
    return line(
        entry,
        windowTr("（第%1行：“%2”）").arg(result.line).arg(visibleCharacter(result.character)));
}

void addLikely(RunReport &report, const QString &entry, const std::string &encoding)
{
    const QString name = QString::fromStdString(encoding);
    for (LikelyGroup &group : report.likely) {
        if (group.encoding == name) {
            group.entries += line(entry);
            return;
        }
    }
    report.likely.append({name, line(entry)});
}

// The result an entry is reported with: its own, or, for an entry that
// repeats an earlier entry's file, that entry's.
const velloran::FileResult &sharedResult(const std::vector<velloran::FileResult> &results,
                                         std::size_t index)
{
    const velloran::FileResult &own = results[index];
    if (own.outcome == velloran::Outcome::SharedOutput || own.sameAs >= index)
        return own;
    return results[own.sameAs];
}

void addEntry(RunReport &report, const QStringList &entries,
              const std::vector<velloran::FileResult> &results, std::size_t index)
{
    using velloran::Outcome;
    const QString &entry = entries[qsizetype(index)];
    const velloran::FileResult &result = sharedResult(results, index);
    switch (result.outcome) {
    case Outcome::Converted:
        ++report.succeeded;
        if (!result.likely.empty())
            addLikely(report, entry, result.likely);
        break;
    case Outcome::Cancelled:
        ++report.cancelled;
        report.cancelledentries += line(entry);
        break;
    case Outcome::CannotRead:
        report.readfailed += line(entry);
        break;
    case Outcome::CannotWrite:
        report.writefailed += line(entry);
        break;
    case Outcome::InvalidSource:
        report.invalidfailed += invalidLine(entry, result);
        break;
    case Outcome::Unrepresentable:
        report.unrepresentablefailed += unrepresentableLine(entry, result);
        break;
    case Outcome::SharedOutput: {
        const bool named = result.sameAs < std::size_t(entries.size());
        const QString first = named ? entries[qsizetype(result.sameAs)] : QString();
        report.sharedoutput += line(entry, windowTr("（与 %1 相同）").arg(first));
        break;
    }
    case Outcome::AlreadyUtf8:
        report.alreadyutf8 += line(entry);
        break;
    case Outcome::Undecided:
        // Only a run that detects the source refuses a file as undecided,
        // and the window always names its source: counted as failed.
        break;
    }
}

QString section(const QString &heading, const QString &entries)
{
    return entries.isEmpty() ? QString() : heading + entries;
}

} // namespace

RunReport makeReport(const QStringList &entries, const std::vector<velloran::FileResult> &results)
{
    RunReport report;
    report.entries = int(entries.size());
    const std::size_t count = std::min(std::size_t(entries.size()), results.size());
    for (std::size_t i = 0; i < count; ++i)
        addEntry(report, entries, results, i);
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
    QString details = section(windowTr("以下文件因为无法读取而转换失败：\n"), report.readfailed);
    details += section(windowTr("\n以下文件因为无法写入而转换失败\n"), report.writefailed);
    details +=
        section(windowTr("\n以下文件含有源编码无法识别的字节而转换失败：\n"), report.invalidfailed);
    details += section(windowTr("\n以下文件含有目标编码无法表示的字符而转换失败：\n"),
                       report.unrepresentablefailed);
    details += section(windowTr("\n以下文件与列表中前面的文件输出到同一位置，未转换：\n"),
                       report.sharedoutput);
    details += section(windowTr("\n以下文件看起来已经是UTF-8编码，未转换：\n"), report.alreadyutf8);
    for (const LikelyGroup &group : report.likely) {
        details +=
            section(windowTr("\n以下文件已转换，但看起来是%1编码，请检查：\n").arg(group.encoding),
                    group.entries);
    }
    details += section(windowTr("\n以下文件因取消而未转换：\n"), report.cancelledentries);
    return details;
}

QString visibleCharacter(char32_t character)
{
    if (!velloran::isInvisibleCharacter(character))
        return QString::fromUcs4(&character, 1);
    return QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
}

QString unknownEncodingText(const QString &name)
{
    return windowTr("无法识别编码“%1”，未转换任何文件。").arg(name);
}
