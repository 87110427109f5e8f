#include "model/capturerecord.h"

#include "text/recordfile.h"
#include "text/recordwriter.h"
#include "text/textfiles.h"
#include "text/webarchive.h"

#include <algorithm>

namespace Model {

namespace {

bool IsTimestamp(const QString& text)
{
    return text.size() == 14 && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

} // namespace

CaptureRecord::CaptureRecord(const QString& taskFolder)
{
    Text::ForEachRecordLine(Text::JoinPath(taskFolder, QString::fromLatin1(FileName)),
                            [this](const QList<QByteArray>& fields) {
                                if (fields.size() < 2) {
                                    return;
                                }
                                const QString stamp = Text::UnescapeRecordField(fields.at(1));
                                if (IsTimestamp(stamp)) {
                                    m_captures.insert(Text::UnescapeRecordField(fields.at(0)), stamp);
                                }
                            });
}

bool CaptureRecord::Note(Text::RecordWriter& writer, const QString& taskFolder, const QString& page,
                         const QString& timestamp)
{
    if (!IsTimestamp(timestamp)) {
        return true;
    }
    return writer.append(Text::JoinPath(taskFolder, QString::fromLatin1(FileName)),
                         {Text::EscapeRecordField(page), Text::EscapeRecordField(timestamp)});
}

QString CaptureRecord::oldestDay() const
{
    if (m_captures.isEmpty()) {
        return {};
    }
    return Text::CaptureDay(*std::min_element(m_captures.cbegin(), m_captures.cend()));
}

QString CaptureRecord::newestDay() const
{
    if (m_captures.isEmpty()) {
        return {};
    }
    return Text::CaptureDay(*std::max_element(m_captures.cbegin(), m_captures.cend()));
}

QString CaptureRecord::rangeText() const
{
    const QString oldest = oldestDay();
    const QString newest = newestDay();
    if (oldest == newest) {
        return oldest;
    }
    return oldest + QStringLiteral(" 至 ") + newest;
}

} // namespace Model
