#ifndef VANTREL_IMAGEFILE_H
#define VANTREL_IMAGEFILE_H

#include <QString>

#include <cstdio>

// Opens a chosen image for binary reading by its name in the file system's
// encoding, so any name the file dialog can show opens. Only a regular file
// is an image: a folder, FIFO, socket or device is refused without being
// read, and nothing here ever waits. Returns nullptr on failure, with the
// reason in `error`.
std::FILE *openImageFile(const QString &path, QString &error);

#endif
