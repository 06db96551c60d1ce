#ifndef VANTREL_JCPARGUMENTS_H
#define VANTREL_JCPARGUMENTS_H

#include <QString>
#include <QStringList>

// What the options panel says about one transfer; texts are kept exactly as
// the fields hold them.
struct TransferOptions
{
    bool skipBoot = false;
    bool overrideAddress = false;
    bool isFlash = false;
    bool bank2 = false;
    bool bank6 = false;
    bool wordFlash = false;
    bool skipHeader = false;
    QString skipBytes;
    QString fileName;
    QString address;
};

QStringList transferArguments(const TransferOptions &options);
QStringList resetArguments();
QStringList serialArguments();
QStringList updateArguments();
// bank is 1 or 2; the path is passed on unchanged.
QStringList dumpArguments(int bank, const QString &path);

#endif
