// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/report.h"

#include "ui/translation.h"
#include "velloran/report.h"

namespace {

using velloran::ReportLine;
using velloran::ReportSection;
using velloran::SectionKind;

// The entry at `index` as the list shows it; nothing for kNoEntry.
QString entryText(const QStringList &entries, std::size_t index)
{
    return index < std::size_t(entries.size()) ? entries[qsizetype(index)] : QString();
}

// A section's heading. The read section opens the details; every later
// heading starts with a line feed, which leaves a blank line after the
// section before it.
QString heading(const ReportSection &section)
{
    switch (section.kind) {
    case SectionKind::CannotRead:
        return windowTr("以下文件因为无法读取而转换失败：\n");
    case SectionKind::CannotWrite:
        return windowTr("\n以下文件因为无法写入而转换失败\n");
    case SectionKind::InvalidSource:
        return windowTr("\n以下文件含有源编码无法识别的字节而转换失败：\n");
    case SectionKind::Unrepresentable:
        return windowTr("\n以下文件含有目标编码无法表示的字符而转换失败：\n");
    case SectionKind::SharedOutput:
        return windowTr("\n以下文件与列表中另一文件输出到同一位置，未转换：\n");
    case SectionKind::AlreadyUtf8:
        return windowTr("\n以下文件看起来已经是UTF-8编码，未转换：\n");
    case SectionKind::LooksLikeOther:
        return windowTr("\n以下文件看起来是%1编码，未转换：\n")
            .arg(QString::fromStdString(section.encoding));
    case SectionKind::LooksLike:
        return windowTr("\n以下文件已转换，但看起来是%1编码，请检查：\n")
            .arg(QString::fromStdString(section.encoding));
    case SectionKind::Cancelled:
        return windowTr("\n以下文件因取消而未转换：\n");
    case SectionKind::Undecided:
        break;
    }
    return {};
}

// What follows an entry's name on its line: where the problem is, or the
// entry in its way.
QString where(const QStringList &entries, const ReportLine &line)
{
    const velloran::FileResult &result = line.result;
    switch (result.outcome) {
    case velloran::Outcome::InvalidSource:
        if (result.likely.empty())
            return windowTr("（第%1行）").arg(result.line);
        return windowTr("（第%1行；可能是%2编码）")
            .arg(result.line)
            .arg(QString::fromStdString(result.likely));
    case velloran::Outcome::Unrepresentable:
        return windowTr("（第%1行：“%2”）")
            .arg(result.line)
            .arg(visibleCharacter(result.character));
    case velloran::Outcome::SharedOutput:
        return windowTr("（与 %1 相同）").arg(entryText(entries, line.inTheWay));
    default:
        return {};
    }
}

} // namespace

QString reportText(const velloran::RunReport &report)
{
    const velloran::RunCounts &counts = report.counts;
    if (counts.cancelled == 0)
        return windowTr("成功%1个，失败%2个").arg(counts.converted).arg(counts.failed());
    return windowTr("成功%1个，失败%2个，取消%3个")
        .arg(counts.converted)
        .arg(counts.failed())
        .arg(counts.cancelled);
}

QString reportDetails(const QStringList &entries, const velloran::RunReport &report)
{
    QString details;
    for (const ReportSection &section : report.sections) {
        // Only a run that detects the source refuses a file as undecided, and
        // the window always names its source: counted as failed, not listed.
        if (section.kind == SectionKind::Undecided)
            continue;
        details += heading(section);
        for (const ReportLine &line : section.lines)
            details += entryText(entries, line.entry) + where(entries, line) + QLatin1Char('\n');
    }
    return details;
}

QString visibleCharacter(char32_t character)
{
    if (!velloran::isInvisibleCharacter(character))
        return QString::fromUcs4(&character, 1);
    return QString::fromStdString(velloran::codePointName(character));
}

QString unknownEncodingText(const QString &name)
{
    return windowTr("无法识别编码“%1”，未转换任何文件。").arg(name);
}
