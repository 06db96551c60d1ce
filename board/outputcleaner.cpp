#include "board/outputcleaner.h"

QString cleanToolOutput(const QByteArray &chunk)
{
    QString text = QString::fromLatin1(chunk).simplified();
    text.remove(QChar(u'\b'));
    text.remove(QChar(u'|'));
    return text;
}
