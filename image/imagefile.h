#ifndef VANTREL_IMAGEFILE_H
#define VANTREL_IMAGEFILE_H

#include <QString>

#include <cstdio>

// Opens a chosen image for binary reading by its name in the file system's
// encoding, so any name the file dialog can show opens. A directory is
// refused, and a FIFO or terminal never blocks: reading it gives what is
// there at once. Returns nullptr on failure, with the errno value in `error`.
std::FILE *openImageFile(const QString &path, int &error);

#endif
