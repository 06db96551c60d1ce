#include "board/jcparguments.h"

QStringList transferArguments(const TransferOptions &options)
{
    QStringList arguments{QStringLiteral("-q")};
    if (options.skipBoot)
        arguments << QStringLiteral("-n");
    // The flag leads; the address it refers to goes last, after the path.
    if (options.overrideAddress)
        arguments << QStringLiteral("-o");
    if (options.isFlash) {
        if (options.bank2)
            arguments << QStringLiteral("-2");
        if (options.bank6)
            arguments << QStringLiteral("-6");
        if (options.wordFlash)
            arguments << QStringLiteral("-w");
        arguments << QStringLiteral("-f");
    }
    if (options.skipHeader)
        arguments << QStringLiteral("-h") << options.skipBytes;
    arguments << options.fileName;
    if (options.overrideAddress)
        arguments << options.address;
    return arguments;
}

QStringList resetArguments()
{
    return {QStringLiteral("-r")};
}

QStringList serialArguments()
{
    return {QStringLiteral("-q"), QStringLiteral("-s")};
}

QStringList updateArguments()
{
    return {QStringLiteral("-q"), QStringLiteral("-u")};
}

QStringList dumpArguments(int bank, const QString &path)
{
    return {QStringLiteral("-q"), bank == 2 ? QStringLiteral("-d2") : QStringLiteral("-d"), path};
}
