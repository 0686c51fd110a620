#include "platform/copy/ResumableParts.h"

#include <QList>

namespace tarvo {

namespace {

constexpr char FirstLine[] = "tarvo resume note 1";

} // namespace

QByteArray ResumeNote::toText() const
{
    QByteArray text = QByteArray(FirstLine) + '\n';
    text += "target=" + target.toUtf8() + '\n';
    text += "source=" + source.toUtf8() + '\n';
    text += "size=" + QByteArray::number(version.Size) + '\n';
    text += "written=" + QByteArray::number(version.LastWriteTime) + '\n';
    text += "device=" + QByteArray::number(version.Device) + '\n';
    text += "file=" + QByteArray::number(version.FileId) + '\n';
    text += "changed=" + QByteArray::number(version.ChangeTime) + '\n';
    text += "order=" + QByteArray(inOrder ? "1" : "0") + '\n';
    text += "end\n";
    return text;
}

std::optional<ResumeNote> ResumeNote::parse(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 10 || lines.first() != FirstLine || lines.at(9) != "end")
        return std::nullopt;
    QHash<QByteArray, QByteArray> values;
    for (qsizetype i = 1; i < 9; ++i) {
        const qsizetype equals = lines.at(i).indexOf('=');
        if (equals <= 0)
            return std::nullopt;
        values.insert(lines.at(i).left(equals), lines.at(i).mid(equals + 1));
    }
    ResumeNote note;
    note.target = QString::fromUtf8(values.value("target"));
    note.source = QString::fromUtf8(values.value("source"));
    bool ok = !note.target.isEmpty() && !note.source.isEmpty();
    const auto number = [&](const char* key) {
        bool read = false;
        const quint64 value = values.value(key).toULongLong(&read);
        ok = ok && read;
        return value;
    };
    note.version.Size = number("size");
    note.version.LastWriteTime = number("written");
    note.version.Device = number("device");
    note.version.FileId = number("file");
    note.version.ChangeTime = number("changed");
    note.inOrder = number("order") == 1;
    return ok ? std::optional(note) : std::nullopt;
}

bool ResumeNote::sameCopy(const ResumeNote& other) const
{
    return target == other.target && source == other.source;
}

void ResumableParts::offer(const QByteArray& folder, const ResumablePart& part)
{
    std::lock_guard lock(m_mutex);
    QList<ResumablePart>& parts = m_parts[folder];
    // A folder looked into again finds the parts it offered before.
    parts.removeIf([&](const ResumablePart& known) { return known.part == part.part; });
    parts.append(part);
}

std::optional<ResumablePart> ResumableParts::take(const QByteArray& folder, const ResumeNote& copy)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_parts.find(folder);
    if (found == m_parts.end())
        return std::nullopt;
    for (qsizetype i = 0; i < found->size(); ++i) {
        if (found->at(i).about.sameCopy(copy))
            return found->takeAt(i);
    }
    return std::nullopt;
}

std::optional<ResumablePart> ResumableParts::find(const QByteArray& folder, const ResumeNote& copy)
{
    std::lock_guard lock(m_mutex);
    for (const ResumablePart& part : m_parts.value(folder)) {
        if (part.about.sameCopy(copy))
            return part;
    }
    return std::nullopt;
}

} // namespace tarvo
