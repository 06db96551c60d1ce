#include "board/outputlines.h"

OutputLines::OutputLines(qsizetype longest)
    : longest(longest)
{
}

QString OutputLines::clean(const QByteArray &line)
{
    QString text = QString::fromLatin1(line).simplified();
    text.remove(QChar(u'\b'));
    text.remove(QChar(u'|'));
    return text;
}

OutputLines::Taken OutputLines::take(const QByteArray &bytes)
{
    Taken taken;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        const qsizetype stop = end < 0 ? bytes.size() : end;
        // Broken where it grows too long, so that no line in the making is
        // cleaned and shown again and again without end.
        const qsizetype room = longest - unfinished.size();
        if (stop - start > room) {
            unfinished += bytes.mid(start, room);
            start += room;
        } else {
            unfinished += bytes.mid(start, stop - start);
            start = stop + (end < 0 ? 0 : 1);
            if (end < 0)
                break;
        }
        const QString line = clean(unfinished);
        if (!line.isEmpty() || (!unfinished.contains('\b') && !unfinished.contains('|')))
            taken.lines << line;
        unfinished.clear();
    }
    taken.unfinished = clean(unfinished);
    return taken;
}

void OutputLines::reset()
{
    unfinished.clear();
}
