#ifndef VANTREL_IMAGEHEADER_H
#define VANTREL_IMAGEHEADER_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdio>

// How many bytes of a file detection reads. The result depends only on the
// first 8193 bytes and on whether the file holds more than 8704, so one byte
// past 8704 answers everything; reading further would change nothing.
constexpr std::size_t kHeaderReadSize = 8705;

struct ImageHeader
{
    qint32 loadAddress;
    qint32 headerSkip;
};

// What the options panel proposes for a detected image: the texts of the
// address and skip fields, and whether "Is Flash?" gets checked.
struct PanelProposal
{
    QString address;
    QString headerSkip;
    bool isFlash;
};

PanelProposal proposePanel(const ImageHeader &header);

// Recognises a game image from the first `count` bytes of the file and its
// path. Never reads past data[count - 1].
ImageHeader detectImageHeader(const unsigned char *data, std::size_t count, const QByteArray &path);

// Reads the start of a stream opened for binary reading and recognises the
// image from it and from `path`. Reads but does not close the stream.
ImageHeader detectImageHeader(std::FILE *file, const QByteArray &path);

#endif
