#ifndef VANTREL_IMAGEHEADER_H
#define VANTREL_IMAGEHEADER_H

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdio>

// How many bytes of a file detection reads at most.
constexpr std::size_t kHeaderReadSize = 0x602000;

struct ImageHeader
{
    qint32 loadAddress;
    qint32 headerSkip;
};

// Recognises a game image from the first `count` bytes of the file and its
// path. Never reads past data[count - 1].
ImageHeader detectImageHeader(const unsigned char *data, std::size_t count, const QByteArray &path);

// Reads the start of a stream opened for binary reading and recognises the
// image from it and from `path`. Reads but does not close the stream.
ImageHeader detectImageHeader(std::FILE *file, const QByteArray &path);

#endif
